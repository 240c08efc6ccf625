#include "platform/files/HostDrives.h"

#include "platform/Logging.h"
#include "platform/files/DrivePaths.h"
#include "platform/files/MountInfo.h"
#include "platform/files/MountNames.h"
#include "platform/files/VolumeLabel.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

constexpr int kCardFrom = 'E' - 'A';
constexpr int kCdFrom = 'D' - 'A';

QString FileSystemDisplayName(const QString& type) {
    if (type == QLatin1String("vfat") || type == QLatin1String("msdos"))
        return QStringLiteral("FAT32");
    if (type == QLatin1String("exfat"))
        return QStringLiteral("exFAT");
    if (type == QLatin1String("ntfs") || type == QLatin1String("ntfs3") || type == QLatin1String("fuseblk"))
        return QStringLiteral("NTFS");
    if (type == QLatin1String("iso9660"))
        return QStringLiteral("CDFS");
    return type.toUpper();
}

// For every device name (sdb1) the names of the links pointing at it in a /dev/disk/by-* folder.
QHash<QString, QStringList> LinksByDevice(const QString& folder) {
    QHash<QString, QStringList> result;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString target = entry.symLinkTarget();
        if (!target.isEmpty())
            result[QFileInfo(target).fileName()].append(entry.fileName());
    }
    return result;
}

QString ReadFirstLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readLine()).trimmed();
}

// The whole-disk name in sysfs for a partition name: sdb1 -> sdb, mmcblk0p1 -> mmcblk0. Empty when
// sysfs knows neither (the device went away while the table was read).
QString DiskOf(const QString& sysBlock, const QString& name) {
    if (QFileInfo(sysBlock + QLatin1Char('/') + name).exists())
        return name;
    QString disk = name;
    while (!disk.isEmpty() && disk.back().isDigit())
        disk.chop(1);
    if (disk.size() < name.size() && disk.endsWith(QLatin1Char('p')) && disk.size() > 1 &&
        disk.at(disk.size() - 2).isDigit())
        disk.chop(1);
    return QFileInfo(sysBlock + QLatin1Char('/') + disk).exists() ? disk : QString();
}

// Whether the medium comes out: removable=1 (USB card readers and sticks), or an SD card in a slot
// on the MMC bus, which reports removable=0; a soldered eMMC says "MMC" there instead of "SD".
bool IsRemovable(const QString& sysBlock, const QString& disk) {
    const QString diskDir = sysBlock + QLatin1Char('/') + disk;
    if (ReadFirstLine(diskDir + QStringLiteral("/removable")) == QLatin1String("1"))
        return true;
    return disk.startsWith(QLatin1String("mmcblk")) &&
           ReadFirstLine(diskDir + QStringLiteral("/device/type")) == QLatin1String("SD");
}

