#pragma once
// The state behind the player object: the CD drives and their discs, the library, the devices and
// the running rip. The player object owns it; the objects it hands out (drives, playlists, items,
// devices) share it, so they stay usable after the player is gone, but fire nothing then.
//
// Everything runs on the UI thread. Worker threads (disc reading, encoding) hand their results
// over with the message loop's RunOnUiThread.

#include "mediaengine/MediaEngine.h"
#include "mediaengine/cd/CdDisc.h"
#include "mediaengine/core/EngineEvents.h"
#include "platform/com/ComPtr.h"
#include "platform/windows/WindowProc.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class CCdPlaylist;
class CLibrary;
class CDeviceList;
class CRipSession;
class IMessageLoop;

class CEngine : public std::enable_shared_from_this<CEngine>, public IWindowProc {
public:
    explicit CEngine(MediaEngineConfig config);
    ~CEngine() override;
    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;

    // Opens the library, reads the devices and the drives, and starts the media poll.
    void Start();
    // Stops the rip and the poll and drops the event target: the player is going.
    void Shutdown();
    void SetEvents(IEngineEvents* events) { m_events = events; }
    IEngineEvents* Events() const { return m_events; }

    QString Version() const { return m_config.version; }
    int MajorVersion() const;
    // The call fails by the test's wish.
    bool Fails(const QString& call) const { return m_config.faults.failingCalls.contains(call); }
    void SetFaults(const MediaEngineFaults& faults) { m_config.faults = faults; }
    void SetRemote(bool remote) { m_remote = remote; }
    bool IsRemote() const { return m_remote; }

    // --- CD drives, in letter order ---------------------------------------------------------
    int CdDriveCount() const { return int(m_drives.size()); }
    QChar CdDriveLetter(int index) const;
    int CdDriveIndex(QChar letter) const;
    // The playlist of the disc now in the drive; null for a letter that is not a CD drive.
    ComPtr<CCdPlaylist> CdPlaylist(QChar letter) const;
    HRESULT Eject(QChar letter);
    // Compares the drives and devices.ini with what was seen last, and fires what changed.
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
    // Runs work on a later turn of the UI thread, unless the engine is gone by then.
    void Later(std::function<void(CEngine&)> work);

    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct DriveSlot {
        QChar letter;
        QString seen; // what the volume table said of the drive when it was last read
        std::shared_ptr<CCdDisc> disc;
        ComPtr<CCdPlaylist> playlist;
    };

    void ReadDrives(bool fireChanges);
    void LoadDisc(DriveSlot& slot, const QString& discPath);
    void CheckDevices(bool fireChanges);
    void RunDeletions();
    QString ResolveDisc(const QString& disc) const;

    MediaEngineConfig m_config;
    IEngineEvents* m_events = nullptr;
    IMessageLoop* m_loop = nullptr;
    bool m_remote = false;
    bool m_started = false;
    std::vector<DriveSlot> m_drives;
    std::shared_ptr<CLibrary> m_library;
    QString m_libraryError;
    std::unique_ptr<CDeviceList> m_devices;
    std::shared_ptr<CRipSession> m_rip;
    QStringList m_pendingDeletes;
    HWND m_pollWindow = nullptr;
};
