// The readiness poll and the start of a job: the Transfer command, its checks and the rip's
// preparation.
#include "controller/AutoCloseDlg.h"
#include "controller/QuendaDlg.h"
#include "platform/messages/MessageLoop.h"
#include "platform/messages/ModalService.h"
#include "platform/system/SystemServices.h"
#include "platform/system/WaitCursor.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/ColorButton.h"
#include "ui/MyComboBox.h"
#include "ui/ReportCtrl.h"

void CQuendaDlg::RefreshDestination() {
    m_dap.Prepare();
    m_dap.UpdateCapacity();
}

bool CQuendaDlg::SidesReady() {
    // Ready means a list filled from the disc in the drive now, with at least one row: ticks and
    // sizes of an earlier disc (or of an empty fill) would make the checks before a job meaningless.
    if (m_dap.GetState() != CDAPAcc::kReady || m_cdrom.GetState() != 2 || !m_cdrom.IsTrackListCurrent()) {
        return false;
    }
    return m_pendingRip == -1 || m_pendingRip == m_cdrom.TrackCount(false) - 1;
}

LRESULT CQuendaDlg::OnReadinessPoll(WPARAM, LPARAM) {
    KillTimer(kReadinessTimer);
    switch (m_syncState) {
    case SYNC_INIT:
        m_cdrom.Refresh(false, false);
        m_cdrom.OpenDisc(true);
        // A disc that was not readable yet when its change was reported (or a drive plugged in
        // with its disc) is listed now.
        m_cdrom.RefreshTrackList(m_bitRate);
        m_dap.Refresh(false, false);
        RefreshDestination();
        [[fallthrough]];
    case SYNC_WAIT: {
        const bool ready = SidesReady();
        if (ready && m_readyCount == 3) {
            SetSyncState(SYNC_WAIT);
            if (m_settings.AutoSync(true) != 0 && m_autoStartDone == 0) {
                OfferAutoStart();
            }
        } else if (ready) {
            ++m_readyCount;
            SetSyncState(SYNC_INIT);
        } else {
            m_readyCount = 0;
            SetSyncState(SYNC_INIT);
        }
        if (m_dap.GetState() != CDAPAcc::kNoDestination) {
            m_dap.UpdateCapacity();
        }
        UpdateStatus();
        break;
    }
    case SYNC_SETTINGS:
        if (m_dap.GetState() != CDAPAcc::kNoDestination) {
            m_dap.UpdateCapacity();
        }
        UpdateStatus();
        break;
    default:
        break; // a job owns the window
    }
    // Runs for the window's whole life.
    if (!m_ended) {
        ArmTimer(kReadinessTimer);
    }
    return 0;
}

void CQuendaDlg::OfferAutoStart() {
    m_autoStartDone = 1;
    for (QWidget* control : {static_cast<QWidget*>(m_cdCombo), static_cast<QWidget*>(m_destinationCombo),
                             static_cast<QWidget*>(m_album), static_cast<QWidget*>(m_close),
                             static_cast<QWidget*>(m_openDestination), static_cast<QWidget*>(m_transfer)}) {
        control->setEnabled(false);
    }
    m_trackList->EnableList(false);
    CAutoCloseDlg countdown;
    if (RunModal([&] { return countdown.DoModal(Handle()); }) == CAutoCloseDlg::kTimedOut &&
        !m_endRequested) {
        // As a click on Transfer; the command checks again that both sides are still ready.
        ::PostMessage(Handle(), WM_COMMAND, MAKEWPARAM(IDC_TRANSFER, BN_CLICKED), 0);
    }
}

