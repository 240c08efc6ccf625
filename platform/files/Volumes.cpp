#include "platform/files/Volumes.h"

#include "platform/files/DrivePaths.h"
#include "platform/files/HostError.h"
#include "platform/files/MountWatch.h"
#include "platform/files/SandboxDrives.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>

#include <sys/statvfs.h>

namespace {

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

bool HostSpace(const QString& path, quint64* freeBytes, quint64* totalBytes) {
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    *freeBytes = quint64(st.f_bavail) * st.f_frsize;
    *totalBytes = quint64(st.f_blocks) * st.f_frsize;
    return true;
}

} // namespace

CVolumes::CVolumes() = default;

CVolumes::~CVolumes() {
    StopFollowing();
}

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

bool CVolumes::SetCdDriveMedium(QChar letter, const QString& device, bool present, const QString& root,
                                const QString& label) {
    const int index = IndexOf(letter);
    std::lock_guard lock(m_mutex);
    if (index < 0 || !m_drives[index] || m_drives[index]->type != DRIVE_CDROM ||
        m_drives[index]->device != device)
        return false;
    m_drives[index]->present = present;
    m_drives[index]->root = root;
    m_drives[index]->label = label;
    return true;
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
    VolumeDriveArray drives;
    QString user;
    if (!CSandboxDrives::Load(sandboxDir, &drives, &user))
        return false;
    StopFollowing();
    std::lock_guard hostLock(m_hostMutex);
    std::lock_guard lock(m_mutex);
    m_drives = drives;
    m_mode = Mode::Sandbox;
    m_sandboxDir = QDir(sandboxDir).absolutePath();
    m_userName = user;
    m_host.reset();
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
    return CSandboxDrives::Save(dir, drives, user);
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
    return LoadHost(HostSources::ForUser());
}

bool CVolumes::LoadHost(const HostSources& sources) {
    auto host = std::make_shared<CHostDrives>(sources);
    if (!QFileInfo(host->Home()).isDir())
        return false;
    StopFollowing();
    {
        std::lock_guard hostLock(m_hostMutex);
        if (m_host)
            host->KeepLettersOf(*m_host);
        const QByteArray fingerprint = host->Fingerprint();
        const CHostDrives::Scan scan = host->Look();
        {
            std::lock_guard lock(m_mutex);
            // A second load (a card went in) keeps the CD drives the media engine added, and
            // every card still there keeps its letter, as Windows does.
            const VolumeDriveArray current = m_mode == Mode::Host ? m_drives : VolumeDriveArray{};
            m_drives = host->Place(scan, current);
            m_mode = Mode::Host;
            m_sandboxDir.clear();
            m_userName = qEnvironmentVariable("USER", QStringLiteral("user"));
        }
        host->SaveLetters();
        m_host = host;
        m_hostFingerprint = fingerprint;
    }
    return true;
}

bool CVolumes::RefreshHost() {
    std::lock_guard hostLock(m_hostMutex);
    if (!m_host)
        return false;
    m_hostFingerprint = m_host->Fingerprint();
    // The look reads files without the table's lock, so the window thread does not wait on it.
    const CHostDrives::Scan scan = m_host->Look();
    bool changed = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_mode != Mode::Host)
            return false;
        const VolumeDriveArray next = m_host->Place(scan, m_drives);
        for (int index = 0; index < 26 && !changed; ++index) {
            const auto& a = next[index];
            const auto& b = m_drives[index];
            changed =
                a.has_value() != b.has_value() ||
                (a && (a->root != b->root || a->device != b->device || a->present != b->present ||
                       a->label != b->label || a->identity != b->identity || a->readOnly != b->readOnly));
        }
        m_drives = next;
    }
    m_host->SaveLetters();
    return changed;
}

void CVolumes::FollowHost(int checkMs) {
    StopFollowing();
    auto watch = std::make_unique<CMountWatch>(
        [this] {
            std::lock_guard hostLock(m_hostMutex);
            return m_host ? m_host->MountsFile() : QString();
        }(),
        [this] {
            QByteArray fingerprint;
            {
                std::lock_guard hostLock(m_hostMutex);
                if (!m_host)
                    return;
                fingerprint = m_host->Fingerprint();
                if (fingerprint == m_hostFingerprint)
                    return;
            }
            RefreshHost();
        },
        checkMs);
    std::lock_guard hostLock(m_hostMutex);
    m_watch = std::move(watch);
}

void CVolumes::StopFollowing() {
    std::unique_ptr<CMountWatch> watch;
    {
        std::lock_guard hostLock(m_hostMutex);
        watch = std::move(m_watch);
    }
    // Joined without the lock: the watch's thread may be waiting for it.
    watch.reset();
}

QStringList CVolumes::HostWarnings() const {
    std::lock_guard hostLock(m_hostMutex);
    return m_host ? m_host->Warnings() : QStringList();
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
    QString root;
    QString host;
    if (const LONG error = CDrivePaths::HostOf(path, *drive, access == Access::Write, &root, &host);
        error != ERROR_SUCCESS)
        return error;
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
    return CDrivePaths::WinPathOf(hostPath, Drives(), winPath);
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
        // A size limit on a folder of a real file system: the file system may fill up first.
        quint64 hostFree = 0;
        quint64 hostTotal = 0;
        if (HostSpace(drive->root, &hostFree, &hostTotal))
            *freeBytes = std::min(*freeBytes, hostFree / kClusterBytes * kClusterBytes);
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
