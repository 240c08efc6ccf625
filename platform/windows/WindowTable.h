#pragma once
// The top-level and child windows the program can see: our own windows (with a WindowProc) and, in
// the sandbox, foreign ones such as a stand-alone player window that tests put there. HWNDs are
// handles into this table; a destroyed window's handle is never reused, so IsWindow stays truthful.

#include "platform/win/WinTypes.h"
#include "platform/windows/WindowProc.h"

#include <QString>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

class CWindowTable {
public:
    struct Window {
        QString title;
        QString className;
        HWND owner = nullptr; // parent of a child window, owner of a top-level one
        bool child = false;
        bool visible = false;
        RECT client{};
        IWindowProc* proc = nullptr;        // null for a foreign window
        std::function<void()> onForeground; // a foreign window raised on request (another process)
        std::function<void()> onClose;      // a foreign window asked to close (WM_CLOSE)
        int closeRequests = 0;              // WM_CLOSE sent to a window without a proc
    };

    HWND Create(const Window& window);
    void Destroy(HWND hwnd);
    bool Exists(HWND hwnd) const;
    // A copy of the record; an empty record for a window that does not exist.
    Window Get(HWND hwnd) const;
    void SetTitle(HWND hwnd, const QString& title);
    void SetVisible(HWND hwnd, bool visible);
    // The owner of a top-level window (a foreign dialog's owner can change while it lives).
    void SetOwner(HWND hwnd, HWND owner);
    void SetClientRect(HWND hwnd, const RECT& rect);
    void SetProc(HWND hwnd, IWindowProc* proc);
    // Top-level windows, front-most first, as EnumWindows lists them.
    std::vector<HWND> TopLevel() const;
    HWND Foreground() const;
    bool BringToFront(HWND hwnd);
    IWindowProc* Proc(HWND hwnd) const;
    void CountCloseRequest(HWND hwnd);

    // Called before every enumeration of the top-level windows, so windows of other programs that
    // a source mirrors into the table are current when the program looks for them. Empty: none.
    void SetRefresh(std::function<void()> refresh);
    void Refresh();

    // Registered window messages share one number space starting at 0xC000, like RegisterWindowMessage.
    UINT RegisterMessage(const QString& name);

private:
    mutable std::recursive_mutex m_mutex;
    std::map<std::uintptr_t, Window> m_windows;
    std::vector<HWND> m_zOrder; // top-level only, front first
    std::uintptr_t m_next = 0x10010;
    std::map<QString, UINT> m_registered;
    HWND m_foreground = nullptr;
    std::function<void()> m_refresh;
    bool m_refreshing = false;
};

// Win32-style calls on CPlatform::Current().windows.
BOOL IsWindow(HWND hwnd);
BOOL IsWindowVisible(HWND hwnd);
BOOL ShowWindow(HWND hwnd, int show); // SW_HIDE = 0, anything else shows
int GetWindowText(HWND hwnd, QString* text);
BOOL SetWindowText(HWND hwnd, const QString& text);
HWND GetParent(HWND hwnd);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL EnumWindows(const std::function<BOOL(HWND)>& callback);
HWND FindWindow(const QString& className, const QString& title); // empty className matches any
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
UINT RegisterWindowMessage(const QString& name);
// A direct, synchronous call of the target's WindowProc, as SendMessage does on one thread.
LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
