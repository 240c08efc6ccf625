#include "platform/messages/VirtualMessageLoop.h"

#include "platform/windows/WindowTable.h"

#include <chrono>

BOOL CVirtualMessageLoop::PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back({{hwnd, message, wParam, lParam}, {}});
    }
    m_posted.notify_all();
    return TRUE;
}

UINT_PTR CVirtualMessageLoop::SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs) {
    std::lock_guard lock(m_mutex);
    // Windows raises a tiny elapse to its minimum; a timer must never fire in a tight loop.
    const UINT elapse = elapseMs < 10 ? 10 : elapseMs;
    m_timers[{hwnd, id}] = Timer{m_now + elapse, elapse, ++m_sequence};
    return id == 0 ? 1 : id;
}

BOOL CVirtualMessageLoop::KillTimer(HWND hwnd, UINT_PTR id) {
    std::lock_guard lock(m_mutex);
    return m_timers.erase({hwnd, id}) ? TRUE : FALSE;
}

void CVirtualMessageLoop::Sleep(DWORD ms) {
    std::lock_guard lock(m_mutex);
    m_now += ms;
}

bool CVirtualMessageLoop::DispatchOnePending(HWND hwnd) {
    PostedMessage m;
    bool found = false;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
            if (!it->work && it->message.hwnd == hwnd) {
                m = it->message;
                m_queue.erase(it);
                found = true;
                break;
            }
        }
    }
    if (found) {
        ::SendMessage(m.hwnd, m.message, m.wParam, m.lParam);
        return true;
    }
    return FireOneDueTimer(Now(), hwnd);
}

void CVirtualMessageLoop::RunOnUiThread(std::function<void()> work) {
    if (!work) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back({{}, std::move(work)});
    }
    m_posted.notify_all();
}

DWORD CVirtualMessageLoop::GetTickCount() const {
    return static_cast<DWORD>(Now());
}

ULONGLONG CVirtualMessageLoop::Now() const {
    std::lock_guard lock(m_mutex);
    return m_now;
}

bool CVirtualMessageLoop::IsTimerArmed(HWND hwnd, UINT_PTR id) const {
    std::lock_guard lock(m_mutex);
    return m_timers.count({hwnd, id}) != 0;
}

bool CVirtualMessageLoop::RunOnePosted() {
    Item item;
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.empty()) {
            return false;
        }
        item = std::move(m_queue.front());
        m_queue.pop_front();
    }
    if (item.work) {
        item.work();
    } else {
        ::SendMessage(item.message.hwnd, item.message.message, item.message.wParam, item.message.lParam);
    }
    return true;
}

bool CVirtualMessageLoop::FireOneDueTimer(ULONGLONG limit, HWND only) {
    TimerKey key{};
    {
        std::lock_guard lock(m_mutex);
        auto best = m_timers.end();
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
            if (only && it->first.first != only) {
                continue;
            }
            if (it->second.due > limit) {
                continue;
            }
            if (best == m_timers.end() || it->second.due < best->second.due ||
                (it->second.due == best->second.due && it->second.sequence < best->second.sequence)) {
                best = it;
            }
        }
        if (best == m_timers.end()) {
            return false;
        }
        key = best->first;
        if (best->second.due > m_now) {
            m_now = best->second.due;
        }
        // A late timer fires once, not once per missed period, as WM_TIMER does.
        best->second.due = m_now + best->second.elapse;
        best->second.sequence = ++m_sequence;
    }
    if (IsWindow(key.first) || key.first == nullptr) {
        ::SendMessage(key.first, WM_TIMER, key.second, 0);
    } else {
        KillTimer(key.first, key.second); // the window is gone: its timers die with it
    }
    return true;
}

void CVirtualMessageLoop::Pump() {
    while (RunOnePosted()) {
    }
}

void CVirtualMessageLoop::Advance(DWORD ms) {
    const ULONGLONG target = Now() + ms;
    Pump();
    while (FireOneDueTimer(target, nullptr)) {
        Pump();
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_now < target) {
            m_now = target;
        }
    }
    Pump();
}

bool CVirtualMessageLoop::WaitForPosted(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_posted.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_queue.empty(); });
}
