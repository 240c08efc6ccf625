// The player's events outside the rip, the two pickers, the album button and the watch that keeps
// the stand-alone player away.
#include "controller/QuendaDlg.h"
#include "platform/messages/MessageLoop.h"
#include "player/SyncDeviceAccess.h"
#include "resources/StringIds.h"
#include "ui/ReportCtrl.h"

namespace {
IWMPSyncDevice* DeviceOf(WPARAM wParam) {
    return reinterpret_cast<IWMPSyncDevice*>(wParam);
}
} // namespace

bool CQuendaDlg::IsIdleForUser() const {
    return m_syncState == SYNC_INIT || m_syncState == SYNC_WAIT;
}

void CQuendaDlg::EndEditCommitting() {
    m_trackList->EndEdit(true);
}

LRESULT CQuendaDlg::OnCdromMediaChange(WPARAM wParam, LPARAM) {
    if (static_cast<long>(wParam) != m_cdrom.DriveIndex()) {
        return 0;
    }
    // The drive needs a moment before its new disc can be read.
    ::Sleep(CCDROMAcc::kMediaChangePauseMs);
    m_finished = 0;
    if (m_syncState != SYNC_RIPPING) {
        m_autoStartDone = 0;
    }
    // A marker of the last disc's rip says nothing about this one.
    m_pendingRip = -1;
    switch (m_syncState) {
    case SYNC_PRE_RIPPING:
    case SYNC_RIPPING:
        m_cdrom.OpenDisc(true);
        break;
    case SYNC_SYNCING:
        // The copy is asked to stop and the job fails now; the end of the job waits (a bounded
        // while) for a worker that is still in its write.
        KillTimer(kCopyPollTimer);
        m_dap.Stop();
        EnterEndState(SYNC_ERROR);
        break;
    case SYNC_RIPPING_ERROR:
    case SYNC_SYNCING_DONE:
    case SYNC_ERROR:
    case SYNC_ABORT:
        break; // the end-of-job handler reads the drive again when it has cleaned up
    default:
        m_cdrom.Refresh(false, true);
        m_cdrom.OpenDisc(true);
        if (m_cdrom.GetState() != 2) {
            SetSyncState(SYNC_INIT);
        }
        m_cdrom.FillTrackList(m_bitRate, true);
        m_cdrom.ShowAlbumTitle();
        UpdateStatus();
        ApplyFocusRule(0);
        break;
    }
    return 0;
}

LRESULT CQuendaDlg::OnPlaylistChange(WPARAM wParam, LPARAM lParam) {
    constexpr LPARAM kNameChanged = 8;
    if (lParam != kNameChanged || IsJobState(m_syncState)) {
        return 0;
    }
    ComPtr<IWMPPlaylist> playlist;
    if (auto* dispatch = reinterpret_cast<IDispatch*>(wParam);
        !dispatch || FAILED(dispatch->QueryInterface(IID_IWMPPlaylist, &playlist)) || !playlist) {
        return 0;
    }
    if (m_cdrom.IsCdPlaylist(playlist.Get())) {
        m_cdrom.OpenDisc(false);
        m_cdrom.FillTrackList(m_bitRate, false);
        m_cdrom.ShowAlbumTitle();
    }
    return 0;
}

LRESULT CQuendaDlg::OnPlayStateChange(WPARAM wParam, LPARAM) {
    m_playerHost.OnPlayStateChange(static_cast<long>(wParam));
    return 0;
}

LRESULT CQuendaDlg::OnDeviceConnect(WPARAM wParam, LPARAM) {
    CSyncDeviceAccess::ResetPartnershipOnConnect(DeviceOf(wParam));
    // A new device makes "finished" stale, even while the notice of the job's end is still open.
    m_finished = 0;
    if (IsJobState(m_syncState)) {
        return 0; // the job's destination stays as it is until the job has ended
    }
    m_autoStartDone = 0;
    m_dap.Refresh(false, true);
    RefreshDestination();
    UpdateStatus();
    return 0;
}

