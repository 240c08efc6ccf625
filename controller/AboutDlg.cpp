#include "controller/AboutDlg.h"

#include "ui/Bitmaps.h"
#include "ui/window/DialogUnits.h"

#include <QDialog>
#include <QLabel>

CAboutDlg::CAboutDlg() : CDialog(IDD) {}

CAboutDlg::~CAboutDlg() {
    DestroyWindow();
}

int CAboutDlg::DoModal(HWND parent) {
    return CDialog::DoModal(parent, QStringLiteral("CAboutDlg"));
}

bool CAboutDlg::OnInitDialog() {
    auto* icon = new QLabel(Window());
    icon->setGeometry(DluRect(10, 10, 22, 22));
    icon->setPixmap(LoadAppIcon().pixmap(32, 32));
    Window()->setWindowIcon(LoadAppIcon());
    CenterWindow();
    return true;
}

bool CAboutDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(LOWORD(wParam));
        *result = 0;
        return true;
    }
    return false;
}
