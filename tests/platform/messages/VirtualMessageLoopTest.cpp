// Timers and posted messages on virtual time: the order things run in and that a killed timer or
// a destroyed window never hears from the loop again.
#include "platform/messages/VirtualMessageLoop.h"
#include "platform/Platform.h"
#include "platform/windows/WindowTable.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

struct Recorder : IWindowProc {
    std::vector<std::pair<UINT, WPARAM>> seen;
    std::vector<ULONGLONG> at;
    CVirtualMessageLoop* loop = nullptr;
    std::function<void(UINT, WPARAM)> onMessage;
    LRESULT WindowProc(HWND, UINT message, WPARAM wParam, LPARAM) override {
        seen.emplace_back(message, wParam);
        at.push_back(loop->Now());
        if (onMessage) {
            onMessage(message, wParam);
        }
        return 0;
    }
};

class VirtualLoopTest : public ::testing::Test {
protected:
    CWindowTable windows;
    CVirtualMessageLoop loop;
    CPlatform services{.loop = &loop, .windows = &windows};
    CPlatformScope scope{services};
    Recorder rec;
    HWND hwnd = nullptr;

    void SetUp() override {
        rec.loop = &loop;
        hwnd = windows.Create({.title = QStringLiteral("w"), .proc = &rec});
    }
};

TEST_F(VirtualLoopTest, TimersFireInDueOrderWithTiesInArmingOrder) {
    SetTimer(hwnd, 5003, 2000, nullptr);
    SetTimer(hwnd, 5004, 3000, nullptr);
    SetTimer(hwnd, 5000, 2000, nullptr); // same due time as 5003, armed later
    loop.Advance(6000);
    std::vector<WPARAM> ids;
    for (auto& [msg, id] : rec.seen) {
        EXPECT_EQ(msg, WM_TIMER);
        ids.push_back(id);
    }
    // 2000: 5003, 5000; 3000: 5004; 4000: 5003, 5000; 6000: 5004, then 5003 and 5000 (re-armed at 4000).
    EXPECT_EQ(ids, (std::vector<WPARAM>{5003, 5000, 5004, 5003, 5000, 5004, 5003, 5000}));
    EXPECT_EQ(rec.at.front(), 2000u);
    EXPECT_EQ(loop.Now(), 6000u);
}

TEST_F(VirtualLoopTest, KilledTimerNeverFiresAgainEvenFromItsOwnHandler) {
    rec.onMessage = [&](UINT msg, WPARAM id) {
        if (msg == WM_TIMER && id == 5006) {
            KillTimer(hwnd, 5006);
        }
    };
    SetTimer(hwnd, 5006, 5000, nullptr);
    loop.Advance(4999);
    EXPECT_TRUE(rec.seen.empty());
    loop.Advance(1);
    ASSERT_EQ(rec.seen.size(), 1u);
    loop.Advance(60000);
    EXPECT_EQ(rec.seen.size(), 1u);
    EXPECT_FALSE(loop.IsTimerArmed(hwnd, 5006));
    EXPECT_FALSE(KillTimer(hwnd, 5006));
}

TEST_F(VirtualLoopTest, SetTimerAgainRestartsThePeriod) {
    SetTimer(hwnd, 1, 1000, nullptr);
    loop.Advance(900);
    SetTimer(hwnd, 1, 1000, nullptr);
    loop.Advance(900);
    EXPECT_TRUE(rec.seen.empty());
    loop.Advance(100);
    EXPECT_EQ(rec.seen.size(), 1u);
}

TEST_F(VirtualLoopTest, PostedMessagesRunBeforeTimersAndInOrder) {
    SetTimer(hwnd, 7, 10, nullptr);
    PostMessage(hwnd, WM_USER + 1, 1, 0);
    PostMessage(hwnd, WM_USER + 2, 2, 0);
    EXPECT_TRUE(rec.seen.empty()) << "posting must not deliver synchronously";
    loop.Advance(10);
    ASSERT_EQ(rec.seen.size(), 3u);
    EXPECT_EQ(rec.seen[0].first, WM_USER + 1);
    EXPECT_EQ(rec.seen[1].first, WM_USER + 2);
    EXPECT_EQ(rec.seen[2].first, WM_TIMER);
}

TEST_F(VirtualLoopTest, DispatchOnePendingRunsAtMostOneMessageOfThatWindow) {
    Recorder other;
    other.loop = &loop;
    HWND hwnd2 = windows.Create({.title = QStringLiteral("other"), .proc = &other});
    PostMessage(hwnd2, WM_USER, 0, 0);
    PostMessage(hwnd, WM_USER + 1, 0, 0);
    PostMessage(hwnd, WM_USER + 2, 0, 0);
    EXPECT_TRUE(loop.DispatchOnePending(hwnd));
    ASSERT_EQ(rec.seen.size(), 1u);
    EXPECT_EQ(rec.seen[0].first, WM_USER + 1);
    EXPECT_TRUE(other.seen.empty());
    loop.Pump();
    EXPECT_EQ(rec.seen.size(), 2u);
    EXPECT_EQ(other.seen.size(), 1u);
    EXPECT_FALSE(loop.DispatchOnePending(hwnd));
}

TEST_F(VirtualLoopTest, TimersOfADestroyedWindowDieWithIt) {
    SetTimer(hwnd, 5002, 1000, nullptr);
    PostMessage(hwnd, WM_USER, 0, 0);
    windows.Destroy(hwnd);
    loop.Advance(5000);
    EXPECT_TRUE(rec.seen.empty());
    EXPECT_FALSE(loop.IsTimerArmed(hwnd, 5002));
}

TEST_F(VirtualLoopTest, WorkFromAnotherThreadRunsOnTheLoop) {
    const auto uiThread = std::this_thread::get_id();
    std::thread::id ranOn;
    std::thread worker([&] { loop.RunOnUiThread([&] { ranOn = std::this_thread::get_id(); }); });
    worker.join();
    ASSERT_TRUE(loop.WaitForPosted(1000));
    loop.Pump();
    EXPECT_EQ(ranOn, uiThread);
}

TEST_F(VirtualLoopTest, SleepMovesTheClockWithoutDispatching) {
    SetTimer(hwnd, 1, 100, nullptr);
    Sleep(500);
    EXPECT_EQ(GetTickCount(), 500u);
    EXPECT_TRUE(rec.seen.empty());
    loop.Pump();
    EXPECT_TRUE(rec.seen.empty()) << "a pump runs posted work, not timers";
    loop.Advance(0);
    EXPECT_EQ(rec.seen.size(), 1u) << "an overdue timer fires once, not once per missed period";
}

} // namespace
