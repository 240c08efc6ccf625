#include "platform/files/Volumes.h"

#include "platform/Platform.h"
#include "platform/files/HostError.h"
#include "platform/files/MountNames.h"
#include "platform/win/LastError.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>

#include <sys/stat.h>
#include <sys/statvfs.h>

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

bool LstatExists(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool IsInside(const QString& canonical, const QString& canonicalRoot) {
    if (canonical == canonicalRoot)
        return true;
    const QString prefix =
        canonicalRoot.endsWith(QLatin1Char('/')) ? canonicalRoot : canonicalRoot + QLatin1Char('/');
    return canonical.startsWith(prefix);
}

// Host paths are case-sensitive and this layer does not fold case: "E:\Music" and "E:\music" are
// two different names here, unlike on a FAT card under Windows. The program always reuses the
// names it listed or created, so it never depends on folding.
QString JoinHost(const QString& root, const QString& relative) {
    if (relative.isEmpty())
        return root;
    return root.endsWith(QLatin1Char('/')) ? root + relative : root + QLatin1Char('/') + relative;
}

quint64 UsedBytes(const QString& root) {
    quint64 used = 0;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink())
            continue;
        used += info.isDir() ? CVolumes::kClusterBytes : CVolumes::ClusterRounded(quint64(info.size()));
    }
    return used;
}

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

// For every device name (sdb1) the name of the link pointing at it in a /dev/disk/by-* folder.
QHash<QString, QString> LinksByDevice(const QString& folder) {
    QHash<QString, QString> result;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString target = entry.symLinkTarget();
        if (!target.isEmpty())
            result.insert(QFileInfo(target).fileName(), CMountNames::FromLabelLink(entry.fileName()));
    }
    return result;
}

QString ReadFirstLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readLine()).trimmed();
}

// The whole-disk name in sysfs for a partition name: sdb1 -> sdb, mmcblk0p1 -> mmcblk0.
QString DiskOf(const QString& sysBlock, const QString& name) {
    if (QFileInfo(sysBlock + QLatin1Char('/') + name).exists())
        return name;
    QString disk = name;
    while (!disk.isEmpty() && disk.back().isDigit())
        disk.chop(1);
    if (disk.size() < name.size() && disk.endsWith(QLatin1Char('p')) && disk.size() > 1 &&
        disk.at(disk.size() - 2).isDigit())
        disk.chop(1);
    return disk;
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

bool HostSpace(const QString& path, quint64* freeBytes, quint64* totalBytes) {
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    *freeBytes = quint64(st.f_bavail) * st.f_frsize;
    *totalBytes = quint64(st.f_blocks) * st.f_frsize;
    return true;
}

} // namespace

// --- the table ------------------------------------------------------------------------------

int CVolumes::IndexOf(QChar letter) {
    const QChar upper = letter.toUpper();
    if (upper < QLatin1Char('A') || upper > QLatin1Char('Z'))
        return -1;
    return upper.unicode() - 'A';
}

bool CVolumes::SetDrive(const Drive& drive) {
    const int index = IndexOf(drive.letter);
    if (index < 2) // A: and B: are floppy letters the program never looks at
        return false;
    std::lock_guard lock(m_mutex);
    Drive copy = drive;
    copy.letter = drive.letter.toUpper();
    m_drives[index] = copy;
    return true;
}

bool CVolumes::RemoveDrive(QChar letter) {
    const int index = IndexOf(letter);
    std::lock_guard lock(m_mutex);
    if (index < 0 || !m_drives[index])
        return false;
    m_drives[index].reset();
    return true;
}

void CVolumes::Clear() {
    std::lock_guard lock(m_mutex);
    for (auto& drive : m_drives)
        drive.reset();
}

std::optional<CVolumes::Drive> CVolumes::DriveOf(QChar letter) const {
    const int index = IndexOf(letter);
    if (index < 0)
        return std::nullopt;
    std::lock_guard lock(m_mutex);
    return m_drives[index];
}

QList<CVolumes::Drive> CVolumes::Drives() const {
    std::lock_guard lock(m_mutex);
    QList<Drive> result;
    for (const auto& drive : m_drives) {
        if (drive)
            result.append(*drive);
    }
    return result;
}

