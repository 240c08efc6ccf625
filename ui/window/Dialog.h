#pragma once
// A dialog made from a template, in the manner of a Windows dialog class: the object exists before
// and after its window; Create() opens the window modelessly, DoModal() runs it modally through the
// modal service, DestroyWindow() closes it. Every message reaches the window through WindowProc
// (buttons arrive as WM_COMMAND with their control id, timers as WM_TIMER); key presses pass
// PreTranslateKey first, the way a dialog's message pre-translation sees them.

#include "platform/windows/WindowProc.h"
#include "ui/window/DialogTemplate.h"
#include "ui/window/WidgetWindow.h"

#include <QPointer>
#include <QString>

class QDialog;
class CDialogWidget;

class CDialog : public IWindowProc {
public:
    explicit CDialog(UINT templateId);
    ~CDialog() override;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Opens the window without waiting; false when it already exists or cannot be made.
    bool Create(HWND owner);
    // Runs the window modally under the name `name` (the modal service may answer instead) and
    // returns the value given to EndDialog; -1 when the window cannot be made.
    int DoModal(HWND owner, const QString& name);
    // Ends a modal run with `result`; for a modeless window it only hides it. Safe to call twice.
    void EndDialog(int result);
    // Closes and deletes the window; false when there is none.
    bool DestroyWindow();

    HWND GetSafeHwnd() const { return m_window.Handle(); }
    bool HasWindow() const { return !m_widget.isNull(); }
    QDialog* Window() const;
    QWidget* GetDlgItem(int id) const;
    HWND Owner() const { return m_owner; }

    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // The window exists and its controls are made; the window is not shown yet.
    virtual bool OnInitDialog() { return true; }
    // A key-down before any control sees it; true consumes it.
    virtual bool PreTranslateKey(UINT vk);
    // The class's message table; true when the message was handled.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // The window is about to go (timers die here).
    virtual void OnDestroy() {}

    // Sends a message to this window through the message layer.
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);
    void CenterWindow();
    void SetTopmost(bool topmost);
    void BringToForeground();
    // The key rule of the small dialogs with one button: Enter presses the button only when it has
    // the focus; Enter, Escape, the arrows and F1 are consumed in every case.
    bool ButtonOnlyKeys(UINT vk, int buttonId);
    // Dispatches at most one message waiting for this window, so a busy caller still repaints.
    bool DispatchOnePending();

private:
    friend class CDialogWidget;
    bool MakeWindow(HWND owner, bool modal);
    void HandleKeyFallback(UINT vk);

    UINT m_templateId;
    CDialogTemplate m_template;
    QPointer<CDialogWidget> m_widget;
    CWidgetWindow m_window;
    HWND m_owner = nullptr;
    int m_result = 0;
    bool m_ended = false;
    bool m_inModalLoop = false;
};
