// The event sink: every event of the player turned into its window message with the converted
// parameters, the same whether it comes as a direct call or through Invoke; the events the program
// has no use for dropped; arguments that do not fit refused.
#include "player/WMPEventDispatch.h"
#include "platform/windows/WindowTable.h"
#include "player/PlayerMessages.h"
#include "tests/player/FakePlayer.h"
#include "tests/player/MessageLog.h"

#include <QString>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

#include "platform/Platform.h"
#include "platform/messages/VirtualMessageLoop.h"

namespace {

// A device that only has to be itself.
class CFakeDevice : public IWMPSyncDevice {
public:
    HRESULT QueryInterface(const IID& riid, void** object) override {
        return ComQueryInterface(this, riid, object, ComInterface<IWMPSyncDevice>());
    }
    ULONG AddRef() override = 0;
    ULONG Release() override = 0;
    HRESULT get_friendlyName(BSTR*) override { return E_NOTIMPL; }
    HRESULT get_deviceName(BSTR*) override { return E_NOTIMPL; }
    HRESULT get_deviceId(BSTR*) override { return E_NOTIMPL; }
    HRESULT get_partnershipIndex(long*) override { return E_NOTIMPL; }
    HRESULT get_connected(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT get_status(WMPDeviceStatus*) override { return E_NOTIMPL; }
    HRESULT get_syncState(WMPSyncState*) override { return E_NOTIMPL; }
    HRESULT getItemInfo(BSTR, BSTR*) override { return E_NOTIMPL; }
    HRESULT createPartnership(VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT deletePartnership() override { return E_NOTIMPL; }
    HRESULT stop() override { return E_NOTIMPL; }
    HRESULT isIdentical(IWMPSyncDevice*, VARIANT_BOOL*) override { return E_NOTIMPL; }
};

CComVariant Bool(bool value) {
    return CComVariant(value ? VARIANT_TRUE : VARIANT_FALSE, VT_BOOL);
}
CComVariant Short(short value) {
    return CComVariant(value, VT_I2);
}
CComVariant Long(LONG value) {
    return CComVariant(value);
}
CComVariant Text(const char* text) {
    return CComVariant(QString::fromUtf8(text));
}
CComVariant Error(HRESULT code) {
    CComVariant v;
    v.vt = VT_ERROR;
    v.scode = code;
    return v;
}

constexpr UINT kDropped = 0;

class EventSink : public ::testing::Test {
protected:
    void SetUp() override {
        CPlatform services;
        services.loop = &m_loop;
        services.windows = &m_windows;
        m_scope = std::make_unique<CPlatformScope>(services);
        m_window = m_windows.Create({.title = QStringLiteral("Ollivane"), .visible = true, .proc = &m_log});
        CComObject<CWMPEventDispatch>* sink = nullptr;
        ASSERT_EQ(CComObject<CWMPEventDispatch>::CreateInstance(&sink), S_OK);
        m_sink = sink;
        m_sink->SetTargetWindow(m_window);
    }
    void TearDown() override {
        m_sink = nullptr;
        m_scope.reset();
    }

    // Calls Invoke with the arguments given first-first (the block runs last first).
    HRESULT Invoke(DISPID member, std::vector<CComVariant> firstFirst, UINT* argError = nullptr) {
        std::vector<CComVariant> block(firstFirst.rbegin(), firstFirst.rend());
        DISPPARAMS params;
        params.rgvarg = block.empty() ? nullptr : block.data();
        params.cArgs = UINT(block.size());
        return m_sink->Invoke(member, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, argError);
    }

    CVirtualMessageLoop m_loop;
    CWindowTable m_windows;
    std::unique_ptr<CPlatformScope> m_scope;
    CMessageLog m_log;
    HWND m_window = nullptr;
    ComPtr<CComObject<CWMPEventDispatch>> m_sink;
    ComPtr<CComObject<CFakePlayer>> m_object{new CComObject<CFakePlayer>()};
    ComPtr<CComObject<CFakeDevice>> m_device{new CComObject<CFakeDevice>()};
};

TEST_F(EventSink, EveryEventArrivesAsItsMessageByEitherRoute) {
    IDispatch* object = static_cast<IWMPPlayer*>(m_object.Get());
    IWMPSyncDevice* device = m_device.Get();
    const WPARAM objectW = reinterpret_cast<WPARAM>(object);
    const WPARAM deviceW = reinterpret_cast<WPARAM>(device);
    const WPARAM allBits = static_cast<WPARAM>(LPARAM(-1));
    CComBSTR a(QStringLiteral("URL"));
    CComBSTR b(QStringLiteral("http://x/曲"));
    CComBSTR c(QStringLiteral("Rock"));

    struct Case {
        const char* name;
        std::function<void(IWMPEvents2*)> direct;
        DISPID member;
        std::vector<CComVariant> args;
        UINT message;
        WPARAM w = 0;
        LPARAM l = 0;
        QString wText = {};
        QString lText = {};
    };
    const std::vector<Case> cases = {
        {"OpenStateChange", [](IWMPEvents2* s) { s->OpenStateChange(6); }, 5001, {Long(6)}, 0x81A, 6},
        {"PlayStateChange", [](IWMPEvents2* s) { s->PlayStateChange(3); }, 5101, {Long(3)}, 0x821, 3},
        {"AudioLanguageChange",
         [](IWMPEvents2* s) { s->AudioLanguageChange(1041); },
         5102,
         {Long(1041)},
         0x800,
         1041},
        {"StatusChange", [](IWMPEvents2* s) { s->StatusChange(); }, 5002, {}, 0x824},
        {"ScriptCommand",
         [&](IWMPEvents2* s) { s->ScriptCommand(a, b); },
         5301,
         {Text("URL"), Text("http://x/曲")},
         0x823,
         0,
         0,
         QStringLiteral("URL"),
         QStringLiteral("http://x/曲")},
        {"NewStream", [](IWMPEvents2* s) { s->NewStream(); }, 5403, {}, kDropped},
        {"Disconnect", [](IWMPEvents2* s) { s->Disconnect(1); }, 5401, {Long(1)}, kDropped},
        {"Buffering(true)",
         [](IWMPEvents2* s) { s->Buffering(VARIANT_TRUE); },
         5402,
         {Bool(true)},
         0x801,
         allBits},
        {"Buffering(false)",
         [](IWMPEvents2* s) { s->Buffering(VARIANT_FALSE); },
         5402,
         {Bool(false)},
         0x801,
         0},
        {"Error", [](IWMPEvents2* s) { s->Error(); }, 5501, {}, 0x80A},
        {"Warning",
         [&](IWMPEvents2* s) { s->Warning(1, 2, c); },
         5601,
         {Long(1), Long(2), Text("w")},
         kDropped},
        {"EndOfStream", [](IWMPEvents2* s) { s->EndOfStream(0); }, 5201, {Long(0)}, kDropped},
        {"PositionChange",
         [](IWMPEvents2* s) { s->PositionChange(12.9, -0.5); },
         5202,
         {CComVariant(12.9), CComVariant(-0.5)},
         0x822,
         12,
         0},
        {"MarkerHit", [](IWMPEvents2* s) { s->MarkerHit(4); }, 5203, {Long(4)}, 0x80E, 4},
        {"DurationUnitChange", [](IWMPEvents2* s) { s->DurationUnitChange(2); }, 5204, {Long(2)}, kDropped},
        {"CdromMediaChange", [](IWMPEvents2* s) { s->CdromMediaChange(1); }, 5701, {Long(1)}, 0x802, 1},
        {"PlaylistChange",
         [&](IWMPEvents2* s) { s->PlaylistChange(object, wmplcNameChange); },
         5801,
         {CComVariant(object), Long(8)},
         0x81D,
         objectW,
         8},
        {"CurrentPlaylistChange",
         [](IWMPEvents2* s) { s->CurrentPlaylistChange(wmplcInsert); },
         5804,
         {Long(5)},
         0x806,
         5},
        {"CurrentPlaylistItemAvailable",
         [&](IWMPEvents2* s) { s->CurrentPlaylistItemAvailable(c); },
         5805,
         {Text("Rock")},
         0x807,
         0,
         0,
         QStringLiteral("Rock")},
        {"MediaChange",
         [&](IWMPEvents2* s) { s->MediaChange(object); },
         5802,
         {CComVariant(object)},
         0x80F,
         objectW},
        {"CurrentMediaItemAvailable",
         [&](IWMPEvents2* s) { s->CurrentMediaItemAvailable(c); },
         5803,
         {Text("Rock")},
         0x805,
         0,
         0,
         QStringLiteral("Rock")},
        {"CurrentItemChange",
         [&](IWMPEvents2* s) { s->CurrentItemChange(object); },
         5806,
         {CComVariant(object)},
         0x804,
         objectW},
        {"MediaCollectionChange", [](IWMPEvents2* s) { s->MediaCollectionChange(); }, 5807, {}, 0x813},
        {"AttributeStringAdded",
         [&](IWMPEvents2* s) { s->MediaCollectionAttributeStringAdded(a, c); },
         5808,
         {Text("URL"), Text("Rock")},
         0x810,
         0,
         0,
         QStringLiteral("URL"),
         QStringLiteral("Rock")},
        {"AttributeStringRemoved",
         [&](IWMPEvents2* s) { s->MediaCollectionAttributeStringRemoved(a, c); },
         5809,
         {Text("URL"), Text("Rock")},
         0x812,
         0,
         0,
         QStringLiteral("URL"),
         QStringLiteral("Rock")},
        {"AttributeStringChanged",
         [&](IWMPEvents2* s) { s->MediaCollectionAttributeStringChanged(a, b, c); },
         5820,
         {Text("URL"), Text("http://x/曲"), Text("Rock")},
         0x811,
         0,
         0,
         QStringLiteral("URL"),
         QStringLiteral("http://x/曲|Rock")},
        {"PlaylistCollectionChange", [](IWMPEvents2* s) { s->PlaylistCollectionChange(); }, 5810, {}, 0x81E},
        {"PlaylistAdded",
         [&](IWMPEvents2* s) { s->PlaylistCollectionPlaylistAdded(c); },
         5811,
         {Text("Rock")},
         0x81F,
         0,
         0,
         QStringLiteral("Rock")},
        {"PlaylistRemoved",
         [&](IWMPEvents2* s) { s->PlaylistCollectionPlaylistRemoved(c); },
         5812,
         {Text("Rock")},
         0x820,
         0,
         0,
         QStringLiteral("Rock")},
        {"PlaylistSetAsDeleted",
         [&](IWMPEvents2* s) { s->PlaylistCollectionPlaylistSetAsDeleted(c, VARIANT_TRUE); },
         5818,
         {Text("Rock"), Bool(true)},
         kDropped},
        {"ModeChange",
         [&](IWMPEvents2* s) { s->ModeChange(c, VARIANT_TRUE); },
         5819,
         {Text("Rock"), Bool(true)},
         0x815,
         0,
         -1,
         QStringLiteral("Rock")},
        {"MediaError",
         [&](IWMPEvents2* s) { s->MediaError(object); },
         5821,
         {CComVariant(object)},
         0x814,
         objectW},
        {"OpenPlaylistSwitch",
         [&](IWMPEvents2* s) { s->OpenPlaylistSwitch(object); },
         5823,
         {CComVariant(object)},
         0x819,
         objectW},
        {"DomainChange",
         [&](IWMPEvents2* s) { s->DomainChange(c); },
         5822,
         {Text("Rock")},
         0x808,
         0,
         0,
         QStringLiteral("Rock")},
        {"SwitchedToPlayerApplication",
         [](IWMPEvents2* s) { s->SwitchedToPlayerApplication(); },
         6501,
         {},
         0x826},
        {"SwitchedToControl", [](IWMPEvents2* s) { s->SwitchedToControl(); }, 6502, {}, 0x825},
        {"PlayerDockedStateChange", [](IWMPEvents2* s) { s->PlayerDockedStateChange(); }, 6503, {}, 0x81B},
        {"PlayerReconnect", [](IWMPEvents2* s) { s->PlayerReconnect(); }, 6504, {}, 0x81C},
        {"Click",
         [](IWMPEvents2* s) { s->Click(1, 0, 5, 6); },
         6505,
         {Short(1), Short(0), Long(5), Long(6)},
         kDropped},
        {"DoubleClick",
         [](IWMPEvents2* s) { s->DoubleClick(1, 0, 5, 6); },
         6506,
         {Short(1), Short(0), Long(5), Long(6)},
         kDropped},
        {"KeyDown", [](IWMPEvents2* s) { s->KeyDown(13, 0); }, 6507, {Short(13), Short(0)}, kDropped},
        {"KeyPress", [](IWMPEvents2* s) { s->KeyPress(65); }, 6508, {Short(65)}, kDropped},
        {"KeyUp", [](IWMPEvents2* s) { s->KeyUp(13, 0); }, 6509, {Short(13), Short(0)}, kDropped},
        {"MouseDown",
         [](IWMPEvents2* s) { s->MouseDown(1, 0, 5, 6); },
         6510,
         {Short(1), Short(0), Long(5), Long(6)},
         kDropped},
        {"MouseMove",
         [](IWMPEvents2* s) { s->MouseMove(1, 0, 5, 6); },
         6511,
         {Short(1), Short(0), Long(5), Long(6)},
         kDropped},
        {"MouseUp",
         [](IWMPEvents2* s) { s->MouseUp(1, 0, 5, 6); },
         6512,
         {Short(1), Short(0), Long(5), Long(6)},
         kDropped},
        {"DeviceConnect",
         [&](IWMPEvents2* s) { s->DeviceConnect(device); },
         6513,
         {CComVariant(static_cast<IUnknown*>(device))},
         0x84D,
         deviceW},
        {"DeviceDisconnect",
         [&](IWMPEvents2* s) { s->DeviceDisconnect(device); },
         6514,
         {CComVariant(static_cast<IUnknown*>(device))},
         0x84E,
         deviceW},
        {"DeviceStatusChange",
         [&](IWMPEvents2* s) { s->DeviceStatusChange(device, wmpdsNewDevice); },
         6515,
         {CComVariant(static_cast<IUnknown*>(device)), Long(5)},
         0x84F,
         deviceW,
         5},
        {"DeviceSyncStateChange",
         [&](IWMPEvents2* s) { s->DeviceSyncStateChange(device, wmpssSynchronizing); },
         6516,
         {CComVariant(static_cast<IUnknown*>(device)), Long(1)},
         0x851,
         deviceW,
         1},
        {"DeviceSyncError",
         [&](IWMPEvents2* s) { s->DeviceSyncError(device, object); },
         6517,
         {CComVariant(static_cast<IUnknown*>(device)), CComVariant(object)},
         0x850,
         deviceW,
         reinterpret_cast<LPARAM>(object)},
        {"CreatePartnershipComplete",
         [&](IWMPEvents2* s) { s->CreatePartnershipComplete(device, E_FAIL); },
         6518,
         {CComVariant(static_cast<IUnknown*>(device)), Error(E_FAIL)},
         0x84C,
         deviceW,
         LPARAM(E_FAIL)},
    };
    ASSERT_EQ(cases.size(), 52u) << "one row per event (slots 3 to 53), Buffering twice";

    for (const Case& c : cases) {
        for (const bool viaInvoke : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (viaInvoke ? " via Invoke" : " direct"));
            m_log.messages.clear();
            if (viaInvoke) {
                EXPECT_EQ(Invoke(c.member, c.args), DISP_E_MEMBERNOTFOUND);
            } else {
                c.direct(m_sink.Get());
            }
            if (c.message == kDropped) {
                EXPECT_TRUE(m_log.messages.empty());
                continue;
            }
            ASSERT_EQ(m_log.messages.size(), 1u);
            const LoggedMessage& m = m_log.messages[0];
            EXPECT_EQ(m.message, c.message);
            if (c.wText.isEmpty()) {
                EXPECT_EQ(m.wParam, c.w);
            } else {
                EXPECT_EQ(m.wText, c.wText);
            }
            if (c.lText.isEmpty()) {
                EXPECT_EQ(m.lParam, c.l);
            } else {
                EXPECT_EQ(m.lText, c.lText);
            }
        }
    }

    // Without a window nothing is sent.
    m_sink->SetTargetWindow(nullptr);
    m_log.messages.clear();
    for (const Case& c : cases) {
        c.direct(m_sink.Get());
        Invoke(c.member, c.args);
    }
    EXPECT_TRUE(m_log.messages.empty());
}

TEST_F(EventSink, InvokeRefusesArgumentsThatDoNotFitAndSendsNothing) {
    EXPECT_EQ(m_sink->Invoke(DISPID_WMPEVENT_CDROMMEDIACHANGE, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr,
                             nullptr, nullptr),
              E_POINTER);

    CComVariant one = Long(1);
    DISPID named = 0;
    DISPPARAMS withName;
    withName.rgvarg = &one;
    withName.cArgs = 1;
    withName.rgdispidNamedArgs = &named;
    withName.cNamedArgs = 1;
    EXPECT_EQ(m_sink->Invoke(DISPID_WMPEVENT_CDROMMEDIACHANGE, IID_NULL, 0, DISPATCH_METHOD, &withName,
                             nullptr, nullptr, nullptr),
              DISP_E_NONAMEDARGS);

    DISPPARAMS noBlock;
    noBlock.cArgs = 1;
    EXPECT_EQ(m_sink->Invoke(DISPID_WMPEVENT_CDROMMEDIACHANGE, IID_NULL, 0, DISPATCH_METHOD, &noBlock,
                             nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);

    IDispatch* notADevice = static_cast<IWMPPlayer*>(m_object.Get());
    {
        struct Bad {
            const char* what;
            DISPID member;
            std::vector<CComVariant> args;
            HRESULT expected;
            UINT argError; // position in the block (last argument first)
        };
        const std::vector<Bad> cases = {
            {"too few", DISPID_WMPEVENT_CDROMMEDIACHANGE, {}, DISP_E_BADPARAMCOUNT, 99},
            {"too many", DISPID_WMPEVENT_CDROMMEDIACHANGE, {Long(1), Long(2)}, DISP_E_BADPARAMCOUNT, 99},
            {"string for a number", DISPID_WMPEVENT_CDROMMEDIACHANGE, {Text("1")}, DISP_E_TYPEMISMATCH, 0},
            {"second position is text",
             DISPID_WMPEVENT_POSITIONCHANGE,
             {CComVariant(1.0), Text("2")},
             DISP_E_TYPEMISMATCH,
             0},
            {"first position is text",
             DISPID_WMPEVENT_POSITIONCHANGE,
             {Text("1"), CComVariant(2.0)},
             DISP_E_TYPEMISMATCH,
             1},
            {"number for an object", DISPID_WMPEVENT_MEDIACHANGE, {Long(5)}, DISP_E_TYPEMISMATCH, 0},
            {"number for a flag", DISPID_WMPEVENT_BUFFERING, {Long(1)}, DISP_E_TYPEMISMATCH, 0},
            {"object that is no device",
             DISPID_WMPEVENT_DEVICECONNECT,
             {CComVariant(notADevice)},
             DISP_E_TYPEMISMATCH,
             0},
            {"state given as text",
             DISPID_WMPEVENT_DEVICESYNCSTATECHANGE,
             {CComVariant(static_cast<IUnknown*>(m_device.Get())), Text("2")},
             DISP_E_TYPEMISMATCH,
             0},
            {"unknown member", 4242, {Long(1)}, DISP_E_MEMBERNOTFOUND, 99},
        };
        for (const Bad& c : cases) {
            SCOPED_TRACE(c.what);
            UINT argError = 99;
            EXPECT_EQ(Invoke(c.member, c.args, &argError), c.expected);
            EXPECT_EQ(argError, c.argError);
        }
    }
    EXPECT_TRUE(m_log.messages.empty());
    EXPECT_EQ(m_object->AddRef(), 2u) << "a refused device argument left a reference behind";
    m_object->Release();
}

TEST_F(EventSink, PositionsAreWholeSecondsHeldInRange) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double seconds;
        LONG expected;
    } cases[] = {{12.9, 12},
                 {-0.5, 0},
                 {-3.7, -3},
                 {0.0, 0},
                 {nan, 0},
                 {inf, 2147483647},
                 {-inf, -2147483647 - 1},
                 {1e12, 2147483647},
                 {-1e12, -2147483647 - 1},
                 {2147483646.9, 2147483646}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        m_log.messages.clear();
        m_sink->PositionChange(c.seconds, c.seconds);
        ASSERT_EQ(m_log.messages.size(), 1u);
        EXPECT_EQ(static_cast<LONG>(static_cast<LPARAM>(m_log.messages[0].wParam)), c.expected);
        EXPECT_EQ(m_log.messages[0].lParam, LPARAM(c.expected));
    }
}

TEST_F(EventSink, AnswersTheDispatchAndTheDirectInterface) {
    ComPtr<IUnknown> identity;
    ASSERT_EQ(ComPtr<IWMPEvents2>(m_sink.Get()).As(&identity), S_OK);
    ComPtr<_WMPOCXEvents> ocx;
    ComPtr<IDispatch> dispatch;
    ComPtr<IWMPEvents2> direct;
    EXPECT_EQ(identity.As(&ocx), S_OK);
    EXPECT_EQ(identity.As(&dispatch), S_OK);
    EXPECT_EQ(identity.As(&direct), S_OK);
    EXPECT_EQ(static_cast<IDispatch*>(ocx.Get()), dispatch.Get()) << "IDispatch is the dispinterface";
    ComPtr<IWMPEvents> events;
    EXPECT_EQ(identity.As(&events), E_NOINTERFACE);
    UINT count = 7;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), E_NOTIMPL);
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, nullptr, 0, 0, nullptr), E_NOTIMPL);
    EXPECT_EQ(dispatch->GetTypeInfo(0, 0, nullptr), E_NOTIMPL);
}

} // namespace
