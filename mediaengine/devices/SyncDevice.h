#pragma once
// One synchronisation device of devices.ini, by its device id. Partnership changes and stop are
// written back to the file; their completion events arrive on a later turn of the UI thread, as a
// real player reports them.

#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/EngineItem.h"
#include "platform/wmp/Wmp.h"

#include <memory>

class CDevices;
struct DeviceRecord;

class CSyncDevice : public IWMPSyncDevice, public IEngineItem {
public:
    CSyncDevice(std::shared_ptr<CDevices> devices, QString deviceId);

    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_COUNTED

    HRESULT get_friendlyName(BSTR* name) override;
    HRESULT get_deviceName(BSTR* name) override;
    HRESULT get_deviceId(BSTR* id) override;
    HRESULT get_partnershipIndex(long* index) override;
    HRESULT get_connected(VARIANT_BOOL* connected) override;
    HRESULT get_status(WMPDeviceStatus* status) override;
    HRESULT get_syncState(WMPSyncState* state) override;
    HRESULT getItemInfo(BSTR item, BSTR* value) override;
    HRESULT createPartnership(VARIANT_BOOL showUI) override;
    HRESULT deletePartnership() override;
    HRESULT stop() override;
    HRESULT isIdentical(IWMPSyncDevice* other, VARIANT_BOOL* identical) override;

    QString IdentityKey() const override { return QStringLiteral("device:") + m_deviceId; }
    qint64 LibraryId() const override { return 0; }

private:
    // The record, or null when the device is gone from the list (or the call fails by request).
    DeviceRecord* Record(const char* call) const;

    std::shared_ptr<CDevices> m_devices;
    QString m_deviceId;
};
