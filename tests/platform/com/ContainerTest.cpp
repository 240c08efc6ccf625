// The control container: a host window that makes a registered control, gives it the program's site
// and answers the questions the program asks through window messages.
#include "ComTestObjects.h"

#include "platform/Platform.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ObjectWithSite.h"
#include "platform/container/AxHostWindow.h"
#include "platform/container/AxWindow.h"
#include "platform/container/ControlFactoryRegistration.h"
#include "platform/windows/WindowTable.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

constexpr char16_t kTestClsid[] = u"{A0000003-0000-4000-8000-0000000000C1}";

// A control that remembers the sites it was given.
class CFakeControl : public ITestFoo, public IObjectWithSite {
public:
    static inline int live = 0;
    static inline HRESULT setSiteResult = S_OK;
    CFakeControl() { ++live; }
    ~CFakeControl() override { --live; }

    HRESULT QueryInterface(const IID& riid, void** object) override {
        return ComQueryInterface(this, riid, object, ComInterface<ITestFoo>(),
                                 ComInterface<IObjectWithSite>());
    }
    int Foo() override { return 11; }
    HRESULT SetSite(IUnknown* site) override {
        if (FAILED(setSiteResult)) {
            return setSiteResult;
        }
        sites.push_back(site);
        m_site = site;
        return S_OK;
    }
    HRESULT GetSite(const IID& riid, void** site) override {
        return m_site ? m_site->QueryInterface(riid, site) : E_FAIL;
    }

    std::vector<IUnknown*> sites; // as given, null included
    static inline CFakeControl* last = nullptr;

private:
    ComPtr<IUnknown> m_site;
};

HRESULT MakeFakeControl(IUnknown** control) {
    CComObject<CFakeControl>* made = nullptr;
    const HRESULT hr = CComObject<CFakeControl>::CreateInstance(&made);
    if (FAILED(hr)) {
        return hr;
    }
    CFakeControl::last = made;
    *control = static_cast<ITestFoo*>(made);
    (*control)->AddRef();
    return S_OK;
}

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        CFakeControl::setSiteResult = S_OK;
        CFakeControl::last = nullptr;
        parent = windows.Create(
            {.title = QStringLiteral("Ollivane"), .visible = true, .client = RECT{0, 0, 600, 400}});
        site.Attach(NewFooBar());
    }
    void TearDown() override {
        site.Reset();
        EXPECT_EQ(CFakeControl::live, 0);
        EXPECT_EQ(CFooBar::live, 0);
    }

    // The host window as the program makes it: a hidden child covering the main window.
    std::unique_ptr<CAxWindow> NewHostWindow() {
        auto host = std::make_unique<CAxWindow>();
        RECT client{};
        GetClientRect(parent, &client);
        EXPECT_NE(host->Create(parent, client, QString(), WS_CHILD | WS_CLIPCHILDREN, WS_EX_TOPMOST),
                  nullptr);
        return host;
    }

    CWindowTable windows;
    CPlatform services{.windows = &windows};
    CPlatformScope scope{services};
    CControlFactoryRegistration registration{QString::fromUtf16(kTestClsid), MakeFakeControl};
    HWND parent = nullptr;
    ComPtr<ITestFoo> site; // stands for the program's remote host
};

