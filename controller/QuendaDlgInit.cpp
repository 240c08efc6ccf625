// The main window's start-up steps and its destruction.
#include "controller/PreferenceSteps.h"
#include "controller/QuendaDlg.h"
#include "controller/WaitDlg.h"
#include "platform/files/Volumes.h"
#include "platform/messages/ModalService.h"
#include "platform/system/SystemServices.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "source/PlayerContext.h"
#include "ui/Bitmaps.h"
#include "ui/MyComboBox.h"
#include "ui/ReportCtrl.h"
#include "ui/StaticEx.h"

#include <QDir>

bool CQuendaDlg::OnInitDialog() {
    m_initDone = true;
    // 1. The about box's item sits in the system menu (built when it opens); the icons.
    setWindowIcon(LoadAppIcon());

    // 2. The wait window, which keeps this one disabled while it exists.
    BeginWaitCursor();
    m_wait = std::make_unique<CWaitDlg>();
    m_wait->Create(Handle());
    m_wait->SetText(LoadString(IDS_STARTING_UP));

    // 3. Texts and the track list's look.
    SetupControls();

    // 4. Not beside a running stand-alone player; its preferences are left as they are.
    if (CPlayerHost::FindPlayerWindow()) {
        return FailInit(IDS_ERR_PLAYER_RUNNING);
    }

    // Backups left by runs that ended without giving the player's preferences back: the oldest
    // holds the user's own values, which must be in place before they are backed up again.
    if (m_soleInstance) {
        m_regAcc.RestoreLeftoverBackups();
    }

    // 5 to 8. The player's preferences are backed up and ours written; the settings' defaults on a
    // first run; the file naming of the player model.
    TakeOverPlayerPreferences(m_regAcc, m_settings, m_installerModel, m_installerAutoSync);
    m_bitRate = static_cast<DWORD>(m_regAcc.Mp3RecordRate());

    // 9, 10. The hidden player and its events.
    if (!m_playerHost.CreatePlayer(Handle()) || !m_playerHost.ConnectPlayerEvents(Handle())) {
        return FailInit(IDS_ERR_SETUP_FAILED);
    }

    // 11. The player context, the drive objects and their controls.
    if (!AttachDrives()) {
        return FailInit(IDS_ERR_NOT_INSTALLED);
    }
    // A run that was cut short (a crash, a power cut) may have left earlier rips aside and its own
    // rips in the library: put that right before anything else looks at the disc.
    const CCDROMAcc::JournalReplay replay = CCDROMAcc::ReplayJournal();

    // 12. The first fill of both sides.
    FirstFill();

    // 13. The two timers that run for the window's whole life.
    ArmTimer(kReadinessTimer);
    ArmTimer(kPlayerWatchTimer);

    // 14. The status, the end of the wait window, the focus.
    UpdateStatus();
    m_wait->Destroy();
    m_wait.reset();
    ApplyFocusRule(IDC_CLOSE);
    EndWaitCursor();
    ReportStrandedRips(replay);
    return false;
}

void CQuendaDlg::ReportStrandedRips(const CCDROMAcc::JournalReplay& replay) {
    using Outcome = CCDROMAcc::JournalReplay::Outcome;
    // Earlier rips that could not go back stay in the work folder, out of the library; the user
    // must learn where, or they look lost. A damaged journal is never acted on, so whatever it
    // listed is still there too.
    const bool stranded = replay.outcome == Outcome::CorruptKeptAside ||
                          replay.outcome == Outcome::Unreadable ||
                          (replay.outcome == Outcome::Partly && replay.waiting > 0);
    if (!stranded || replay.workFolder.isEmpty()) {
        return;
    }
    // The folder as the user finds it in a file manager.
    const QString host = HostPathOf(replay.workFolder);
    const QString folder = host.isEmpty() ? replay.workFolder : QDir::toNativeSeparators(host);
    RunModal([&] {
        return ::MessageBox(Handle(), LoadString(IDS_EARLIER_RIPS_KEPT).arg(folder),
                            LoadString(IDS_CAPTION_WARNING), MB_OK | MB_ICONWARNING | MB_TOPMOST);
    });
}

bool CQuendaDlg::FailInit(UINT textId) {
    // The wait window is topmost: it goes before the notice so it cannot cover it.
    m_wait->Destroy();
    m_wait.reset();
    EndWaitCursor();
    ShowNotice(textId, IDS_CAPTION_WARNING);
    EndWindow(IDCANCEL);
    return true;
}

bool CQuendaDlg::AttachDrives() {
    const CAxWindow* host = m_playerHost.HostWindow();
    return PlayerContext().AttachPlayer(host ? host->m_hWnd : nullptr) && m_cdrom.Attach(m_cdCombo) &&
           m_dap.Attach(m_destinationCombo) &&
           m_cdrom.SetDisplayControls(m_trackList, m_totalSize, m_albumText) &&
           m_dap.SetCapacityControls(&m_capacityText, &m_freeText);
}

void CQuendaDlg::FirstFill() {
    m_cdrom.Refresh(true, true);
    m_cdrom.OpenDisc(true);
    m_cdrom.FillTrackList(m_bitRate, true);
    m_cdrom.ShowAlbumTitle();
    m_dap.Refresh(true, true);
    RefreshDestination();
}

void CQuendaDlg::OnDestroy() {
    if (m_destroyed) {
        return;
    }
    m_destroyed = true;
    for (UINT_PTR id = kRipPollTimer; id <= kEndOfJobTimer; ++id) {
        KillTimer(id);
    }
    if (m_wait) {
        m_wait->Destroy();
        m_wait.reset();
    }
    ShowStopWait(false);
    // A copy worker is asked to stop before the player goes; one stuck in a write is left to itself
    // when the destination goes, so the end never waits for a card.
    if (m_dap.IsTransferRunning()) {
        m_dap.Stop();
    }
    m_playerHost.ShutdownPlayer([this] {
        m_cdrom.Detach();
        m_dap.Detach();
        PlayerContext().ReleasePlayer();
    });
    // Last: the player's preferences come back once the player is gone.
    GiveBackPlayerPreferences(m_regAcc);
}
