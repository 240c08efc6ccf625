#include "platform/thread/WorkerThread.h"

#include "platform/Platform.h"
#include "platform/messages/VirtualMessageLoop.h"

#include <condition_variable>
#include <list>
#include <mutex>
#include <system_error>

namespace {

struct ParkedThread {
    const std::function<bool()>* ready = nullptr;
    bool parked = true;
    bool* workerParked = nullptr; // the worker's own flag, when a worker parked
};

// One lock for every worker's exit code and parking: a waiting thread must see "ended" and
// "parked" change together with the wake-ups that cause them.
std::mutex g_mutex;
std::condition_variable g_changed;
std::list<ParkedThread*> g_parked;
thread_local bool* t_workerParked = nullptr;

bool RunsOnVirtualTime() {
    return dynamic_cast<CVirtualMessageLoop*>(CPlatform::Current().loop) != nullptr;
}

} // namespace

std::unique_ptr<CWorkerThread> CWorkerThread::Begin(AFX_THREADPROC proc, void* param) {
    if (!proc)
        return nullptr;
    std::unique_ptr<CWorkerThread> thread(new CWorkerThread());
    try {
        thread->m_thread = std::thread(&CWorkerThread::Run, thread.get(), proc, param);
    } catch (const std::system_error&) {
        return nullptr;
    }
    return thread;
}

CWorkerThread::~CWorkerThread() {
    if (m_thread.joinable())
        m_thread.join();
}

void CWorkerThread::Run(AFX_THREADPROC proc, void* param) {
    t_workerParked = &m_parked;
    const UINT result = proc(param);
    t_workerParked = nullptr;
    // Told under the lock: whoever sees the code has seen this thread's last use of the shared
    // condition too (a worker that nobody joins may end while the process ends).
    std::lock_guard lock(g_mutex);
    m_exitCode = result;
    g_changed.notify_all();
}

BOOL CWorkerThread::GetExitCodeThread(DWORD* code) const {
    if (!code)
        return FALSE;
    std::lock_guard lock(g_mutex);
    *code = m_exitCode;
    return TRUE;
}

bool CWorkerThread::HasEnded() const {
    // A worker parked until a tick the clock has reached goes on first, as it would in a wait.
    WakeParked();
    std::unique_lock lock(g_mutex);
    if (RunsOnVirtualTime())
        g_changed.wait(lock, [this] { return m_exitCode != STILL_ACTIVE || m_parked; });
    return m_exitCode != STILL_ACTIVE;
}

void CWorkerThread::WaitPolling(DWORD pollMs) {
    const bool virtualTime = RunsOnVirtualTime();
    for (;;) {
        if (virtualTime) {
            // No virtual time passes while the worker runs: it goes on until it ends or parks.
            std::unique_lock lock(g_mutex);
            g_changed.wait(lock, [this] { return m_exitCode != STILL_ACTIVE || m_parked; });
        }
        DWORD code = STILL_ACTIVE;
        GetExitCodeThread(&code);
        if (code != STILL_ACTIVE)
            return;
        ::Sleep(pollMs);
        WakeParked();
    }
}

void CWorkerThread::Park(const std::function<bool()>& ready, const std::function<void()>& parked) {
    std::unique_lock lock(g_mutex);
    if (ready())
        return;
    ParkedThread self{.ready = &ready, .workerParked = t_workerParked};
    g_parked.push_back(&self);
    if (self.workerParked)
        *self.workerParked = true;
    if (parked)
        parked();
    g_changed.notify_all();
    g_changed.wait(lock, [&self] { return !self.parked; });
    g_parked.remove(&self);
}

void CWorkerThread::WakeParked() {
    {
        std::lock_guard lock(g_mutex);
        for (ParkedThread* parked : g_parked) {
            if (parked->parked && (*parked->ready)()) {
                parked->parked = false;
                // Cleared here, not when the thread wakes: a waiter that looks next must already
                // count it as running.
                if (parked->workerParked)
                    *parked->workerParked = false;
            }
        }
    }
    g_changed.notify_all();
}
