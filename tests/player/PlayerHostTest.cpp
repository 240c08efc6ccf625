// The hidden player inside the main window: created through the container in remote mode, its
// events connected, stopped when it starts playing, and torn down so that nothing of it survives.
#include "player/PlayerHost.h"
#include "player/PlayerMessages.h"
#include "tests/player/FakePlayer.h"
#include "tests/player/MessageLog.h"
#include "tests/support/engine/EngineFixture.h"

namespace {

class PlayerHosting : public CEngineFixture {
protected:
    void SetUp() override {
        CEngineFixture::SetUp();
        m_windows.SetProc(m_main, &m_log);
        m_hostObject = std::make_unique<CPlayerHost>();
    }
    void TearDown() override {
        m_hostObject.reset();
        CEngineFixture::TearDown();
    }
    // Registers a fake as the player control.
    ComPtr<CComObject<CFakePlayer>> UseFake() {
        ComPtr<CComObject<CFakePlayer>> fake(new CComObject<CFakePlayer>());
        m_registration.reset();
        m_registration = std::make_unique<CControlFactoryRegistration>(
            QString::fromUtf16(kWmpPlayerClsidText), [fake](IUnknown** control) {
                *control = static_cast<IWMPPlayer*>(fake.Get());
                (*control)->AddRef();
                return S_OK;
            });
        return fake;
    }
    void ExpectEverythingFreed() {
        EXPECT_EQ(CRemoteHost::LiveCount(), 0);
        EXPECT_EQ(CWMPEventDispatch::LiveCount(), 0);
        EXPECT_EQ(MediaEngineLiveObjects(), 0);
        EXPECT_FALSE(m_hostObject->HostWindow());
        EXPECT_FALSE(m_hostObject->Player());
        EXPECT_FALSE(m_hostObject->Controls());
        EXPECT_FALSE(m_hostObject->EventConnectionPoint());
        EXPECT_EQ(m_hostObject->AdviseCookie(), 0u);
    }

