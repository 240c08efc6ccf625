#include "platform/windows/WindowTable.h"

#include "platform/Platform.h"

#include <algorithm>
#include <utility>

namespace {
std::uintptr_t Key(HWND hwnd) {
    return reinterpret_cast<std::uintptr_t>(hwnd);
}
HWND Handle(std::uintptr_t key) {
    return reinterpret_cast<HWND>(key);
}
CWindowTable* Table() {
    return CPlatform::Current().windows;
}
} // namespace

HWND CWindowTable::Create(const Window& window) {
    std::lock_guard lock(m_mutex);
    // Handles grow by 4 and are never reused, as a stale HWND must not reach a new window.
    m_next += 4;
    const HWND hwnd = Handle(m_next);
    m_windows[m_next] = window;
    if (!window.child) {
        m_zOrder.insert(m_zOrder.begin(), hwnd);
    }
    return hwnd;
}

void CWindowTable::Destroy(HWND hwnd) {
    std::lock_guard lock(m_mutex);
    // Children go with their parent, as on Windows.
    std::vector<HWND> children;
    for (const auto& [key, w] : m_windows) {
        if (w.child && w.owner == hwnd) {
            children.push_back(Handle(key));
        }
    }
    for (HWND child : children) {
        Destroy(child);
    }
    m_windows.erase(Key(hwnd));
    std::erase(m_zOrder, hwnd);
    if (m_foreground == hwnd) {
        m_foreground = m_zOrder.empty() ? nullptr : m_zOrder.front();
    }
}

bool CWindowTable::Exists(HWND hwnd) const {
    std::lock_guard lock(m_mutex);
    return m_windows.count(Key(hwnd)) != 0;
}

CWindowTable::Window CWindowTable::Get(HWND hwnd) const {
    std::lock_guard lock(m_mutex);
    auto it = m_windows.find(Key(hwnd));
    return it == m_windows.end() ? Window{} : it->second;
}

void CWindowTable::SetTitle(HWND hwnd, const QString& title) {
    std::lock_guard lock(m_mutex);
    auto it = m_windows.find(Key(hwnd));
    if (it != m_windows.end()) {
        it->second.title = title;
    }
}

void CWindowTable::SetVisible(HWND hwnd, bool visible) {
    std::lock_guard lock(m_mutex);
    auto it = m_windows.find(Key(hwnd));
    if (it != m_windows.end()) {
        it->second.visible = visible;
    }
}

void CWindowTable::SetOwner(HWND hwnd, HWND owner) {
    std::lock_guard lock(m_mutex);
    auto it = m_windows.find(Key(hwnd));
    if (it != m_windows.end() && !it->second.child) {
        it->second.owner = owner;
    }
}

void CWindowTable::SetClientRect(HWND hwnd, const RECT& rect) {
    std::lock_guard lock(m_mutex);
    auto it = m_windows.find(Key(hwnd));
    if (it != m_windows.end()) {
        it->second.client = rect;
    }
}

void CWindowTable::SetProc(HWND hwnd, IWindowProc* proc) {
    std::lock_guard lock(m_mutex);
    auto it = m_windows.find(Key(hwnd));
    if (it != m_windows.end()) {
        it->second.proc = proc;
    }
}

std::vector<HWND> CWindowTable::TopLevel() const {
    std::lock_guard lock(m_mutex);
    return m_zOrder;
}

HWND CWindowTable::Foreground() const {
    std::lock_guard lock(m_mutex);
    return m_foreground;
}

bool CWindowTable::BringToFront(HWND hwnd) {
    std::function<void()> raiseElsewhere;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_windows.find(Key(hwnd));
        if (it == m_windows.end()) {
            return false;
        }
        if (!it->second.child) {
            std::erase(m_zOrder, hwnd);
            m_zOrder.insert(m_zOrder.begin(), hwnd);
        }
        m_foreground = hwnd;
        raiseElsewhere = it->second.onForeground;
    }
    if (raiseElsewhere) {
        raiseElsewhere();
    }
    return true;
}

IWindowProc* CWindowTable::Proc(HWND hwnd) const {
    std::lock_guard lock(m_mutex);
    auto it = m_windows.find(Key(hwnd));
    return it == m_windows.end() ? nullptr : it->second.proc;
}

