#pragma once
// A worker thread in the shape the program uses it: started with a function and one argument, its
// end learnt by reading its exit code (STILL_ACTIVE while it runs), and waited for by reading that
// code every 100 ms on the message loop's clock. Letting the object go joins the thread, so a
// worker never outlives the object that started it.
//
// On virtual time a Sleep passes no real time. There the wait lets the worker run until it ends or
// parks (see Park) before it reads the code again: the number of polls is the same on every run
// and the waiting thread blocks instead of spinning.

#include "platform/win/WinTypes.h"

#include <functional>
#include <memory>
#include <thread>

inline constexpr DWORD STILL_ACTIVE = 259;

using AFX_THREADPROC = UINT (*)(void* param);

class CWorkerThread {
public:
    // Runs proc(param) on a new thread at normal priority; null when no thread can be started.
    static std::unique_ptr<CWorkerThread> Begin(AFX_THREADPROC proc, void* param);
    // Joins the thread.
    ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // STILL_ACTIVE while the function runs, then its result.
    BOOL GetExitCodeThread(DWORD* code) const;
    // Reads the exit code every pollMs milliseconds of the loop's clock until the thread has ended.
    void WaitPolling(DWORD pollMs = 100);
    // Whether the function has returned, for a caller that must never wait for it. On virtual time
    // the worker first runs until it ends or parks, so every run sees the same answer.
    bool HasEnded() const;

    // For code that waits on the loop's clock or on a test (a held copy): blocks the calling
    // thread until ready() holds. ready() is checked now and at every WakeParked(), under a lock
    // that it must not take itself. A parked worker counts as not running for WaitPolling.
    // parked(), when given, runs under that lock once the thread is parked for certain: whoever
    // it tells may move the clock on at once.
    static void Park(const std::function<bool()>& ready, const std::function<void()>& parked = {});
    // Lets every parked thread whose ready() now holds go on. WaitPolling calls it after each poll.
    static void WakeParked();

private:
    CWorkerThread() = default;
    void Run(AFX_THREADPROC proc, void* param);

    std::thread m_thread;
    // Both guarded by the facility's one lock.
    DWORD m_exitCode = STILL_ACTIVE;
    bool m_parked = false;
};
