// The worker thread facility: the exit code while running and after, the 100 ms polling wait on
// virtual time (a fixed number of polls, a worker that parks on the clock) and on the Qt loop (real
// time), and a thread that is always joined.
#include "platform/thread/WorkerThread.h"

#include "platform/Platform.h"
#include "platform/messages/QtMessageLoop.h"
#include "platform/messages/VirtualMessageLoop.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

struct Job {
    std::atomic<bool> go{false};
    std::atomic<int> ran{0};
    std::function<void()> body;
    UINT result = 7;
};

UINT RunJob(void* param) {
    Job* job = static_cast<Job*>(param);
    CWorkerThread::Park([job] { return job->go.load(); });
    if (job->body)
        job->body();
    ++job->ran;
    return job->result;
}

void Go(Job& job) {
    job.go = true;
    CWorkerThread::WakeParked();
}

class WorkerThreadVirtual : public ::testing::Test {
protected:
    CVirtualMessageLoop loop;
    CPlatformScope scope{CPlatform{.loop = &loop}};
};

TEST_F(WorkerThreadVirtual, ExitCodeIsStillActiveUntilTheFunctionReturns) {
    Job job;
    job.result = 2;
    std::unique_ptr<CWorkerThread> thread = CWorkerThread::Begin(&RunJob, &job);
    ASSERT_TRUE(thread);
    DWORD code = 0;
    ASSERT_TRUE(thread->GetExitCodeThread(&code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(job.ran.load(), 0);
    Go(job);
    thread->WaitPolling(100);
    ASSERT_TRUE(thread->GetExitCodeThread(&code));
    EXPECT_EQ(code, 2u);
    EXPECT_EQ(job.ran.load(), 1);
    EXPECT_FALSE(thread->GetExitCodeThread(nullptr));
    EXPECT_FALSE(CWorkerThread::Begin(nullptr, &job));
}

TEST_F(WorkerThreadVirtual, WaitPollsOnTheLoopClockAsOftenOnEveryRun) {
    // A worker parked until the clock reaches 350 ms is seen ended at the fourth poll; one that
    // only works (real time, no clock) is seen ended at once, with no time passed. The same every
    // run: nothing depends on how fast the machine is.
    for (int run = 0; run < 20; ++run) {
        const ULONGLONG start = loop.Now();
        Job job;
        job.body = [&] { CWorkerThread::Park([&] { return loop.Now() >= start + 350; }); };
        job.go = true;
        std::unique_ptr<CWorkerThread> thread = CWorkerThread::Begin(&RunJob, &job);
        ASSERT_TRUE(thread);
        thread->WaitPolling(100);
        EXPECT_EQ(loop.Now() - start, 400u) << "run " << run;

        const ULONGLONG busyStart = loop.Now();
        Job busy;
        busy.go = true;
        busy.body = [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); };
        std::unique_ptr<CWorkerThread> worker = CWorkerThread::Begin(&RunJob, &busy);
        ASSERT_TRUE(worker);
        worker->WaitPolling(100);
        EXPECT_EQ(busy.ran.load(), 1);
        EXPECT_EQ(loop.Now() - busyStart, 0u) << "run " << run;
    }
}

TEST_F(WorkerThreadVirtual, AThreadReleasedFromElsewhereGoesOn) {
    Job job;
    std::unique_ptr<CWorkerThread> thread = CWorkerThread::Begin(&RunJob, &job);
    ASSERT_TRUE(thread);
    std::thread other([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Go(job);
    });
    other.join();
    thread.reset(); // joins
    EXPECT_EQ(job.ran.load(), 1);
}

TEST(WorkerThread, DestroyingTheObjectJoinsTheThread) {
    CVirtualMessageLoop loop;
    CPlatformScope scope{CPlatform{.loop = &loop}};
    std::atomic<bool> finished{false};
    Job job;
    job.go = true;
    job.body = [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        finished = true;
    };
    std::unique_ptr<CWorkerThread> thread = CWorkerThread::Begin(&RunJob, &job);
    ASSERT_TRUE(thread);
    thread.reset();
    EXPECT_TRUE(finished.load());
}

TEST(WorkerThread, OnTheQtLoopTheWaitTakesRealTimeInSteps) {
    CQtMessageLoop loop;
    CPlatformScope scope{CPlatform{.loop = &loop}};
    Job job;
    job.go = true;
    job.body = [] { std::this_thread::sleep_for(std::chrono::milliseconds(250)); };
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<CWorkerThread> thread = CWorkerThread::Begin(&RunJob, &job);
    ASSERT_TRUE(thread);
    thread->WaitPolling(100);
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(job.ran.load(), 1);
    // Three polls of 100 ms: not before the worker's 250 ms, and well before a second.
    EXPECT_GE(elapsed, 250);
    EXPECT_LT(elapsed, 1000);
    DWORD code = 0;
    thread->GetExitCodeThread(&code);
    EXPECT_EQ(code, 7u);
}

} // namespace
