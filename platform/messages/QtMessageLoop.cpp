#include "platform/messages/QtMessageLoop.h"

#include "platform/windows/WindowTable.h"

#include <QMetaObject>
#include <QThread>
#include <QTimer>

CQtMessageLoop::CQtMessageLoop() {
    m_clock.start();
}

CQtMessageLoop::~CQtMessageLoop() {
    for (auto& [key, timer] : m_timers) {
        delete timer;
    }
}

BOOL CQtMessageLoop::PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard lock(m_mutex);
        m_posted.push_back({hwnd, message, wParam, lParam});
    }
    // One queued call per message keeps the order and lets other events run between messages.
    QMetaObject::invokeMethod(
        this, [this] { RunPosted(); }, Qt::QueuedConnection);
    return TRUE;
}

void CQtMessageLoop::RunPosted() {
    PostedMessage m;
    {
        std::lock_guard lock(m_mutex);
        if (m_posted.empty()) {
            return; // already taken by DispatchOnePending
        }
        m = m_posted.front();
        m_posted.pop_front();
    }
    ::SendMessage(m.hwnd, m.message, m.wParam, m.lParam);
}

UINT_PTR CQtMessageLoop::SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs) {
    const auto key = std::make_pair(hwnd, id);
    QTimer*& timer = m_timers[key];
    if (!timer) {
        timer = new QTimer();
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, this, [this, hwnd, id] { Fire(hwnd, id); });
    }
    timer->start(static_cast<int>(elapseMs < 10 ? 10 : elapseMs));
    return id == 0 ? 1 : id;
}

BOOL CQtMessageLoop::KillTimer(HWND hwnd, UINT_PTR id) {
    auto it = m_timers.find({hwnd, id});
    if (it == m_timers.end()) {
        return FALSE;
    }
    // The timer may be the one whose timeout is running right now.
    it->second->stop();
    it->second->deleteLater();
    m_timers.erase(it);
    return TRUE;
}

void CQtMessageLoop::Fire(HWND hwnd, UINT_PTR id) {
    if (hwnd && !IsWindow(hwnd)) {
        KillTimer(hwnd, id);
        return;
    }
    ::SendMessage(hwnd, WM_TIMER, id, 0);
}

void CQtMessageLoop::Sleep(DWORD ms) {
    QThread::msleep(ms);
}

bool CQtMessageLoop::DispatchOnePending(HWND hwnd) {
    PostedMessage m;
    bool found = false;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_posted.begin(); it != m_posted.end(); ++it) {
            if (it->hwnd == hwnd) {
                m = *it;
                m_posted.erase(it);
                found = true;
                break;
            }
        }
    }
    if (found) {
        ::SendMessage(m.hwnd, m.message, m.wParam, m.lParam);
        return true;
    }
    for (auto& [key, timer] : m_timers) {
        if (key.first == hwnd && timer->isActive() && timer->remainingTime() == 0) {
            timer->start(); // restart the period, as a delivered WM_TIMER does
            Fire(key.first, key.second);
            return true;
        }
    }
    return false;
}

void CQtMessageLoop::RunOnUiThread(std::function<void()> work) {
    if (work) {
        QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
    }
}

DWORD CQtMessageLoop::GetTickCount() const {
    return static_cast<DWORD>(m_clock.elapsed());
}
