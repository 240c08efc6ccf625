#pragma once
// Where the engine's events end: the player object implements it and fires through both of its
// connection points. The engine's parts reach it only through CEngineEventQueue, which keeps the
// events in order. Called on the UI thread only.

#include "platform/wmp/Wmp.h"

class IEngineEvents {
public:
    virtual ~IEngineEvents() = default;
    virtual void FireCdromMediaChange(long drive) = 0;
    virtual void FirePlaylistChange(IDispatch* playlist, WMPPlaylistChangeEventType change) = 0;
    virtual void FireMediaChange(IDispatch* item) = 0;
    virtual void FireMediaCollectionChange() = 0;
    virtual void FireDeviceConnect(IWMPSyncDevice* device) = 0;
    virtual void FireDeviceDisconnect(IWMPSyncDevice* device) = 0;
    virtual void FireDeviceStatusChange(IWMPSyncDevice* device, WMPDeviceStatus status) = 0;
    virtual void FireDeviceSyncStateChange(IWMPSyncDevice* device, WMPSyncState state) = 0;
    virtual void FireDeviceSyncError(IWMPSyncDevice* device, IDispatch* media) = 0;
    virtual void FireCreatePartnershipComplete(IWMPSyncDevice* device, HRESULT result) = 0;
};
