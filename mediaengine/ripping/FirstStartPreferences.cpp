#include "mediaengine/ripping/FirstStartPreferences.h"

#include "platform/files/KnownFolders.h"
#include "platform/registry/Registry.h"

namespace {

const QString kPreferences = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences");

bool SetDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueEx(key, QLatin1String(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                         sizeof(value)) == ERROR_SUCCESS;
}

bool SetText(HKEY key, const char* name, const QString& text) {
    return RegSetValueEx(key, QLatin1String(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.utf16()),
                         DWORD((text.size() + 1) * 2)) == ERROR_SUCCESS;
}

} // namespace

const QString& CFirstStartPreferences::FileDetail() {
    static const QString detail = QStringLiteral("*TrackNumber;*SongTitle;Artist;Album");
    return detail;
}

const QString& CFirstStartPreferences::Separator() {
    static const QString separator = QStringLiteral(" ");
    return separator;
}

bool CFirstStartPreferences::WriteIfMissing() {
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kPreferences, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
        return true;
    }
    QString music;
    if (FAILED(SHGetFolderPath(nullptr, CSIDL_MYMUSIC | CSIDL_FLAG_CREATE, nullptr, 0, &music))) {
        music.clear();
    }
    if (RegCreateKeyEx(HKEY_CURRENT_USER, kPreferences, 0, QString(), REG_OPTION_NON_VOLATILE, KEY_WRITE,
                       nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    // Each one present: a rate or a number left out would not be given back by a program that
    // borrowed the preferences, and a path left out would stay as that program set it.
    const bool ok =
        (music.isEmpty() || SetText(key, "CDRecordPath", music)) && SetDword(key, "ForceOnline", 0) &&
        SetDword(key, "CDRecordMode", 1) && SetDword(key, "CDRecordMP3", 1) &&
        SetDword(key, "CDRecordDRM", 0) && SetDword(key, "CDFirstCopyV10", 0) &&
        SetDword(key, "AutoCopyCD", 0) && SetDword(key, "AutoEjectCD", 0) &&
        SetDword(key, "MP3RecordRate", kMp3Rate) && SetDword(key, "WMARecordRate", kMp3Rate) &&
        SetText(key, "CDRecordFileDetail", FileDetail()) &&
        SetText(key, "CDRecordFileSeparator", Separator()) && SetDword(key, "SilentAcquisition", 0) &&
        SetDword(key, "MetadataRetrieval", 0) && SetDword(key, "AutoMetadataUpdate", 0) &&
        SetDword(key, "AutoRename", 0) && SetDword(key, "AutoOrganize", 0);
    RegCloseKey(key);
    return ok;
}
