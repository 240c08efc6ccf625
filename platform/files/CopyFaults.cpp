#include "platform/files/CopyFaults.h"

#include "platform/Platform.h"
#include "platform/files/Volumes.h"
#include "platform/messages/MessageLoop.h"
#include "platform/thread/WorkerThread.h"

#include <chrono>

namespace {

// The installed set. Tests install and remove it on their own thread, around the workers.
std::atomic<CCopyFaults*> g_installed{nullptr};

} // namespace

CCopyFaults::CCopyFaults() : m_previous(g_installed.exchange(this)) {}

CCopyFaults::~CCopyFaults() {
    Release();
    g_installed.store(m_previous);
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

void CCopyFaults::Release() {
    m_released.store(m_holds.load());
    CWorkerThread::WakeParked();
}

bool CCopyFaults::WaitUntilHeld(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_heldChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_held > 0; });
}

bool CCopyFaults::IsHeld() const {
    std::lock_guard lock(m_mutex);
    return m_held > 0;
}

int CCopyFaults::Copies(QChar drive) const {
    std::lock_guard lock(m_mutex);
    for (const auto& [letter, count] : m_copies) {
        if (letter == drive.toUpper())
            return count;
    }
    return 0;
}

LONG CCopyFaults::Hold(const Fault& fault) {
    const quint64 number = ++m_holds;
    {
        std::lock_guard lock(m_mutex);
        ++m_held;
    }
    m_heldChanged.notify_all();
    const std::function<bool()> ready = [this, number, &fault] {
        if (m_released.load() >= number)
            return true;
        return fault.untilTick && CPlatform::Current().loop && GetTickCount() >= *fault.untilTick;
    };
    CWorkerThread::Park(ready);
    {
        std::lock_guard lock(m_mutex);
        --m_held;
    }
    m_heldChanged.notify_all();
    return ERROR_SUCCESS;
}

CCopyFaults::CCopy::CCopy(QChar drive) : m_faults(g_installed.load()), m_drive(drive.toUpper()) {
    if (!m_faults)
        return;
    std::lock_guard lock(m_faults->m_mutex);
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
    for (const Fault& fault : m_faults->m_faults) {
        if (fault.drive == m_drive && fault.copy == number)
            m_pending.append(fault);
    }
}

LONG CCopyFaults::CCopy::Strike(const Fault& fault) {
    switch (fault.kind) {
    case Kind::Hold:
        return m_faults->Hold(fault);
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
