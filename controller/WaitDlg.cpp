#include "controller/WaitDlg.h"

#include "ui/StaticEx.h"
#include "ui/window/EnableWindow.h"

#include <QDialog>
#include <QLabel>

CWaitDlg::CWaitDlg() : CDialog(IDD) {}

CWaitDlg::~CWaitDlg() {
    Destroy();
}

bool CWaitDlg::Create(HWND owner) {
    if (HasWindow()) {
        return false;
    }
    if (owner) {
        EnableWindow(owner, FALSE);
        m_disabledOwner = owner;
    }
    if (!CDialog::Create(owner)) {
        if (m_disabledOwner) {
            EnableWindow(m_disabledOwner, TRUE);
            m_disabledOwner = nullptr;
        }
        return false;
    }
    return true;
}

bool CWaitDlg::OnInitDialog() {
    SetTopmost(true);
    CenterWindow();
    if (auto* text = qobject_cast<QLabel*>(GetDlgItem(IDC_TEXT))) {
        if (!m_text.isEmpty()) {
            text->setText(m_text);
        } else {
            m_text = text->text();
        }
    }
    BringToForeground();
    return true;
}

void CWaitDlg::SetText(const QString& text) {
    m_text = text;
    auto* label = qobject_cast<QLabel*>(GetDlgItem(IDC_TEXT));
    if (!label) {
        return;
    }
    label->setText(text);
    label->repaint();
    DispatchOnePending();
}

bool CWaitDlg::Destroy() {
    if (m_disabledOwner) {
        EnableWindow(m_disabledOwner, TRUE);
        m_disabledOwner = nullptr;
    }
    return DestroyWindow();
}

bool CWaitDlg::PreTranslateKey(UINT vk) {
    // Nothing may close the window but the code that opened it.
    return vk == VK_ESCAPE || vk == VK_RETURN;
}

bool CWaitDlg::OnMessage(UINT message, WPARAM, LPARAM, LRESULT* result) {
    if (message == WM_COMMAND || message == WM_CLOSE) {
        *result = 0; // no buttons; the close box and Cancel do nothing
        return true;
    }
    return false;
}
