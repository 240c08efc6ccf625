#pragma once
// The state behind the player object: the CD drives and their discs, the library, the devices and
// the running rip. The player object owns it; the objects it hands out (drives, playlists, items,
// devices) share it, so they stay usable after the player is gone, but fire nothing then.
//
// Everything runs on the UI thread. Worker threads (disc reading, encoding, the drive monitor) hand
// their results over with the message loop's RunOnUiThread.
//
// Two kinds of CD drive: a sandbox drive names a disc image in its `disc` field and is read when
// the media poll (or a test's CheckMedia) sees the field change; a physical drive (a `device` and
// no `disc`) is watched by the drive monitor's thread, which reads a new disc there and reports it.

#include "mediaengine/MediaEngine.h"
#include "mediaengine/cd/CdDisc.h"
#include "mediaengine/core/EngineEventQueue.h"
#include "mediaengine/core/EngineEvents.h"
#include "mediaengine/core/EngineFaults.h"
#include "platform/com/ComPtr.h"
#include "platform/windows/WindowProc.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class CCdPlaylist;
class CCdRootTable;
class CDriveMonitor;
class CLibrary;
class CVolumes;
struct DriveReport;
struct MonitoredDrive;
class CDeviceList;
class CRipSession;
class IMessageLoop;

class CEngine : public std::enable_shared_from_this<CEngine>, public IWindowProc {
public:
    explicit CEngine(MediaEngineConfig config);
    ~CEngine() override;
    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;

    // Opens the library, reads the devices and the drives, starts the media poll, lists the CD
    // drives' roots for the volume layer and, when there are physical drives, the drive monitor.
    void Start();
    // Stops the rip, the poll and the drive monitor and drops the event target: the player is going.
    void Shutdown();
    void SetEvents(IEngineEvents* events) { m_queue->SetTarget(events); }
    // The road of every event to the player's sinks.
    CEngineEventQueue& EventQueue() const { return *m_queue; }

    QString Version() const { return m_config.version; }
    int MajorVersion() const;
    // The calls that fail by the test's wish.
    const CEngineFaults& Faults() const { return m_faults; }
    void SetFaults(const MediaEngineFaults& faults) { m_faults.Set(faults); }
    void SetRemote(bool remote) { m_remote = remote; }
    bool IsRemote() const { return m_remote; }

    // --- CD drives, in letter order ---------------------------------------------------------
    int CdDriveCount() const { return int(m_drives.size()); }
    QChar CdDriveLetter(int index) const;
    int CdDriveIndex(QChar letter) const;
    // The playlist of the disc now in the drive; null for a letter that is not a CD drive.
    ComPtr<CCdPlaylist> CdPlaylist(QChar letter) const;
    // Sandbox drive: empties it at once and reports it on a later turn. Physical drive: the tray
    // opens on the monitor's thread and the monitor reports the empty drive.
    HRESULT Eject(QChar letter);
    // Compares the drives and devices.ini with what was seen last, and fires what changed. Never runs
    // inside itself: asked again while it tells what changed (a sink's nested loop runs the poll),
    // it looks once more when the first look is done.
    void CheckMedia();

    // --- rip --------------------------------------------------------------------------------
    HRESULT StartRip(QChar letter, bool selectedOnly);
    HRESULT StopRip(QChar letter);
    bool IsRipping() const;
    // The rip session tells it has ended.
    void RipEnded(CRipSession* session);

    // --- library ----------------------------------------------------------------------------
    // Null when the library could not be opened (LibraryError says why).
    std::shared_ptr<CLibrary> Library() const { return m_library; }
    QString LibraryError() const { return m_libraryError; }
    // Deletes a file removed from the library once no reader has it open and the library has not
    // taken the same path back; never within the call that asked for it.
    void DeleteFileLater(const QString& hostPath);
    int PendingDeletions() const { return int(m_pendingDeletes.size()); }

    // --- devices ----------------------------------------------------------------------------
    CDeviceList* Devices() const { return m_devices.get(); }
    ComPtr<IWMPSyncDevice> DeviceObject(const QString& deviceId);
    HRESULT SetDeviceConnected(const QString& deviceId, bool connected);
    HRESULT SetDeviceSyncState(const QString& deviceId, long state);
    // The sandbox's synchronisation failing on a device: DeviceSyncError with the library item of
    // mediaUrl (none when empty or not in the library).
    HRESULT RaiseDeviceSyncError(const QString& deviceId, const QString& mediaUrl);
    // Reports a device's new synchronisation state; a device that is to fail its synchronisation
    // reports the error on the next turn and stops.
    void SyncStateChanged(const QString& deviceId, long state);
    // Runs work on a later turn of the UI thread, unless the engine is gone by then.
    void Later(std::function<void(CEngine&)> work);

    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct DriveSlot {
        QChar letter;
        QString seen; // what the volume table said of the drive when it was last read
        std::shared_ptr<CCdDisc> disc;
        ComPtr<CCdPlaylist> playlist;
        QString device; // a physical drive's device node; empty for a sandbox drive
    };

    void ReadDrives(bool fireChanges);
    void LoadDisc(DriveSlot& slot, const QString& discPath);
    // Gives the slot its disc record (and a new playlist) and shows it in the drive's root.
    void SetDisc(DriveSlot& slot, std::shared_ptr<CCdDisc> disc);
    // The rip of this drive loses its disc.
    void DiscGoneFrom(QChar letter);
    // Starts the drive monitor when there are physical drives (or a test's probe), or tells the
    // running one which drives there are now.
    void UpdateMonitor();
    void StopMonitor();
    QList<MonitoredDrive> PhysicalDrives() const;
    // A report of the drive monitor, on the UI thread.
    void DriveReported(const DriveReport& report);
    void CheckDevices(bool fireChanges);
    void RunDeletions();
    QString ResolveDisc(const QString& disc) const;

    MediaEngineConfig m_config;
    CEngineFaults m_faults;
    std::shared_ptr<CEngineEventQueue> m_queue;
    bool m_checking = false;
    bool m_checkAgain = false;
    IMessageLoop* m_loop = nullptr;
    bool m_remote = false;
    bool m_started = false;
    bool m_stopped = false;
    std::vector<DriveSlot> m_drives;
    std::shared_ptr<CLibrary> m_library;
    QString m_libraryError;
    std::unique_ptr<CDeviceList> m_devices;
    std::shared_ptr<CRipSession> m_rip;
    QStringList m_pendingDeletes;
    HWND m_pollWindow = nullptr;
    std::unique_ptr<CDriveMonitor> m_monitor;
    unsigned m_monitorRun = 0; // tells a report of an earlier monitor from one of the current
    // Lives as long as the lister that reads it, which the volume table may keep a moment longer.
    std::shared_ptr<CCdRootTable> m_cdRoots;
    CVolumes* m_listerVolumes = nullptr; // where this engine's lister is installed
};
