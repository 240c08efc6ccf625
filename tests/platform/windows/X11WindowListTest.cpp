// Other programs' windows on a real X server (Xvfb), with the test playing the window manager: it
// publishes the client list and the window properties an EWMH manager and its clients set, and
// receives the raise and close requests.
#include "platform/windows/X11WindowList.h"
#include "tests/support/EnvironmentScope.h"

#include <xcb/xcb.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

class X11WindowListTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) {
            GTEST_SKIP()
                << "Xvfb is not installed (scripts/setup installs it); the X11 window list is not tested";
        }
        // -displayfd picks a free display and tells its number on our end of the pipe.
        m_server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                              QStringLiteral("320x240x24")});
        QByteArray number;
        QElapsedTimer timer;
        timer.start();
        while (!number.contains('\n') && timer.elapsed() < 20000 &&
               m_server.state() != QProcess::NotRunning) {
            m_server.waitForReadyRead(100);
            number += m_server.readAllStandardOutput();
        }
        ASSERT_TRUE(number.contains('\n'))
            << "Xvfb did not start: " << m_server.readAllStandardError().constData();
        m_display = ':' + number.trimmed();
        m_c = xcb_connect(m_display.constData(), nullptr);
        ASSERT_EQ(xcb_connection_has_error(m_c), 0);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
    }

    void TearDown() override {
        if (m_c) {
            xcb_disconnect(m_c);
        }
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            m_server.waitForFinished(5000);
        }
    }

    xcb_atom_t Atom(const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            m_c, xcb_intern_atom(m_c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : 0;
        std::free(reply);
        return atom;
    }

    xcb_window_t NewWindow(bool map = true) {
        const xcb_window_t w = xcb_generate_id(m_c);
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, w, m_root, 0, 0, 50, 50, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        if (map) {
            xcb_map_window(m_c, w);
        }
        return w;
    }

    void Set(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, const QByteArray& bytes) {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, w, property, type, 8,
                            static_cast<std::uint32_t>(bytes.size()), bytes.constData());
    }
    void Set32(xcb_window_t w, xcb_atom_t property, xcb_atom_t type,
               const std::vector<std::uint32_t>& values) {
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, w, property, type, 32,
                            static_cast<std::uint32_t>(values.size()), values.data());
    }
    void Sync() { std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr)); }

    // The client messages the window manager receives within a second.
    std::vector<xcb_client_message_event_t> ClientMessages(std::size_t wanted) {
        std::vector<xcb_client_message_event_t> messages;
        QElapsedTimer timer;
        timer.start();
        while (messages.size() < wanted && timer.elapsed() < 1000) {
            xcb_generic_event_t* event = xcb_poll_for_event(m_c);
            if (!event) {
                QThread::msleep(5);
                continue;
            }
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                messages.push_back(*reinterpret_cast<xcb_client_message_event_t*>(event));
            }
            std::free(event);
        }
        return messages;
    }

    QProcess m_server;
    QByteArray m_display;
    xcb_connection_t* m_c = nullptr;
    xcb_window_t m_root = 0;
};

TEST_F(X11WindowListTest, ListsTheManagersClientsFrontMostFirstWithTheirProperties) {
    const xcb_atom_t utf8 = Atom("UTF8_STRING");
    const xcb_atom_t wmState = Atom("WM_STATE");
    const xcb_window_t player = NewWindow();
    Set(player, Atom("_NET_WM_NAME"), utf8, QByteArray("Windows Media Player"));
    Set(player, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, QByteArray("stale legacy title"));
    Set(player, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, QByteArray("wmplayer\0WMPlayerApp\0", 21));
    Set32(player, Atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, {77});
    Set32(player, wmState, wmState, {1, 0});
    const xcb_window_t dialog = NewWindow();
    Set(dialog, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, QByteArray("caf\xe9"));
    Set32(dialog, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, {player});
    Set32(dialog, wmState, wmState, {3, 0}); // minimised still counts as visible
    const xcb_window_t withdrawn = NewWindow(false);
    Set(withdrawn, Atom("_NET_WM_NAME"), utf8, QStringLiteral("ネットワーク").toUtf8());
    Set32(withdrawn, wmState, wmState, {0, 0});
    const xcb_window_t noState = NewWindow(true);
    const xcb_window_t gone = NewWindow();
    xcb_destroy_window(m_c, gone);
    // Bottom to top, as the manager publishes it; one id is already dead.
    Set32(m_root, Atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW,
          {withdrawn, gone, dialog, player, noState});
    Sync();

    CX11WindowList list(m_display);
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
    const xcb_window_t player = NewWindow();
    Set32(m_root, Atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, {player});
    const std::uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
    xcb_change_window_attributes(m_c, m_root, XCB_CW_EVENT_MASK, &redirect);
    Sync();

    CX11WindowList list(m_display);
    ASSERT_EQ(list.List().size(), 1u) << "the plain client list serves when there is no stacking list";
    list.Activate(player);
    list.Close(player);
    const auto messages = ClientMessages(2);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].type, Atom("_NET_ACTIVE_WINDOW"));
    EXPECT_EQ(messages[0].window, player);
    EXPECT_EQ(messages[0].data.data32[0], 2u) << "asked for on the user's behalf";
    EXPECT_EQ(messages[1].type, Atom("_NET_CLOSE_WINDOW"));
    EXPECT_EQ(messages[1].window, player);
}

TEST_F(X11WindowListTest, NoDisplayAWaylandSessionOrALostServerGiveAnEmptyList) {
    const xcb_window_t w = NewWindow();
    Set32(m_root, Atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, {w});
    Sync();
    {
        const CEnvironmentScope display("DISPLAY", m_display);
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

    CX11WindowList list(m_display);
    ASSERT_EQ(list.List().size(), 1u);
    m_server.kill();
    m_server.waitForFinished(5000);
    EXPECT_TRUE(list.List().empty());
    EXPECT_FALSE(list.Connected());
    list.Activate(w);
}

} // namespace