    CMessageLog m_log;
    std::unique_ptr<CPlayerHost> m_hostObject;
};

TEST_F(PlayerHosting, CreatesAHiddenControlInRemoteModeOverTheMainWindow) {
    RegisterEngine();
    ASSERT_TRUE(m_hostObject->CreatePlayer(m_main));
    EXPECT_EQ(m_hostObject->LastResult(), S_OK);

    CAxWindow* host = m_hostObject->HostWindow();
    ASSERT_TRUE(host && host->IsWindow());
    EXPECT_EQ(GetParent(host->m_hWnd), m_main);
    EXPECT_FALSE(IsWindowVisible(host->m_hWnd));
    RECT client{};
    ASSERT_TRUE(GetClientRect(host->m_hWnd, &client));
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    QString title = QStringLiteral("x");
    GetWindowText(host->m_hWnd, &title);
    EXPECT_TRUE(title.isEmpty());

    ASSERT_TRUE(m_hostObject->Player());
    ASSERT_TRUE(m_hostObject->Controls());
    ComPtr<IMediaEngineTest> test;
    ASSERT_EQ(ComPtr<IWMPPlayer>(m_hostObject->Player()).As(&test), S_OK);
    EXPECT_TRUE(test->IsRemote());

    // The player context takes its own references from the host window.
    ComPtr<IWMPPlayer4> player4;
    ASSERT_EQ(host->QueryControl(&player4), S_OK);
    ComPtr<IUnknown> a;
    ComPtr<IUnknown> b;
    ASSERT_EQ(player4.As(&a), S_OK);
    ASSERT_EQ(ComPtr<IWMPPlayer>(m_hostObject->Player()).As(&b), S_OK);
    EXPECT_EQ(a, b);
    player4 = nullptr;
    a = nullptr;
    b = nullptr;
    test = nullptr;

    m_hostObject->ShutdownPlayer();
    ExpectEverythingFreed();
}

TEST_F(PlayerHosting, AFailingStepGivesFalseAndShutdownStillFreesEverything) {
    struct Case {
        const char* what;
        std::function<HWND()> prepare; // returns the main window to use
        HRESULT expected;
    };
    const std::vector<Case> cases = {
        {"main window is no window",
         [this] {
             RegisterEngine();
             return reinterpret_cast<HWND>(0x4);
         },
         E_FAIL},
        {"player class not registered",
         [this] {
             m_registration.reset();
             return m_main;
         },
         REGDB_E_CLASSNOTREG},
        {"control cannot be made",
         [this] {
             m_registration = std::make_unique<CControlFactoryRegistration>(
                 QString::fromUtf16(kWmpPlayerClsidText), [](IUnknown** control) {
                     *control = nullptr;
                     return E_OUTOFMEMORY;
                 });
             return m_main;
         },
         E_OUTOFMEMORY},
        {"control is no player",
         [this] {
             m_registration = std::make_unique<CControlFactoryRegistration>(
                 QString::fromUtf16(kWmpPlayerClsidText), [](IUnknown** control) {
                     CComObject<CRemoteHost>* other = nullptr;
                     CComObject<CRemoteHost>::CreateInstance(&other);
                     *control = static_cast<IServiceProvider*>(other);
                     (*control)->AddRef();
                     return S_OK;
                 });
             return m_main;
         },
         E_FAIL},
        {"version cannot be read",
         [this] {
             m_config.faults.failingCalls = {QStringLiteral("get_versionInfo")};
             RegisterEngine();
             return m_main;
         },
         E_FAIL},
        {"no controls",
         [this] {
             m_config.faults.failingCalls = {QStringLiteral("get_controls")};
             RegisterEngine();
             return m_main;
         },
         E_FAIL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_config.faults = {};
        m_registration.reset();
        m_hostObject = std::make_unique<CPlayerHost>();
        const HWND main = c.prepare();
        EXPECT_FALSE(m_hostObject->CreatePlayer(main));
        EXPECT_EQ(m_hostObject->LastResult(), c.expected);
        m_hostObject->ShutdownPlayer();
        ExpectEverythingFreed();
    }
}

TEST_F(PlayerHosting, EventsReachTheMainWindowUntilShutdown) {
    RegisterEngine();
    ASSERT_TRUE(m_hostObject->CreatePlayer(m_main));
    ASSERT_TRUE(m_hostObject->ConnectPlayerEvents(m_main));
    EXPECT_NE(m_hostObject->AdviseCookie(), 0u);
    IID point{};
    ASSERT_EQ(m_hostObject->EventConnectionPoint()->GetConnectionInterface(&point), S_OK);
    EXPECT_EQ(point, IID_IWMPEvents2) << "the direct interface is preferred";
    EXPECT_EQ(CWMPEventDispatch::LiveCount(), 1);

    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    m_loop.Advance(kMediaPollMs);
    ASSERT_EQ(m_log.Count(WM_WMP_CDROMMEDIACHANGE), 1);
    EXPECT_EQ(m_log.messages.back().wParam, 0u);

    // What the CD and destination sides hold goes before the player is closed; an event raised
    // meanwhile reaches nobody.
    bool usersReleased = false;
    m_hostObject->ShutdownPlayer([&] {
        usersReleased = true;
        TakeOut(QLatin1Char('D'));
        m_loop.Advance(kMediaPollMs);
    });
    EXPECT_TRUE(usersReleased);
    EXPECT_EQ(m_log.Count(WM_WMP_CDROMMEDIACHANGE), 1);
    ExpectEverythingFreed();
    m_hostObject->ShutdownPlayer(); // twice is harmless
}

TEST_F(PlayerHosting, FallsBackToTheDispatchEventsAndClearsTheWindowBeforeUnadvising) {
    const auto fake = UseFake();
    fake->offersEvents2 = false;
    fake->lateEventOnUnadvise = true;
    ASSERT_TRUE(m_hostObject->CreatePlayer(m_main));
    ASSERT_TRUE(m_hostObject->ConnectPlayerEvents(m_main));
    EXPECT_EQ(fake->pointAdvised, DIID__WMPOCXEvents);

    fake->FireCdromMediaChange(2);
    ASSERT_EQ(m_log.Count(WM_WMP_CDROMMEDIACHANGE), 1);
    EXPECT_EQ(m_log.messages.back().wParam, 2u);

    m_hostObject->ShutdownPlayer();
    EXPECT_EQ(fake->unadvised, 1);
    EXPECT_EQ(fake->closes, 1);
    EXPECT_EQ(m_log.Count(WM_WMP_CDROMMEDIACHANGE), 1)
        << "the event sent while unadvising reached the window";
    EXPECT_EQ(CWMPEventDispatch::LiveCount(), 0);
    EXPECT_EQ(CRemoteHost::LiveCount(), 0);
}

TEST_F(PlayerHosting, ConnectingFailsCleanlyWithoutAPlayerOrAPoint) {
    EXPECT_FALSE(m_hostObject->ConnectPlayerEvents(m_main)) << "no player yet";
    EXPECT_EQ(CWMPEventDispatch::LiveCount(), 0);

    const auto fake = UseFake();
    fake->offersEvents2 = false;
    fake->offersOcxEvents = false;
    ASSERT_TRUE(m_hostObject->CreatePlayer(m_main));
    EXPECT_FALSE(m_hostObject->ConnectPlayerEvents(m_main));
    EXPECT_EQ(CWMPEventDispatch::LiveCount(), 0);
    EXPECT_EQ(m_hostObject->AdviseCookie(), 0u);
    m_hostObject->ShutdownPlayer();
    EXPECT_EQ(fake->unadvised, 0);
}

TEST_F(PlayerHosting, TheHiddenPlayerStopsOnlyWhenItPlaysOrBecomesReady) {
    const auto fake = UseFake();
    EXPECT_FALSE(m_hostObject->OnPlayStateChange(wmppsPlaying)) << "nothing to stop yet";
    ASSERT_TRUE(m_hostObject->CreatePlayer(m_main));
    for (long state = wmppsUndefined; state <= wmppsLast; ++state) {
        SCOPED_TRACE(state);
        const int before = fake->stops;
        const bool stopped = m_hostObject->OnPlayStateChange(state);
        const bool expected = state == wmppsPlaying || state == wmppsReady;
        EXPECT_EQ(stopped, expected);
        EXPECT_EQ(fake->stops - before, expected ? 1 : 0);
    }
}

} // namespace
