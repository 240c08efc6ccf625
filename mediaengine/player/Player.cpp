#include "mediaengine/player/Player.h"

#include "mediaengine/Logging.h"
#include "mediaengine/cd/CdDrives.h"
#include "mediaengine/cd/CdPlaylist.h"
#include "mediaengine/cd/CdromCollection.h"
#include "mediaengine/core/ComHelpers.h"
#include "mediaengine/devices/Devices.h"
#include "mediaengine/library/EngineLibrary.h"
#include "mediaengine/library/FileMedia.h"
#include "mediaengine/library/FileTags.h"
#include "mediaengine/library/MediaCollection.h"
#include "mediaengine/library/PlaylistCollection.h"
#include "mediaengine/player/Engine.h"
#include "mediaengine/ripping/RipSessions.h"
#include "platform/com/ServiceProvider.h"
#include "platform/files/Volumes.h"

#include <QDebug>
#include <QRegularExpression>

CPlayer::CPlayer(MediaEngineConfig config) : m_config(std::move(config)) {}

CPlayer::~CPlayer() = default;

HRESULT CPlayer::Initialise() {
    m_engine = std::make_shared<CEngine>(m_config);
    m_engine->SetEvents(this);
    m_engine->Start();
    return S_OK;
}

void CPlayer::FinalRelease() {
    if (m_engine) {
        m_engine->Shutdown();
    }
    m_events2.UnadviseAll();
    m_ocxEvents.UnadviseAll();
    m_site = nullptr;
}

HRESULT CPlayer::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPPlayer>(),
                             ComInterfaceVia<IWMPCore, IWMPPlayer>(),
                             ComInterfaceVia<IDispatch, IWMPPlayer>(), ComInterface<IWMPPlayer4>(),
                             ComInterfaceVia<IWMPCore3, IWMPPlayer4>(), ComInterface<IWMPControls>(),
                             ComInterface<IWMPPlayerServices>(), ComInterface<IWMPSyncServices>(),
                             ComInterface<IConnectionPointContainer>(), ComInterface<IObjectWithSite>(),
                             ComInterface<IMediaEngineTest>());
}

bool CPlayer::Fails(const char* call) const {
    return m_engine && m_engine->Faults().Fails(EngineObject::Player, call);
}

// --- IWMPCore -------------------------------------------------------------------------------------

HRESULT CPlayer::close() {
    if (m_engine->Faults().FailsPrecisely(EngineObject::Player, "close")) {
        return E_FAIL;
    }
    return S_OK; // nothing is ever opened for playing
}

HRESULT CPlayer::get_controls(IWMPControls** controls) {
    if (!controls) {
        return E_POINTER;
    }
    *controls = nullptr;
    if (Fails("get_controls")) {
        return E_FAIL;
    }
    *controls = static_cast<IWMPControls*>(this);
    AddRef();
    return S_OK;
}

HRESULT CPlayer::get_mediaCollection(IWMPMediaCollection** library) {
    if (!library) {
        return E_POINTER;
    }
    *library = nullptr;
    if (Fails("get_mediaCollection")) {
        return E_FAIL;
    }
    if (!m_engine->Library()->Library()) {
        // A damaged or unreadable library is reported, never replaced behind the user's back.
        return HRESULT_FROM_WIN32(ERROR_FILE_CORRUPT);
    }
    return ReturnObject<IWMPMediaCollection>(MakeComObject<CMediaCollection>(m_engine->Library()), library);
}

HRESULT CPlayer::get_playlistCollection(IWMPPlaylistCollection** playlists) {
    if (!playlists) {
        return E_POINTER;
    }
    *playlists = nullptr;
    if (Fails("get_playlistCollection")) {
        return E_FAIL;
    }
    return ReturnObject<IWMPPlaylistCollection>(MakeComObject<CPlaylistCollection>(), playlists);
}

HRESULT CPlayer::get_versionInfo(BSTR* version) {
    if (Fails("get_versionInfo")) {
        if (version) {
            *version = nullptr;
        }
        return E_FAIL;
    }
    return ReturnText(m_config.version, version);
}

HRESULT CPlayer::get_cdromCollection(IWMPCdromCollection** drives) {
    if (!drives) {
        return E_POINTER;
    }
    *drives = nullptr;
    if (Fails("get_cdromCollection")) {
        return E_FAIL;
    }
    return ReturnObject<IWMPCdromCollection>(
        MakeComObject<CCdromCollection>(m_engine->Drives(), m_engine->Rips(), m_engine->SharedFaults(),
                                        m_engine->MajorVersion()),
        drives);
}

