// A job's rip and copy: the player's progress reports, the rip poll with its stall rule, and the
// copy's start and poll.
#include "controller/QuendaDlg.h"
#include "controller/RipStatus.h"
#include "platform/com/ComBSTR.h"
#include "resources/StringIds.h"
#include "source/MediaInfo.h"

namespace {
// Equal progress readings (polls and reports together) beyond this many count as a stall.
constexpr int kStallLimit = 15;
} // namespace

LRESULT CQuendaDlg::OnMediaChange(WPARAM wParam, LPARAM) {
    // Only the rip of the running job moves the job; a report that comes late (a stopped track
    // clearing its status, another disc) changes nothing.
    if (m_syncState != SYNC_RIPPING) {
        return S_OK;
    }
    ComPtr<IWMPMedia> item;
    if (auto* dispatch = reinterpret_cast<IDispatch*>(wParam);
        !dispatch || FAILED(dispatch->QueryInterface(IID_IWMPMedia, &item)) || !item) {
        return E_FAIL;
    }
    const long n = media_info::TrackNumberOf(item.Get());
    if (n <= 0) {
        return E_FAIL;
    }
    ComPtr<IWMPMedia> cdItem;
    VARIANT_BOOL same = VARIANT_FALSE;
    if (FAILED(m_cdrom.GetCdItem(int(n - 1), &cdItem)) || !cdItem ||
        FAILED(cdItem->get_isIdentical(item.Get(), &same)) || same == VARIANT_FALSE) {
        return S_OK;
    }
    QString status;
    if (!media_info::Read(item.Get(), QStringLiteral("Status"), &status)) {
        return S_OK; // no status to read: nothing to learn
    }
    const int percent = RipPercentOf(status);
    if (percent == kRipNotStarted) {
        if (n == 1) {
            m_pendingRip = -1;
        } else if (m_pendingRip < n - 1) {
            m_pendingRip = int(n - 1);
        }
        return E_PENDING;
    }
    if (percent < 0) {
        return S_OK;
    }
    // When the report came, before the progress window takes its pause at the end of the disc.
    m_jobLog.Touch(QStringLiteral("last rip report"));
    const int value = m_cdrom.RipProgress(int(n - 1) * 100 + percent);
    if (value < 0) {
        KillTimer(kRipPollTimer);
        EnterEndState(SYNC_RIPPING_ERROR);
        return E_FAIL;
    }
    CountStall(value);
    return S_OK;
}

void CQuendaDlg::CountStall(int value) {
    if (value == m_lastProgress) {
        ++m_stallCount;
    } else {
        m_stallCount = 0;
        m_lastProgress = value;
    }
}

LRESULT CQuendaDlg::OnRipPoll(WPARAM, LPARAM) {
    KillTimer(kRipPollTimer);
    if (m_syncState != SYNC_RIPPING) {
        return 0;
    }
    const int value = m_cdrom.RipProgress(0);
    CountStall(value);
    if (m_stallCount > kStallLimit) {
        m_stallCount = 0;
        m_lastProgress = 0;
        m_cdrom.StopOrEject(true); // the disc comes out; the player's rip ends with it
        EnterEndState(SYNC_RIPPING_ERROR);
        m_ripStopAsked = true;
        if (!m_endRequested) {
            ShowNotice(IDS_RIP_STALLED, IDS_CAPTION_WARNING);
        }
        return 0;
    }
    const int whole = m_cdrom.TrackCount(false) * 100;
    if (value >= 0 && value < whole) {
        ArmTimer(kRipPollTimer);
    } else if (value > 0 && value == whole && value == m_cdrom.AlbumCount() * 100) {
        OnRipComplete();
    } else {
        EnterEndState(SYNC_RIPPING_ERROR);
    }
    return 0;
}

void CQuendaDlg::OnRipComplete() {
    m_ripUnfinished = false;
    m_jobLog.Add(QStringLiteral("rip complete"));
    m_cdrom.CopyTagsToLibrary();
    const ComPtr<IWMPPlaylist> album = m_cdrom.FindAlbumInLibrary(true);
    if (!album) {
        EnterEndState(SYNC_ERROR);
        return;
    }
    SetSyncState(SYNC_SYNCING);
    if (!m_dap.BuildFileList(album.Get(), m_trackList)) {
        EnterEndState(SYNC_ERROR);
        return;
    }
    ArmTimer(kCopyStartTimer);
}

LRESULT CQuendaDlg::OnCopyStart(WPARAM, LPARAM) {
    KillTimer(kCopyStartTimer);
    if (m_syncState != SYNC_SYNCING) {
        return 0;
    }
    if (!m_dap.StartTransfer(m_untilFull)) {
        // No worker, nothing to poll: the job ends as a failed copy.
        EnterEndState(SYNC_ERROR);
        return 0;
    }
    m_copyStarted = true;
    m_jobLog.Add(QStringLiteral("copy"));
    ArmTimer(kCopyPollTimer);
    return 0;
}

LRESULT CQuendaDlg::OnCopyPoll(WPARAM, LPARAM) {
    if (m_syncState != SYNC_SYNCING) {
        KillTimer(kCopyPollTimer);
        return 0;
    }
    if (!m_copyStarted) {
        // Armed by a device's report before this job's worker exists: nothing of this job to read
        // yet (the progress may still be the last job's).
        return 0;
    }
    const int result = m_dap.PollTransfer(); // the worker is joined before 100 or a failure returns
    if (result == 100) {
        KillTimer(kCopyPollTimer);
        m_jobLog.Add(QStringLiteral("copy complete"));
        EnterEndState(SYNC_SYNCING_DONE);
    } else if (result == -2) {
        KillTimer(kCopyPollTimer);
        EnterEndState(SYNC_ABORT);
    } else if (result < 0) {
        KillTimer(kCopyPollTimer);
        EnterEndState(SYNC_ERROR);
    }
    return 0;
}

void CQuendaDlg::EnterEndState(int32_t state) {
    SetSyncState(state);
    m_jobLog.Add(QString::fromLatin1(SyncStateName(state)));
    UpdateStatus();
}
