// The window thread's turns, as the unattended run reports them: work in a handler is a turn, time
// spent waiting for events is none, even when a handler waits in a loop of its own.
#include "tools/unattended/TurnMeter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

void RunFor(int ms) {
    QEventLoop loop;
    QTimer end;
    end.setSingleShot(true);
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    end.start(ms);
    loop.exec();
}

// Runs `work` once, `ms` from now, from the event loop.
class CLater {
public:
    CLater(int ms, const std::function<void()>& work) {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, work);
        m_timer.start(ms);
    }

private:
    QTimer m_timer;
};

void BusyFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
    }
}

TEST(TurnMeter, ABusyHandlerIsOneTurnAndHoldsUpTheBeats) {
    CTurnMeter meter;
    meter.Start();
    const CLater busy(40, [] { BusyFor(120); });
    RunFor(300);
    meter.Stop();

    ASSERT_FALSE(meter.LongestTurns().isEmpty());
    const CTurnMeter::Span turn = meter.LongestTurns().first();
    EXPECT_GE(turn.ms, 120);
    EXPECT_LT(turn.ms, 250);
    EXPECT_GE(turn.beganMs, 35);
    ASSERT_FALSE(meter.LongestBeatGaps().isEmpty());
    EXPECT_GE(meter.LongestBeatGaps().first().ms, 110);
    EXPECT_LE(meter.LongestTurns().size(), CTurnMeter::kKept);
    for (int n = 1; n < meter.LongestTurns().size(); ++n) {
        EXPECT_GE(meter.LongestTurns().at(n - 1).ms, meter.LongestTurns().at(n).ms);
    }
}

TEST(TurnMeter, WaitingIsNoTurnEvenInALoopInsideAHandler) {
    CTurnMeter meter;
    meter.Start();
    // A handler that waits 600 ms in a nested loop (as a pause that keeps the window painting),
    // then the thread idles; a worker posts now and then meanwhile.
    bool waited = false;
    const CLater wait(20, [&waited] {
        RunFor(600);
        waited = true;
    });
    QThread* worker = QThread::create([] {
        for (int n = 0; n < 20; ++n) {
            QThread::msleep(30);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
        }
    });
    worker->start();
    RunFor(900);
    worker->wait();
    delete worker;
    meter.Stop();

    EXPECT_TRUE(waited);
    ASSERT_FALSE(meter.LongestTurns().isEmpty());
    EXPECT_LT(meter.LongestTurns().first().ms, 250) << "a wait of 600 ms counted as work";
    ASSERT_FALSE(meter.LongestBeatGaps().isEmpty());
    EXPECT_LT(meter.LongestBeatGaps().first().ms, 250) << "the beats went on during the nested wait";
}

} // namespace
