#pragma once
// The drive table: the letters C: to Z: the program sees, each mapped onto a folder of the host.
// Two ways to fill it: a sandbox directory described by sandbox.ini (tests and the demo: drives
// are folders, a card can be pulled or fill up; CSandboxDrives), or the user's own machine
// (CHostDrives), whose table can follow the mount table while the program runs. This layer alone
// turns Windows paths into host paths (CDrivePaths), and it refuses every path that would leave
// its drive root. The Win32 calls on it are in VolumeCalls.h.
//
// Thread-safe: the SD copy worker converts paths and copies while the UI thread may change the
// table (a card pulled, a label changed).

#include "platform/files/HostDrives.h"
#include "platform/files/VolumeCalls.h"
#include "platform/files/VolumeDrive.h"
#include "platform/files/WinPath.h"
#include "platform/win/WinTypes.h"

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class CMountWatch;

class CVolumes {
public:
    using Drive = VolumeDrive;
    using HostSources = ::HostSources;

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

    CVolumes();
    ~CVolumes(); // stops following the mount table
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
    // What is in the CD drive at letter now: whether a disc is in, where its files are mounted and
    // its label. Changes nothing (false) when the letter holds no CD drive of that device any more:
    // the drive was pulled or replaced while the news was on its way.
    bool SetCdDriveMedium(QChar letter, const QString& device, bool present, const QString& root,
                          const QString& label);
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
    // The user's machine (HostSources::ForUser). False when the home folder is missing.
    bool LoadHost();
    bool LoadHost(const HostSources& sources);
    // Host mode: reads the machine's state again and updates the table; true when it changed.
    // Cards keep their letters, the CD drives the media engine added stay.
    bool RefreshHost();
    // Host mode: from now on the table follows the mount table, on a thread of its own, looking
    // at most every checkMs unless the kernel flags a change. Stops with the table or a new load.
    void FollowHost(int checkMs = 2000);
    // What was wrong with the drive configuration file at the last host load.
    QStringList HostWarnings() const;
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
    void StopFollowing();

    mutable std::mutex m_mutex;
    VolumeDriveArray m_drives;
    CdRootLister m_cdLister;
    Mode m_mode = Mode::Manual;
    QString m_sandboxDir;
    QString m_userName = QStringLiteral("user");

    // Host mode. m_hostMutex keeps one look at the machine at a time; it is taken before m_mutex.
    mutable std::mutex m_hostMutex;
    std::shared_ptr<CHostDrives> m_host;
    QByteArray m_hostFingerprint;
    std::unique_ptr<CMountWatch> m_watch;
};
