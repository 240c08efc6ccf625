#pragma once
// The destination side of a transfer: the portable players the media player reports and the
// removable drives with a card in them, listed together in the destination combo box, with the
// used and free room of the one picked; and the copy of the ripped tracks onto the card on a
// worker thread that the window polls.
//
// Threads: everything here runs on the UI thread except the copy itself, which runs on one worker
// started by StartTransfer. The worker gets its own copy of what it needs (card, album name, file
// list) and shares only the stop flag and the progress value with the window, both atomic and
// kept in its job. The window never waits for a worker that still works: a stop only asks, and
// the worker is let go once it has ended (or, stuck in a write that never returns, left to itself
// with its job).

#include "destination/DevInfo.h"
#include "platform/com/ComPtr.h"
#include "platform/wmp/Wmp.h"
#include "player/SyncDeviceAccess.h"
#include "player/SyncPlaylists.h"
#include "source/BasicDrive.h"
#include "ui/text/TextRules.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class CReportCtrl;
class CTransferJob;
class CWorkerThread;

class CDAPAcc : public CBasicDrive {
public:
    // The state kept by the base: no destination listed, destinations listed, one confirmed ready.
    static constexpr int kNoDestination = 0;
    static constexpr int kListed = 1;
    static constexpr int kReady = 2;

    CDAPAcc();
    // Stops a copy that still runs and waits for its worker.
    ~CDAPAcc() override;

    // --- destinations ------------------------------------------------------------------------
    // Binds to the player of the player context; false without a combo box, when the playlists
    // cannot be bound, or without a player.
    bool Attach(CMyComboBox* comboBox) override;
    void Detach() override;
    // Lists the destinations again. Without selectDefault the entry shown before (same name and
    // serial number) is selected again; with it the preferred entry, else the last present one.
    void Refresh(bool selectDefault, bool closeDropDown) override;
    // The drive of the selected entry ("E:"), taken from the entry itself: a label is only text.
    // Empty for a player entry or without a selection.
    QString GetDriveRoot() const override;

    // The used and free read-outs of the main window; false when either is missing.
    bool SetCapacityControls(ITextControl* used, ITextControl* free);
    void EnumerateDestinations();
    // Index of the player device that lives on the drive "E:", or -1.
    long MatchDrive(const QString& path);
    bool SelectDevice(int entry);
    void SetDeviceIndex(int entry, long index);
    // The player reports `device`: when it is the current one, the destination is ready.
    bool ConfirmDevice(IWMPSyncDevice* device);
    bool Prepare();
    void UpdateCapacity();
    bool IsPreferred(const CDevInfo& entry);
    bool IsPresent(const CDevInfo& entry);

    // Free room of the selected destination in MB.
    float FreeMegabytes() const { return m_freeMegabytes; }
    const QList<CDevInfo>& Destinations() const { return m_list; }
    long CurrentIndex() const { return m_currentIndex; }
    int MajorVersion() const { return m_majorVersion; }
    // The current player device and the operations on it.
    CSyncDeviceAccess& DeviceAccess() { return m_device; }
    CSyncPlaylists& SyncPlaylists() { return m_syncPlaylists; }

    // --- the copy onto the card --------------------------------------------------------------
    // Takes the ripped files of the chosen tracks from the playlist (every item when trackList is
    // null). False unless the destination is ready, without a playlist, when its items cannot be
    // counted, or when no file is left: the list is then empty and no copy can start.
    bool BuildFileList(IWMPPlaylist* playlist, const CReportCtrl* trackList = nullptr);
    // Starts the worker. With untilFull (the user agreed to copy until the card is full) a full
    // card ends the copy as complete with the files copied so far; otherwise a full card is a
    // failure. False unless the destination is ready and the file list holds files, or while an
    // earlier worker still runs.
    bool StartTransfer(bool untilFull = false);
    // 0..100 while running or done, -1 after a failure, -2 when the user pressed Cancel. Opens and
    // drives the progress window; at 100 or a failure (the worker's last act) the worker is joined
    // and the window closed. Cancel asks the worker to stop and closes the window without waiting:
    // the end of the job learns of the worker's end through ReapTransfer.
    int PollTransfer();
    // Waits for the worker's end (reading its exit code every 100 ms) and lets it go. Only for a
    // worker that has done its last act, or where waiting is the point (tests).
    bool WaitTransfer();
    // Asks the worker to stop, inside the file it copies; returns at once.
    void RequestStop();
    // Lets the worker go when it has ended; false while it still runs (nothing is waited for).
    bool ReapTransfer();
    // A worker that would not end (a write that never returns) is left to itself, with everything
    // it uses; the copy counts as failed. It ends on its own when its write returns.
    void AbandonTransfer();
    // Abandoned workers that still run (for tests, which let them end before they go on).
    static int AbandonedTransfersRunning();
    // Asks the worker to stop (without waiting for it) and stops the current player device's
    // synchronisation: false when there is no device or its stop fails.
    bool Stop();

    const QStringList& FileList() const { return m_fileList; }
    const QString& AlbumName() const { return m_albumName; }
    bool IsTransferRunning() const { return m_thread != nullptr; }
    // Files of the last copy that landed on the card, as far as its worker has come.
    int CopiedCount() const;
    // The worker's entry: its argument is the job it was given.
    static UINT TransferThread(void* job);

private:
    ComPtr<IWMPSyncDevice> FetchDevice(long index) const;
    long DeviceCount() const;
    static QString DeviceText(IWMPSyncDevice* device, HRESULT (IWMPSyncDevice::*getter)(BSTR*));
    static QString ItemInfo(IWMPSyncDevice* device, const QString& item);
    static qint64 ItemNumber(IWMPSyncDevice* device, const QString& item);
    static bool IsConnected(IWMPSyncDevice* device);
    static long PartnershipOf(IWMPSyncDevice* device);
    // Removable drives whose medium answers with a usable geometry, in letter order.
    static QList<QChar> RemovableDrivesWithMedia();
    static bool HasMedium(const QString& root);
    void Select(int entry);
    void ShowCapacity(const QString& used, const QString& free);
    void PumpProgress();

    CSyncPlaylists m_syncPlaylists;
    // Device access: the player's sync services, the current device, the player, the current
    // index and the player's major version, and the destination list.
    ComPtr<IWMPSyncServices> m_syncServices;
    CSyncDeviceAccess m_device;
    ComPtr<IWMPPlayer4> m_player;
    long m_currentIndex = -1;
    int m_majorVersion = -1;
    QList<CDevInfo> m_list;

    ITextControl* m_usedText = nullptr;
    ITextControl* m_freeText = nullptr;
    float m_freeMegabytes = 0;
    QString m_albumName;
    QStringList m_fileList;
    int m_target = -1;
    // What the last worker left, once it is gone.
    int32_t m_finalProgress = 0;
    int m_finalCopied = 0;
    // The job holds what the worker shares with the window (stop flag, progress, files landed).
    std::unique_ptr<CTransferJob> m_job;
    std::unique_ptr<CWorkerThread> m_thread;
};
