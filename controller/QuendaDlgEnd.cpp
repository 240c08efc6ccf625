// The end of a job and of the window: the end-of-job handler, which cleans up only once the rip has
// stopped and the copy worker has been joined, and the requests to end that come from outside.
#include "controller/QuendaDlg.h"
#include "controller/RipStatus.h"
#include "platform/messages/MessageLoop.h"
#include "resources/StringIds.h"
#include "source/MediaInfo.h"
#include "source/PlayerContext.h"

#include <QApplication>
#include <QWidget>

namespace {
// End-of-job ticks (2 s each) to wait for the player's rip to stop before the disc is ejected, and
// before the job is cleaned up all the same.
constexpr int kEjectAfterTicks = 5;
constexpr int kGiveUpAfterTicks = 15;
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
    if (m_modalDepth > 0 || !StopJobWork()) {
        // A notice of the job is still open, or the rip or the copy has not stopped yet.
        ArmTimer(kEndOfJobTimer);
        return 0;
    }
    CleanUpJob(state);
    ReturnToIdle();
    return 0;
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
    if (IsRipRunning() && m_stopTicks < kGiveUpAfterTicks) {
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
    if (m_ripStopAsked && !m_ripQuiet && m_stopTicks < kGiveUpAfterTicks) {
        // Stopped since the last look: one more tick, so a track the player was storing when it
        // stopped is in the library (and taken away with the job's rips) before the clean-up.
        m_ripQuiet = true;
        return false;
    }
    if (m_dap.IsTransferRunning()) {
        m_dap.Stop(); // sets the worker's stop flag and joins it
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
        // A player device that synchronises on its own is stopped too.
        m_dap.Stop();
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
