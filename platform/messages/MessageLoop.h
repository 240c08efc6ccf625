#pragma once
// Posted messages, window timers and the UI thread's work queue. The product runs on the Qt event
// loop; tests run on virtual time, where a test advances the clock and everything due runs in a
// fixed order, independent of the wall clock.

#include "platform/win/WinTypes.h"

#include <functional>

class IMessageLoop {
public:
    virtual ~IMessageLoop() = default;
    // Queue a message for the window; delivered later on the UI thread. Safe from any thread.
    virtual BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // Start or restart (same window and id) a timer delivering WM_TIMER with wParam = id.
    virtual UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs) = 0;
    virtual BOOL KillTimer(HWND hwnd, UINT_PTR id) = 0;
    // Pauses the calling thread; dispatches nothing of the program (messages, timers, handed-over
    // work and user input wait until it ends). On the product's UI thread the window still paints.
    virtual void Sleep(DWORD ms) = 0;
    // Dispatch at most one pending message of this window (posted or timer); true when one ran.
    virtual bool DispatchOnePending(HWND hwnd) = 0;
    // Hand work to the UI thread. Safe from any thread.
    virtual void RunOnUiThread(std::function<void()> work) = 0;
    // Milliseconds since the loop started.
    virtual DWORD GetTickCount() const = 0;
};

// Win32-style calls on CPlatform::Current().loop.
BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, void* timerProc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);
void Sleep(DWORD ms);
DWORD GetTickCount();