DWORD SerialFromUuid(const QString& uuid) {
    QString hex;
    for (QChar c : uuid) {
        if (c.isDigit() || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')))
            hex.append(c);
        if (hex.size() == 8)
            break;
    }
    return hex.toUInt(nullptr, 16);
}

// A serial that stays the same between runs for the same text (qHash is seeded per process).
DWORD StableSerial(const QString& text) {
    DWORD hash = 2166136261u; // FNV-1a
    for (const char byte : text.toUtf8()) {
        hash ^= DWORD(quint8(byte));
        hash *= 16777619u;
    }
    return hash;
}

// The mount that holds path: the longest mount point above it.
const CMountInfo::Mount* MountHolding(const QList<CMountInfo::Mount>& mounts, const QString& path) {
    const CMountInfo::Mount* best = nullptr;
    for (const CMountInfo::Mount& m : mounts) {
        if (CDrivePaths::IsInside(path, m.point) && (!best || m.point.size() > best->point.size()))
            best = &m;
    }
    return best;
}

// What a device is known by between runs: its file system's UUID, else its udev id (which holds
// the maker's serial), else nothing (a letter for this run only).
QString IdentityOf(const QString& name, const QHash<QString, QStringList>& uuids,
                   const QHash<QString, QStringList>& ids) {
    if (const QStringList uuid = uuids.value(name); !uuid.isEmpty())
        return QStringLiteral("uuid:") + uuid.first();
    for (const QString& id : ids.value(name)) {
        if (!id.startsWith(QLatin1String("wwn-")))
            return QStringLiteral("id:") + id;
    }
    return QString();
}

// What a CD drive is known by between runs and plugs: its udev id (bus, maker, model, serial), else
// its place on the bus (the same port), else maker and model as sysfs gives them.
QString CdIdentityOf(const QString& name, const QString& sysDevice, const QHash<QString, QStringList>& ids,
                     const QHash<QString, QStringList>& paths) {
    for (const QString& id : ids.value(name)) {
        if (!id.startsWith(QLatin1String("wwn-")))
            return QStringLiteral("id:") + id;
    }
    if (const QStringList path = paths.value(name); !path.isEmpty())
        return QStringLiteral("path:") + path.first();
    const QString model = (ReadFirstLine(sysDevice + QStringLiteral("/vendor")) + QLatin1Char(' ') +
                           ReadFirstLine(sysDevice + QStringLiteral("/model")))
                              .simplified();
    return model.isEmpty() ? QString() : QStringLiteral("cd:") + model;
}

bool IsOptical(const CMountInfo::Mount& m) {
    return m.type == QLatin1String("iso9660") || m.type == QLatin1String("udf");
}

QString LabelOf(const CMountInfo::Mount& m, const QString& name, const QHash<QString, QStringList>& labels) {
    const QStringList label = labels.value(name);
    return label.isEmpty() ? QFileInfo(m.point).fileName()
                           : CVolumeLabel::Decode(CMountNames::LabelLinkBytes(label.first()), m.type);
}

int FreeSlot(const VolumeDriveArray& table, int from, const CDriveLetters& letters, const QString& identity,
             bool avoidRemembered) {
    for (int index = from; index < 26; ++index) {
        if (!table[index] && !(avoidRemembered && letters.TakenByOther(QChar('A' + index), identity)))
            return index;
    }
    return -1;
}

} // namespace

HostSources HostSources::ForUser() {
    HostSources sources;
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/ollivane");
    sources.letters = folder + QStringLiteral("/drive-letters");
    sources.config = folder + QStringLiteral("/drives.conf");
    sources.makeDocuments = true;
    return sources;
}

CHostDrives::CHostDrives(HostSources sources)
    : m_sources(std::move(sources)), m_home(m_sources.home.isEmpty() ? QDir::homePath() : m_sources.home),
      m_letters(m_sources.letters) {
    if (!m_sources.config.isEmpty())
        m_config = CDriveConfig::Read(m_sources.config, m_home, &m_warnings);
    for (const QString& warning : std::as_const(m_warnings))
        qCWarning(lcPlatform).noquote() << warning;
    if (m_sources.makeDocuments) {
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString home = QFileInfo(m_home).canonicalFilePath();
        if (!documents.isEmpty() && !home.isEmpty() && documents != home &&
            CDrivePaths::IsInside(QDir::cleanPath(documents), home) && !QDir().mkpath(documents))
            qCWarning(lcPlatform).noquote() << "the documents folder" << documents << "cannot be made";
    }
}

void CHostDrives::KeepLettersOf(const CHostDrives& earlier) {
    if (earlier.m_sources.letters == m_sources.letters)
        m_letters = earlier.m_letters;
}

