#pragma once
// The engine's test interface, asked of the player object with IID_IMediaEngineTest: the sandbox
// operations a test performs on the machine, and the faults it wants.

#include "mediaengine/MediaEngineFaults.h"
#include "platform/com/Unknown.h"

#include <QString>

class IMediaEngineTest : public IUnknown {
public:
    // Looks at the drives of the volume table and at devices.ini now, firing CdromMediaChange and
    // DeviceConnect/DeviceDisconnect for what changed since the last look.
    virtual HRESULT CheckMedia() = 0;
    virtual HRESULT SetFaults(const MediaEngineFaults& faults) = 0;
    // Connects or disconnects a device of devices.ini (by its device id), writes the file and fires
    // the event. E_INVALIDARG for an unknown id.
    virtual HRESULT SetDeviceConnected(const QString& deviceId, bool connected) = 0;
    // The player starts (wmpssSynchronizing) or ends a synchronisation of a device of devices.ini
    // on its own: writes the file and fires DeviceSyncStateChange. S_FALSE when the device is in
    // that state already, E_INVALIDARG for an unknown id.
    virtual HRESULT SetDeviceSyncState(const QString& deviceId, long state) = 0;
    // The device's synchronisation fails: fires DeviceSyncError with the library item of mediaUrl
    // (none when empty or not in the library). E_INVALIDARG for an unknown id.
    virtual HRESULT RaiseDeviceSyncError(const QString& deviceId, const QString& mediaUrl) = 0;
    // A rip is running.
    virtual bool IsRipping() const = 0;
    // The site reported the service type "Remote".
    virtual bool IsRemote() const = 0;
    // Why the library could not be opened; empty when it is open.
    virtual QString LibraryError() const = 0;
    // Files removed with the delete flag whose deletion still waits for a reader to finish.
    virtual int PendingDeletions() const = 0;
};

// The engine's COM objects alive in the process (players, drives, playlists, items, devices...).
int MediaEngineLiveObjects();

OLLIVANE_DEFINE_IID(IMediaEngineTest, "{4F4C4C56-0100-4000-8000-454E47000002}");
