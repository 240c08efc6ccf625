// The end of a job and of the window: the end-of-job handler, which cleans up only once the rip has
// stopped and the copy worker has been joined, and the requests to end that come from outside.
#include "controller/QuendaDlg.h"
#include "controller/RipStatus.h"
#include "controller/WaitDlg.h"
#include "platform/messages/MessageLoop.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "source/MediaInfo.h"
#include "source/PlayerContext.h"

#include <QApplication>
#include <QWidget>

namespace {
// End-of-job ticks (2 s each) to wait for the player's rip to stop before the disc is ejected. The
// clean-up never runs under a rip that still stores files: they would stay behind, to be taken
// for the user's own rips by the next job.
constexpr int kEjectAfterTicks = 5;
// Ticks a copy worker gets to end once asked to stop. One stuck in a write that never returns (a
// hung card) is then left to itself and the job ends as failed.
constexpr int kCopyStopTicks = 5;
// With an end request (the window closed, the session ending) the program ends within seconds:
// what has not stopped by then is left to the next start, which the journal tells what to undo.
constexpr int kEndRequestTicks = 2;
} // namespace

LRESULT CQuendaDlg::OnEndOfJob(WPARAM, LPARAM) {
    KillTimer(kEndOfJobTimer);
    const int32_t state = m_syncState;
    if (!IsJobEndState(state)) {
        // Ripping or copying (or a step between): look again later, for as long as the job runs.
        if (m_jobRunning) {
            ArmTimer(kEndOfJobTimer);
        }
        return 0;
    }
    if (m_modalDepth > 0) {
        // A notice of the job is still open.
        ArmTimer(kEndOfJobTimer);
        return 0;
    }
    if (!StopJobWork()) {
        // The rip or the copy has not stopped yet.
        if (m_endRequested && IsRipRunning() && ++m_endWaitTicks >= kEndRequestTicks) {
            LeaveJobToNextStart();
            return 0;
        }
        ShowStopWait(true);
        ArmTimer(kEndOfJobTimer);
        return 0;
    }
    ShowStopWait(false);
    // A copy left stuck in its write failed, whatever the state said.
    CleanUpJob(m_copyAbandoned ? SYNC_ERROR : state);
    ReturnToIdle();
    return 0;
}

void CQuendaDlg::ShowStopWait(bool shown) {
    if (!shown) {
        if (m_stopWait) {
            m_stopWait->Destroy();
            m_stopWait.reset();
        }
        return;
    }
    if (m_stopWait) {
        return;
    }
    // Without an owner: the window stays usable, so it can still be closed while it waits.
    m_stopWait = std::make_unique<CWaitDlg>();
    m_stopWait->SetText(LoadString(IDS_CANCELLING));
    m_stopWait->Create(nullptr);
}

void CQuendaDlg::LeaveJobToNextStart() {
    // The player's rip would not stop and the program must end: nothing is cleaned up under it.
    // The set-aside journal still names the job, so the next start takes its rips away (known by
    // the disc, the rip folder and their time) and puts the earlier rips back.
    KillTimer(kRipPollTimer);
    KillTimer(kCopyStartTimer);
    KillTimer(kCopyPollTimer);
    m_dap.RequestStop();
    if (!m_dap.ReapTransfer()) {
        m_dap.AbandonTransfer();
    }
    ShowStopWait(false);
    m_cdrom.CloseProgress();
    m_dap.CloseProgress();
    m_jobLog.Add(QStringLiteral("clean-up left to the next start"));
    m_jobLog.End(IDS_RIP_FAILED);
    m_jobRunning = false;
    EndWindow(IDCANCEL);
}

bool CQuendaDlg::IsRipRunning() const {
    // The player shows a track it is ripping as "... (NN%)" below 100 in the disc's playlist.
    for (int position = 0; position < CCDROMAcc::kMaxTracks; ++position) {
        ComPtr<IWMPMedia> item;
        if (FAILED(m_cdrom.GetCdItem(position, &item)) || !item) {
            break;
        }
        QString status;
        if (media_info::Read(item.Get(), QStringLiteral("Status"), &status)) {
            const int percent = RipPercentOf(status);
            if (percent >= 0 && percent < 100) {
                return true;
            }
        }
    }
    return false;
}

bool CQuendaDlg::StopJobWork() {
    KillTimer(kRipPollTimer);
    KillTimer(kCopyStartTimer);
    // A rip that has not finished is asked to stop even when no track shows its progress at this
    // moment (between two tracks); it counts as stopped only once it was seen quiet on a later tick.
    if (IsRipRunning() || (m_ripUnfinished && !m_ripStopAsked)) {
        m_ripQuiet = false;
        if (!m_ripStopAsked) {
            // The rip interface came with player 11; an older player's rip stops with its disc.
            m_ripStopAsked = true;
            m_cdrom.StopOrEject(PlayerContext().MajorVersion() < 11);
        } else if (++m_stopTicks == kEjectAfterTicks) {
            m_cdrom.StopOrEject(true);
        }
        return false;
    }
    if (m_ripStopAsked && !m_ripQuiet) {
        // Stopped since the last look: one more tick, so a track the player was storing when it
        // stopped is in the library (and taken away with the job's rips) before the clean-up.
        m_ripQuiet = true;
        return false;
    }
    if (m_dap.IsTransferRunning()) {
        // Asked, never waited for: the worker looks at its stop flag between pieces of a file.
        m_dap.RequestStop();
        if (!m_dap.ReapTransfer()) {
            if (++m_copyStopTicks < (m_endRequested ? kEndRequestTicks : kCopyStopTicks)) {
                return false;
            }
            m_jobLog.Add(QStringLiteral("copy worker left in its write"));
            m_dap.AbandonTransfer();
            m_copyAbandoned = true;
        }
    }
    return true;
}