TEST_F(ContainerTest, CreatesTheRegisteredControlAndHandsItTheSite) {
    std::unique_ptr<CAxWindow> host = NewHostWindow();
    const CWindowTable::Window record = windows.Get(host->m_hWnd);
    EXPECT_EQ(record.className, QStringLiteral("AtlAxWin80"));
    EXPECT_TRUE(record.child);
    EXPECT_EQ(record.owner, parent);
    EXPECT_FALSE(IsWindowVisible(host->m_hWnd)) << "no WS_VISIBLE, so the control stays hidden";
    EXPECT_TRUE(AtlAxWinClassNames().contains(QStringLiteral("AtlAxWinLic80")));

    ComPtr<IObjectWithSite> withSite;
    ASSERT_EQ(host->QueryHost(&withSite), S_OK);
    ASSERT_EQ(withSite->SetSite(site.Get()), S_OK);
    ComPtr<IAxWinHostWindow> axHost;
    ASSERT_EQ(host->QueryHost(&axHost), S_OK);
    // Class ids compare as GUIDs: the lower-case text finds the registration.
    ASSERT_EQ(axHost->CreateControl(u"{a0000003-0000-4000-8000-0000000000c1}", host->m_hWnd, nullptr), S_OK);

    ASSERT_NE(CFakeControl::last, nullptr);
    ASSERT_EQ(CFakeControl::last->sites.size(), 1u);
    EXPECT_EQ(CFakeControl::last->sites[0], site.Get()) << "the control got the program's site at creation";

    ComPtr<ITestFoo> control;
    ASSERT_EQ(host->QueryControl(&control), S_OK);
    EXPECT_EQ(control->Foo(), 11);
    ComPtr<ITestBar> notOffered;
    EXPECT_EQ(host->QueryControl(&notOffered), E_NOINTERFACE);
    EXPECT_FALSE(notOffered);
}

