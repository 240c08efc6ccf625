#include "tests/support/engine/EventRecorder.h"

HRESULT CEventRecorder::QueryInterface(const IID& riid, void** object) {
    if (dispatchOnly && riid == IID_IWMPEvents2) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    return ComQueryInterface(this, riid, object, ComInterface<_WMPOCXEvents>(), ComInterface<IWMPEvents2>(),
                             ComInterfaceVia<IDispatch, _WMPOCXEvents>());
}

QStringList CEventRecorder::Names() const {
    QStringList names;
    for (const RecordedEvent& e : events) {
        names << e.name;
    }
    return names;
}

int CEventRecorder::Count(const QString& name) const {
    return int(Names().count(name));
}

RecordedEvent& CEventRecorder::Record(const QString& name, long value, IUnknown* object) {
    RecordedEvent e;
    e.name = name;
    e.value = value;
    e.object = object;
    e.onUiThread = std::this_thread::get_id() == uiThread;
    e.viaDispatch = m_inDispatch;
    events.push_back(e);
    return events.back();
}

void CEventRecorder::Notify() {
    if (onEvent && !events.empty()) {
        onEvent(events.back());
    }
}

HRESULT CEventRecorder::Invoke(DISPID member, const IID&, LCID, WORD, DISPPARAMS* params, VARIANT*,
                               EXCEPINFO*, UINT*) {
    if (!params) {
        return E_POINTER;
    }
    // Arguments arrive last first.
    auto arg = [params](UINT fromFirst) -> VARIANT& { return params->rgvarg[params->cArgs - 1 - fromFirst]; };
    auto device = [&](UINT fromFirst) {
        ComPtr<IWMPSyncDevice> d;
        if (arg(fromFirst).vt == VT_UNKNOWN && arg(fromFirst).punkVal) {
            void* out = nullptr;
            arg(fromFirst).punkVal->QueryInterface(IID_IWMPSyncDevice, &out);
            d.Attach(static_cast<IWMPSyncDevice*>(out));
        }
        return d;
    };
    m_inDispatch = true;
    switch (member) {
    case DISPID_WMPEVENT_CDROMMEDIACHANGE:
        if (params->cArgs == 1 && arg(0).vt == VT_I4) {
            CdromMediaChange(arg(0).lVal);
        }
        break;
    case DISPID_WMPEVENT_PLAYLISTCHANGE:
        if (params->cArgs == 2 && arg(0).vt == VT_DISPATCH && arg(1).vt == VT_I4) {
            PlaylistChange(arg(0).pdispVal, static_cast<WMPPlaylistChangeEventType>(arg(1).lVal));
        }
        break;
    case DISPID_WMPEVENT_MEDIACHANGE:
        if (params->cArgs == 1 && arg(0).vt == VT_DISPATCH) {
            MediaChange(arg(0).pdispVal);
        }
        break;
    case DISPID_WMPEVENT_MEDIACOLLECTIONCHANGE:
        MediaCollectionChange();
        break;
    case DISPID_WMPEVENT_DEVICECONNECT:
        DeviceConnect(device(0).Get());
        break;
    case DISPID_WMPEVENT_DEVICEDISCONNECT:
        DeviceDisconnect(device(0).Get());
        break;
    case DISPID_WMPEVENT_DEVICESYNCSTATECHANGE:
        if (params->cArgs == 2 && arg(1).vt == VT_I4) {
            DeviceSyncStateChange(device(0).Get(), static_cast<WMPSyncState>(arg(1).lVal));
        }
        break;
    case DISPID_WMPEVENT_DEVICESYNCERROR:
        if (params->cArgs == 2 && (arg(1).vt == VT_DISPATCH || arg(1).vt == VT_EMPTY)) {
            DeviceSyncError(device(0).Get(), arg(1).vt == VT_DISPATCH ? arg(1).pdispVal : nullptr);
        }
        break;
    case DISPID_WMPEVENT_CREATEPARTNERSHIPCOMPLETE:
        if (params->cArgs == 2 && arg(1).vt == VT_ERROR) {
            CreatePartnershipComplete(device(0).Get(), arg(1).scode);
        }
        break;
    default:
        break;
    }
    m_inDispatch = false;
    return DISP_E_MEMBERNOTFOUND;
}

void CEventRecorder::CdromMediaChange(long CdromNum) {
    Record(QStringLiteral("CdromMediaChange"), CdromNum, nullptr);
    Notify();
}

void CEventRecorder::PlaylistChange(IDispatch* Playlist, WMPPlaylistChangeEventType change) {
    Record(QStringLiteral("PlaylistChange"), change, Playlist);
    Notify();
}

void CEventRecorder::MediaChange(IDispatch* Item) {
    RecordedEvent& e = Record(QStringLiteral("MediaChange"), 0, Item);
    void* out = nullptr;
    if (Item && SUCCEEDED(Item->QueryInterface(IID_IWMPMedia, &out))) {
        ComPtr<IWMPMedia> media;
        media.Attach(static_cast<IWMPMedia*>(out));
        CComBSTR status;
        CComBSTR number;
        media->getItemInfo(CComBSTR(QStringLiteral("Status")), &status);
        media->getItemInfo(CComBSTR(QStringLiteral("WM/TrackNumber")), &number);
        e.status = status.ToQString();
        e.trackNumber = number.ToQString();
    }
    Notify();
}

void CEventRecorder::MediaCollectionChange() {
    Record(QStringLiteral("MediaCollectionChange"), 0, nullptr);
    Notify();
}

void CEventRecorder::DeviceConnect(IWMPSyncDevice* pDevice) {
    Record(QStringLiteral("DeviceConnect"), 0, pDevice);
    Notify();
}

void CEventRecorder::DeviceDisconnect(IWMPSyncDevice* pDevice) {
    Record(QStringLiteral("DeviceDisconnect"), 0, pDevice);
    Notify();
}

void CEventRecorder::DeviceStatusChange(IWMPSyncDevice* pDevice, WMPDeviceStatus NewStatus) {
    Record(QStringLiteral("DeviceStatusChange"), NewStatus, pDevice);
    Notify();
}

void CEventRecorder::DeviceSyncStateChange(IWMPSyncDevice* pDevice, WMPSyncState NewState) {
    Record(QStringLiteral("DeviceSyncStateChange"), NewState, pDevice);
    Notify();
}

void CEventRecorder::DeviceSyncError(IWMPSyncDevice* pDevice, IDispatch* pMedia) {
    RecordedEvent& e = Record(QStringLiteral("DeviceSyncError"), 0, pDevice);
    e.media = pMedia;
    Notify();
}

void CEventRecorder::CreatePartnershipComplete(IWMPSyncDevice* pDevice, HRESULT hrResult) {
    Record(QStringLiteral("CreatePartnershipComplete"), hrResult, pDevice);
    Notify();
}