CHostDrives::Scan CHostDrives::Look() const {
    Scan scan;
    const QList<CMountInfo::Mount> mounts = CMountInfo::Parse(CMountInfo::ReadStable(m_sources.mounts));

    VolumeDrive& system = scan.system;
    system.letter = QLatin1Char('C');
    system.type = DRIVE_FIXED;
    system.root = m_home;
    if (const CMountInfo::Mount* m = MountHolding(mounts, m_home))
        system.fileSystem = FileSystemDisplayName(m->type);
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(m_home).constData(), &st) == 0)
        system.serial = DWORD(st.f_fsid);

    for (const CDriveConfig::Entry& entry : m_config) {
        VolumeDrive drive;
        const QFileInfo target(entry.path);
        if (entry.kind == CDriveConfig::Kind::Cd) {
            drive.type = DRIVE_CDROM;
            drive.fileSystem = QStringLiteral("CDFS");
            drive.disc = entry.path;
            drive.label = entry.label;
            drive.present = target.isFile();
            drive.identity = QStringLiteral("image:") + entry.path;
        } else {
            drive.type = DRIVE_REMOVABLE;
            drive.root = entry.path;
            drive.label = entry.label.isEmpty() ? target.fileName() : entry.label;
            drive.capacity = entry.size;
            drive.present = target.isDir();
            drive.identity = QStringLiteral("folder:") + entry.path;
            if (const CMountInfo::Mount* m = MountHolding(mounts, entry.path)) {
                drive.fileSystem = FileSystemDisplayName(m->type);
                drive.readOnly = m->readOnly;
            }
        }
        drive.serial = StableSerial(drive.identity);
        drive.letter = entry.letter;
        scan.configured.append(drive);
    }

    const QHash<QString, QStringList> labels = LinksByDevice(m_sources.byLabel);
    const QHash<QString, QStringList> uuids = LinksByDevice(m_sources.byUuid);
    const QHash<QString, QStringList> ids = LinksByDevice(m_sources.byId);
    QStringList seen;
    for (const CMountInfo::Mount& m : mounts) {
        if (!m.device.startsWith(QLatin1String("/dev/")) || m.root != QLatin1String("/"))
            continue;
        if (IsOptical(m))
            continue; // optical media are listed with their CD drives
        const QString canonical = QFileInfo(m.device).canonicalFilePath();
        const QString name = QFileInfo(canonical.isEmpty() ? m.device : canonical).fileName();
        if (seen.contains(name) || name.startsWith(QLatin1String("sr")))
            continue;
        const QString disk = DiskOf(m_sources.sysBlock, name);
        if (disk.isEmpty() || !IsRemovable(m_sources.sysBlock, disk) ||
            CDrivePaths::IsInside(m_home, m.point))
            continue;
        seen.append(name);
        VolumeDrive drive;
        drive.type = DRIVE_REMOVABLE;
        drive.root = m.point;
        drive.device = m.device;
        drive.readOnly = m.readOnly;
        drive.fileSystem = FileSystemDisplayName(m.type);
        drive.label = LabelOf(m, name, labels);
        const QStringList uuid = uuids.value(name);
        drive.serial = uuid.isEmpty() ? 0 : SerialFromUuid(uuid.first());
        drive.identity = IdentityOf(name, uuids, ids);
        scan.cards.append(drive);
    }

    for (const CdDevice& device : CdDevices()) {
        VolumeDrive drive;
        drive.type = DRIVE_CDROM;
        drive.fileSystem = QStringLiteral("CDFS");
        drive.device = m_sources.dev + QLatin1Char('/') + device.name;
        drive.identity = device.identity;
        drive.serial = StableSerial(device.identity.isEmpty() ? drive.device : device.identity);
        // Empty until the media engine's drive monitor has looked, unless a data disc is mounted.
        drive.present = false;
        for (const CMountInfo::Mount& m : mounts) {
            const QString canonical = QFileInfo(m.device).canonicalFilePath();
            if (IsOptical(m) &&
                QFileInfo(canonical.isEmpty() ? m.device : canonical).fileName() == device.name) {
                drive.root = m.point;
                drive.label = LabelOf(m, device.name, labels);
                drive.present = true;
                break;
            }
        }
        if (!device.unreadable.isEmpty() && !m_unreadableTold.contains(drive.device)) {
            m_unreadableTold.append(drive.device);
            qCWarning(lcPlatform).noquote()
                << QStringLiteral("the CD drive %1 cannot be opened (%2): it is listed as not "
                                  "ready; a user may read a drive only as a member of the "
                                  "group that owns it (often \"cdrom\")")
                       .arg(drive.device, device.unreadable);
        }
        scan.cdDrives.append(drive);
    }
    return scan;
}

