#pragma once
// Portable players seen by the player as synchronisation devices. The program lists them, matches
// them to drives, manages their partnership, and stops synchronisations it did not start.

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/wmp/WmpIds.h"

enum WMPDeviceStatus {
    wmpdsUnknown = 0,
    wmpdsPartnershipExists = 1,
    wmpdsPartnershipDeclined = 2,
    wmpdsPartnershipAnother = 3,
    wmpdsManualDevice = 4,
    wmpdsNewDevice = 5,
    wmpdsLast = 6,
};

enum WMPSyncState {
    wmpssUnknown = 0,
    wmpssSynchronizing = 1,
    wmpssStopped = 2,
    wmpssEstimating = 3,
    wmpssLast = 4,
};

// One device.
class IWMPSyncDevice : public IUnknown {
public:
    virtual HRESULT get_friendlyName(BSTR* name) = 0;
    virtual HRESULT get_deviceName(BSTR* name) = 0;
    virtual HRESULT get_deviceId(BSTR* id) = 0;
    // 1..16 while a partnership exists, 0 otherwise.
    virtual HRESULT get_partnershipIndex(long* index) = 0;
    virtual HRESULT get_connected(VARIANT_BOOL* connected) = 0;
    virtual HRESULT get_status(WMPDeviceStatus* status) = 0;
    virtual HRESULT get_syncState(WMPSyncState* state) = 0;
    // "SerialNumber", "FreeSpace", "TotalSpace" (decimal text).
    virtual HRESULT getItemInfo(BSTR item, BSTR* value) = 0;
    // The program always passes VARIANT_FALSE: no user interface.
    virtual HRESULT createPartnership(VARIANT_BOOL showUI) = 0;
    virtual HRESULT deletePartnership() = 0;
    virtual HRESULT stop() = 0;
    virtual HRESULT isIdentical(IWMPSyncDevice* other, VARIANT_BOOL* identical) = 0;
};

// The device list, asked of the player object.
class IWMPSyncServices : public IUnknown {
public:
    virtual HRESULT get_deviceCount(long* count) = 0;
    virtual HRESULT getDevice(long index, IWMPSyncDevice** device) = 0;
};

OLLIVANE_DEFINE_IID(IWMPSyncDevice, OLLIVANE_IID_IWMPSyncDevice);
OLLIVANE_DEFINE_IID(IWMPSyncServices, OLLIVANE_IID_IWMPSyncServices);