bool CVolumes::SetPresent(QChar letter, bool present) {
    const int index = IndexOf(letter);
    std::lock_guard lock(m_mutex);
    if (index < 0 || !m_drives[index])
        return false;
    m_drives[index]->present = present;
    return true;
}

bool CVolumes::SetLabel(QChar letter, const QString& label) {
    const int index = IndexOf(letter);
    std::lock_guard lock(m_mutex);
    if (index < 0 || !m_drives[index])
        return false;
    m_drives[index]->label = label;
    return true;
}

bool CVolumes::SetCapacity(QChar letter, std::optional<quint64> bytes) {
    const int index = IndexOf(letter);
    std::lock_guard lock(m_mutex);
    if (index < 0 || !m_drives[index])
        return false;
    m_drives[index]->capacity = bytes;
    return true;
}

bool CVolumes::SetDisc(QChar letter, const QString& disc) {
    const int index = IndexOf(letter);
    std::lock_guard lock(m_mutex);
    if (index < 0 || !m_drives[index])
        return false;
    m_drives[index]->disc = disc;
    return true;
}

QChar CVolumes::AddCdDrive(const QString& device, const QString& label, const QString& root) {
    std::lock_guard lock(m_mutex);
    for (int index = 'D' - 'A'; index < 26; ++index) {
        if (m_drives[index])
            continue;
        Drive drive;
        drive.letter = QChar('A' + index);
        drive.type = DRIVE_CDROM;
        drive.label = label;
        drive.fileSystem = QStringLiteral("CDFS");
        drive.device = device;
        drive.root = root;
        m_drives[index] = drive;
        return drive.letter;
    }
    return QChar();
}

void CVolumes::SetCdRootLister(CdRootLister lister) {
    std::lock_guard lock(m_mutex);
    m_cdLister = std::move(lister);
}

std::optional<QStringList> CVolumes::CdRootListing(QChar letter) const {
    CdRootLister lister;
    {
        std::lock_guard lock(m_mutex);
        const int index = IndexOf(letter);
        if (index < 0 || !m_drives[index] || m_drives[index]->type != DRIVE_CDROM || !m_cdLister)
            return std::nullopt;
        lister = m_cdLister;
    }
    // Called without the lock: the engine behind it may well ask this table something.
    return lister(letter.toUpper());
}

// --- filling it -----------------------------------------------------------------------------

