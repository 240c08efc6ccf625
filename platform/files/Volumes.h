#pragma once
// The drive table: the letters C: to Z: the program sees, each mapped onto a folder of the host.
// Two ways to fill it: a sandbox directory described by sandbox.ini (tests and the demo: drives
// are folders, a card can be pulled or fill up), or the host's own home folder and mounted
// removable media. This layer alone turns Windows paths into host paths, and it refuses every path
// that would leave its drive root.
//
// Thread-safe: the SD copy worker converts paths and copies while the UI thread may change the
// table (a card pulled, a label changed).

#include "platform/files/WinPath.h"
#include "platform/win/WinTypes.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <mutex>
#include <optional>

class CVolumes {
public:
    struct Drive {
        QChar letter;
        UINT type = DRIVE_FIXED;
        QString label;
        DWORD serial = 0;
        QString fileSystem = QStringLiteral("FAT32");
        // Host folder that is the drive's root; empty when its contents are not reachable as files
        // (a CD drive read through the media engine only).
        QString root;
        // False for a pulled card or an empty CD drive: the letter stays, the files do not.
        bool present = true;
        // Size of the medium in bytes. Without it the host file system's own numbers are reported.
        std::optional<quint64> capacity;
        // CD drives: the disc image in the drive (sandbox) or the host device node.
        QString disc;
        QString device;
    };

    // Where LoadHost reads the machine's state; tests point it at a fake tree.
    struct HostSources {
        QString home;
        QString mounts = QStringLiteral("/proc/self/mounts");
        QString sysBlock = QStringLiteral("/sys/block");
        QString byLabel = QStringLiteral("/dev/disk/by-label");
        QString byUuid = QStringLiteral("/dev/disk/by-uuid");
    };

    // Supplies the root listing of a CD drive that holds an audio disc (Track01.cda...); nullopt
    // when the drive holds no audio disc and its host folder (if any) should be listed instead.
    using CdRootLister = std::function<std::optional<QStringList>(QChar letter)>;

    // A drive path resolved to the host: the drive it lies on and the host path, checked to lie
    // inside the drive's root.
    struct Resolved {
        CWinPath path;
        Drive drive;
        QString hostRoot; // canonical
        QString host;
    };
    enum class Access { Read, Write };

    // Medium geometry reported for every drive: 4096-byte clusters of 8 sectors of 512 bytes.
    static constexpr DWORD kBytesPerSector = 512;
    static constexpr DWORD kSectorsPerCluster = 8;
    static constexpr quint64 kClusterBytes = quint64(kBytesPerSector) * kSectorsPerCluster;

    CVolumes() = default;
    CVolumes(const CVolumes&) = delete;
    CVolumes& operator=(const CVolumes&) = delete;

    // --- the table -------------------------------------------------------------------------
    // Adds or replaces the drive of drive.letter (C to Z). False for any other letter.
    bool SetDrive(const Drive& drive);
    bool RemoveDrive(QChar letter);
    void Clear();
    std::optional<Drive> DriveOf(QChar letter) const;
    QList<Drive> Drives() const;
    bool SetPresent(QChar letter, bool present);
    bool SetLabel(QChar letter, const QString& label);
    bool SetCapacity(QChar letter, std::optional<quint64> bytes);
    bool SetDisc(QChar letter, const QString& disc);
    // Lists a CD drive at the first free letter from D: on; returns the letter, or a null QChar
    // when every letter is taken.
    QChar AddCdDrive(const QString& device, const QString& label = QString(),
                     const QString& root = QString());
    void SetCdRootLister(CdRootLister lister);
    // The lister's answer for a CD drive; nullopt without a lister or for other drives.
    std::optional<QStringList> CdRootListing(QChar letter) const;

    // --- filling it ------------------------------------------------------------------------
    // Reads sandboxDir/sandbox.ini. False (and the table unchanged) when the file is missing or
    // describes a drive badly. Missing drive folders are created.
    bool LoadSandbox(const QString& sandboxDir);
    // Writes the drive groups and the user back to sandbox.ini, keeping any other group.
    bool SaveSandbox() const;
    QString SandboxDir() const;
    bool IsSandbox() const;
    bool LoadHost();
    bool LoadHost(const HostSources& sources);
    QString UserName() const;
    void SetUserName(const QString& name);

    // --- paths -----------------------------------------------------------------------------
    // Windows path to host path; see ToHostPath below for the errors.
    LONG Resolve(const QString& winPath, Resolved* resolved, Access access = Access::Read,
                 CWinPath::Wildcards wildcards = CWinPath::Wildcards::Refuse) const;
    LONG ToHostPath(const QString& winPath, QString* hostPath) const;
    // Host path to the Windows path of the present drive whose root holds it.
    LONG FromHostPath(const QString& hostPath, QString* winPath) const;

    // --- space -----------------------------------------------------------------------------
    LONG DiskSpace(QChar letter, quint64* freeBytes, quint64* totalBytes) const;
    // Bytes a file of this size takes on a medium: whole clusters.
    static quint64 ClusterRounded(quint64 bytes);

    // --- known folders ---------------------------------------------------------------------
    // CSIDL_PERSONAL or CSIDL_MYMUSIC as a Windows path; S_OK, E_INVALIDARG for another folder,
    // E_FAIL when the folder is missing (and create is false) or cannot be made.
    HRESULT KnownFolder(int csidl, bool create, QString* winPath) const;

private:
    enum class Mode { Manual, Sandbox, Host };

    static int IndexOf(QChar letter);

    mutable std::mutex m_mutex;
    std::array<std::optional<Drive>, 26> m_drives;
    CdRootLister m_cdLister;
    Mode m_mode = Mode::Manual;
    QString m_sandboxDir;
    QString m_userName = QStringLiteral("user");
};

// Win32-style access through CPlatform::Current().volumes. Each sets the thread's last error.
DWORD GetLogicalDrives();
// "E:\" or "E:" (also "E:/"). DRIVE_NO_ROOT_DIR for a letter that is not mapped.
UINT GetDriveType(const QString& root);
BOOL GetVolumeInformation(const QString& root, QString* label, DWORD* serial, DWORD* maxComponentLength,
                          DWORD* fileSystemFlags, QString* fileSystemName);
BOOL GetDiskFreeSpace(const QString& root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                      DWORD* freeClusters, DWORD* totalClusters);
// Takes a root or any folder on the drive.
BOOL GetDiskFreeSpaceEx(const QString& path, ULONGLONG* freeBytesAvailable, ULONGLONG* totalBytes,
                        ULONGLONG* totalFreeBytes);

// Windows path to host path. Errors: ERROR_BAD_PATHNAME for a relative path or ".." above the
// root, ERROR_INVALID_NAME for a forbidden character, ERROR_INVALID_DRIVE for a letter that is not
// mapped or whose root folder is missing, ERROR_NOT_READY for an absent medium, ERROR_ACCESS_DENIED
// for a path that a host symbolic link leads out of the drive root.
LONG ToHostPath(const QString& winPath, QString* hostPath);
LONG FromHostPath(const QString& hostPath, QString* winPath);
// The host path for code that opens a QFile itself; empty (last error set) when refused.
QString HostPathOf(const QString& winPath);
