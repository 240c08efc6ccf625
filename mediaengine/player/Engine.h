#pragma once
// The state behind the player object, as four services the player's objects work through: the CD
// drives and their discs, the library, the devices and the rips. This class only makes them, wires
// them together, and runs the media poll; the objects the player hands out hold the services they
// need, so they stay usable after the player is gone, but fire nothing then.
//
// Everything runs on the UI thread. Worker threads (disc reading, encoding, the drive monitor) hand
// their results over with the message loop's RunOnUiThread.

#include "mediaengine/MediaEngine.h"
#include "mediaengine/core/EngineContext.h"
#include "platform/windows/WindowProc.h"

#include <QString>
#include <memory>

class CCdDrives;
class CDevices;
class CDiscNamer;
class CEngineLibrary;
class CRipSessions;

class CEngine : public std::enable_shared_from_this<CEngine>, public IWindowProc {
public:
    explicit CEngine(MediaEngineConfig config);
    ~CEngine() override;
    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;

    // Opens the library, reads the devices and the drives, and starts the media poll.
    void Start();
    // Stops the rip, the poll and the drive monitor and drops the event target: the player is going.
    void Shutdown();
    void SetEvents(IEngineEvents* events) { m_context.events->SetTarget(events); }

    QString Version() const { return m_config.version; }
    int MajorVersion() const;
    const CEngineFaults& Faults() const { return *m_context.faults; }
    const std::shared_ptr<CEngineFaults>& SharedFaults() const { return m_context.faults; }
    void SetFaults(const MediaEngineFaults& faults) { m_context.faults->Set(faults); }
    void SetRemote(bool remote) { m_remote = remote; }
    bool IsRemote() const { return m_remote; }

    const std::shared_ptr<CCdDrives>& Drives() const { return m_drives; }
    const std::shared_ptr<CEngineLibrary>& Library() const { return m_library; }
    const std::shared_ptr<CDevices>& Devices() const { return m_devices; }
    const std::shared_ptr<CRipSessions>& Rips() const { return m_rips; }

    // Compares the drives and devices.ini with what was seen last, and tells what changed. Never
    // runs inside itself: asked again while it tells what changed (a sink's nested loop runs the
    // poll), it looks once more when the first look is done.
    void CheckMedia();
    // The sandbox's synchronisation failing on a device, with the library item of mediaUrl (none
    // when empty or not in the library).
    HRESULT RaiseDeviceSyncError(const QString& deviceId, const QString& mediaUrl);

    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    MediaEngineConfig m_config;
    EngineContext m_context;
    std::shared_ptr<CEngineLibrary> m_library;
    std::shared_ptr<CDevices> m_devices;
    std::shared_ptr<CRipSessions> m_rips;
    std::shared_ptr<CCdDrives> m_drives;
    std::shared_ptr<CDiscNamer> m_namer;
    bool m_remote = false;
    bool m_started = false;
    bool m_stopped = false;
    bool m_checking = false;
    bool m_checkAgain = false;
    HWND m_pollWindow = nullptr;
};