LRESULT CQuendaDlg::OnTransfer(WPARAM, LPARAM) {
    // A click reaches here only while the button is live, but a posted command (the countdown's)
    // can arrive after a disc or a card went: only a window that is still ready starts a job.
    if (m_syncState != SYNC_WAIT || m_endRequested) {
        return 0;
    }
    // Look again at both sides: a card or a disc may have gone since the last poll.
    RefreshDestination();
    if (!m_cdrom.OpenDisc(false) || !SidesReady()) {
        m_readyCount = 0;
        SetSyncState(SYNC_INIT);
        UpdateStatus();
        return 0;
    }
    CWaitCursor wait;
    m_trackList->EndEdit(true);
    SetSyncState(SYNC_PRE_RIPPING);
    ApplyFocusRule(IDC_TRANSFER);
    UpdateStatus();
    m_trackList->SnapshotChecks(false);
    m_jobLog.Begin();
    if (!CheckRoom()) {
        m_jobLog.End(0);
        ApplyFocusRule(IDC_TRANSFER);
        SetSyncState(SYNC_WAIT);
        UpdateStatus();
        return 0;
    }
    m_finished = 0;
    m_autoStartDone = 1;
    if (!PrepareRip()) {
        ShowNotice(IDS_RIP_FAILED, IDS_CAPTION_ERROR);
        m_jobLog.End(IDS_RIP_FAILED);
        ApplyFocusRule(IDC_TRANSFER);
        SetSyncState(SYNC_WAIT);
        UpdateStatus();
        return 0;
    }
    StartJob();
    return 0;
}

bool CQuendaDlg::CheckRoom() {
    bool chosen = false;
    bool oneFits = false;
    double total = 0;
    const float cardFree = m_dap.FreeMegabytes();
    for (int n = 1; n - 1 < m_cdrom.TrackCount(true); ++n) {
        if (!m_trackList->IsTrackChosen(n)) {
            continue;
        }
        chosen = true;
        const double size = m_cdrom.TrackSize(n - 1);
        if (double(cardFree) > size) {
            oneFits = true;
        }
        total += size;
    }
    if (!chosen) {
        ShowNotice(IDS_NOTHING_CHOSEN, IDS_CAPTION_ERROR);
        return false;
    }
    if (!oneFits) {
        ShowNotice(IDS_NO_TRACK_FITS, IDS_CAPTION_ERROR);
        return false;
    }
    // The whole disc is ripped, whatever is ticked.
    if (double(CCDROMAcc::FreeMegabytes(m_regAcc.RecordPath())) < m_cdrom.TotalSize()) {
        ShowNotice(IDS_PC_SPACE_LOW, IDS_CAPTION_WARNING);
        return false;
    }
    m_untilFull = false;
    if (double(cardFree) < total) {
        const int answer = RunModal([this] {
            return ::MessageBox(Handle(), LoadString(IDS_ASK_FILL_CARD), LoadString(IDS_APP_TITLE),
                                MB_YESNO | MB_TOPMOST);
        });
        if (answer != IDYES || m_endRequested) {
            return false;
        }
        m_untilFull = true; // the copy fills the card as far as it goes
    }
    return true;
}

bool CQuendaDlg::PrepareRip() {
    m_jobLog.Add(QStringLiteral("preparation"));
    if (!m_cdrom.PruneMissingFiles()) {
        return false;
    }
    // From here on earlier rips may wait in the work folder: a failure puts them back first.
    const bool prepared = m_cdrom.SetAsideEarlierRips(m_regAcc.RecordPath()) && m_cdrom.CheckAlbumOrder() &&
                          m_cdrom.PrepareTrackTags(m_settings.Model(true)) && m_cdrom.CopyTagsToLibrary() &&
                          m_cdrom.TakeAlbumSnapshot();
    if (!prepared) {
        m_cdrom.RemoveRippedTracks();
    }
    return prepared;
}

void CQuendaDlg::StartJob() {
    // What a job before this one left behind counts for nothing in this one.
    m_pendingRip = -1;
    m_lastProgress = 0;
    m_stallCount = 0;
    m_copyStarted = false;
    m_ripStopAsked = false;
    m_jobRunning = true;
    ArmTimer(kEndOfJobTimer);
    SetSyncState(SYNC_RIPPING);
    UpdateStatus();
    m_jobLog.Add(QStringLiteral("rip"));
    const int started = m_cdrom.StartRip();
    m_ripUnfinished = started == 0;
    if (started < 0) {
        SetSyncState(SYNC_RIPPING_ERROR);
        UpdateStatus();
    }
    ArmTimer(kRipPollTimer);
    ApplyFocusRule(IDC_TRANSFER);
}
