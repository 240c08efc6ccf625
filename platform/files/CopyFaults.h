#pragma once
// Faults a test sets on file copies, so that a copy running on a worker thread can be driven
// deterministically: hold the worker before a chosen file or part way through it, make a chosen
// copy fail with a chosen error, or pull the card between two files or inside one; and make the
// flush of a whole drive fail. Copies are counted per target drive, from 1, from the moment the
// faults are installed. Only CopyFile and FlushVolumeBuffers consult them; without an installed
// set both run as usual.

#include "platform/win/WinTypes.h"

#include <QChar>
#include <QList>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>

class CCopyFaults {
public:
    enum class Kind { Hold, Fail, PullCard };
    struct Fault {
        Kind kind = Kind::Hold;
        QChar drive;
        // 1-based number of the copy onto `drive`.
        int copy = 1;
        // Before the copy opens anything, or once this many bytes of the file were written (the
        // copy writes exactly that many before the fault strikes).
        std::optional<quint64> atByte;
        // Fail: the error the copy ends with.
        LONG error = ERROR_WRITE_FAULT;
        // Hold: also released once the loop's clock reaches this tick (see CWorkerThread::Park).
        // Without it only Release() (or this set's end) lets the copy go: a UI thread that waits
        // for the worker meanwhile waits for ever, on virtual time with its clock running.
        std::optional<DWORD> untilTick;
    };

    // Installs this set for the process until it is destroyed (the previous set comes back).
    CCopyFaults();
    // Releases every hold and waits until no copy uses this set any more.
    ~CCopyFaults();
    CCopyFaults(const CCopyFaults&) = delete;
    CCopyFaults& operator=(const CCopyFaults&) = delete;

    void Add(const Fault& fault);
    void HoldBefore(QChar drive, int copy, std::optional<DWORD> untilTick = std::nullopt);
    void HoldAt(QChar drive, int copy, quint64 atByte, std::optional<DWORD> untilTick = std::nullopt);
    void FailCopy(QChar drive, int copy, LONG error, std::optional<quint64> atByte = std::nullopt);
    void PullCard(QChar drive, int copy, std::optional<quint64> atByte = std::nullopt);
    // Every flush of the drive (FlushVolumeBuffers) fails with `error`, after its writes.
    void FailFlush(QChar drive, LONG error = ERROR_WRITE_FAULT);

    // Lets every copy held so far go on.
    void Release();
    // Real time: waits until a copy is held (this copy onto this drive, when given); false after
    // timeoutMs.
    bool WaitUntilHeld(int timeoutMs = 10000);
    bool WaitUntilHeld(QChar drive, int copy, int timeoutMs = 10000);
    bool IsHeld() const;
    // Copies started onto the drive since installation.
    int Copies(QChar drive) const;

    // --- the flush's side --------------------------------------------------------------------
    // ERROR_SUCCESS, or the error the installed set makes a flush of the drive fail with.
    static LONG FlushResult(QChar drive);

    // --- the copy's side ---------------------------------------------------------------------
    // One copy onto a drive; its faults are looked up when it starts.
    class CCopy {
    public:
        explicit CCopy(QChar drive);
        ~CCopy();
        CCopy(const CCopy&) = delete;
        CCopy& operator=(const CCopy&) = delete;
        // Before the copy opens anything: ERROR_SUCCESS to go on, or the error it fails with.
        LONG Start();
        // Before each write at `offset`: may shorten the write to stop exactly at a fault's byte;
        // ERROR_SUCCESS to write, or the error the copy fails with.
        LONG Write(quint64 offset, size_t* size);

    private:
        LONG Strike(const Fault& fault);
        CCopyFaults* m_faults = nullptr;
        QList<Fault> m_pending;
        QChar m_drive;
        int m_number = 0;
    };

private:
    LONG Hold(const Fault& fault, int copy);

    CCopyFaults* m_previous = nullptr;
    mutable std::mutex m_mutex;
    std::condition_variable m_heldChanged;
    QList<Fault> m_faults;
    QList<QPair<QChar, int>> m_copies;
    QList<QPair<QChar, int>> m_held; // the copies held now
    QList<QPair<QChar, LONG>> m_flushFaults;
    int m_users = 0;                    // copies under way that consult this set
    std::atomic<quint64> m_holds{0};    // holds begun
    std::atomic<quint64> m_released{0}; // holds released, by number
    std::atomic<bool> m_closing{false}; // being destroyed: no copy waits any more
};
