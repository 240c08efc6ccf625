// The player's two event routes, as the program's sink and our media engine will use them: one sink
// object offering IWMPEvents2 and _WMPOCXEvents can be advised to either kind of connection point and
// is reached by direct calls on the one and by Invoke on the other.
#include "platform/com/Com.h"
#include "platform/wmp/Wmp.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

class CEventSink : public IWMPEvents2, public _WMPOCXEvents {
public:
    HRESULT QueryInterface(const IID& riid, void** object) override {
        return ComQueryInterface(this, riid, object, ComInterface<_WMPOCXEvents>(),
                                 ComInterface<IWMPEvents2>(), ComInterfaceVia<IDispatch, _WMPOCXEvents>());
    }

    // IDispatch of _WMPOCXEvents: CdromMediaChange(long) is enough to see the route work.
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(const IID&, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID member, const IID&, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                   UINT*) override {
        if (member == DISPID_WMPEVENT_CDROMMEDIACHANGE && params && params->cArgs == 1 &&
            params->rgvarg[0].vt == VT_I4) {
            CdromMediaChange(params->rgvarg[0].lVal);
        }
        return DISP_E_MEMBERNOTFOUND;
    }

    void CdromMediaChange(long CdromNum) override { cdromChanges.push_back(CdromNum); }
    void DeviceConnect(IWMPSyncDevice* pDevice) override { devices.push_back(pDevice); }

    // The rest of the events are of no interest here.
    void OpenStateChange(long) override {}
    void PlayStateChange(long) override {}
    void AudioLanguageChange(long) override {}
    void StatusChange() override {}
    void ScriptCommand(BSTR, BSTR) override {}
    void NewStream() override {}
    void Disconnect(long) override {}
    void Buffering(VARIANT_BOOL) override {}
    void Error() override {}
    void Warning(long, long, BSTR) override {}
    void EndOfStream(long) override {}
    void PositionChange(double, double) override {}
    void MarkerHit(long) override {}
    void DurationUnitChange(long) override {}
    void PlaylistChange(IDispatch*, WMPPlaylistChangeEventType) override {}
    void CurrentPlaylistChange(WMPPlaylistChangeEventType) override {}
    void CurrentPlaylistItemAvailable(BSTR) override {}
    void MediaChange(IDispatch*) override {}
    void CurrentMediaItemAvailable(BSTR) override {}
    void CurrentItemChange(IDispatch*) override {}
    void MediaCollectionChange() override {}
    void MediaCollectionAttributeStringAdded(BSTR, BSTR) override {}
    void MediaCollectionAttributeStringRemoved(BSTR, BSTR) override {}
    void MediaCollectionAttributeStringChanged(BSTR, BSTR, BSTR) override {}
    void PlaylistCollectionChange() override {}
    void PlaylistCollectionPlaylistAdded(BSTR) override {}
    void PlaylistCollectionPlaylistRemoved(BSTR) override {}
    void PlaylistCollectionPlaylistSetAsDeleted(BSTR, VARIANT_BOOL) override {}
    void ModeChange(BSTR, VARIANT_BOOL) override {}
    void MediaError(IDispatch*) override {}
    void OpenPlaylistSwitch(IDispatch*) override {}
    void DomainChange(BSTR) override {}
    void SwitchedToPlayerApplication() override {}
    void SwitchedToControl() override {}
    void PlayerDockedStateChange() override {}
    void PlayerReconnect() override {}
    void Click(short, short, long, long) override {}
    void DoubleClick(short, short, long, long) override {}
    void KeyDown(short, short) override {}
    void KeyPress(short) override {}
    void KeyUp(short, short) override {}
    void MouseDown(short, short, long, long) override {}
    void MouseMove(short, short, long, long) override {}
    void MouseUp(short, short, long, long) override {}
    void DeviceDisconnect(IWMPSyncDevice*) override {}
    void DeviceStatusChange(IWMPSyncDevice*, WMPDeviceStatus) override {}
    void DeviceSyncStateChange(IWMPSyncDevice*, WMPSyncState) override {}
    void DeviceSyncError(IWMPSyncDevice*, IDispatch*) override {}
    void CreatePartnershipComplete(IWMPSyncDevice*, HRESULT) override {}

    std::vector<long> cdromChanges;
    std::vector<IWMPSyncDevice*> devices;
};

// The engine's side: a player object with both event points.
class CEventSource : public IConnectionPointContainer {
public:
    HRESULT QueryInterface(const IID& riid, void** object) override {
        return ComQueryInterface(this, riid, object, ComInterface<IConnectionPointContainer>());
    }
    HRESULT EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT FindConnectionPoint(const IID& riid, IConnectionPoint** point) override {
        *point = riid == IID_IWMPEvents2      ? static_cast<IConnectionPoint*>(&events2)
                 : riid == DIID__WMPOCXEvents ? static_cast<IConnectionPoint*>(&ocxEvents)
                                              : nullptr;
        if (!*point) {
            return CONNECT_E_NOCONNECTION;
        }
        (*point)->AddRef();
        return S_OK;
    }
    CConnectionPoint<IWMPEvents2> events2{this};
    CConnectionPoint<_WMPOCXEvents> ocxEvents{this};
};

TEST(WmpEventContractTest, OneSinkServesTheDirectAndTheDispatchRoute) {
    CComObject<CEventSource>* sourceObject = nullptr;
    ASSERT_EQ(CComObject<CEventSource>::CreateInstance(&sourceObject), S_OK);
    ComPtr<IConnectionPointContainer> source(sourceObject);
    CComObject<CEventSink>* sink = nullptr;
    ASSERT_EQ(CComObject<CEventSink>::CreateInstance(&sink), S_OK);
    ComPtr<IWMPEvents2> holdSink(sink);

    // The sink does not answer IWMPEvents by its own id; the direct point asks for IWMPEvents2.
    ComPtr<IWMPEvents> plainEvents;
    EXPECT_EQ(holdSink.As(&plainEvents), E_NOINTERFACE);

    for (const IID* iid : {&IID_IWMPEvents2, &DIID__WMPOCXEvents}) {
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(source->FindConnectionPoint(*iid, &point), S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(static_cast<IWMPEvents2*>(sink), &cookie), S_OK);
        EXPECT_NE(cookie, 0u);
    }

    sourceObject->events2.ForEachSink([](IWMPEvents2* s) {
        s->CdromMediaChange(1);
        s->DeviceConnect(nullptr);
    });
    CComVariant drive(LONG(2));
    DISPPARAMS params{&drive, nullptr, 1, 0};
    sourceObject->ocxEvents.ForEachDispatch([&](IDispatch* s) {
        s->Invoke(DISPID_WMPEVENT_CDROMMEDIACHANGE, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                  nullptr);
    });
    EXPECT_EQ(sink->cdromChanges, (std::vector<long>{1, 2}));
    EXPECT_EQ(sink->devices.size(), 1u);
}

} // namespace
