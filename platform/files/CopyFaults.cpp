#include "platform/files/CopyFaults.h"

#include "platform/Platform.h"
#include "platform/files/Volumes.h"
#include "platform/messages/MessageLoop.h"
#include "platform/thread/WorkerThread.h"

#include <chrono>

namespace {

// The installed set. A copy takes it and counts itself as its user under this lock, so a set
// being removed knows every copy that may still use it.
std::mutex g_installLock;
CCopyFaults* g_installed = nullptr;

CCopyFaults* Install(CCopyFaults* faults) {
    std::lock_guard lock(g_installLock);
    CCopyFaults* previous = g_installed;
    g_installed = faults;
    return previous;
}

} // namespace

CCopyFaults::CCopyFaults() : m_previous(Install(this)) {}

CCopyFaults::~CCopyFaults() {
    // New copies no longer find this set; those under way finish with it first.
    Install(m_previous);
    m_closing.store(true);
    Release();
    std::unique_lock lock(m_mutex);
    m_heldChanged.wait(lock, [this] { return m_users == 0; });
}

void CCopyFaults::Add(const Fault& fault) {
    std::lock_guard lock(m_mutex);
    Fault added = fault;
    added.drive = fault.drive.toUpper();
    m_faults.append(added);
}

void CCopyFaults::HoldBefore(QChar drive, int copy, std::optional<DWORD> untilTick) {
    Add({.kind = Kind::Hold, .drive = drive, .copy = copy, .untilTick = untilTick});
}

void CCopyFaults::HoldAt(QChar drive, int copy, quint64 atByte, std::optional<DWORD> untilTick) {
    Add({.kind = Kind::Hold, .drive = drive, .copy = copy, .atByte = atByte, .untilTick = untilTick});
}

void CCopyFaults::FailCopy(QChar drive, int copy, LONG error, std::optional<quint64> atByte) {
    Add({.kind = Kind::Fail, .drive = drive, .copy = copy, .atByte = atByte, .error = error});
}

void CCopyFaults::PullCard(QChar drive, int copy, std::optional<quint64> atByte) {
    Add({.kind = Kind::PullCard, .drive = drive, .copy = copy, .atByte = atByte, .error = ERROR_NOT_READY});
}

void CCopyFaults::FailFlush(QChar drive, LONG error) {
    std::lock_guard lock(m_mutex);
    m_flushFaults.append({drive.toUpper(), error});
}

LONG CCopyFaults::FlushResult(QChar drive) {
    std::lock_guard install(g_installLock);
    if (!g_installed)
        return ERROR_SUCCESS;
    std::lock_guard lock(g_installed->m_mutex);
    for (const auto& [letter, error] : g_installed->m_flushFaults) {
        if (letter == drive.toUpper())
            return error;
    }
    return ERROR_SUCCESS;
}

void CCopyFaults::Release() {
    m_released.store(m_holds.load());
    CWorkerThread::WakeParked();
}

bool CCopyFaults::WaitUntilHeld(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_heldChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [this] { return !m_held.isEmpty(); });
}

bool CCopyFaults::WaitUntilHeld(QChar drive, int copy, int timeoutMs) {
    const QPair<QChar, int> wanted(drive.toUpper(), copy);
    std::unique_lock lock(m_mutex);
    return m_heldChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return m_held.contains(wanted); });
}

bool CCopyFaults::IsHeld() const {
    std::lock_guard lock(m_mutex);
    return !m_held.isEmpty();
}

int CCopyFaults::Copies(QChar drive) const {
    std::lock_guard lock(m_mutex);
    for (const auto& [letter, count] : m_copies) {
        if (letter == drive.toUpper())
            return count;
    }
    return 0;
}

LONG CCopyFaults::Hold(const Fault& fault, int copy) {
    const quint64 number = ++m_holds;
    const QPair<QChar, int> held(fault.drive, copy);
    const std::function<bool()> ready = [this, number, &fault] {
        if (m_released.load() >= number || m_closing.load())
            return true;
        return fault.untilTick && CPlatform::Current().loop && GetTickCount() >= *fault.untilTick;
    };
    bool wasHeld = false;
    // Counted as held only once parked for certain: a test that then moves the clock or releases
    // the copy cannot slip in before the copy waits.
    CWorkerThread::Park(ready, [&] {
        std::lock_guard lock(m_mutex);
        m_held.append(held);
        wasHeld = true;
        m_heldChanged.notify_all();
    });
    if (wasHeld) {
        std::lock_guard lock(m_mutex);
        m_held.removeOne(held);
        m_heldChanged.notify_all();
    }
    return ERROR_SUCCESS;
}

CCopyFaults::CCopy::CCopy(QChar drive) : m_drive(drive.toUpper()) {
    std::lock_guard install(g_installLock);
    m_faults = g_installed;
    if (!m_faults)
        return;
    std::lock_guard lock(m_faults->m_mutex);
    ++m_faults->m_users;
    int number = 0;
    bool counted = false;
    for (auto& [letter, count] : m_faults->m_copies) {
        if (letter == m_drive) {
            number = ++count;
            counted = true;
        }
    }
    if (!counted) {
        m_faults->m_copies.append({m_drive, 1});
        number = 1;
    }
    m_number = number;
    for (const Fault& fault : m_faults->m_faults) {
        if (fault.drive == m_drive && fault.copy == number)
            m_pending.append(fault);
    }
}

CCopyFaults::CCopy::~CCopy() {
    if (!m_faults)
        return;
    // Told under the lock: the set may be destroyed as soon as the lock is free again.
    std::lock_guard lock(m_faults->m_mutex);
    --m_faults->m_users;
    m_faults->m_heldChanged.notify_all();
}

LONG CCopyFaults::CCopy::Strike(const Fault& fault) {
    switch (fault.kind) {
    case Kind::Hold:
        return m_faults->Hold(fault, m_number);
    case Kind::Fail:
        return fault.error;
    case Kind::PullCard:
        if (CVolumes* volumes = CPlatform::Current().volumes)
            volumes->SetPresent(m_drive, false);
        return fault.error;
    }
    return ERROR_SUCCESS;
}

LONG CCopyFaults::CCopy::Start() {
    for (qsizetype i = 0; i < m_pending.size();) {
        if (m_pending.at(i).atByte) {
            ++i;
            continue;
        }
        const Fault fault = m_pending.takeAt(i);
        if (const LONG error = Strike(fault); error != ERROR_SUCCESS)
            return error;
    }
    return ERROR_SUCCESS;
}

LONG CCopyFaults::CCopy::Write(quint64 offset, size_t* size) {
    for (qsizetype i = 0; i < m_pending.size();) {
        const quint64 at = *m_pending.at(i).atByte;
        if (at > offset) {
            if (at - offset < *size)
                *size = size_t(at - offset);
            ++i;
            continue;
        }
        const Fault fault = m_pending.takeAt(i);
        if (const LONG error = Strike(fault); error != ERROR_SUCCESS)
            return error;
    }
    return ERROR_SUCCESS;
}