void CQuendaDlg::CleanUpJob(int32_t state) {
    KillTimer(kRipPollTimer);
    KillTimer(kCopyStartTimer);
    KillTimer(kCopyPollTimer);
    m_cdrom.RemoveRippedTracks();
    m_cdrom.CloseProgress();
    m_dap.CloseProgress();
    m_jobLog.Add(QStringLiteral("clean-up"));
    if (m_copyStarted) {
        m_jobLog.Add(QStringLiteral("files on the card: %1 of %2")
                         .arg(m_dap.CopiedCount())
                         .arg(m_dap.FileList().size()));
    }
    UINT text = 0;
    UINT caption = 0;
    switch (state) {
    case SYNC_RIPPING_ERROR:
        text = IDS_RIP_FAILED;
        caption = IDS_CAPTION_ERROR;
        break;
    case SYNC_SYNCING_DONE:
        m_finished = 1;
        text = IDS_COPY_DONE;
        caption = IDS_APP_TITLE;
        break;
    case SYNC_ERROR:
        text = IDS_COPY_FAILED;
        caption = IDS_CAPTION_ERROR;
        break;
    default:
        text = IDS_COPY_CANCELLED;
        caption = IDS_APP_TITLE;
        break;
    }
    m_jobLog.Add(QStringLiteral("notice"));
    if (!m_endRequested) {
        ShowNotice(text, caption);
    }
    if (state == SYNC_ERROR) {
        // After the notice and a fresh status: a player device that synchronises on its own is
        // stopped too.
        UpdateStatus();
        m_dap.Stop();
    }
    m_jobLog.End(text);
}

void CQuendaDlg::ReturnToIdle() {
    m_cdrom.Refresh(false, true);
    m_cdrom.OpenDisc(true);
    m_cdrom.FillTrackList(m_bitRate, false);
    m_cdrom.ShowAlbumTitle();
    m_dap.Refresh(false, true);
    RefreshDestination();
    m_pendingRip = -1;
    m_jobRunning = false;
    m_copyStarted = false;
    m_ripStopAsked = false;
    m_ripQuiet = false;
    m_stopTicks = 0;
    m_copyStopTicks = 0;
    m_endWaitTicks = 0;
    m_copyAbandoned = false;
    m_ripUnfinished = false;
    SetSyncState(SYNC_INIT);
    UpdateStatus();
    ApplyFocusRule(IDC_TRANSFER);
    if (m_endRequested) {
        EndWindow(IDCANCEL);
    }
}

int CQuendaDlg::RunModal(const std::function<int()>& run) {
    ++m_modalDepth;
    const int result = run();
    --m_modalDepth;
    return result;
}

void CQuendaDlg::RequestEnd() {
    if (m_ended) {
        return;
    }
    m_endRequested = true;
    // Whatever waits for the user now (a notice, the countdown, the album dialog) is closed: it
    // answers as its close box does, which starts nothing.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != this && window->isVisible() && window->isModal()) {
            window->close();
        }
    }
    ::PostMessage(Handle(), WM_APP_END_REQUEST, 0, 0);
}

LRESULT CQuendaDlg::OnEndRequest(WPARAM, LPARAM) {
    if (!m_ended && !m_endCheckArmed) {
        m_endCheckArmed = ::SetTimer(Handle(), kEndCheckTimer, kEndCheckMs, nullptr) != 0;
    }
    return 0;
}

LRESULT CQuendaDlg::OnEndCheck(WPARAM, LPARAM) {
    if (m_ended) {
        ::KillTimer(Handle(), kEndCheckTimer);
        m_endCheckArmed = false;
        return 0;
    }
    if (m_modalDepth > 0) {
        return 0; // a handler still unwinds from its modal window
    }
    if (m_syncState == SYNC_INIT || m_syncState == SYNC_WAIT) {
        if (!m_jobRunning) {
            ::KillTimer(Handle(), kEndCheckTimer);
            m_endCheckArmed = false;
            EndWindow(IDCANCEL);
        }
        return 0;
    }
    AbortJob();
    return 0;
}

void CQuendaDlg::AbortJob() {
    switch (m_syncState) {
    case SYNC_RIPPING:
        KillTimer(kRipPollTimer);
        EnterEndState(SYNC_RIPPING_ERROR);
        break;
    case SYNC_SYNCING:
        KillTimer(kCopyStartTimer);
        KillTimer(kCopyPollTimer);
        if (m_dap.IsTransferRunning()) {
            m_dap.Stop();
        }
        EnterEndState(SYNC_ABORT);
        break;
    default:
        // Checks before the rip (their handler is still returning), the album dialog closing, or
        // an end state that the end-of-job handler is about to clean up.
        break;
    }
    if (m_jobRunning && IsJobEndState(m_syncState) && !IsTimerArmed(kEndOfJobTimer)) {
        ArmTimer(kEndOfJobTimer);
    }
}
