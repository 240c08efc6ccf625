#pragma once
// The synchronisation devices as a service of the engine: the list of devices.ini, what changed in
// it since the last look, and the operations the device objects and the sandbox perform on a device,
// with the events they cause. A change of a device's state is reported only when it is one.

#include "mediaengine/core/EngineContext.h"
#include "mediaengine/devices/DeviceList.h"
#include "platform/com/ComPtr.h"
#include "platform/wmp/Wmp.h"

#include <QString>
#include <functional>
#include <memory>

class CDevices : public std::enable_shared_from_this<CDevices> {
public:
    CDevices(EngineContext context, const QString& file);

    // Reads the file without telling anybody: what it says at the start is no news.
    void Start();
    void Shutdown() { m_stopped = true; }
    // Reads the file again and queues the events of what changed since the last look.
    void Check();

    const QList<DeviceRecord>& List() const { return m_list.Devices(); }
    DeviceRecord* Find(const QString& deviceId) { return m_list.Find(deviceId); }
    // A new object for the device; the engine hands out one per request.
    ComPtr<IWMPSyncDevice> DeviceObject(const QString& deviceId);

    // --- what the device objects do --------------------------------------------------------------
    // A partnership without user interface, made at once and reported on the next turn; a device
    // that lives on a drive gets that drive's "\WMPInfo.xml".
    HRESULT CreatePartnership(const QString& deviceId);
    HRESULT DeletePartnership(const QString& deviceId);
    // Stops a running synchronisation; a stopped one stays as it is and nothing is reported.
    HRESULT Stop(const QString& deviceId);

    // --- what the sandbox does --------------------------------------------------------------------
    HRESULT SetConnected(const QString& deviceId, bool connected);
    HRESULT SetSyncState(const QString& deviceId, long state);
    // Fires DeviceSyncError for the device with media (may be null).
    HRESULT RaiseSyncError(const QString& deviceId, IDispatch* media);

    const CEngineFaults& Faults() const { return *m_context.faults; }

private:
    // Queues DeviceSyncStateChange; a device that is to fail its synchronisation reports the error
    // on the next turn and stops.
    void SyncStateChanged(const QString& deviceId, long state);
    // Queues an event about a device; its object is made when it is told.
    void Tell(const QString& deviceId, std::function<void(IEngineEvents&, IWMPSyncDevice*)> event);
    static void WriteDeviceInfo(const DeviceRecord& device);

    EngineContext m_context;
    CDeviceList m_list;
    bool m_stopped = false;
};
