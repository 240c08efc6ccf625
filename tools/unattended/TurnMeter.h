#pragma once
// How long the window thread keeps the user waiting, measured two ways while a job runs:
// - turns: each stretch from the first event the thread takes up after waiting for events until it
//   waits again; this is the program's own work (an event loop nested in a handler, such as a pause
//   that keeps the window painting, waits too and so ends a turn);
// - beat gaps: the gaps between the beats of a short timer, less its interval; a beat waits for the
//   thread's turn, and also for any time the machine does not run the process at all, so a gap can
//   be longer than every turn.
// Both lists hold the longest few, each with the time since Start() at which it began.

#include <QElapsedTimer>
#include <QList>
#include <QMetaObject>
#include <QObject>

class QTimer;

class CTurnMeter : public QObject {
public:
    struct Span {
        qint64 ms = 0;
        qint64 beganMs = 0; // since Start()
        bool operator>(const Span& other) const { return ms > other.ms; }
    };
    static constexpr int kBeatMs = 5;
    static constexpr int kKept = 5;

    CTurnMeter();
    ~CTurnMeter() override;
    CTurnMeter(const CTurnMeter&) = delete;
    CTurnMeter& operator=(const CTurnMeter&) = delete;

    // Starts measuring on the calling thread, which must be the application's main thread; a
    // second Start begins afresh.
    void Start();
    void Stop();
    // The longest first.
    const QList<Span>& LongestTurns() const { return m_turns; }
    const QList<Span>& LongestBeatGaps() const { return m_gaps; }
    // CLOCK_MONOTONIC in ms at Start(), to line the figures up with other tools' records.
    qint64 StartedAtMonotonicMs() const { return m_startedAtMonotonic; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void Keep(QList<Span>& list, Span span);
    void Waits();

    QElapsedTimer m_clock;
    qint64 m_startedAtMonotonic = 0;
    bool m_running = false;
    bool m_inTurn = false;
    qint64 m_turnBegan = 0;
    QTimer* m_beat = nullptr;
    qint64 m_lastBeat = 0;
    QMetaObject::Connection m_blocks;
    QList<Span> m_turns;
    QList<Span> m_gaps;
};
