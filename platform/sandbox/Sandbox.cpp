#include "platform/sandbox/Sandbox.h"

#include "platform/files/Volumes.h"
#include "platform/registry/Registry.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace {

constexpr quint64 kDemoCardBytes = 256ull * 1024 * 1024;

// The media player as a user has it: installed, version 11, with ripping preferences of its own
// that the program must give back untouched after a run.
const char* const kDefaultLocalMachine = "Windows Registry Editor Version 5.00\r\n"
                                         "\r\n"
                                         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Active Setup\\Installed "
                                         "Components\\{6BF52A52-394A-11d3-B153-00C04F79FAA6}]\r\n"
                                         "\"IsInstalled\"=dword:00000001\r\n"
                                         "\"Version\"=\"11,0,5721,5145\"\r\n"
                                         "\r\n";

const char* const kDefaultCurrentUser =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\MediaPlayer\\Preferences]\r\n"
    "\"ForceOnline\"=dword:00000000\r\n"
    "\"CDRecordPath\"=\"C:\\\\Users\\\\user\\\\Music\"\r\n"
    "\"CDRecordMode\"=dword:00000000\r\n"
    "\"CDRecordMP3\"=dword:00000000\r\n"
    "\"CDRecordDRM\"=dword:00000001\r\n"
    "\"AutoCopyCD\"=dword:00000000\r\n"
    "\"AutoEjectCD\"=dword:00000000\r\n"
    "\"WMARecordRate\"=dword:0001f400\r\n"
    "\"MP3RecordRate\"=dword:0002ee00\r\n"
    "\"CDRecordFileDetail\"=\"*TrackNumber;*SongTitle;Artist;Album\"\r\n"
    "\"CDRecordFileSeparator\"=\" \"\r\n"
    "\r\n";

bool WriteIfMissing(const QString& path, const QByteArray& content, QString* error) {
    if (QFile::exists(path)) {
        return true;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

void SetIfMissing(QSettings& ini, const QString& key, const QVariant& value) {
    if (!ini.contains(key)) {
        ini.setValue(key, value);
    }
}

} // namespace

QString CSandbox::DefaultDir() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty()) {
        base = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return base + QStringLiteral("/Ollivane/sandbox");
}

bool CSandbox::CreateDefault(const QString& dir, QString* error) {
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    QDir root(dir);
    for (const char* sub : {"drives/C/Users/user/Documents", "drives/C/Users/user/Music", "drives/D",
                            "drives/E", "registry", "engine", "discs"}) {
        if (!root.mkpath(QString::fromLatin1(sub))) {
            *error = QStringLiteral("cannot create %1/%2").arg(dir, QString::fromLatin1(sub));
            return false;
        }
    }
    if (!WriteIfMissing(root.filePath(QStringLiteral("registry/HKLM.reg")), kDefaultLocalMachine, error) ||
        !WriteIfMissing(root.filePath(QStringLiteral("registry/HKCU.reg")), kDefaultCurrentUser, error)) {
        return false;
    }

    QSettings ini(root.filePath(QStringLiteral("sandbox.ini")), QSettings::IniFormat);
    SetIfMissing(ini, QStringLiteral("user/name"), QStringLiteral("user"));
    SetIfMissing(ini, QStringLiteral("drive_C/type"), QStringLiteral("fixed"));
    SetIfMissing(ini, QStringLiteral("drive_C/label"), QStringLiteral("Windows"));
    SetIfMissing(ini, QStringLiteral("drive_C/fs"), QStringLiteral("NTFS"));
    SetIfMissing(ini, QStringLiteral("drive_C/serial"), QStringLiteral("0x4C3A1B20"));
    SetIfMissing(ini, QStringLiteral("drive_C/root"), QStringLiteral("drives/C"));
    SetIfMissing(ini, QStringLiteral("drive_D/type"), QStringLiteral("cdrom"));
    SetIfMissing(ini, QStringLiteral("drive_D/label"), QString());
    SetIfMissing(ini, QStringLiteral("drive_D/fs"), QStringLiteral("CDFS"));
    SetIfMissing(ini, QStringLiteral("drive_D/root"), QStringLiteral("drives/D"));
    // The demo disc is generated into discs/ by the demo script; without it the drive is empty.
    const QString demoDisc = QStringLiteral("discs/demo.cue");
    const bool haveDisc = QFile::exists(root.filePath(demoDisc));
    SetIfMissing(ini, QStringLiteral("drive_D/disc"), haveDisc ? demoDisc : QString());
    SetIfMissing(ini, QStringLiteral("drive_D/present"), haveDisc);
    // A sandbox made before its disc (the program started before the disc was generated) gets it.
    if (haveDisc && ini.value(QStringLiteral("drive_D/disc")).toString().isEmpty()) {
        ini.setValue(QStringLiteral("drive_D/disc"), demoDisc);
        ini.setValue(QStringLiteral("drive_D/present"), true);
    }
    SetIfMissing(ini, QStringLiteral("drive_E/type"), QStringLiteral("removable"));
    SetIfMissing(ini, QStringLiteral("drive_E/label"), QStringLiteral("SDCARD"));
    SetIfMissing(ini, QStringLiteral("drive_E/fs"), QStringLiteral("FAT32"));
    SetIfMissing(ini, QStringLiteral("drive_E/serial"), QStringLiteral("0x1A2B3C4D"));
    SetIfMissing(ini, QStringLiteral("drive_E/root"), QStringLiteral("drives/E"));
    SetIfMissing(ini, QStringLiteral("drive_E/capacity"), QString::number(kDemoCardBytes));
    SetIfMissing(ini, QStringLiteral("drive_E/present"), true);
    ini.sync();
    if (ini.status() != QSettings::NoError) {
        *error = QStringLiteral("cannot write %1").arg(ini.fileName());
        return false;
    }
    return true;
}

CSandbox::CSandbox(QString dir) : m_dir(std::move(dir)) {}

CSandbox::~CSandbox() = default;

QString CSandbox::EngineDir() const {
    return QDir(m_dir).filePath(QStringLiteral("engine"));
}

bool CSandbox::Open(QString* error) {
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    auto volumes = std::make_unique<CVolumes>();
    if (!volumes->LoadSandbox(m_dir)) {
        *error = QStringLiteral("%1/sandbox.ini is missing or describes a drive badly").arg(m_dir);
        return false;
    }
    const QDir root(m_dir);
    m_registry = std::make_unique<CRegistry>(root.filePath(QStringLiteral("registry/HKCU.reg")),
                                             root.filePath(QStringLiteral("registry/HKLM.reg")));
    m_volumes = std::move(volumes);
    return true;
}
