#include "tests/player/FakePlayer.h"

HRESULT CFakePlayer::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IWMPPlayer>(),
                             ComInterfaceVia<IWMPCore, IWMPPlayer>(),
                             ComInterfaceVia<IDispatch, IWMPPlayer>(), ComInterface<IWMPControls>(),
                             ComInterface<IConnectionPointContainer>());
}

void CFakePlayer::FireCdromMediaChange(long drive) {
    ComPtr<IWMPPlayer> self(static_cast<IWMPPlayer*>(this));
    if (ComPtr<IWMPEvents2> sink = m_direct) {
        sink->CdromMediaChange(drive);
    } else if (ComPtr<IDispatch> dispatch = m_dispatch) {
        CComVariant arg{static_cast<LONG>(drive)};
        DISPPARAMS params;
        params.rgvarg = &arg;
        params.cArgs = 1;
        dispatch->Invoke(DISPID_WMPEVENT_CDROMMEDIACHANGE, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                         nullptr, nullptr);
    }
}

HRESULT CFakePlayer::close() {
    ++closes;
    return S_OK;
}

HRESULT CFakePlayer::get_controls(IWMPControls** controls) {
    *controls = nullptr;
    if (FAILED(controlsResult)) {
        return controlsResult;
    }
    *controls = static_cast<IWMPControls*>(this);
    AddRef();
    return S_OK;
}

HRESULT CFakePlayer::get_mediaCollection(IWMPMediaCollection** library) {
    *library = nullptr;
    return E_NOTIMPL;
}

HRESULT CFakePlayer::get_playlistCollection(IWMPPlaylistCollection** playlists) {
    *playlists = nullptr;
    return E_NOTIMPL;
}

HRESULT CFakePlayer::get_versionInfo(BSTR* version) {
    *version = nullptr;
    if (FAILED(versionResult)) {
        return versionResult;
    }
    *version = SysAllocString(QStringLiteral("10.0.0.4036"));
    return S_OK;
}

HRESULT CFakePlayer::get_cdromCollection(IWMPCdromCollection** drives) {
    *drives = nullptr;
    return E_NOTIMPL;
}

HRESULT CFakePlayer::stop() {
    ++stops;
    return S_OK;
}

HRESULT CFakePlayer::FindConnectionPoint(const IID& riid, IConnectionPoint** point) {
    *point = nullptr;
    if ((riid == IID_IWMPEvents2 && offersEvents2) || (riid == DIID__WMPOCXEvents && offersOcxEvents)) {
        pointAdvised = riid;
        *point = this;
        AddRef();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT CFakePlayer::GetConnectionInterface(IID* riid) {
    *riid = pointAdvised;
    return S_OK;
}

HRESULT CFakePlayer::GetConnectionPointContainer(IConnectionPointContainer** container) {
    *container = this;
    AddRef();
    return S_OK;
}

HRESULT CFakePlayer::Advise(IUnknown* sink, DWORD* cookie) {
    *cookie = 0;
    if (m_cookie) {
        return CONNECT_E_ADVISELIMIT;
    }
    void* out = nullptr;
    if (sink->QueryInterface(pointAdvised, &out) != S_OK) {
        return CONNECT_E_CANNOTCONNECT;
    }
    if (pointAdvised == IID_IWMPEvents2) {
        m_direct.Attach(static_cast<IWMPEvents2*>(out));
    } else {
        m_dispatch.Attach(static_cast<IDispatch*>(static_cast<_WMPOCXEvents*>(out)));
    }
    ++advised;
    *cookie = m_cookie = 41;
    return S_OK;
}

HRESULT CFakePlayer::Unadvise(DWORD cookie) {
    if (cookie == 0 || cookie != m_cookie) {
        return CONNECT_E_NOCONNECTION;
    }
    if (lateEventOnUnadvise) {
        FireCdromMediaChange(lateDrive);
    }
    ++unadvised;
    m_cookie = 0;
    m_direct = nullptr;
    m_dispatch = nullptr;
    return S_OK;
}