TEST_F(ContainerTest, RefusesClassIdsWithoutAFactoryAndReportsFactoryFailures) {
    std::unique_ptr<CAxWindow> host = NewHostWindow();
    ComPtr<IAxWinHostWindow> axHost;
    ASSERT_EQ(host->QueryHost(&axHost), S_OK);

    EXPECT_EQ(axHost->CreateControl(u"{6BF52A52-394A-11d3-B153-00C04F79FAA6}", host->m_hWnd, nullptr),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(axHost->CreateControl(u"not a class id", host->m_hWnd, nullptr), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(axHost->CreateControl(nullptr, host->m_hWnd, nullptr), E_POINTER);
    {
        CControlFactoryRegistration failing(QString::fromUtf16(kTestClsid),
                                            [](IUnknown**) { return E_OUTOFMEMORY; });
        EXPECT_EQ(axHost->CreateControl(kTestClsid, host->m_hWnd, nullptr), E_OUTOFMEMORY);
    }
    {
        CControlFactoryRegistration empty(QString::fromUtf16(kTestClsid), [](IUnknown**) { return S_OK; });
        EXPECT_EQ(axHost->CreateControl(kTestClsid, host->m_hWnd, nullptr), E_FAIL)
            << "success without a control is no success";
    }
    ComPtr<IUnknown> control;
    EXPECT_EQ(host->QueryControl(&control), E_NOINTERFACE);
    EXPECT_EQ(SendMessage(host->m_hWnd, RegisterWindowMessage(QStringLiteral("WM_ATLGETCONTROL")), 0, 0), 0);

    // The scoped registrations put the original factory back.
    EXPECT_EQ(axHost->CreateControl(kTestClsid, host->m_hWnd, nullptr), S_OK);
}

TEST_F(ContainerTest, AControlThatRefusesItsSiteIsNotKept) {
    std::unique_ptr<CAxWindow> host = NewHostWindow();
    ComPtr<IObjectWithSite> withSite;
    ASSERT_EQ(host->QueryHost(&withSite), S_OK);
    withSite->SetSite(site.Get());
    CFakeControl::setSiteResult = E_ACCESSDENIED;
    EXPECT_EQ(host->CreateControl(kTestClsid), E_ACCESSDENIED);
    EXPECT_EQ(CFakeControl::live, 0);
    ComPtr<IUnknown> control;
    EXPECT_EQ(host->QueryControl(&control), E_NOINTERFACE);
}

TEST_F(ContainerTest, WindowMessagesAnswerWithAReferenceForTheCaller) {
    std::unique_ptr<CAxWindow> host = NewHostWindow();
    ASSERT_EQ(host->CreateControl(kTestClsid), S_OK);
    ComPtr<ITestFoo> control;
    ASSERT_EQ(host->QueryControl(&control), S_OK);
    const ULONG before = RefCount(control.Get());

    const UINT getControl = RegisterWindowMessage(QStringLiteral("WM_ATLGETCONTROL"));
    auto* answered = reinterpret_cast<IUnknown*>(SendMessage(host->m_hWnd, getControl, 0, 0));
    ASSERT_NE(answered, nullptr);
    EXPECT_EQ(RefCount(answered), before + 1) << "the receiver owns one reference";
    ComPtr<ITestFoo> viaMessage;
    ASSERT_EQ(ComPtr<IUnknown>(answered).As(&viaMessage), S_OK);
    answered->Release();
    EXPECT_EQ(viaMessage.Get(), control.Get());
    viaMessage.Reset();

    const UINT getHost = RegisterWindowMessage(QStringLiteral("WM_ATLGETHOST"));
    auto* hostUnknown = reinterpret_cast<IUnknown*>(SendMessage(host->m_hWnd, getHost, 0, 0));
    ASSERT_NE(hostUnknown, nullptr);
    ComPtr<IUnknown> identity;
    ASSERT_EQ(host->QueryHost(&identity), S_OK);
    EXPECT_EQ(hostUnknown, identity.Get());
    hostUnknown->Release();

    // The design's player context reaches the control through the free function too.
    IUnknown* viaFunction = nullptr;
    ASSERT_EQ(AtlAxGetControl(host->m_hWnd, &viaFunction), S_OK);
    viaFunction->Release();
    EXPECT_EQ(RefCount(control.Get()), before);
    EXPECT_EQ(AtlAxGetControl(parent, &viaFunction), E_FAIL) << "a window that is no host answers nothing";
    EXPECT_EQ(viaFunction, nullptr);
}

TEST_F(ContainerTest, ASiteSetLaterReachesTheControlAndIsTakenBackAtTheEnd) {
    std::unique_ptr<CAxWindow> host = NewHostWindow();
    ASSERT_EQ(host->CreateControl(kTestClsid), S_OK);
    CFakeControl* control = CFakeControl::last;
    EXPECT_TRUE(control->sites.empty()) << "no site yet, none given";

    ComPtr<IObjectWithSite> withSite;
    ASSERT_EQ(host->QueryHost(&withSite), S_OK);
    ASSERT_EQ(withSite->SetSite(site.Get()), S_OK);
    ASSERT_EQ(control->sites.size(), 1u);
    EXPECT_EQ(control->sites[0], site.Get());
    ComPtr<ITestFoo> asked;
    EXPECT_EQ(withSite->GetSite(IID_ITestFoo, reinterpret_cast<void**>(asked.ReleaseAndGetAddressOf())),
              S_OK);
    EXPECT_EQ(asked.Get(), site.Get());
    asked.Reset();
    withSite.Reset();

    const HWND hwnd = host->m_hWnd;
    std::vector<IUnknown*>* sites = &control->sites;
    (void)sites;
    host.reset();
    EXPECT_FALSE(IsWindow(hwnd)) << "the host window goes with its object";
    EXPECT_EQ(CFakeControl::live, 0) << "and the control with it";
    EXPECT_EQ(RefCount(site.Get()), 1u) << "the control gave the site back";
}

TEST_F(ContainerTest, DestroyingTheParentFirstLeavesTheHostSafeUntilItGoes) {
    std::unique_ptr<CAxWindow> host = NewHostWindow();
    ASSERT_EQ(host->CreateControl(kTestClsid), S_OK);
    const HWND hwnd = host->m_hWnd;
    windows.Destroy(parent);
    EXPECT_FALSE(IsWindow(hwnd)) << "children go with their parent";
    EXPECT_EQ(SendMessage(hwnd, RegisterWindowMessage(QStringLiteral("WM_ATLGETCONTROL")), 0, 0), 0);
    EXPECT_EQ(CFakeControl::live, 1);
    EXPECT_FALSE(host->DestroyWindow()) << "no window left to destroy";
    EXPECT_EQ(CFakeControl::live, 0);
}

TEST_F(ContainerTest, AHostWindowNeedsAnExistingParent) {
    CAxWindow host;
    EXPECT_EQ(host.Create(nullptr, RECT{}), nullptr);
    windows.Destroy(parent);
    EXPECT_EQ(host.Create(parent, RECT{}), nullptr);
    ComPtr<IUnknown> nothing;
    EXPECT_EQ(host.QueryHost(&nothing), E_FAIL);
}

} // namespace
