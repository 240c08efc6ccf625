#pragma once
// A player control that the tests shape: which event points it offers, which of its calls fail, and
// what it does while a sink is unadvised. It fires through its one point the way the real player
// fires through each of its own: directly on IWMPEvents2, by Invoke on _WMPOCXEvents.

#include "platform/com/Com.h"
#include "platform/wmp/Wmp.h"

#include <vector>

class CFakePlayer : public IWMPPlayer,
                    public IWMPControls,
                    public IConnectionPointContainer,
                    public IConnectionPoint {
public:
    bool offersEvents2 = true;
    bool offersOcxEvents = true;
    HRESULT versionResult = S_OK;
    HRESULT controlsResult = S_OK;
    // While a sink is unadvised, it is sent one more event first (CdromMediaChange(lateDrive)).
    bool lateEventOnUnadvise = false;
    long lateDrive = 7;

    int stops = 0;
    int closes = 0;
    int advised = 0;
    int unadvised = 0;
    IID pointAdvised{}; // the point the sink was advised to

    // Fires CdromMediaChange to the advised sink through its point.
    void FireCdromMediaChange(long drive);

    HRESULT QueryInterface(const IID& riid, void** object) override;
    ULONG AddRef() override = 0;
    ULONG Release() override = 0;

    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(const IID&, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, const IID&, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT close() override;
    HRESULT get_controls(IWMPControls** controls) override;
    HRESULT get_mediaCollection(IWMPMediaCollection** library) override;
    HRESULT get_playlistCollection(IWMPPlaylistCollection** playlists) override;
    HRESULT get_versionInfo(BSTR* version) override;
    HRESULT get_cdromCollection(IWMPCdromCollection** drives) override;
    HRESULT stop() override;

    HRESULT EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT FindConnectionPoint(const IID& riid, IConnectionPoint** point) override;

    HRESULT GetConnectionInterface(IID* riid) override;
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT Unadvise(DWORD cookie) override;
    HRESULT EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

private:
    ComPtr<IWMPEvents2> m_direct;
    ComPtr<IDispatch> m_dispatch;
    DWORD m_cookie = 0;
};
