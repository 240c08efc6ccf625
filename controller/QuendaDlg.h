#pragma once
// The program's main window and the job it runs. The user picks a CD drive and a destination, ticks
// tracks and presses Transfer; the window has the hidden player rip the disc, copies the ticked
// tracks onto the card on the destination's worker, and reports the outcome. Six window timers pace
// a job (5000 rip poll, 5001 copy start, 5002 copy poll, 5003 readiness poll, 5004 player-window
// watch, 5005 end-of-job handler); the player's events arrive as numbered messages.
//
// A job that has started always ends through the end-of-job handler, which cleans up only once the
// rip has stopped and the copy worker has been joined: the job's rips go, the earlier rips come
// back. Closing the window or a signal during a job stops the job, cleans up, and then ends.
//
// The window is registered in the window table under its title, so that a second start can find it
// and the message layer can deliver timers and events to it. UI thread only.

#include "controller/JobLog.h"
#include "controller/MainWindowIds.h"
#include "controller/SettingsStore.h"
#include "controller/StaticTextControl.h"
#include "controller/SyncState.h"
#include "destination/DAPAcc.h"
#include "platform/windows/WindowProc.h"
#include "player/PlayerHost.h"
#include "player/WmpRegAcc.h"
#include "source/CDROMAcc.h"
#include "ui/window/MessageMap.h"
#include "ui/window/WidgetWindow.h"

#include <QDialog>
#include <QPoint>
#include <array>
#include <functional>
#include <memory>

class CColorButton;
class CMyComboBox;
class CReportCtrl;
class CStaticEx;
class CWaitDlg;
class CWindowMover;
class QLabel;

class CQuendaDlg : public QDialog, public IWindowProc {
    Q_OBJECT
public:
    explicit CQuendaDlg(QWidget* parent = nullptr);
    ~CQuendaDlg() override;

    HWND Handle() const { return m_window.Handle(); }
    // The installer's defaults for the settings, handed over by the application before the run.
    void SetInstallerDefaults(int32_t model, int32_t autoSync);
    // This run holds the single-instance lock, so no other run is alive: preference backups lying
    // about were left by runs that ended without giving the preferences back, and go back first.
    void SetSoleInstance(bool sole) { m_soleInstance = sole; }
    // The start-up steps, the modal run, then the destruction steps (the player goes and its
    // preferences come back) before this returns; the dialog's result.
    int DoModal();

    // The start-up steps. False when they completed; true when a check ended the window (it is then
    // not shown). Called by DoModal; tests call it directly and drive the window on virtual time.
    bool OnInitDialog();
    // The destruction steps: the player's events, the drive objects, the player context and the
    // player go, in that order, then the player's preferences come back. Runs once.
    void OnDestroy();
    // The window ended (Close, a failed start-up check, an end request).
    bool IsEnded() const { return m_ended; }
    // A request to end from outside (a signal, the end of the session): idle, the window ends at
    // once; during a job the job is stopped and cleaned up first. Open modal windows are closed.
    void RequestEnd();
    bool IsEndRequested() const { return m_endRequested; }

    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // --- window rules -----------------------------------------------------------------------
    // Recomputes the enabled controls and the status text from the job's state.
    void UpdateStatus();
    // Moves the focus to control id (2, 1012, 1041 or 1014; 0 the control that has it now), or to
    // Close when that control is disabled.
    void ApplyFocusRule(int id);
    // A message box (or, for 1720, the timed completion notice) with text and caption by number.
    void ShowNotice(UINT textId, UINT captionId);
    // The window's answer to a hit test at a point of its client area: the top band drags it.
    LRESULT OnNcHitTest(const QPoint& client) const;
    // A key-down before any control sees it; true when the window consumed it.
    bool PreTranslateKey(UINT vk);
    // Draws the window's surface; iconic draws the icon centred, as a minimised window does.
    void PaintWindow(QPainter& painter, bool iconic) const;

