// The product's loop on a real Qt event loop: timers arrive as WM_TIMER, KillTimer stops them,
// and a worker thread's messages arrive on the UI thread in order.
#include "platform/messages/QtMessageLoop.h"
#include "platform/Platform.h"
#include "platform/windows/WindowTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <thread>

namespace {

struct Recorder : IWindowProc {
    std::vector<std::pair<UINT, WPARAM>> seen;
    std::vector<std::thread::id> threads;
    std::function<void(UINT, WPARAM)> onMessage;
    LRESULT WindowProc(HWND, UINT message, WPARAM wParam, LPARAM) override {
        seen.emplace_back(message, wParam);
        threads.push_back(std::this_thread::get_id());
        if (onMessage) {
            onMessage(message, wParam);
        }
        return 0;
    }
};

bool SpinUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

class QtLoopTest : public ::testing::Test {
protected:
    CWindowTable windows;
    CQtMessageLoop loop;
    CPlatform services{.loop = &loop, .windows = &windows};
    CPlatformScope scope{services};
    Recorder rec;
    HWND hwnd = windows.Create({.title = QStringLiteral("w"), .proc = &rec});
};

TEST_F(QtLoopTest, TimerDeliversWmTimerUntilKilled) {
    int ticks = 0;
    rec.onMessage = [&](UINT msg, WPARAM id) {
        if (msg == WM_TIMER && id == 5003 && ++ticks == 3) {
            KillTimer(hwnd, 5003);
        }
    };
    SetTimer(hwnd, 5003, 20, nullptr);
    ASSERT_TRUE(SpinUntil([&] { return ticks == 3; }, 5000));
    SpinUntil([] { return false; }, 150);
    EXPECT_EQ(ticks, 3) << "no tick after KillTimer";
}

TEST_F(QtLoopTest, MessagesFromAWorkerArriveOnTheUiThreadInOrder) {
    const auto ui = std::this_thread::get_id();
    std::thread worker([&] {
        for (WPARAM i = 0; i < 50; ++i) {
            PostMessage(hwnd, WM_USER + 1, i, 0);
        }
    });
    worker.join();
    ASSERT_TRUE(SpinUntil([&] { return rec.seen.size() == 50; }, 5000));
    for (WPARAM i = 0; i < 50; ++i) {
        EXPECT_EQ(rec.seen[i].second, i);
        EXPECT_EQ(rec.threads[i], ui);
    }
}

TEST_F(QtLoopTest, DispatchOnePendingTakesOnlyThatWindowsOldestMessage) {
    Recorder other;
    HWND hwnd2 = windows.Create({.title = QStringLiteral("other"), .proc = &other});
    PostMessage(hwnd2, WM_USER, 0, 0);
    PostMessage(hwnd, WM_USER + 1, 0, 0);
    PostMessage(hwnd, WM_USER + 2, 0, 0);
    EXPECT_TRUE(loop.DispatchOnePending(hwnd));
    ASSERT_EQ(rec.seen.size(), 1u);
    EXPECT_EQ(rec.seen[0].first, WM_USER + 1);
    ASSERT_TRUE(SpinUntil([&] { return rec.seen.size() == 2 && other.seen.size() == 1; }, 5000));
    EXPECT_EQ(rec.seen[1].first, WM_USER + 2);
}

} // namespace