void CWindowTable::CountCloseRequest(HWND hwnd) {
    std::function<void()> closeElsewhere;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_windows.find(Key(hwnd));
        if (it == m_windows.end()) {
            return;
        }
        ++it->second.closeRequests;
        closeElsewhere = it->second.onClose;
    }
    if (closeElsewhere) {
        closeElsewhere();
    }
}

void CWindowTable::SetRefresh(std::function<void()> refresh) {
    std::lock_guard lock(m_mutex);
    m_refresh = std::move(refresh);
}

void CWindowTable::Refresh() {
    std::function<void()> refresh;
    {
        std::lock_guard lock(m_mutex);
        // A refresh that enumerates windows itself must not start another.
        if (!m_refresh || m_refreshing) {
            return;
        }
        m_refreshing = true;
        refresh = m_refresh;
    }
    refresh();
    std::lock_guard lock(m_mutex);
    m_refreshing = false;
}

UINT CWindowTable::RegisterMessage(const QString& name) {
    std::lock_guard lock(m_mutex);
    const QString key = name.toCaseFolded(); // registered names compare case-insensitively
    auto it = m_registered.find(key);
    if (it != m_registered.end()) {
        return it->second;
    }
    const UINT id = 0xC000u + static_cast<UINT>(m_registered.size());
    m_registered[key] = id;
    return id;
}

BOOL IsWindow(HWND hwnd) {
    return Table() && hwnd && Table()->Exists(hwnd) ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
    if (!IsWindow(hwnd)) {
        return FALSE;
    }
    // A child is visible only when its parents are.
    for (HWND h = hwnd; h; h = Table()->Get(h).child ? Table()->Get(h).owner : nullptr) {
        if (!Table()->Get(h).visible) {
            return FALSE;
        }
    }
    return TRUE;
}

BOOL ShowWindow(HWND hwnd, int show) {
    if (!IsWindow(hwnd)) {
        return FALSE;
    }
    const BOOL wasVisible = Table()->Get(hwnd).visible ? TRUE : FALSE;
    Table()->SetVisible(hwnd, show != 0);
    return wasVisible;
}

int GetWindowText(HWND hwnd, QString* text) {
    if (!text) {
        return 0;
    }
    *text = IsWindow(hwnd) ? Table()->Get(hwnd).title : QString();
    return static_cast<int>(text->size());
}

BOOL SetWindowText(HWND hwnd, const QString& text) {
    if (!IsWindow(hwnd)) {
        return FALSE;
    }
    Table()->SetTitle(hwnd, text);
    return TRUE;
}

HWND GetParent(HWND hwnd) {
    return IsWindow(hwnd) ? Table()->Get(hwnd).owner : nullptr;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
    if (!rect || !IsWindow(hwnd)) {
        return FALSE;
    }
    *rect = Table()->Get(hwnd).client;
    return TRUE;
}

BOOL EnumWindows(const std::function<BOOL(HWND)>& callback) {
    if (!Table()) {
        return FALSE;
    }
    Table()->Refresh();
    // Work on a snapshot: a callback may close or create windows.
    for (HWND hwnd : Table()->TopLevel()) {
        if (Table()->Exists(hwnd) && !callback(hwnd)) {
            break;
        }
    }
    return TRUE;
}

HWND FindWindow(const QString& className, const QString& title) {
    HWND found = nullptr;
    EnumWindows([&](HWND hwnd) {
        const CWindowTable::Window w = Table()->Get(hwnd);
        if ((className.isEmpty() || w.className == className) && w.title == title) {
            found = hwnd;
            return FALSE;
        }
        return TRUE;
    });
    return found;
}

BOOL SetForegroundWindow(HWND hwnd) {
    return Table() && hwnd && Table()->BringToFront(hwnd) ? TRUE : FALSE;
}

HWND GetForegroundWindow() {
    return Table() ? Table()->Foreground() : nullptr;
}

UINT RegisterWindowMessage(const QString& name) {
    return Table() && !name.isEmpty() ? Table()->RegisterMessage(name) : 0;
}

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsWindow(hwnd)) {
        return 0;
    }
    if (IWindowProc* proc = Table()->Proc(hwnd)) {
        return proc->WindowProc(hwnd, message, wParam, lParam);
    }
    // A foreign window: all we can observe of it is that it was asked to close.
    if (message == WM_CLOSE) {
        Table()->CountCloseRequest(hwnd);
    }
    return 0;
}