HRESULT CPlayer::newMedia(BSTR url, IWMPMedia** item) {
    if (!item) {
        return E_POINTER;
    }
    *item = nullptr;
    if (Fails("newMedia")) {
        return E_FAIL;
    }
    const QString path = BstrToQString(url);
    QString host;
    if (const LONG error = ToHostPath(path, &host); error != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(error);
    }
    QMap<QString, QString> attributes;
    QString reason;
    if (!CFileTags::Read(host, &attributes, &reason)) {
        qCWarning(lcMediaEngine).noquote() << "media engine: newMedia:" << reason;
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    return ReturnObject<IWMPMedia>(
        MakeComObject<CFileMedia>(m_engine->SharedFaults(), path, host, attributes), item);
}

// --- IWMPControls ---------------------------------------------------------------------------------

HRESULT CPlayer::stop() {
    if (m_engine->Faults().FailsPrecisely(EngineObject::Player, "stop")) {
        return E_FAIL;
    }
    return S_OK; // nothing plays
}

// --- IWMPPlayerServices ---------------------------------------------------------------------------

HRESULT CPlayer::setTaskPane(BSTR task) {
    if (Fails("setTaskPane")) {
        return E_FAIL;
    }
    static const QRegularExpression copyFromCd(QStringLiteral("^CopyFromCD\\?AutoCopy:(\\d+)$"),
                                               QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = copyFromCd.match(BstrToQString(task));
    if (!match.hasMatch()) {
        return E_INVALIDARG; // the only pane this player has is the rip
    }
    bool ok = false;
    const int index = match.captured(1).toInt(&ok);
    const std::shared_ptr<CCdDrives>& drives = m_engine->Drives();
    if (!ok || index < 0 || index >= drives->Count()) {
        return E_INVALIDARG;
    }
    return m_engine->Rips()->Start(drives->Playlist(drives->Letter(index)), false);
}

// --- IWMPSyncServices -----------------------------------------------------------------------------

HRESULT CPlayer::get_deviceCount(long* count) {
    if (!count) {
        return E_POINTER;
    }
    if (Fails("get_deviceCount")) {
        return E_FAIL;
    }
    *count = long(m_engine->Devices()->List().size());
    return S_OK;
}

HRESULT CPlayer::getDevice(long index, IWMPSyncDevice** device) {
    if (!device) {
        return E_POINTER;
    }
    *device = nullptr;
    if (Fails("getDevice")) {
        return E_FAIL;
    }
    const std::shared_ptr<CDevices>& devices = m_engine->Devices();
    if (index < 0 || index >= devices->List().size()) {
        return E_INVALIDARG;
    }
    return ReturnObject<IWMPSyncDevice>(devices->DeviceObject(devices->List()[index].deviceId), device);
}

// --- IConnectionPointContainer ---------------------------------------------------------------------

HRESULT CPlayer::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points) {
        *points = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT CPlayer::FindConnectionPoint(const IID& riid, IConnectionPoint** point) {
    if (!point) {
        return E_POINTER;
    }
    *point = nullptr;
    if (riid == IID_IWMPEvents2) {
        *point = &m_events2;
    } else if (riid == DIID__WMPOCXEvents) {
        *point = &m_ocxEvents;
    } else {
        return CONNECT_E_NOCONNECTION;
    }
    (*point)->AddRef();
    return S_OK;
}

// --- IObjectWithSite ------------------------------------------------------------------------------

HRESULT CPlayer::SetSite(IUnknown* site) {
    m_site = site;
    bool remote = false;
    if (site) {
        void* out = nullptr;
        if (SUCCEEDED(site->QueryInterface(IID_IServiceProvider, &out)) && out) {
            ComPtr<IServiceProvider> provider;
            provider.Attach(static_cast<IServiceProvider*>(out));
            void* servicesOut = nullptr;
            if (SUCCEEDED(provider->QueryService(IID_IWMPRemoteMediaServices, IID_IWMPRemoteMediaServices,
                                                 &servicesOut)) &&
                servicesOut) {
                ComPtr<IWMPRemoteMediaServices> services;
                services.Attach(static_cast<IWMPRemoteMediaServices*>(servicesOut));
                BSTR type = nullptr;
                if (SUCCEEDED(services->GetServiceType(&type))) {
                    remote = BstrToQString(type) == QLatin1String("Remote");
                }
                SysFreeString(type);
            }
        }
    }
    m_engine->SetRemote(remote);
    return S_OK;
}

HRESULT CPlayer::GetSite(const IID& riid, void** site) {
    if (!site) {
        return E_POINTER;
    }
    *site = nullptr;
    return m_site ? m_site->QueryInterface(riid, site) : E_FAIL;
}

// --- IMediaEngineTest -----------------------------------------------------------------------------

HRESULT CPlayer::CheckMedia() {
    m_engine->CheckMedia();
    return S_OK;
}

HRESULT CPlayer::SetFaults(const MediaEngineFaults& faults) {
    m_engine->SetFaults(faults);
    return S_OK;
}

HRESULT CPlayer::SetDeviceConnected(const QString& deviceId, bool connected) {
    return m_engine->Devices()->SetConnected(deviceId, connected);
}

HRESULT CPlayer::SetDeviceSyncState(const QString& deviceId, long state) {
    return m_engine->Devices()->SetSyncState(deviceId, state);
}

HRESULT CPlayer::RaiseDeviceSyncError(const QString& deviceId, const QString& mediaUrl) {
    return m_engine->RaiseDeviceSyncError(deviceId, mediaUrl);
}

bool CPlayer::IsRipping() const {
    return m_engine->Rips()->IsRipping();
}

bool CPlayer::IsRemote() const {
    return m_engine->IsRemote();
}

QString CPlayer::LibraryError() const {
    return m_engine->Library()->Error();
}

int CPlayer::PendingDeletions() const {
    return m_engine->Library()->PendingDeletions();
}

// --- events ---------------------------------------------------------------------------------------

void CPlayer::Fire(const std::function<void(IWMPEvents2*)>& direct, DISPID member,
                   std::vector<CComVariant> args) {
    // A sink may let go of the player while it is being told something.
    ComPtr<IWMPPlayer> self(static_cast<IWMPPlayer*>(this));
    m_events2.ForEachSink([&](IWMPEvents2* sink) { direct(sink); });
    m_ocxEvents.ForEachDispatch([&](IDispatch* sink) {
        DISPPARAMS params;
        params.rgvarg = args.empty() ? nullptr : args.data();
        params.cArgs = UINT(args.size());
        sink->Invoke(member, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    });
}

void CPlayer::FireCdromMediaChange(long drive) {
    std::vector<CComVariant> args;
    args.emplace_back(LONG(drive));
    Fire([drive](IWMPEvents2* sink) { sink->CdromMediaChange(drive); }, DISPID_WMPEVENT_CDROMMEDIACHANGE,
         std::move(args));
}

void CPlayer::FirePlaylistChange(IDispatch* playlist, WMPPlaylistChangeEventType change) {
    std::vector<CComVariant> args;
    args.emplace_back(LONG(change));
    args.emplace_back(playlist);
    Fire([playlist, change](IWMPEvents2* sink) { sink->PlaylistChange(playlist, change); },
         DISPID_WMPEVENT_PLAYLISTCHANGE, std::move(args));
}

void CPlayer::FireMediaChange(IDispatch* item) {
    std::vector<CComVariant> args;
    args.emplace_back(item);
    Fire([item](IWMPEvents2* sink) { sink->MediaChange(item); }, DISPID_WMPEVENT_MEDIACHANGE,
         std::move(args));
}

void CPlayer::FireMediaCollectionChange() {
    Fire([](IWMPEvents2* sink) { sink->MediaCollectionChange(); }, DISPID_WMPEVENT_MEDIACOLLECTIONCHANGE, {});
}

void CPlayer::FireDeviceConnect(IWMPSyncDevice* device) {
    std::vector<CComVariant> args;
    args.emplace_back(static_cast<IUnknown*>(device));
    Fire([device](IWMPEvents2* sink) { sink->DeviceConnect(device); }, DISPID_WMPEVENT_DEVICECONNECT,
         std::move(args));
}

void CPlayer::FireDeviceDisconnect(IWMPSyncDevice* device) {
    std::vector<CComVariant> args;
    args.emplace_back(static_cast<IUnknown*>(device));
    Fire([device](IWMPEvents2* sink) { sink->DeviceDisconnect(device); }, DISPID_WMPEVENT_DEVICEDISCONNECT,
         std::move(args));
}

void CPlayer::FireDeviceStatusChange(IWMPSyncDevice* device, WMPDeviceStatus status) {
    std::vector<CComVariant> args;
    args.emplace_back(LONG(status));
    args.emplace_back(static_cast<IUnknown*>(device));
    Fire([device, status](IWMPEvents2* sink) { sink->DeviceStatusChange(device, status); },
         DISPID_WMPEVENT_DEVICESTATUSCHANGE, std::move(args));
}

void CPlayer::FireDeviceSyncStateChange(IWMPSyncDevice* device, WMPSyncState state) {
    std::vector<CComVariant> args;
    args.emplace_back(LONG(state));
    args.emplace_back(static_cast<IUnknown*>(device));
    Fire([device, state](IWMPEvents2* sink) { sink->DeviceSyncStateChange(device, state); },
         DISPID_WMPEVENT_DEVICESYNCSTATECHANGE, std::move(args));
}

void CPlayer::FireDeviceSyncError(IWMPSyncDevice* device, IDispatch* media) {
    std::vector<CComVariant> args;
    args.emplace_back(media);
    args.emplace_back(static_cast<IUnknown*>(device));
    Fire([device, media](IWMPEvents2* sink) { sink->DeviceSyncError(device, media); },
         DISPID_WMPEVENT_DEVICESYNCERROR, std::move(args));
}

void CPlayer::FireCreatePartnershipComplete(IWMPSyncDevice* device, HRESULT result) {
    std::vector<CComVariant> args;
    CComVariant code;
    code.vt = VT_ERROR;
    code.scode = result;
    args.push_back(code);
    args.emplace_back(static_cast<IUnknown*>(device));
    Fire([device, result](IWMPEvents2* sink) { sink->CreatePartnershipComplete(device, result); },
         DISPID_WMPEVENT_CREATEPARTNERSHIPCOMPLETE, std::move(args));
}
