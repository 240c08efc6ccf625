#include "mediaengine/ripping/RipPreferenceReader.h"

#include "mediaengine/ripping/FirstStartPreferences.h"
#include "platform/files/KnownFolders.h"
#include "platform/files/Volumes.h"
#include "platform/registry/Registry.h"

#include <QDir>
#include <optional>

namespace {

const QString kPreferences = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences");

std::optional<QString> ReadText(HKEY key, const QString& name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueEx(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) {
        return std::nullopt;
    }
    QByteArray buffer(int(size) + 2, '\0');
    size = DWORD(buffer.size());
    if (RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    const auto* text = reinterpret_cast<const char16_t*>(buffer.constData());
    qsizetype length = 0;
    while (length < qsizetype(size / 2) && text[length] != 0) {
        ++length;
    }
    return QString::fromUtf16(text, length);
}

std::optional<DWORD> ReadNumber(HKEY key, const QString& name) {
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegQueryValueEx(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return value;
}

} // namespace

HRESULT CRipPreferenceReader::Read(RipPreferences* prefs, bool create) {
    std::optional<QString> folder;
    std::optional<QString> detail;
    std::optional<QString> separator;
    std::optional<DWORD> rate;
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, kPreferences, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        folder = ReadText(key, QStringLiteral("CDRecordPath"));
        detail = ReadText(key, QStringLiteral("CDRecordFileDetail"));
        separator = ReadText(key, QStringLiteral("CDRecordFileSeparator"));
        rate = ReadNumber(key, QStringLiteral("MP3RecordRate"));
        RegCloseKey(key);
    }
    QString winFolder = folder.value_or(QString());
    if (winFolder.isEmpty()) {
        const HRESULT hr =
            SHGetFolderPath(nullptr, CSIDL_MYMUSIC | CSIDL_FLAG_CREATE, nullptr, 0, &winFolder);
        if (FAILED(hr)) {
            return hr;
        }
    }
    QString host;
    if (const LONG error = ToHostPath(winFolder, &host); error != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(error);
    }
    // The player makes its rip folder when it is missing; one that cannot be made fails each track.
    if (create) {
        QDir().mkpath(host);
    }
    prefs->recordFolder = host;
    prefs->windowsFolderLength = int(winFolder.size());
    prefs->fileDetail = detail.value_or(CFirstStartPreferences::FileDetail());
    prefs->separator = separator.value_or(CFirstStartPreferences::Separator());
    prefs->bitrate = rate && *rate > 0 ? int(*rate) : CFirstStartPreferences::kMp3Rate;
    return S_OK;
}