bool CVolumes::LoadSandbox(const QString& sandboxDir) {
    const QString dir = QDir(sandboxDir).absolutePath();
    const QString iniPath = dir + QLatin1Char('/') + kIniName;
    if (!QFileInfo(iniPath).isFile())
        return false;
    QSettings ini(iniPath, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError)
        return false;

    std::array<std::optional<Drive>, 26> drives;
    for (const QString& group : ini.childGroups()) {
        if (!group.startsWith(kDriveGroup, Qt::CaseInsensitive))
            continue;
        const QString letterText = group.mid(kDriveGroup.size());
        const int index = letterText.size() == 1 ? IndexOf(letterText.at(0)) : -1;
        if (index < 2)
            return false;
        ini.beginGroup(group);
        Drive drive;
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

    std::lock_guard lock(m_mutex);
    m_drives = drives;
    m_mode = Mode::Sandbox;
    m_sandboxDir = dir;
    m_userName = user.isEmpty() ? QStringLiteral("user") : user;
    return true;
}

bool CVolumes::SaveSandbox() const {
    QList<Drive> drives;
    QString dir;
    QString user;
    {
        std::lock_guard lock(m_mutex);
        if (m_mode != Mode::Sandbox)
            return false;
        dir = m_sandboxDir;
        user = m_userName;
        for (const auto& drive : m_drives) {
            if (drive)
                drives.append(*drive);
        }
    }
    QSettings ini(dir + QLatin1Char('/') + kIniName, QSettings::IniFormat);
    // Other groups (the media engine's devices, say) live in the same file and stay.
    for (const QString& group : ini.childGroups()) {
        if (group.startsWith(kDriveGroup, Qt::CaseInsensitive))
            ini.remove(group);
    }
    const QDir base(dir);
    for (const Drive& drive : drives) {
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

QString CVolumes::SandboxDir() const {
    std::lock_guard lock(m_mutex);
    return m_mode == Mode::Sandbox ? m_sandboxDir : QString();
}

bool CVolumes::IsSandbox() const {
    std::lock_guard lock(m_mutex);
    return m_mode == Mode::Sandbox;
}

QString CVolumes::UserName() const {
    std::lock_guard lock(m_mutex);
    return m_userName;
}

void CVolumes::SetUserName(const QString& name) {
    std::lock_guard lock(m_mutex);
    m_userName = name;
}

bool CVolumes::LoadHost() {
    return LoadHost(HostSources{});
}

bool CVolumes::LoadHost(const HostSources& sources) {
    const QString home = sources.home.isEmpty() ? QDir::homePath() : sources.home;
    if (!QFileInfo(home).isDir())
        return false;

    struct Mount {
        QString device;
        QString point;
        QString type;
    };
    QList<Mount> mounts;
    QFile mountsFile(sources.mounts);
    if (mountsFile.open(QIODevice::ReadOnly)) {
        while (!mountsFile.atEnd()) {
            const QList<QByteArray> fields = mountsFile.readLine().simplified().split(' ');
            if (fields.size() >= 3)
                mounts.append({CMountNames::FromMountField(fields[0]), CMountNames::FromMountField(fields[1]),
                               QString::fromUtf8(fields[2])});
        }
    }

    std::array<std::optional<Drive>, 26> drives;

    Drive system;
    system.letter = QLatin1Char('C');
    system.type = DRIVE_FIXED;
    system.root = home;
    // The file system that holds the home folder: the longest mount point above it.
    int best = -1;
    for (const Mount& m : mounts) {
        if (IsInside(home, m.point) && m.point.size() > best) {
            best = int(m.point.size());
            system.fileSystem = FileSystemDisplayName(m.type);
        }
    }
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(home).constData(), &st) == 0)
        system.serial = DWORD(st.f_fsid);
    drives['C' - 'A'] = system;

    const QHash<QString, QString> labels = LinksByDevice(sources.byLabel);
    const QHash<QString, QString> uuids = LinksByDevice(sources.byUuid);
    QStringList seen;
    QList<Drive> cards;
    for (const Mount& m : mounts) {
        if (!m.device.startsWith(QLatin1String("/dev/")))
            continue;
        if (m.type == QLatin1String("iso9660") || m.type == QLatin1String("udf"))
            continue; // optical media are listed as CD drives by the media engine
        const QString canonical = QFileInfo(m.device).canonicalFilePath();
        const QString name = QFileInfo(canonical.isEmpty() ? m.device : canonical).fileName();
        if (seen.contains(name) || name.startsWith(QLatin1String("sr")))
            continue;
        const QString disk = DiskOf(sources.sysBlock, name);
        const QString diskDir = sources.sysBlock + QLatin1Char('/') + disk;
        bool removable = ReadFirstLine(diskDir + QStringLiteral("/removable")) == QLatin1String("1");
        // SD slots on the MMC bus report removable=0 even though the card comes out; an eMMC
        // soldered on the board says "MMC" here instead of "SD".
        if (disk.startsWith(QLatin1String("mmcblk")) &&
            ReadFirstLine(diskDir + QStringLiteral("/device/type")) == QLatin1String("SD"))
            removable = true;
        if (!removable || IsInside(home, m.point))
            continue;
        seen.append(name);
        Drive drive;
        drive.type = DRIVE_REMOVABLE;
        drive.root = m.point;
        drive.device = m.device;
        drive.fileSystem = FileSystemDisplayName(m.type);
        drive.label = labels.value(name, QFileInfo(m.point).fileName());
        drive.serial = SerialFromUuid(uuids.value(name));
        cards.append(drive);
    }

    std::lock_guard lock(m_mutex);
    // A second load (a card went in) keeps the CD drives the media engine added, and every card
    // that is still there keeps its letter, as Windows does; new cards take free letters from E:.
    const bool reload = m_mode == Mode::Host;
    for (int index = 2; index < 26 && reload; ++index) {
        if (index != 'C' - 'A' && m_drives[index] && m_drives[index]->type == DRIVE_CDROM)
            drives[index] = m_drives[index];
    }
    QList<Drive> unplaced;
    for (Drive& card : cards) {
        int previous = -1;
        for (int index = 3; index < 26 && reload; ++index) {
            if (m_drives[index] && m_drives[index]->type == DRIVE_REMOVABLE &&
                m_drives[index]->device == card.device && m_drives[index]->root == card.root &&
                !drives[index])
                previous = index;
        }
        if (previous < 0) {
            unplaced.append(card);
            continue;
        }
        card.letter = QChar('A' + previous);
        drives[previous] = card;
    }
    int next = 'E' - 'A';
    for (Drive& card : unplaced) {
        while (next < 26 && drives[next])
            ++next;
        if (next >= 26)
            break;
        card.letter = QChar('A' + next);
        drives[next] = card;
    }

    m_drives = drives;
    m_mode = Mode::Host;
    m_sandboxDir.clear();
    m_userName = qEnvironmentVariable("USER", QStringLiteral("user"));
    return true;
}

// --- paths ----------------------------------------------------------------------------------

LONG CVolumes::Resolve(const QString& winPath, Resolved* resolved, Access access,
                       CWinPath::Wildcards wildcards) const {
    CWinPath path;
    if (const LONG error = CWinPath::Parse(winPath, &path, wildcards); error != ERROR_SUCCESS)
        return error;
    const std::optional<Drive> drive = DriveOf(path.Letter());
    if (!drive)
        return ERROR_INVALID_DRIVE;
    if (!drive->present)
        return ERROR_NOT_READY;
    if (access == Access::Write && drive->type == DRIVE_CDROM)
        return ERROR_ACCESS_DENIED;
    if (drive->root.isEmpty())
        return drive->type == DRIVE_CDROM ? ERROR_NOT_READY : ERROR_INVALID_DRIVE;
    const QFileInfo rootInfo(drive->root);
    const QString root = rootInfo.canonicalFilePath();
    if (root.isEmpty() || !rootInfo.isDir())
        return ERROR_INVALID_DRIVE;

    const QString host = JoinHost(root, path.Relative());
    // ".." was resolved on the text already; what is left is a symbolic link inside the root that
    // leads out of it. Check the deepest part of the path that exists (lstat: a dangling link
    // counts as existing and is refused, since nobody can say where a file made through it lands).
    CWinPath probe = path;
    if (CWinPath::HasWildcards(probe.Leaf()))
        probe = probe.Parent();
    while (!probe.IsRoot() && !LstatExists(JoinHost(root, probe.Relative())))
        probe = probe.Parent();
    if (!probe.IsRoot()) {
        const QString canonical = QFileInfo(JoinHost(root, probe.Relative())).canonicalFilePath();
        if (canonical.isEmpty() || !IsInside(canonical, root))
            return ERROR_ACCESS_DENIED;
    }
    // The check and the later use are not atomic: a link swapped in between would slip through.
    // The drive folders belong to the user running the program, so nobody else can do that.
    resolved->path = path;
    resolved->drive = *drive;
    resolved->hostRoot = root;
    resolved->host = host;
    return ERROR_SUCCESS;
}

LONG CVolumes::ToHostPath(const QString& winPath, QString* hostPath) const {
    Resolved resolved;
    const LONG error = Resolve(winPath, &resolved);
    if (error == ERROR_SUCCESS)
        *hostPath = resolved.host;
    return error;
}

LONG CVolumes::FromHostPath(const QString& hostPath, QString* winPath) const {
    // Canonicalise the part that exists so links and "." pieces do not hide which drive it is on.
    QString existing = QDir::cleanPath(QFileInfo(hostPath).absoluteFilePath());
    QString tail;
    while (!QFileInfo::exists(existing)) {
        const int slash = int(existing.lastIndexOf(QLatin1Char('/')));
        if (slash <= 0)
            return ERROR_PATH_NOT_FOUND;
        tail = existing.mid(slash) + tail;
        existing = existing.left(slash);
    }
    const QString canonical = QFileInfo(existing).canonicalFilePath() + tail;

    std::optional<Drive> best;
    QString bestRoot;
    for (const Drive& drive : Drives()) {
        if (!drive.present || drive.root.isEmpty())
            continue;
        const QString root = QFileInfo(drive.root).canonicalFilePath();
        if (!root.isEmpty() && IsInside(canonical, root) && root.size() > bestRoot.size()) {
            best = drive;
            bestRoot = root;
        }
    }
    if (!best)
        return ERROR_PATH_NOT_FOUND;
    QString relative = canonical.mid(bestRoot.size());
    while (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    *winPath =
        QString(best->letter) + QLatin1String(":\\") + relative.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return ERROR_SUCCESS;
}

// --- space ----------------------------------------------------------------------------------

quint64 CVolumes::ClusterRounded(quint64 bytes) {
    return (bytes + kClusterBytes - 1) / kClusterBytes * kClusterBytes;
}

LONG CVolumes::DiskSpace(QChar letter, quint64* freeBytes, quint64* totalBytes) const {
    const std::optional<Drive> drive = DriveOf(letter);
    if (!drive)
        return ERROR_INVALID_DRIVE;
    if (!drive->present)
        return ERROR_NOT_READY;
    if (drive->root.isEmpty()) {
        // An audio CD: nothing to write to, like Windows reports it.
        *freeBytes = 0;
        *totalBytes = drive->capacity.value_or(0);
        return drive->type == DRIVE_CDROM ? ERROR_SUCCESS : ERROR_INVALID_DRIVE;
    }
    if (!QFileInfo(drive->root).isDir())
        return ERROR_INVALID_DRIVE;
    if (drive->capacity) {
        const quint64 total = *drive->capacity / kClusterBytes * kClusterBytes;
        const quint64 used = UsedBytes(drive->root);
        *totalBytes = total;
        *freeBytes = used < total ? total - used : 0;
        return ERROR_SUCCESS;
    }
    if (!HostSpace(drive->root, freeBytes, totalBytes))
        return CHostError::FromErrno(errno);
    return ERROR_SUCCESS;
}

// --- known folders --------------------------------------------------------------------------

HRESULT CVolumes::KnownFolder(int csidl, bool create, QString* winPath) const {
    if (csidl != CSIDL_PERSONAL && csidl != CSIDL_MYMUSIC)
        return E_INVALIDARG;
    Mode mode;
    QString user;
    {
        std::lock_guard lock(m_mutex);
        mode = m_mode;
        user = m_userName;
    }
    QString path;
    if (mode == Mode::Host) {
        const QString host = QStandardPaths::writableLocation(
            csidl == CSIDL_PERSONAL ? QStandardPaths::DocumentsLocation : QStandardPaths::MusicLocation);
        // Only folders below the home folder (drive C:) can be named with a drive letter.
        if (host.isEmpty() || FromHostPath(host, &path) != ERROR_SUCCESS)
            return E_FAIL;
    } else {
        path =
            QStringLiteral("C:\\Users\\%1\\%2")
                .arg(user, csidl == CSIDL_PERSONAL ? QStringLiteral("Documents") : QStringLiteral("Music"));
    }
    Resolved resolved;
    if (Resolve(path, &resolved) != ERROR_SUCCESS)
        return E_FAIL;
    if (!QFileInfo(resolved.host).isDir()) {
        if (!create || !QDir().mkpath(resolved.host))
            return E_FAIL;
    }
    *winPath = resolved.path.ToString();
    return S_OK;
}

// --- Win32-style functions ------------------------------------------------------------------

namespace {

CVolumes* Current() {
    return CPlatform::Current().volumes;
}

// "E:", "E:\" or "E:/" and nothing more.
std::optional<QChar> RootLetter(const QString& root) {
    if (root.size() < 2 || root.size() > 3 || root.at(1) != QLatin1Char(':'))
        return std::nullopt;
    if (root.size() == 3 && root.at(2) != QLatin1Char('\\') && root.at(2) != QLatin1Char('/'))
        return std::nullopt;
    const QChar letter = root.at(0).toUpper();
    if (letter < QLatin1Char('A') || letter > QLatin1Char('Z'))
        return std::nullopt;
    return letter;
}

BOOL Fail(LONG error) {
    SetLastError(DWORD(error));
    return FALSE;
}

} // namespace

DWORD GetLogicalDrives() {
    CVolumes* volumes = Current();
    if (!volumes) {
        SetLastError(ERROR_NOT_READY);
        return 0;
    }
    DWORD mask = 0;
    for (const CVolumes::Drive& drive : volumes->Drives())
        mask |= DWORD(1) << (drive.letter.unicode() - 'A');
    SetLastError(ERROR_SUCCESS);
    return mask;
}

UINT GetDriveType(const QString& root) {
    CVolumes* volumes = Current();
    const std::optional<QChar> letter = RootLetter(root);
    if (!volumes || !letter)
        return DRIVE_NO_ROOT_DIR;
    const std::optional<CVolumes::Drive> drive = volumes->DriveOf(*letter);
    return drive ? drive->type : DRIVE_NO_ROOT_DIR;
}

BOOL GetVolumeInformation(const QString& root, QString* label, DWORD* serial, DWORD* maxComponentLength,
                          DWORD* fileSystemFlags, QString* fileSystemName) {
    CVolumes* volumes = Current();
    const std::optional<QChar> letter = RootLetter(root);
    if (!volumes || !letter)
        return Fail(ERROR_INVALID_NAME);
    const std::optional<CVolumes::Drive> drive = volumes->DriveOf(*letter);
    if (!drive)
        return Fail(ERROR_PATH_NOT_FOUND);
    if (!drive->present)
        return Fail(ERROR_NOT_READY);
    if (label)
        *label = drive->label;
    if (serial)
        *serial = drive->serial;
    if (maxComponentLength)
        *maxComponentLength = 255;
    if (fileSystemFlags) {
        *fileSystemFlags = FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK;
        if (drive->type == DRIVE_CDROM)
            *fileSystemFlags |= FILE_READ_ONLY_VOLUME;
    }
    if (fileSystemName)
        *fileSystemName = drive->fileSystem;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL GetDiskFreeSpace(const QString& root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                      DWORD* freeClusters, DWORD* totalClusters) {
    CVolumes* volumes = Current();
    const std::optional<QChar> letter = RootLetter(root);
    if (!volumes || !letter)
        return Fail(ERROR_INVALID_NAME);
    quint64 freeBytes = 0;
    quint64 totalBytes = 0;
    if (const LONG error = volumes->DiskSpace(*letter, &freeBytes, &totalBytes); error != ERROR_SUCCESS)
        return Fail(error == ERROR_INVALID_DRIVE ? ERROR_PATH_NOT_FOUND : error);
    // Cluster counts are 32-bit: a volume beyond 16 TiB reports 16 TiB.
    const auto clusters = [](quint64 bytes) {
        return DWORD(std::min<quint64>(bytes / CVolumes::kClusterBytes, 0xFFFFFFFFu));
    };
    if (sectorsPerCluster)
        *sectorsPerCluster = CVolumes::kSectorsPerCluster;
    if (bytesPerSector)
        *bytesPerSector = CVolumes::kBytesPerSector;
    if (freeClusters)
        *freeClusters = clusters(freeBytes);
    if (totalClusters)
        *totalClusters = clusters(totalBytes);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL GetDiskFreeSpaceEx(const QString& path, ULONGLONG* freeBytesAvailable, ULONGLONG* totalBytes,
                        ULONGLONG* totalFreeBytes) {
    CVolumes* volumes = Current();
    if (!volumes)
        return Fail(ERROR_NOT_READY);
    CVolumes::Resolved resolved;
    if (const LONG error = volumes->Resolve(path, &resolved); error != ERROR_SUCCESS)
        return Fail(error);
    if (!QFileInfo(resolved.host).isDir())
        return Fail(ERROR_PATH_NOT_FOUND);
    quint64 freeBytes = 0;
    quint64 total = 0;
    if (const LONG error = volumes->DiskSpace(resolved.path.Letter(), &freeBytes, &total);
        error != ERROR_SUCCESS)
        return Fail(error);
    if (freeBytesAvailable)
        *freeBytesAvailable = freeBytes;
    if (totalBytes)
        *totalBytes = total;
    if (totalFreeBytes)
        *totalFreeBytes = freeBytes;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

LONG ToHostPath(const QString& winPath, QString* hostPath) {
    CVolumes* volumes = Current();
    const LONG error = volumes ? volumes->ToHostPath(winPath, hostPath) : ERROR_INVALID_DRIVE;
    SetLastError(DWORD(error));
    return error;
}

LONG FromHostPath(const QString& hostPath, QString* winPath) {
    CVolumes* volumes = Current();
    const LONG error = volumes ? volumes->FromHostPath(hostPath, winPath) : ERROR_PATH_NOT_FOUND;
    SetLastError(DWORD(error));
    return error;
}

QString HostPathOf(const QString& winPath) {
    QString host;
    if (ToHostPath(winPath, &host) != ERROR_SUCCESS)
        return QString();
    return host;
}
