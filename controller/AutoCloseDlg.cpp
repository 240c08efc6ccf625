#include "controller/AutoCloseDlg.h"

#include "platform/messages/MessageLoop.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <QDialog>
#include <QLabel>

const MessageMapEntry<CAutoCloseDlg> CAutoCloseDlg::kMessageMap[] = {
    {WM_TIMER, CAutoCloseDlg::kTimerId, &CAutoCloseDlg::OnTimer},
    {WM_COMMAND, IDCANCEL, &CAutoCloseDlg::OnButton},
};

CAutoCloseDlg::CAutoCloseDlg() : CAutoCloseDlg(IDD, IDS_AUTO_START_NOTICE, QStringLiteral("CAutoCloseDlg")) {}

CAutoCloseDlg::CAutoCloseDlg(UINT templateId, UINT textId, const QString& name)
    : CDialog(templateId), m_textId(textId), m_name(name) {}

CAutoCloseDlg::~CAutoCloseDlg() {
    DestroyWindow();
}

int CAutoCloseDlg::DoModal(HWND parent) {
    return CDialog::DoModal(parent, m_name);
}

bool CAutoCloseDlg::OnInitDialog() {
    Window()->setWindowTitle(LoadString(IDS_APP_TITLE));
    if (auto* text = qobject_cast<QLabel*>(GetDlgItem(IDC_TEXT))) {
        text->setText(LoadString(m_textId));
    }
    CenterWindow();
    if (HWND hwnd = GetSafeHwnd()) {
        m_timerWindow = hwnd;
        m_timer = ::SetTimer(hwnd, kTimerId, m_timeout, nullptr);
    }
    return true;
}

bool CAutoCloseDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return RouteMessage(this, kMessageMap, message, wParam, lParam, result);
}

LRESULT CAutoCloseDlg::OnTimer(WPARAM, LPARAM) {
    EndDialog(kTimedOut);
    return 0;
}

LRESULT CAutoCloseDlg::OnButton(WPARAM, LPARAM) {
    EndDialog(kButtonPressed);
    return 0;
}

bool CAutoCloseDlg::PreTranslateKey(UINT vk) {
    return ButtonOnlyKeys(vk, IDCANCEL);
}

void CAutoCloseDlg::OnDestroy() {
    if (m_timer) {
        ::KillTimer(m_timerWindow, kTimerId);
        m_timer = 0;
        m_timerWindow = nullptr;
    }
}
