// The copy onto the card: the file list from the ripped album, the worker, and the window's polls.
#include "destination/DAPAcc.h"
#include "platform/system/WaitCursor.h"

#include "destination/TransferJob.h"
#include "platform/Platform.h"
#include "platform/com/ComBSTR.h"
#include "platform/messages/MessageLoop.h"
#include "platform/system/SystemServices.h"
#include "platform/thread/WorkerThread.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/ReportCtrl.h"
#include "ui/StatusDlg.h"
#include "ui/window/EnableWindow.h"

namespace {

// Pause before the worker is waited for at the end of a copy or after Cancel.
constexpr DWORD kEndPauseMs = 1000;
constexpr DWORD kPollMs = 100;

QString ItemText(IWMPMedia* item, const QString& attribute) {
    CComBSTR value;
    if (FAILED(item->getItemInfo(CComBSTR(attribute), &value)))
        return QString();
    return value.ToQString();
}

} // namespace

UINT CDAPAcc::TransferThread(void* job) {
    return static_cast<CTransferJob*>(job)->Run();
}

bool CDAPAcc::BuildFileList(IWMPPlaylist* playlist, const CReportCtrl* trackList) {
    CWaitCursor wait;
    if (GetState() != kReady)
        return false;
    if (m_currentIndex > 0)
        m_syncPlaylists.ClearSyncMarks(m_currentIndex);
    // Whatever happens below, a list from an earlier job never stands in for this one.
    m_fileList.clear();
    m_albumName.clear();
    long count = 0;
    if (!playlist || FAILED(playlist->get_count(&count)))
        return false;
    for (long i = 0; i < count; ++i) {
        ComPtr<IWMPMedia> item;
        if (FAILED(playlist->get_Item(i, &item)) || !item)
            continue;
        bool numbered = false;
        const int number = ItemText(item.Get(), QStringLiteral("WM/TrackNumber")).trimmed().toInt(&numbered);
        if (trackList && numbered && number >= 1 && !trackList->IsTrackChosen(number))
            continue;
        CComBSTR url;
        if (FAILED(item->get_sourceURL(&url)))
            continue;
        const QString path = url.ToQString();
        if (path.isEmpty())
            continue;
        if (m_fileList.isEmpty())
            m_albumName = FolderOf(path, false);
        m_fileList.append(path);
    }
    return !m_fileList.isEmpty();
}

bool CDAPAcc::StartTransfer(bool untilFull) {
    CWaitCursor wait;
    if (GetState() != kReady || m_fileList.isEmpty())
        return false;
    if (m_thread) {
        DWORD code = STILL_ACTIVE;
        m_thread->GetExitCodeThread(&code);
        if (code == STILL_ACTIVE)
            return false; // one copy at a time
        WaitTransfer();
    }
    m_stop.store(0);
    m_target = GetSelection();
    const QString cardPath = m_target >= 0 && m_target < m_list.size() ? m_list.at(m_target).path : QString();
    m_progress.store(0);
    m_job =
        std::make_unique<CTransferJob>(cardPath, m_albumName, m_fileList, untilFull, &m_stop, &m_progress);
    m_thread = CWorkerThread::Begin(&CDAPAcc::TransferThread, m_job.get());
    if (!m_thread) {
        m_job.reset();
        m_progress.store(-1);
        return false;
    }
    return true;
}

void CDAPAcc::PumpProgress() {
    CStatusDlg* progress = Progress();
    IMessageLoop* loop = CPlatform::Current().loop;
    if (!progress || !loop || !progress->GetSafeHwnd())
        return;
    while (loop->DispatchOnePending(progress->GetSafeHwnd())) {
    }
}

int CDAPAcc::PollTransfer() {
    if (IsProgressShown()) {
        PumpProgress();
        if (Progress() && Progress()->Cancelled()) {
            m_stop.store(1);
            ::Sleep(kEndPauseMs);
            WaitTransfer();
            CloseProgress();
            return -2;
        }
    } else if (OpenProgress(false)) {
        CStatusDlg* progress = Progress();
        progress->SetMessage(LoadString(IDS_COPY_PROGRESS));
        progress->SetRange(0, 100);
        SetProgressPos(0);
        EnableWindow(progress->GetSafeHwnd(), TRUE);
        PumpProgress();
    }
    const int value = m_progress.load();
    SetProgressPos(value);
    if (value == 100) {
        ::Sleep(kEndPauseMs);
        WaitTransfer();
        CloseProgress();
    } else if (value < 0) {
        // The worker ended on a failure (its last act): let it go now, not at some later call.
        WaitTransfer();
    }
    return value;
}

bool CDAPAcc::WaitTransfer() {
    if (!m_thread)
        return true;
    m_thread->WaitPolling(kPollMs);
    m_thread.reset();
    m_job.reset();
    return true;
}

bool CDAPAcc::Stop() {
    m_stop.store(1);
    WaitTransfer();
    return m_device.StopDeviceSync();
}
