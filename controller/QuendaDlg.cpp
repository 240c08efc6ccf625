#include "controller/QuendaDlg.h"

#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/window/DialogUnits.h"

#include <QLabel>
#include <QPushButton>

namespace {
constexpr int kDialogWidthDlu = 457;
constexpr int kDialogHeightDlu = 344;
constexpr int kCloseButtonId = 2;
constexpr int kStatusTextId = 1018;
} // namespace

CQuendaDlg::CQuendaDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(LoadString(IDS_APP_TITLE));
    setFixedSize(DluX(kDialogWidthDlu), DluY(kDialogHeightDlu));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x3E, 0x3E, 0x3E));
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);

    m_status = new QLabel(this);
    m_status->setObjectName(QString::number(kStatusTextId));
    m_status->setGeometry(DluRect(300, 230, 150, 70));
    m_status->setWordWrap(true);
    m_status->setStyleSheet(QStringLiteral("color: #EB0012;"));

    m_close = new QPushButton(LoadString(IDS_BTN_CLOSE), this);
    m_close->setObjectName(QString::number(kCloseButtonId));
    m_close->setGeometry(DluRect(385, 318, 64, 18));
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    m_window.Bind(this, this);
}

CQuendaDlg::~CQuendaDlg() {
    m_window.Unbind();
}

LRESULT CQuendaDlg::WindowProc(HWND, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_CLOSE:
        reject();
        return 0;
    default:
        return 0;
    }
}

void CQuendaDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_window.SyncFromWidget();
}

void CQuendaDlg::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    m_window.SyncFromWidget();
}
