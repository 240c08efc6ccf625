// The window list the program enumerates: z-order, titles, foreign windows and SendMessage.
#include "platform/windows/WindowTable.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

namespace {

class WindowTableTest : public ::testing::Test {
protected:
    CWindowTable windows;
    CPlatform services{.windows = &windows};
    CPlatformScope scope{services};
};

TEST_F(WindowTableTest, EnumerationIsFrontMostFirstAndFollowsTheForeground) {
    HWND a = windows.Create({.title = QStringLiteral("A"), .visible = true});
    HWND b = windows.Create({.title = QStringLiteral("B"), .visible = true});
    windows.Create({.title = QStringLiteral("child of A"), .owner = a, .child = true});
    std::vector<HWND> order;
    EnumWindows([&](HWND h) {
        order.push_back(h);
        return TRUE;
    });
    EXPECT_EQ(order, (std::vector<HWND>{b, a})) << "children are not top-level";
    EXPECT_TRUE(SetForegroundWindow(a));
    EXPECT_EQ(GetForegroundWindow(), a);
    EXPECT_EQ(FindWindow({}, QStringLiteral("A")), a);
    EXPECT_EQ(FindWindow({}, QStringLiteral("a")), nullptr) << "titles compare exactly";
}

TEST_F(WindowTableTest, DestroyedHandlesStayInvalidAndTakeTheirChildren) {
    HWND parent = windows.Create({.title = QStringLiteral("P"), .visible = true});
    HWND child = windows.Create({.owner = parent, .child = true, .visible = true});
    EXPECT_TRUE(IsWindowVisible(child));
    ShowWindow(parent, 0);
    EXPECT_FALSE(IsWindowVisible(child)) << "a child shows only inside a visible parent";
    windows.Destroy(parent);
    EXPECT_FALSE(IsWindow(parent));
    EXPECT_FALSE(IsWindow(child));
    HWND next = windows.Create({.title = QStringLiteral("N")});
    EXPECT_NE(next, parent);
    EXPECT_EQ(SendMessage(parent, WM_CLOSE, 0, 0), 0);
}

TEST_F(WindowTableTest, SendMessageCallsTheProcAndCountsCloseOnForeignWindows) {
    struct Proc : IWindowProc {
        UINT last = 0;
        LRESULT WindowProc(HWND, UINT m, WPARAM w, LPARAM l) override {
            last = m;
            return static_cast<LRESULT>(w) + l;
        }
    } proc;
    HWND ours = windows.Create({.title = QStringLiteral("ours"), .proc = &proc});
    EXPECT_EQ(SendMessage(ours, WM_USER, 40, 2), 42);
    EXPECT_EQ(proc.last, WM_USER);
    HWND player = windows.Create({.title = QStringLiteral("Windows Media Player"), .visible = true});
    SendMessage(player, WM_CLOSE, 0, 0);
    EXPECT_EQ(windows.Get(player).closeRequests, 1);
}

TEST_F(WindowTableTest, RegisteredMessagesAreStablePerNameAndInTheRegisteredRange) {
    const UINT a = RegisterWindowMessage(QStringLiteral("WM_ATLGETCONTROL"));
    const UINT b = RegisterWindowMessage(QStringLiteral("QueryCancelAutoPlay"));
    EXPECT_GE(a, 0xC000u);
    EXPECT_NE(a, b);
    EXPECT_EQ(RegisterWindowMessage(QStringLiteral("wm_atlgetcontrol")), a);
    EXPECT_EQ(RegisterWindowMessage(QString()), 0u);
}

} // namespace
