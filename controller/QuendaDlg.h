#pragma once
// The program's main window. It is registered in the window table under its title, so that a
// second start can find it and the message layer can deliver timers and events to it.

#include "platform/windows/WindowProc.h"
#include "ui/window/WidgetWindow.h"

#include <QDialog>

class QLabel;
class QPushButton;

class CQuendaDlg : public QDialog, public IWindowProc {
    Q_OBJECT
public:
    explicit CQuendaDlg(QWidget* parent = nullptr);
    ~CQuendaDlg() override;

    HWND Handle() const { return m_window.Handle(); }
    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    CWidgetWindow m_window;
    QLabel* m_status = nullptr;
    QPushButton* m_close = nullptr;
};
