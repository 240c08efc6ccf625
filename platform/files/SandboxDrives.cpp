#include "platform/files/SandboxDrives.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString kIniName = QStringLiteral("sandbox.ini");
const QString kDriveGroup = QStringLiteral("drive_");

struct TypeName {
    UINT type;
    const char* name;
};
constexpr TypeName kTypeNames[] = {
    {DRIVE_FIXED, "fixed"},   {DRIVE_REMOVABLE, "removable"}, {DRIVE_CDROM, "cdrom"},
    {DRIVE_REMOTE, "remote"}, {DRIVE_RAMDISK, "ramdisk"},
};

std::optional<UINT> TypeFromName(const QString& name) {
    for (const TypeName& t : kTypeNames) {
        if (name.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0)
            return t.type;
    }
    return std::nullopt;
}

QString NameOfType(UINT type) {
    for (const TypeName& t : kTypeNames) {
        if (t.type == type)
            return QLatin1String(t.name);
    }
    return QStringLiteral("fixed");
}

// QSettings turns an unquoted value with commas into a list; a label may well hold a comma.
QString TextValue(const QSettings& ini, const QString& key, const QString& fallback = QString()) {
    const QVariant value = ini.value(key);
    if (!value.isValid())
        return fallback;
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

int IndexOf(QChar letter) {
    const QChar upper = letter.toUpper();
    if (upper < QLatin1Char('A') || upper > QLatin1Char('Z'))
        return -1;
    return upper.unicode() - 'A';
}

} // namespace

bool CSandboxDrives::Load(const QString& sandboxDir, VolumeDriveArray* result, QString* userName) {
    const QString dir = QDir(sandboxDir).absolutePath();
    const QString iniPath = dir + QLatin1Char('/') + kIniName;
    if (!QFileInfo(iniPath).isFile())
        return false;
    QSettings ini(iniPath, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        return false;

    VolumeDriveArray drives;
    for (const QString& group : ini.childGroups()) {
        if (!group.startsWith(kDriveGroup, Qt::CaseInsensitive))
            continue;
        const QString letterText = group.mid(kDriveGroup.size());
        const int index = letterText.size() == 1 ? IndexOf(letterText.at(0)) : -1;
        if (index < 2)
            return false;
        ini.beginGroup(group);
        VolumeDrive drive;
        drive.letter = QChar('A' + index);
        const std::optional<UINT> type =
            TypeFromName(TextValue(ini, QStringLiteral("type"), QStringLiteral("fixed")));
        bool ok = type.has_value();
        if (ok)
            drive.type = *type;
        drive.label = TextValue(ini, QStringLiteral("label"));
        const QString serial = TextValue(ini, QStringLiteral("serial"), QStringLiteral("0"));
        bool serialOk = false;
        drive.serial = serial.toUInt(&serialOk, 0);
        ok = ok && serialOk;
        drive.fileSystem =
            TextValue(ini, QStringLiteral("fs"),
                      drive.type == DRIVE_CDROM ? QStringLiteral("CDFS") : QStringLiteral("FAT32"));
        const QString capacity = TextValue(ini, QStringLiteral("capacity"));
        if (!capacity.isEmpty()) {
            bool capacityOk = false;
            drive.capacity = capacity.toULongLong(&capacityOk);
            ok = ok && capacityOk;
        }
        const QString present = TextValue(ini, QStringLiteral("present"), QStringLiteral("true"));
        drive.present = present.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0 &&
                        present != QLatin1String("0");
        const QString root = TextValue(ini, QStringLiteral("root"), QStringLiteral("drives/") + drive.letter);
        drive.root = root.isEmpty() ? QString() : QDir::cleanPath(QDir(dir).absoluteFilePath(root));
        drive.disc = TextValue(ini, QStringLiteral("disc"));
        ini.endGroup();
        if (!ok)
            return false;
        if (!drive.root.isEmpty() && !QDir().mkpath(drive.root))
            return false;
        drives[index] = drive;
    }
    const QString user = TextValue(ini, QStringLiteral("user/name"), QStringLiteral("user"));

    *result = drives;
    *userName = user.isEmpty() ? QStringLiteral("user") : user;
    return true;
}

bool CSandboxDrives::Save(const QString& dir, const QList<VolumeDrive>& drives, const QString& user) {
    QSettings ini(dir + QLatin1Char('/') + kIniName, QSettings::IniFormat);
    // Other groups (the media engine's devices, say) live in the same file and stay.
    for (const QString& group : ini.childGroups()) {
        if (group.startsWith(kDriveGroup, Qt::CaseInsensitive))
            ini.remove(group);
    }
    const QDir base(dir);
    for (const VolumeDrive& drive : drives) {
        ini.beginGroup(kDriveGroup + drive.letter);
        ini.setValue(QStringLiteral("type"), NameOfType(drive.type));
        ini.setValue(QStringLiteral("label"), drive.label);
        ini.setValue(QStringLiteral("serial"),
                     QStringLiteral("0x") +
                         QStringLiteral("%1").arg(drive.serial, 8, 16, QLatin1Char('0')).toUpper());
        ini.setValue(QStringLiteral("fs"), drive.fileSystem);
        if (drive.capacity)
            ini.setValue(QStringLiteral("capacity"), QString::number(*drive.capacity));
        ini.setValue(QStringLiteral("present"),
                     drive.present ? QStringLiteral("true") : QStringLiteral("false"));
        const QString relative = base.relativeFilePath(drive.root);
        ini.setValue(QStringLiteral("root"), drive.root.isEmpty() || relative.startsWith(QLatin1String(".."))
                                                 ? drive.root
                                                 : relative);
        if (!drive.disc.isEmpty())
            ini.setValue(QStringLiteral("disc"), drive.disc);
        ini.endGroup();
    }
    ini.setValue(QStringLiteral("user/name"), user);
    ini.sync();
    return ini.status() == QSettings::NoError;
}
