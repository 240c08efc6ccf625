#include "player/SyncDeviceAccess.h"

WMPDeviceStatus CSyncDeviceAccess::GetDeviceStatus(IWMPSyncDevice* device) {
    WMPDeviceStatus status = wmpdsUnknown;
    if (!device || FAILED(device->get_status(&status))) {
        return wmpdsUnknown;
    }
    return status;
}

WMPSyncState CSyncDeviceAccess::GetSyncState(IWMPSyncDevice* device) {
    WMPSyncState state = wmpssUnknown;
    if (!device || FAILED(device->get_syncState(&state))) {
        return wmpssUnknown;
    }
    return state;
}

bool CSyncDeviceAccess::StopDeviceSync(IWMPSyncDevice* device) {
    if (!device) {
        return false;
    }
    if (GetSyncState(device) == wmpssStopped) {
        return true;
    }
    return SUCCEEDED(device->stop());
}

bool CSyncDeviceAccess::IsSameDevice(IWMPSyncDevice* device, IWMPSyncDevice* other) {
    if (!device || !other) {
        return false;
    }
    VARIANT_BOOL same = VARIANT_FALSE;
    return SUCCEEDED(device->isIdentical(other, &same)) && same != VARIANT_FALSE;
}

bool CSyncDeviceAccess::ResetPartnershipOnConnect(IWMPSyncDevice* device) {
    if (!device) {
        return false;
    }
    WMPDeviceStatus status = wmpdsUnknown;
    if (FAILED(device->get_status(&status)) || status == wmpdsPartnershipDeclined) {
        return false;
    }
    return SUCCEEDED(device->deletePartnership());
}

bool CSyncDeviceAccess::StopOtherDevice(IWMPSyncDevice* device) {
    if (!device) {
        return false;
    }
    WMPSyncState state = wmpssUnknown;
    if (SUCCEEDED(device->get_syncState(&state)) && state == wmpssStopped) {
        return false;
    }
    return SUCCEEDED(device->stop());
}