QList<CHostDrives::CdDevice> CHostDrives::CdDevices() const {
    QList<CdDevice> devices;
    const QStringList names =
        QDir(m_sources.sysBlock)
            .entryList({QStringLiteral("sr*")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    if (names.isEmpty())
        return devices;
    const QHash<QString, QStringList> ids = LinksByDevice(m_sources.byId);
    const QHash<QString, QStringList> paths = LinksByDevice(m_sources.byPath);
    for (const QString& name : names) {
        const QString dir = m_sources.sysBlock + QLatin1Char('/') + name;
        // A drive pulled out while it is looked at has lost its device number: it is gone.
        if (ReadFirstLine(dir + QStringLiteral("/dev")).isEmpty())
            continue;
        const QString node = m_sources.dev + QLatin1Char('/') + name;
        CdDevice device;
        device.name = name;
        device.identity = CdIdentityOf(name, dir + QStringLiteral("/device"), ids, paths);
        if (::access(QFile::encodeName(node).constData(), R_OK) != 0)
            device.unreadable = QString::fromLocal8Bit(std::strerror(errno));
        devices.append(device);
    }
    return devices;
}

QByteArray CHostDrives::Fingerprint() const {
    QByteArray print = CMountInfo::ReadStable(m_sources.mounts);
    for (const CDriveConfig::Entry& entry : m_config)
        print.append(QFileInfo::exists(entry.path) ? '1' : '0');
    for (const CdDevice& device : CdDevices())
        print.append('\n' + device.name.toUtf8() + ' ' + device.identity.toUtf8() +
                     (device.unreadable.isEmpty() ? " r" : " -"));
    return print;
}

VolumeDriveArray CHostDrives::Place(const Scan& scan, const VolumeDriveArray& current) {
    VolumeDriveArray next;
    next['C' - 'A'] = scan.system;
    // CD drives the media engine added itself stay, unless the scan lists the same device.
    for (int index = kCdFrom; index < 26; ++index) {
        const auto& drive = current[index];
        if (drive && drive->type == DRIVE_CDROM && drive->identity.isEmpty() &&
            std::none_of(scan.cdDrives.begin(), scan.cdDrives.end(),
                         [&drive](const VolumeDrive& cd) { return cd.device == drive->device; }))
            next[index] = drive;
    }
    QList<VolumeDrive> wanted = scan.configured + scan.cards + scan.cdDrives;
    QList<bool> placed(wanted.size(), false);
    const auto put = [&](qsizetype i, int index) {
        const auto& now = current[index];
        if (wanted[i].type == DRIVE_CDROM && !wanted[i].device.isEmpty() && now && now->type == DRIVE_CDROM &&
            now->device == wanted[i].device) {
            // The drive monitor's word on the disc in it stands until the drive itself changes.
            wanted[i].present = now->present;
            wanted[i].root = now->root;
            wanted[i].label = now->label;
        }
        wanted[i].letter = QChar('A' + index);
        next[index] = wanted[i];
        placed[i] = true;
        m_letters.Remember(wanted[i].identity, wanted[i].letter);
    };
    const auto same = [](const VolumeDrive& a, const VolumeDrive& b) {
        if (a.type != b.type)
            return false;
        if (!a.identity.isEmpty() || !b.identity.isEmpty())
            return a.identity == b.identity;
        // A CD drive's root is its disc's, which comes and goes.
        return a.device == b.device && (a.type == DRIVE_CDROM || a.root == b.root);
    };
    // A letter the configuration asks for comes first, then the letter a drive has now, then the
    // one it had before, then a free one.
    for (qsizetype i = 0; i < wanted.size(); ++i) {
        const int index = wanted[i].letter.isNull() ? -1 : wanted[i].letter.unicode() - 'A';
        if (index >= kCdFrom && index < 26 && !next[index])
            put(i, index);
    }
    for (qsizetype i = 0; i < wanted.size(); ++i) {
        for (int index = kCdFrom; index < 26 && !placed[i]; ++index) {
            if (current[index] && !next[index] && same(*current[index], wanted[i]))
                put(i, index);
        }
    }
    for (qsizetype i = 0; i < wanted.size(); ++i) {
        const QChar remembered = m_letters.LetterOf(wanted[i].identity);
        const int index = remembered.isNull() ? -1 : remembered.unicode() - 'A';
        if (!placed[i] && index >= kCdFrom && index < 26 && !next[index])
            put(i, index);
    }
    for (qsizetype i = 0; i < wanted.size(); ++i) {
        if (placed[i])
            continue;
        const int from = wanted[i].type == DRIVE_CDROM ? kCdFrom : kCardFrom;
        int index = FreeSlot(next, from, m_letters, wanted[i].identity, true);
        if (index < 0)
            index = FreeSlot(next, from, m_letters, wanted[i].identity, false);
        if (index >= 0)
            put(i, index);
        else
            qCWarning(lcPlatform).noquote()
                << "no free drive letter for" << (wanted[i].root.isEmpty() ? wanted[i].disc : wanted[i].root);
    }
    return next;
}
