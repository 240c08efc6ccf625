#include "ui/window/EnableWindow.h"

#include "ui/window/WidgetWindow.h"

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    QWidget* widget = CWidgetWindow::WidgetOf(hwnd);
    if (!widget) {
        return FALSE;
    }
    const BOOL wasDisabled = widget->isEnabled() ? FALSE : TRUE;
    widget->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
    QWidget* widget = CWidgetWindow::WidgetOf(hwnd);
    return widget && widget->isEnabled() ? TRUE : FALSE;
}
