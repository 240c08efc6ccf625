// The product's loop on a real Qt event loop: timers arrive as WM_TIMER, KillTimer stops them,
// and a worker thread's messages arrive on the UI thread in order.
#include "platform/messages/QtMessageLoop.h"
#include "platform/Platform.h"
#include "platform/windows/WindowTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
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

// A pause on the UI thread keeps the window turning (a plain Qt timer still beats) while nothing of
// the program runs: messages posted before and during it, handed-over work and a window timer wait,
// then arrive in their order, the timer after the messages and once however many periods the pause
// spanned.
TEST_F(QtLoopTest, APauseOnTheUiThreadRunsNothingOfTheProgramButTheWindowKeepsTurning) {
    PostMessage(hwnd, WM_USER + 1, 0, 0);
    loop.RunOnUiThread([&] { rec.seen.emplace_back(WM_NULL, 7); });
    SetTimer(hwnd, 5002, 20, nullptr);
    std::thread worker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        PostMessage(hwnd, WM_USER + 2, 0, 0);
    });
    int beats = 0;
    size_t seenDuringPause = 0;
    QTimer beat;
    beat.setInterval(5);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        ++beats;
        seenDuringPause += rec.seen.size();
    });
    beat.start();
    QElapsedTimer clock;
    clock.start();
    Sleep(300);
    const qint64 paused = clock.elapsed();
    const int beatsDuringPause = beats;
    worker.join();
    EXPECT_GE(paused, 295);
    EXPECT_GE(beatsDuringPause, 10) << "the loop turned during the pause";
    EXPECT_EQ(seenDuringPause, 0u) << "nothing of the program ran during it";

    ASSERT_TRUE(SpinUntil([&] { return rec.seen.size() >= 4; }, 5000));
    KillTimer(hwnd, 5002);
    const std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_USER + 1, 0}, {WM_NULL, 7}, {WM_USER + 2, 0}, {WM_TIMER, 5002}};
    ASSERT_GE(rec.seen.size(), expected.size());
    EXPECT_EQ(std::vector(rec.seen.begin(), rec.seen.begin() + 4), expected);
    EXPECT_LE(
        std::count(rec.seen.begin(), rec.seen.begin() + 4, std::make_pair(UINT(WM_TIMER), WPARAM(5002))), 1);
}

// On another thread a pause is a plain sleep: it neither runs nor holds up the UI thread's events.
TEST_F(QtLoopTest, APauseOnAWorkerIsAPlainSleep) {
    std::atomic<bool> slept = false;
    std::thread worker([&] {
        Sleep(200);
        slept = true;
    });
    PostMessage(hwnd, WM_USER + 1, 0, 0);
    ASSERT_TRUE(SpinUntil([&] { return rec.seen.size() == 1; }, 5000));
    EXPECT_FALSE(slept) << "the UI thread's message did not wait for the worker's pause";
    worker.join();
    EXPECT_TRUE(slept);
}

} // namespace
