#pragma once
// The message loop of tests: time stands still until the test advances it. Posted messages run
// first, in the order they were posted; then due timers fire in order of their due time (ties in
// the order they were armed). Nothing here reads the wall clock.

#include "platform/messages/MessageLoop.h"
#include "platform/messages/PostedMessage.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

class CVirtualMessageLoop : public IMessageLoop {
public:
    BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs) override;
    BOOL KillTimer(HWND hwnd, UINT_PTR id) override;
    // Sleeping moves the clock on; nothing is dispatched, as on Windows.
    void Sleep(DWORD ms) override;
    bool DispatchOnePending(HWND hwnd) override;
    void RunOnUiThread(std::function<void()> work) override;
    DWORD GetTickCount() const override;

    // Runs everything posted so far (messages and work), without moving the clock.
    void Pump();
    // Moves the clock on by `ms`, firing every timer that falls due on the way.
    void Advance(DWORD ms);
    // Waits (real time, for work handed over by another thread) until something is queued.
    bool WaitForPosted(int timeoutMs);
    bool IsTimerArmed(HWND hwnd, UINT_PTR id) const;
    ULONGLONG Now() const;

private:
    struct Timer {
        ULONGLONG due = 0;
        UINT elapse = 0;
        ULONGLONG sequence = 0;
    };
    using TimerKey = std::pair<HWND, UINT_PTR>;

    bool RunOnePosted();
    bool FireOneDueTimer(ULONGLONG limit, HWND only);

    mutable std::mutex m_mutex;
    std::condition_variable m_posted;
    struct Item {
        PostedMessage message; // used when work is empty
        std::function<void()> work;
    };
    std::deque<Item> m_queue; // posted messages and handed-over work, in order
    std::map<TimerKey, Timer> m_timers;
    ULONGLONG m_now = 0;
    ULONGLONG m_sequence = 0;
};