LRESULT CQuendaDlg::OnDeviceDisconnect(WPARAM wParam, LPARAM) {
    if (!m_dap.DeviceAccess().IsCurrent(DeviceOf(wParam))) {
        return 0;
    }
    if (m_syncState == SYNC_SYNCING) {
        KillTimer(kCopyPollTimer);
        m_dap.Stop(); // asked only: the end of the job waits for the worker before the clean-up
        EnterEndState(SYNC_ERROR);
    }
    m_finished = 0;
    m_autoStartDone = 0;
    if (IsJobState(m_syncState)) {
        return 0; // the end-of-job handler reads the destinations again when it has cleaned up
    }
    m_dap.Refresh(false, true);
    RefreshDestination();
    UpdateStatus();
    ApplyFocusRule(0);
    return 0;
}

LRESULT CQuendaDlg::OnDeviceSyncStateChange(WPARAM wParam, LPARAM lParam) {
    IWMPSyncDevice* device = DeviceOf(wParam);
    if (!m_dap.DeviceAccess().IsCurrent(device)) {
        CSyncDeviceAccess::StopOtherDevice(device);
        return 0;
    }
    if (lParam == wmpssSynchronizing) {
        if (m_syncState == SYNC_SYNCING) {
            ArmTimer(kCopyPollTimer);
        } else {
            m_dap.DeviceAccess().StopDeviceSync();
        }
    } else if (lParam == wmpssStopped) {
        if (m_syncState == SYNC_SYNCING && m_copyStarted) {
            // The outcome is read once the worker has ended: a copy that still runs is polled on
            // until its worker is joined, instead of being waited for here.
            KillTimer(kCopyPollTimer);
            OnCopyPoll(0, 0);
            if (m_syncState == SYNC_SYNCING) {
                ArmTimer(kCopyPollTimer);
            }
        } else if (m_syncState == SYNC_SYNCING_DONE) {
            KillTimer(kCopyPollTimer);
        }
    }
    return 0;
}

LRESULT CQuendaDlg::OnDeviceSyncError(WPARAM wParam, LPARAM) {
    if (m_dap.DeviceAccess().IsCurrent(DeviceOf(wParam))) {
        m_dap.Stop();
    }
    return 0;
}

LRESULT CQuendaDlg::OnCreatePartnershipComplete(WPARAM wParam, LPARAM) {
    if (m_dap.ConfirmDevice(DeviceOf(wParam))) {
        UpdateStatus();
    }
    return 0;
}

LRESULT CQuendaDlg::OnCdCombo(WPARAM wParam, LPARAM) {
    if (!IsIdleForUser()) {
        return 0;
    }
    if (HIWORD(wParam) == CBN_SELCHANGE) {
        EndEditCommitting();
        m_finished = 0;
        m_pendingRip = -1;
        m_cdrom.Refresh(false, true);
        m_cdrom.OpenDisc(true);
        m_cdrom.FillTrackList(m_bitRate, true);
        m_cdrom.ShowAlbumTitle();
        UpdateStatus();
    } else if (HIWORD(wParam) == CBN_DROPDOWN) {
        EndEditCommitting();
        m_cdrom.Refresh(false, true);
    }
    return 0;
}

LRESULT CQuendaDlg::OnDestinationCombo(WPARAM wParam, LPARAM) {
    if (!IsIdleForUser()) {
        return 0;
    }
    if (HIWORD(wParam) == CBN_SELCHANGE) {
        EndEditCommitting();
        m_finished = 0;
        m_dap.Refresh(false, true);
        RefreshDestination();
        UpdateStatus();
    } else if (HIWORD(wParam) == CBN_DROPDOWN) {
        EndEditCommitting();
        m_dap.Refresh(false, true);
    }
    return 0;
}

LRESULT CQuendaDlg::OnPlayerWatch(WPARAM, LPARAM) {
    KillTimer(kPlayerWatchTimer);
    CPlayerHost::WatchPlayerWindows([this](UINT textId, UINT captionId) { ShowNotice(textId, captionId); });
    if (!m_ended) {
        ArmTimer(kPlayerWatchTimer);
    }
    return 0;
}
