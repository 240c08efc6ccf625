// Other programs' windows on a real X server (Xvfb), with the test playing the window manager: it
// publishes the client list and the window properties an EWMH manager and its clients set, and
// receives the raise and close requests.
#include "platform/windows/X11WindowList.h"
#include "tests/support/EnvironmentScope.h"
#include "tests/support/X11TestClient.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

class X11WindowListTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString why;
        if (!m_server.Start(&why)) {
            GTEST_SKIP() << why.toStdString() << "; the X11 window list is not tested";
        }
        m_x = std::make_unique<CX11TestClient>(m_server.Display());
        ASSERT_TRUE(m_x->Connected());
    }

    CXvfbServer m_server;
    std::unique_ptr<CX11TestClient> m_x;
};

TEST_F(X11WindowListTest, ListsTheManagersClientsFrontMostFirstWithTheirProperties) {
    const xcb_atom_t utf8 = m_x->Atom("UTF8_STRING");
    const xcb_atom_t wmState = m_x->Atom("WM_STATE");
    const xcb_window_t player = m_x->NewWindow();
    m_x->Set(player, m_x->Atom("_NET_WM_NAME"), utf8, QByteArray("Windows Media Player"));
    m_x->Set(player, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, QByteArray("stale legacy title"));
    m_x->Set(player, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, QByteArray("wmplayer\0WMPlayerApp\0", 21));
    m_x->Set32(player, m_x->Atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, {77});
    m_x->Set32(player, wmState, wmState, {1, 0});
    const xcb_window_t dialog = m_x->NewWindow();
    m_x->Set(dialog, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, QByteArray("caf\xe9"));
    m_x->Set32(dialog, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, {player});
    m_x->Set32(dialog, wmState, wmState, {3, 0}); // minimised still counts as visible
    const xcb_window_t withdrawn = m_x->NewWindow(false);
    m_x->Set(withdrawn, m_x->Atom("_NET_WM_NAME"), utf8, QStringLiteral("ネットワーク").toUtf8());
    m_x->Set32(withdrawn, wmState, wmState, {0, 0});
    const xcb_window_t noState = m_x->NewWindow(true);
    const xcb_window_t gone = m_x->NewWindow();
    m_x->Destroy(gone);
    // Bottom to top, as the manager publishes it; one id is already dead.
    m_x->Set32(m_x->Root(), m_x->Atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW,
               {withdrawn, gone, dialog, player, noState});
    m_x->Sync();

    CX11WindowList list(m_server.Display());
    ASSERT_TRUE(list.Connected());
    const std::vector<SForeignWindow> windows = list.List();
    ASSERT_EQ(windows.size(), 4u) << "the dead window is left out";
    EXPECT_EQ(windows[0].id, noState);
    EXPECT_TRUE(windows[0].visible) << "no WM_STATE: mapped means visible";
    EXPECT_TRUE(windows[0].title.isEmpty());

    EXPECT_EQ(windows[1].id, player);
    EXPECT_EQ(windows[1].title, QStringLiteral("Windows Media Player")) << "_NET_WM_NAME wins over WM_NAME";
    EXPECT_EQ(windows[1].className, QStringLiteral("WMPlayerApp"));
    EXPECT_EQ(windows[1].pid, 77);
    EXPECT_EQ(windows[1].owner, 0u);
    EXPECT_TRUE(windows[1].visible);

    EXPECT_EQ(windows[2].id, dialog);
    EXPECT_EQ(windows[2].title, QStringLiteral("café")) << "WM_NAME as Latin-1 STRING";
    EXPECT_EQ(windows[2].owner, player);
    EXPECT_TRUE(windows[2].visible);

    EXPECT_EQ(windows[3].id, withdrawn);
    EXPECT_EQ(windows[3].title, QStringLiteral("ネットワーク"));
    EXPECT_FALSE(windows[3].visible);
}

TEST_F(X11WindowListTest, RaiseAndCloseAreRequestsToTheWindowManager) {
    const xcb_window_t player = m_x->NewWindow();
    m_x->Set32(m_x->Root(), m_x->Atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, {player});
    m_x->BecomeWindowManager();

    CX11WindowList list(m_server.Display());
    ASSERT_EQ(list.List().size(), 1u) << "the plain client list serves when there is no stacking list";
    list.Activate(player);
    list.Close(player);
    const auto messages = m_x->ClientMessages(2);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].type, m_x->Atom("_NET_ACTIVE_WINDOW"));
    EXPECT_EQ(messages[0].window, player);
    EXPECT_EQ(messages[0].data.data32[0], 2u) << "asked for on the user's behalf";
    EXPECT_EQ(messages[1].type, m_x->Atom("_NET_CLOSE_WINDOW"));
    EXPECT_EQ(messages[1].window, player);
}

TEST_F(X11WindowListTest, NoDisplayAWaylandSessionOrALostServerGiveAnEmptyList) {
    const xcb_window_t w = m_x->NewWindow();
    m_x->Set32(m_x->Root(), m_x->Atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, {w});
    m_x->Sync();
    {
        const CEnvironmentScope display("DISPLAY", m_server.Display());
        const CEnvironmentScope session("XDG_SESSION_TYPE", QByteArray("x11"));
        {
            const CEnvironmentScope wayland("WAYLAND_DISPLAY", QByteArray());
            EXPECT_TRUE(CX11WindowList::ForSession()->Connected());
        }
        {
            const CEnvironmentScope wayland("WAYLAND_DISPLAY", QByteArray("wayland-0"));
            const auto onWayland = CX11WindowList::ForSession();
            EXPECT_FALSE(onWayland->Connected());
            EXPECT_TRUE(onWayland->List().empty());
            onWayland->Activate(w); // nothing to send to, nothing breaks
        }
    }
    for (const QByteArray& name : {QByteArray(), QByteArray(":4711"), QByteArray("not a display")}) {
        CX11WindowList none(name);
        EXPECT_FALSE(none.Connected()) << name.constData();
        EXPECT_TRUE(none.List().empty());
        none.Close(w);
    }

    CX11WindowList list(m_server.Display());
    ASSERT_EQ(list.List().size(), 1u);
    m_server.Kill();
    EXPECT_TRUE(list.List().empty());
    EXPECT_FALSE(list.Connected());
    list.Activate(w);
}

} // namespace
