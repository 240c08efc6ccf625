#include "ui/StatusDlg.h"

#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/window/EnableWindow.h"
#include "ui/window/WidgetWindow.h"

#include <QDialog>
#include <QLabel>
#include <QProgressBar>

const MessageMapEntry<CStatusDlg> CStatusDlg::kMessageMap[] = {
    {WM_COMMAND, IDCANCEL, &CStatusDlg::OnCancel},
};

CStatusDlg::CStatusDlg() : CDialog(IDD) {}

CStatusDlg::~CStatusDlg() {
    Destroy();
}

bool CStatusDlg::Create(HWND owner) {
    m_cancelled = 0;
    return CDialog::Create(owner);
}

bool CStatusDlg::OnInitDialog() {
    SetTopmost(false);
    CenterWindow();
    Window()->setWindowTitle(m_caption.isEmpty() ? LoadString(IDS_APP_TITLE) : m_caption);
    m_message.clear();
    if (auto* text = qobject_cast<QLabel*>(GetDlgItem(IDC_MESSAGE))) {
        text->clear();
    }
    SetRange(0, 0);
    m_cancelled = 0;
    if (QWidget* cancel = GetDlgItem(IDCANCEL)) {
        cancel->setEnabled(true);
    }
    BringToForeground();
    return true;
}

bool CStatusDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return RouteMessage(this, kMessageMap, message, wParam, lParam, result);
}

void CStatusDlg::SetCaption(const QString& caption) {
    m_caption = caption;
    if (QDialog* window = Window()) {
        window->setWindowTitle(caption.isEmpty() ? LoadString(IDS_APP_TITLE) : caption);
        if (HWND hwnd = GetSafeHwnd()) {
            ::SetWindowText(hwnd, window->windowTitle());
        }
    }
}

void CStatusDlg::SetMessage(const QString& text) {
    m_message = text;
    auto* label = qobject_cast<QLabel*>(GetDlgItem(IDC_MESSAGE));
    if (!label) {
        return;
    }
    label->setText(text);
    label->repaint();
    DispatchOnePending();
}

void CStatusDlg::SetRange(int low, int high) {
    auto* bar = qobject_cast<QProgressBar*>(GetDlgItem(IDC_PROGRESS));
    if (!bar) {
        return;
    }
    bar->setRange(low, high);
    bar->setVisible(low != 0 || high != 0);
}

void CStatusDlg::SetPos(int value) {
    auto* bar = qobject_cast<QProgressBar*>(GetDlgItem(IDC_PROGRESS));
    if (!bar) {
        return;
    }
    bar->setValue(value);
    bar->repaint();
    if (QWidget* label = GetDlgItem(IDC_MESSAGE)) {
        label->repaint();
    }
    DispatchOnePending();
}

void CStatusDlg::DisableCancel() {
    if (QWidget* cancel = GetDlgItem(IDCANCEL)) {
        cancel->setEnabled(false);
    }
}

void CStatusDlg::Show() {
    if (QDialog* window = Window()) {
        window->show();
    }
}

void CStatusDlg::EnableWindow(bool enable) {
    if (QDialog* window = Window()) {
        window->setEnabled(enable);
    }
}

void CStatusDlg::PumpPending() {
    // What is waiting now, not what the handlers post meanwhile.
    for (int i = 0; i < 64 && DispatchOnePending(); ++i) {
    }
}

LRESULT CStatusDlg::OnCancel(WPARAM, LPARAM) {
    if (m_cancelled) {
        return 0;
    }
    SetMessage(LoadString(IDS_CANCELLING));
    DisableCancel();
    m_cancelled = 1;
    return 0;
}

bool CStatusDlg::PreTranslateKey(UINT vk) {
    return ButtonOnlyKeys(vk, IDCANCEL);
}

bool CStatusDlg::Destroy() {
    m_cancelled = 0;
    const HWND owner = Owner();
    if (!HasWindow()) {
        return false;
    }
    if (owner) {
        ::EnableWindow(owner, TRUE);
    }
    const bool destroyed = DestroyWindow();
    // The owner repaints what the window covered at once.
    if (QWidget* ownerWidget = owner ? CWidgetWindow::WidgetOf(owner) : nullptr) {
        ownerWidget->repaint();
    }
    return destroyed;
}
