#pragma once
// The message loop of the product: posted messages, timers and handed-over work all run on the Qt
// event loop of the thread that created this object (the UI thread).

#include "platform/messages/MessageLoop.h"
#include "platform/messages/PostedMessage.h"

#include <QElapsedTimer>
#include <QObject>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

class QTimer;

class CQtMessageLoop : public QObject, public IMessageLoop {
    Q_OBJECT
public:
    CQtMessageLoop();
    ~CQtMessageLoop() override;

    BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs) override;
    BOOL KillTimer(HWND hwnd, UINT_PTR id) override;
    void Sleep(DWORD ms) override;
    bool DispatchOnePending(HWND hwnd) override;
    void RunOnUiThread(std::function<void()> work) override;
    DWORD GetTickCount() const override;

private:
    void RunPosted();
    void Fire(HWND hwnd, UINT_PTR id);
    // During a pause on the UI thread the program's own events are kept, in their order, and
    // handed to the loop again when the pause ends.
    bool KeptForLater(std::function<void()> event);
    void QuietWait(DWORD ms);

    std::mutex m_mutex;
    std::deque<PostedMessage> m_posted;
    std::map<std::pair<HWND, UINT_PTR>, QTimer*> m_timers;
    QElapsedTimer m_clock;
    int m_pauses = 0;
    std::vector<std::function<void()>> m_kept;
    std::vector<std::pair<HWND, UINT_PTR>> m_keptTimers;
};
