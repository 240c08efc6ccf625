#pragma once
// Binds a Qt widget to a handle in the window table, so the rest of the program can reach it the
// Windows way (SendMessage, SetWindowText, EnumWindows, SetForegroundWindow) while Qt draws it.

#include "platform/windows/WindowTable.h"

#include <QPointer>
#include <QWidget>

class CWidgetWindow {
public:
    // Registers `widget` as a top-level window (or a child, when `parent` is a window) answering
    // through `proc`. The handle lives until Unbind or the widget's destruction.
    HWND Bind(QWidget* widget, IWindowProc* proc, HWND parent = nullptr, bool child = false);
    void Unbind();
    HWND Handle() const { return m_hwnd; }
    // Keeps the table's title and visibility in line with the widget's.
    void SyncFromWidget();

    // The widget behind a handle of ours, or null.
    static QWidget* WidgetOf(HWND hwnd);
    // The handle of a widget of ours, or null.
    static HWND HandleOf(const QWidget* widget);

    ~CWidgetWindow() { Unbind(); }

private:
    HWND m_hwnd = nullptr;
    QPointer<QWidget> m_widget;
};