    // --- what tests and the demo look at ----------------------------------------------------
    int32_t GetSyncState() const { return m_syncState; }
    // Stores the state; the window is not repainted by this (the status update does that).
    void SetSyncState(int32_t state) { m_syncState = state; }
    int32_t ReadyCount() const { return m_readyCount; }
    bool IsFinished() const { return m_finished != 0; }
    bool IsAutoStartDone() const { return m_autoStartDone != 0; }
    int32_t PendingRip() const { return m_pendingRip; }
    bool IsTimerArmed(UINT_PTR id) const;
    bool IsJobRunning() const { return m_jobRunning; }
    bool IsStopWaitShown() const { return m_stopWait != nullptr; }
    CCDROMAcc& Source() { return m_cdrom; }
    CDAPAcc& Destination() { return m_dap; }
    CPlayerHost& PlayerHost() { return m_playerHost; }
    CSettingsStore& Settings() { return m_settings; }
    CWmpRegAcc& RegAcc() { return m_regAcc; }
    CJobLog& JobLog() { return m_jobLog; }
    CReportCtrl* TrackList() const { return m_trackList; }
    CStaticEx* StatusText() const { return m_status; }
    QWidget* Control(int id) const;
    DWORD BitRate() const { return m_bitRate; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    // --- layout and set-up (QuendaDlgLayout.cpp) ----------------------------------------------
    void CreateControls();
    void ConnectControls();
    void SetupControls();
    void SetControlLook(bool busy);

    // --- start-up and end (QuendaDlgInit.cpp) -------------------------------------------------
    bool FailInit(UINT textId);
    bool AttachDrives();
    void FirstFill();
    void ReportStrandedRips(const CCDROMAcc::JournalReplay& replay);
    void EndWindow(int result);

    // --- timers and the job (QuendaDlgJob.cpp, QuendaDlgRip.cpp, QuendaDlgEnd.cpp) ----------
    bool ArmTimer(UINT_PTR id);
    void KillTimer(UINT_PTR id);
    bool SidesReady();
    void RefreshDestination();
    LRESULT OnReadinessPoll(WPARAM, LPARAM);
    void OfferAutoStart();
    LRESULT OnTransfer(WPARAM, LPARAM);
    bool CheckRoom();
    bool PrepareRip();
    void StartJob();
    LRESULT OnMediaChange(WPARAM, LPARAM);
    void CountStall(int value);
    LRESULT OnRipPoll(WPARAM, LPARAM);
    void OnRipComplete();
    LRESULT OnCopyStart(WPARAM, LPARAM);
    LRESULT OnCopyPoll(WPARAM, LPARAM);
    void EnterEndState(int32_t state);
    LRESULT OnEndOfJob(WPARAM, LPARAM);
    bool StopJobWork();
    void ShowStopWait(bool shown);
    void LeaveJobToNextStart();
    bool IsRipRunning() const;
    void CleanUpJob(int32_t state);
    void ReturnToIdle();
    LRESULT OnEndRequest(WPARAM, LPARAM);
    LRESULT OnEndCheck(WPARAM, LPARAM);
    void AbortJob();
    // Runs a modal window of this one, counted so the job's handlers can wait for it.
    int RunModal(const std::function<int()>& run);

    // --- player events, pickers, album (QuendaDlgEvents.cpp) ---------------------------------
    LRESULT OnCdromMediaChange(WPARAM, LPARAM);
    LRESULT OnPlaylistChange(WPARAM, LPARAM);
    LRESULT OnPlayStateChange(WPARAM, LPARAM);
    LRESULT OnDeviceConnect(WPARAM, LPARAM);
    LRESULT OnDeviceDisconnect(WPARAM, LPARAM);
    LRESULT OnDeviceSyncStateChange(WPARAM, LPARAM);
    LRESULT OnDeviceSyncError(WPARAM, LPARAM);
    LRESULT OnCreatePartnershipComplete(WPARAM, LPARAM);
    LRESULT OnCdCombo(WPARAM, LPARAM);
    LRESULT OnDestinationCombo(WPARAM, LPARAM);
    LRESULT OnAlbum(WPARAM, LPARAM);
    LRESULT OnPlayerWatch(WPARAM, LPARAM);

    // --- commands, keys and the window's surface (QuendaDlgInput.cpp) ------------------------
    LRESULT OnOpenDestination(WPARAM, LPARAM);
    LRESULT OnClose(WPARAM, LPARAM);
    LRESULT OnCloseRequest(WPARAM, LPARAM);
    LRESULT OnSysCommand(WPARAM, LPARAM);
    LRESULT OnTrackMenuCommand(WPARAM, LPARAM);
    LRESULT OnIgnore(WPARAM, LPARAM);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    LRESULT OnLButtonDown(WPARAM, LPARAM);
    void ShowSystemMenu(const QPoint& globalPos);
    void ShowAboutBox();
    bool IsIdleForUser() const;
    void EndEditCommitting();

    static const MessageMapEntry<CQuendaDlg> kMessageMap[];

    CWidgetWindow m_window;
    UINT m_queryCancelAutoPlay = 0;

    // Controls, owned by the window.
    CColorButton* m_album = nullptr;
    CColorButton* m_openDestination = nullptr;
    CColorButton* m_transfer = nullptr;
    CColorButton* m_close = nullptr;
    CMyComboBox* m_cdCombo = nullptr;
    CMyComboBox* m_destinationCombo = nullptr;
    CReportCtrl* m_trackList = nullptr;
    CStaticEx* m_albumText = nullptr;
    CStaticEx* m_totalSize = nullptr;
    CStaticEx* m_capacity = nullptr;
    CStaticEx* m_free = nullptr;
    CStaticEx* m_status = nullptr;
    QLabel* m_background = nullptr;
    CStaticTextControl m_capacityText;
    CStaticTextControl m_freeText;

    // What the window owns for its whole life. The drive objects go before the player host, which
    // lets the player go; the preference object goes last.
    CWmpRegAcc m_regAcc;
    CSettingsStore m_settings;
    CPlayerHost m_playerHost;
    CCDROMAcc m_cdrom;
    CDAPAcc m_dap;
    std::unique_ptr<CWaitDlg> m_wait;
    std::unique_ptr<CWaitDlg> m_stopWait; // while the end of a job waits for the rip or the copy
    CJobLog m_jobLog;

    int32_t m_installerModel = 0;
    int32_t m_installerAutoSync = 0;
    bool m_soleInstance = false;
    DWORD m_bitRate = 128000;

    // The job.
    int32_t m_syncState = SYNC_INIT;
    int32_t m_readyCount = 0;
    int32_t m_autoStartDone = 0;
    int32_t m_finished = 0;
    int32_t m_pendingRip = -1;
    int32_t m_lastProgress = 0;
    int32_t m_stallCount = 0;
    std::array<UINT_PTR, 6> m_timers{};
    bool m_jobRunning = false;    // from the rip's start until the end-of-job handler cleaned up
    bool m_untilFull = false;     // the user agreed to copy until the card is full
    bool m_copyStarted = false;   // this job's copy worker was started
    bool m_ripStopAsked = false;  // the end-of-job handler asked the player to stop its rip
    int m_modalDepth = 0;         // modal windows this window runs now (notices, questions, dialogs)
    int m_stopTicks = 0;          // end-of-job ticks spent waiting for the rip to stop
    bool m_ripQuiet = false;      // the rip was seen stopped on the last end-of-job tick
    int m_copyStopTicks = 0;      // end-of-job ticks spent waiting for the copy worker to end
    int m_endWaitTicks = 0;       // end-of-job ticks of an end request spent waiting for the rip
    bool m_copyAbandoned = false; // the copy worker was stuck in a write and left to itself
    bool m_ripUnfinished = false; // the player's rip of this job was started and has not completed
    bool m_endCheckArmed = false;

    // The window's life.
    bool m_initDone = false;
    bool m_destroyed = false;
    bool m_ended = false;
    bool m_endRequested = false;
    bool m_inModalRun = false;
    QPoint m_dragOffset;
    bool m_dragging = false;
    CWindowMover* m_mover = nullptr; // the system menu's move; owned by the window
};
