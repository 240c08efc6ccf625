#include "controller/QuendaDlg.h"

#include "controller/WaitDlg.h"
#include "platform/messages/MessageLoop.h"
#include "player/PlayerMessages.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/ReportCtrl.h"
#include "ui/text/TextRules.h"

#include <QCloseEvent>

const MessageMapEntry<CQuendaDlg> CQuendaDlg::kMessageMap[] = {
    {WM_TIMER, kRipPollTimer, &CQuendaDlg::OnRipPoll},
    {WM_TIMER, kCopyStartTimer, &CQuendaDlg::OnCopyStart},
    {WM_TIMER, kCopyPollTimer, &CQuendaDlg::OnCopyPoll},
    {WM_TIMER, kReadinessTimer, &CQuendaDlg::OnReadinessPoll},
    {WM_TIMER, kPlayerWatchTimer, &CQuendaDlg::OnPlayerWatch},
    {WM_TIMER, kEndOfJobTimer, &CQuendaDlg::OnEndOfJob},
    {WM_TIMER, kEndCheckTimer, &CQuendaDlg::OnEndCheck},
    {WM_COMMAND, IDC_TRANSFER, &CQuendaDlg::OnTransfer},
    {WM_COMMAND, IDC_ALBUM_BUTTON, &CQuendaDlg::OnAlbum},
    {WM_COMMAND, IDC_OPEN_DEST, &CQuendaDlg::OnOpenDestination},
    {WM_COMMAND, IDC_CLOSE, &CQuendaDlg::OnClose},
    {WM_COMMAND, IDC_CD_COMBO, &CQuendaDlg::OnCdCombo},
    {WM_COMMAND, IDC_DEST_COMBO, &CQuendaDlg::OnDestinationCombo},
    {WM_COMMAND, CReportCtrl::ID_TRACK_EDIT, &CQuendaDlg::OnTrackMenuCommand},
    {WM_COMMAND, CReportCtrl::ID_TRACK_TOGGLE, &CQuendaDlg::OnTrackMenuCommand},
    {WM_COMMAND, CReportCtrl::ID_TRACK_MENU_CANCEL, &CQuendaDlg::OnIgnore},
    {WM_SYSCOMMAND, 0, &CQuendaDlg::OnSysCommand},
    {WM_CLOSE, 0, &CQuendaDlg::OnCloseRequest},
    {WM_QUERYDRAGICON, 0, &CQuendaDlg::OnQueryDragIcon},
    {WM_LBUTTONDOWN, 0, &CQuendaDlg::OnLButtonDown},
    {WM_RBUTTONDOWN, 0, &CQuendaDlg::OnLButtonDown},
    {WM_WMP_CDROMMEDIACHANGE, 0, &CQuendaDlg::OnCdromMediaChange},
    {WM_WMP_MEDIACHANGE, 0, &CQuendaDlg::OnMediaChange},
    {WM_WMP_PLAYLISTCHANGE, 0, &CQuendaDlg::OnPlaylistChange},
    {WM_WMP_PLAYSTATECHANGE, 0, &CQuendaDlg::OnPlayStateChange},
    {WM_WMP_DEVICECONNECT, 0, &CQuendaDlg::OnDeviceConnect},
    {WM_WMP_DEVICEDISCONNECT, 0, &CQuendaDlg::OnDeviceDisconnect},
    {WM_WMP_DEVICESYNCSTATECHANGE, 0, &CQuendaDlg::OnDeviceSyncStateChange},
    {WM_WMP_DEVICESYNCERROR, 0, &CQuendaDlg::OnDeviceSyncError},
    {WM_WMP_CREATEPARTNERSHIPCOMPLETE, 0, &CQuendaDlg::OnCreatePartnershipComplete},
    {WM_APP_END_REQUEST, 0, &CQuendaDlg::OnEndRequest},
};

CQuendaDlg::CQuendaDlg(QWidget* parent) : QDialog(parent) {
    CreateControls();
    m_window.Bind(this, this);
    m_queryCancelAutoPlay = RegisterWindowMessage(QStringLiteral("QueryCancelAutoPlay"));
    ConnectControls();
}

CQuendaDlg::~CQuendaDlg() {
    OnDestroy();
    m_window.Unbind();
}

void CQuendaDlg::SetInstallerDefaults(int32_t model, int32_t autoSync) {
    m_installerModel = model;
    m_installerAutoSync = autoSync;
}

int CQuendaDlg::DoModal() {
    if (!OnInitDialog() && !m_ended) {
        m_inModalRun = true;
        exec();
        m_inModalRun = false;
    }
    OnDestroy();
    return result();
}

LRESULT CQuendaDlg::WindowProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == m_queryCancelAutoPlay && m_queryCancelAutoPlay != 0) {
        return 1; // no AutoPlay for a disc inserted while the window runs
    }
    if (message == WM_NCHITTEST) {
        // lParam: the point in client coordinates, x in the low and y in the high word.
        return OnNcHitTest(QPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))));
    }
    LRESULT result = 0;
    if (RouteMessage(this, kMessageMap, message, wParam, lParam, &result)) {
        return result;
    }
    return 0;
}

bool CQuendaDlg::IsTimerArmed(UINT_PTR id) const {
    return id >= kRipPollTimer && id <= kEndOfJobTimer && m_timers[id - kRipPollTimer] != 0;
}

bool CQuendaDlg::ArmTimer(UINT_PTR id) {
    UINT_PTR& handle = m_timers[id - kRipPollTimer];
    if (handle != 0) {
        return false; // never armed twice
    }
    static constexpr UINT periods[] = {kRipPollMs,   kCopyStartMs,   kCopyPollMs,
                                       kReadinessMs, kPlayerWatchMs, kEndOfJobMs};
    handle = ::SetTimer(Handle(), id, periods[id - kRipPollTimer], nullptr);
    return handle != 0;
}

void CQuendaDlg::KillTimer(UINT_PTR id) {
    UINT_PTR& handle = m_timers[id - kRipPollTimer];
    if (handle != 0) {
        ::KillTimer(Handle(), id);
        handle = 0;
    }
}

QWidget* CQuendaDlg::Control(int id) const {
    return findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void CQuendaDlg::EndWindow(int result) {
    m_ended = true;
    for (UINT_PTR id = kRipPollTimer; id <= kEndOfJobTimer; ++id) {
        KillTimer(id);
    }
    if (m_endCheckArmed) {
        ::KillTimer(Handle(), kEndCheckTimer);
        m_endCheckArmed = false;
    }
    done(result);
}

void CQuendaDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_window.SyncFromWidget();
}

void CQuendaDlg::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    m_window.SyncFromWidget();
}

void CQuendaDlg::closeEvent(QCloseEvent* event) {
    // The close box, Alt+F4 and the window manager ask the window; it decides in its message table.
    event->ignore();
    ::SendMessage(Handle(), WM_CLOSE, 0, 0);
}

void CQuendaDlg::reject() {
    // Escape and the close box reach QDialog::reject(); both are decided elsewhere.
}
