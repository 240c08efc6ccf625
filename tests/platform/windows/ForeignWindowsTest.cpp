// Other programs' windows mirrored into the window table: what EnumWindows shows of them, how the
// table follows them as they change and go, and where raise and close requests end up.
#include "platform/windows/ForeignWindows.h"
#include "platform/Platform.h"
#include "platform/messages/VirtualMessageLoop.h"
#include "platform/windows/WindowTable.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kOwnPid = 4242;

class FakeSource : public IForeignWindowSource {
public:
    std::vector<SForeignWindow> windows;
    std::vector<std::uint32_t> activated;
    std::vector<std::uint32_t> closed;
    int lists = 0;

    std::vector<SForeignWindow> List() override {
        ++lists;
        return windows;
    }
    void Activate(std::uint32_t id) override { activated.push_back(id); }
    void Close(std::uint32_t id) override { closed.push_back(id); }
};

class ForeignWindowsTest : public ::testing::Test {
protected:
    CWindowTable table;
    CVirtualMessageLoop loop;
    CPlatform services{.loop = &loop, .windows = &table};
    CPlatformScope scope{services};
    FakeSource source;

    // Titles of the top-level windows as EnumWindows lists them, front-most first.
    std::vector<QString> Titles() {
        std::vector<QString> titles;
        EnumWindows([&](HWND h) {
            QString title;
            GetWindowText(h, &title);
            titles.push_back(title);
            return TRUE;
        });
        return titles;
    }
};

TEST_F(ForeignWindowsTest, EnumerationShowsOtherProgramsWindowsInTheirOrderButNotOurOwn) {
    const HWND ours = table.Create({.title = QStringLiteral("Ollivane"), .visible = true});
    source.windows = {
        {.id = 0x200,
         .title = QStringLiteral("Windows Media Player"),
         .className = QStringLiteral("WMPlayerApp"),
         .visible = true,
         .pid = 77},
        {.id = 0x300, .title = QStringLiteral("ネットワーク"), .owner = 0x200, .visible = true, .pid = 77},
        {.id = 0x400, .title = QStringLiteral("Ollivane"), .visible = true, .pid = kOwnPid},
        {.id = 0x500, .title = QStringLiteral("hidden"), .visible = false, .pid = 0},
    };
    CForeignWindows foreign(table, source, kOwnPid);

    EXPECT_EQ(Titles(),
              (std::vector<QString>{QStringLiteral("Windows Media Player"), QStringLiteral("ネットワーク"),
                                    QStringLiteral("hidden"), QStringLiteral("Ollivane")}))
        << "our own X11 window is the table's own window, listed once";
    const HWND player = FindWindow(QStringLiteral("WMPlayerApp"), QStringLiteral("Windows Media Player"));
    ASSERT_NE(player, nullptr);
    EXPECT_TRUE(IsWindowVisible(player));
    EXPECT_EQ(GetParent(foreign.Handle(0x300)), player) << "a dialog's owner is the mirrored owner";
    EXPECT_FALSE(IsWindowVisible(foreign.Handle(0x500)));
    EXPECT_EQ(foreign.Handle(0x400), nullptr);
    EXPECT_TRUE(IsWindow(ours));
}

TEST_F(ForeignWindowsTest, TheTableFollowsChangesAndAWindowThatWentAwayLosesItsHandle) {
    source.windows = {{.id = 0x200, .title = QStringLiteral("Untitled"), .visible = false}};
    CForeignWindows foreign(table, source, kOwnPid);
    foreign.Refresh();
    const HWND first = foreign.Handle(0x200);
    ASSERT_NE(first, nullptr);

    source.windows[0].title = QStringLiteral("Windows Media Player");
    source.windows[0].visible = true;
    EXPECT_EQ(Titles(), std::vector<QString>{QStringLiteral("Windows Media Player")});
    EXPECT_EQ(foreign.Handle(0x200), first) << "a living window keeps its handle";
    EXPECT_TRUE(IsWindowVisible(first));

    source.windows.clear();
    EXPECT_TRUE(Titles().empty());
    EXPECT_FALSE(IsWindow(first)) << "a stale handle must not reach another window";

    source.windows = {{.id = 0x200, .title = QStringLiteral("Windows Media Player"), .visible = true}};
    Titles();
    EXPECT_NE(foreign.Handle(0x200), nullptr);
    EXPECT_NE(foreign.Handle(0x200), first) << "a window id the server reuses is a new window";
}

TEST_F(ForeignWindowsTest, RaiseAndCloseRequestsGoToTheSourceAndStopWhenTheMirrorEnds) {
    source.windows = {{.id = 0x200, .title = QStringLiteral("Windows Media Player"), .visible = true}};
    HWND player = nullptr;
    {
        CForeignWindows foreign(table, source, kOwnPid);
        player = FindWindow({}, QStringLiteral("Windows Media Player"));
        ASSERT_NE(player, nullptr);
        EXPECT_TRUE(SetForegroundWindow(player));
        EXPECT_EQ(source.activated, std::vector<std::uint32_t>{0x200});

        // The player watch posts WM_CLOSE: it arrives when the loop delivers it, not before.
        EXPECT_TRUE(PostMessage(player, WM_CLOSE, 0, 0));
        EXPECT_TRUE(source.closed.empty());
        loop.Pump();
        EXPECT_EQ(source.closed, std::vector<std::uint32_t>{0x200});
    }
    EXPECT_FALSE(IsWindow(player)) << "the mirrored windows leave with the mirror";
    const int lists = source.lists;
    EXPECT_TRUE(Titles().empty());
    EXPECT_EQ(source.lists, lists) << "no refresh after the mirror ended";
}

} // namespace
