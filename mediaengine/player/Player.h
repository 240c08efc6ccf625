#pragma once
// The player object the control container creates: the program's way into the engine. It answers
// IWMPPlayer and IWMPPlayer4 (with IWMPCore/IWMPCore3), IWMPControls, IWMPPlayerServices,
// IWMPSyncServices, IConnectionPointContainer (IWMPEvents2 and _WMPOCXEvents), IObjectWithSite,
// and the test interface IMediaEngineTest. Events go to the sinks of both connection points.
//
// Its site is asked for IWMPRemoteMediaServices: with the service type "Remote" the player runs
// inside the program and shows nothing of its own (it has no window in any case).

#include "mediaengine/MediaEngine.h"
#include "mediaengine/MediaEngineTest.h"
#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/core/EngineEvents.h"
#include "mediaengine/core/NoDispatch.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComVariant.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/ObjectWithSite.h"
#include "platform/wmp/Wmp.h"

#include <functional>
#include <memory>
#include <vector>

class CEngine;

class CPlayer : public IWMPPlayer,
                public IWMPPlayer4,
                public IWMPControls,
                public IWMPPlayerServices,
                public IWMPSyncServices,
                public IConnectionPointContainer,
                public IObjectWithSite,
                public IMediaEngineTest,
                public IEngineEvents {
public:
    explicit CPlayer(MediaEngineConfig config);
    ~CPlayer() override;

    // Brings the engine up; called once, right after creation.
    HRESULT Initialise();
    void FinalRelease();

    HRESULT QueryInterface(const IID& riid, void** object) override;
    OLLIVANE_COUNTED
    OLLIVANE_NO_DISPATCH

    // IWMPCore / IWMPCore3
    HRESULT close() override;
    HRESULT get_controls(IWMPControls** controls) override;
    HRESULT get_mediaCollection(IWMPMediaCollection** library) override;
    HRESULT get_playlistCollection(IWMPPlaylistCollection** playlists) override;
    HRESULT get_versionInfo(BSTR* version) override;
    HRESULT get_cdromCollection(IWMPCdromCollection** drives) override;
    HRESULT newMedia(BSTR url, IWMPMedia** item) override;

    // IWMPControls
    HRESULT stop() override;

    // IWMPPlayerServices: "CopyFromCD?AutoCopy:<drive index>" rips every track of that drive.
    HRESULT setTaskPane(BSTR task) override;

    // IWMPSyncServices
    HRESULT get_deviceCount(long* count) override;
    HRESULT getDevice(long index, IWMPSyncDevice** device) override;

    // IConnectionPointContainer
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT FindConnectionPoint(const IID& riid, IConnectionPoint** point) override;

    // IObjectWithSite
    HRESULT SetSite(IUnknown* site) override;
    HRESULT GetSite(const IID& riid, void** site) override;

    // IMediaEngineTest
    HRESULT CheckMedia() override;
    HRESULT SetFaults(const MediaEngineFaults& faults) override;
    HRESULT SetDeviceConnected(const QString& deviceId, bool connected) override;
    HRESULT SetDeviceSyncState(const QString& deviceId, long state) override;
    HRESULT RaiseDeviceSyncError(const QString& deviceId, const QString& mediaUrl) override;
    bool IsRipping() const override;
    bool IsRemote() const override;
    QString LibraryError() const override;
    int PendingDeletions() const override;

    // IEngineEvents
    void FireCdromMediaChange(long drive) override;
    void FirePlaylistChange(IDispatch* playlist, WMPPlaylistChangeEventType change) override;
    void FireMediaChange(IDispatch* item) override;
    void FireMediaCollectionChange() override;
    void FireDeviceConnect(IWMPSyncDevice* device) override;
    void FireDeviceDisconnect(IWMPSyncDevice* device) override;
    void FireDeviceStatusChange(IWMPSyncDevice* device, WMPDeviceStatus status) override;
    void FireDeviceSyncStateChange(IWMPSyncDevice* device, WMPSyncState state) override;
    void FireDeviceSyncError(IWMPSyncDevice* device, IDispatch* media) override;
    void FireCreatePartnershipComplete(IWMPSyncDevice* device, HRESULT result) override;

private:
    // Calls direct on the IWMPEvents2 sinks, and Invoke with args (last argument first) on the
    // _WMPOCXEvents sinks.
    void Fire(const std::function<void(IWMPEvents2*)>& direct, DISPID member, std::vector<CComVariant> args);
    bool Fails(const char* call) const;

    MediaEngineConfig m_config;
    std::shared_ptr<CEngine> m_engine;
    CConnectionPoint<IWMPEvents2> m_events2{this};
    CConnectionPoint<_WMPOCXEvents> m_ocxEvents{this};
    ComPtr<IUnknown> m_site;
};
