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

#include <mutex>
#include <vector>

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
    if (m_thread && !ReapTransfer())
        return false;            // one copy at a time
    AbandonedTransfersRunning(); // lets go of earlier workers that have ended since
    m_target = GetSelection();
    const QString cardPath = m_target >= 0 && m_target < m_list.size() ? m_list.at(m_target).path : QString();
    m_finalProgress = 0;
    m_finalCopied = 0;
    m_job = std::make_unique<CTransferJob>(cardPath, m_albumName, m_fileList, untilFull);
    m_thread = CWorkerThread::Begin(&CDAPAcc::TransferThread, m_job.get());
    if (!m_thread) {
        m_job.reset();
        m_finalProgress = -1;
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
            RequestStop();
            ::Sleep(kEndPauseMs);
            ReapTransfer();
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
    const int value = m_job ? m_job->Progress() : m_finalProgress;
    SetProgressPos(value);
    if (value == 100) {
        ::Sleep(kEndPauseMs);
        WaitTransfer(); // 100 is the worker's last act
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
    if (m_job) {
        m_finalProgress = m_job->Progress();
        m_finalCopied = m_job->Copied();
    }
    m_job.reset();
    return true;
}

void CDAPAcc::RequestStop() {
    if (m_job)
        m_job->RequestStop();
}

bool CDAPAcc::ReapTransfer() {
    if (!m_thread)
        return true;
    if (!m_thread->HasEnded())
        return false;
    return WaitTransfer();
}

namespace {
struct AbandonedTransfer {
    std::unique_ptr<CWorkerThread> thread;
    std::unique_ptr<CTransferJob> job;
};
// Never destroyed: destroying a thread object joins it, and that is what must not happen.
std::mutex g_abandonedMutex;
std::vector<AbandonedTransfer>* g_abandoned = new std::vector<AbandonedTransfer>();
} // namespace

void CDAPAcc::AbandonTransfer() {
    if (!m_thread)
        return;
    if (m_job) {
        m_job->RequestStop();
        m_finalCopied = m_job->Copied();
    }
    m_finalProgress = -1;
    std::lock_guard lock(g_abandonedMutex);
    g_abandoned->push_back({std::move(m_thread), std::move(m_job)});
}

int CDAPAcc::AbandonedTransfersRunning() {
    std::lock_guard lock(g_abandonedMutex);
    // Those that have ended are joined (at once) and let go with their jobs.
    std::erase_if(*g_abandoned, [](const AbandonedTransfer& abandoned) {
        DWORD code = STILL_ACTIVE;
        abandoned.thread->GetExitCodeThread(&code);
        return code != STILL_ACTIVE;
    });
    return int(g_abandoned->size());
}

int CDAPAcc::CopiedCount() const {
    return m_job ? m_job->Copied() : m_finalCopied;
}

bool CDAPAcc::Stop() {
    RequestStop();
    ReapTransfer();
    return m_device.StopDeviceSync();
}
