#include "platform/messages/QtMessageLoop.h"

#include "platform/windows/WindowTable.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>

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
    if (KeptForLater([this] { RunPosted(); })) {
        return;
    }
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
    if (m_pauses > 0) {
        // One WM_TIMER however many periods the pause spans, as a window's timer gives.
        const auto key = std::make_pair(hwnd, id);
        if (std::find(m_keptTimers.begin(), m_keptTimers.end(), key) == m_keptTimers.end()) {
            m_keptTimers.push_back(key);
        }
        return;
    }
    if (hwnd && !IsWindow(hwnd)) {
        KillTimer(hwnd, id);
        return;
    }
    ::SendMessage(hwnd, WM_TIMER, id, 0);
}

void CQtMessageLoop::Sleep(DWORD ms) {
    if (QThread::currentThread() != thread()) {
        QThread::msleep(ms);
        return;
    }
    QuietWait(ms);
}

bool CQtMessageLoop::KeptForLater(std::function<void()> event) {
    if (m_pauses == 0) {
        return false;
    }
    m_kept.push_back(std::move(event));
    return true;
}

void CQtMessageLoop::QuietWait(DWORD ms) {
    // A plain sleep would stop the window painting; nothing of the program runs meanwhile either
    // way: its events are kept, user input and other programs' requests wait in Qt's queues.
    ++m_pauses;
    QEventLoop pause;
    QTimer end;
    end.setSingleShot(true);
    end.setTimerType(Qt::PreciseTimer);
    QObject::connect(&end, &QTimer::timeout, &pause, &QEventLoop::quit);
    end.start(std::chrono::milliseconds(ms));
    pause.exec(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    if (--m_pauses > 0) {
        return;
    }
    std::vector<std::function<void()>> kept;
    kept.swap(m_kept);
    // Timers come after the messages, as WM_TIMER does when messages are waiting.
    for (const auto& key : m_keptTimers) {
        kept.push_back([this, key] {
            if (m_timers.count(key)) {
                Fire(key.first, key.second);
            }
        });
    }
    m_keptTimers.clear();
    for (auto& event : kept) {
        QMetaObject::invokeMethod(this, std::move(event), Qt::QueuedConnection);
    }
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
        QMetaObject::invokeMethod(
            this,
            [this, work = std::move(work)]() mutable {
                if (!KeptForLater(work)) {
                    work();
                }
            },
            Qt::QueuedConnection);
    }
}

DWORD CQtMessageLoop::GetTickCount() const {
    return static_cast<DWORD>(m_clock.elapsed());
}
