#include "controller/QuendaDlg.h"

#include "app/settings/PreferenceSteps.h"
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
    // The player control is shut down and released before this point; then the player's
    // preferences are given back.
    GiveBackPlayerPreferences(m_regAcc);
    m_window.Unbind();
}

void CQuendaDlg::SetInstallerDefaults(int32_t model, int32_t autoSync) {
    m_installerModel = model;
    m_installerAutoSync = autoSync;
}

int CQuendaDlg::DoModal() {
    m_endedDuringInit = false;
    if (OnInitDialog() && m_endedDuringInit) {
        return result();
    }
    return exec();
}

void CQuendaDlg::EndDialog(int result) {
    m_endedDuringInit = true;
    done(result);
}

bool CQuendaDlg::OnInitDialog() {
    // Steps 1 to 4: system menu and icons, the wait window, texts and track list, the check for an
    // open player window.

    // Steps 5 to 8: take over the player's preferences, store the settings on a first run, and set
    // the file naming of the player model.
    TakeOverPlayerPreferences(m_regAcc, m_settings, m_installerModel, m_installerAutoSync);

    // Steps 9 to 14: the player control and its events, the drives and their controls, the two
    // permanent timers, the status, and the end of the wait window.
    return false;
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
