#include "tools/unattended/TurnMeter.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <functional>

CTurnMeter::CTurnMeter() = default;

CTurnMeter::~CTurnMeter() {
    Stop();
}

void CTurnMeter::Start() {
    Stop();
    m_turns.clear();
    m_gaps.clear();
    m_clock.start();
    m_startedAtMonotonic = m_clock.msecsSinceReference();
    // Start is called from inside a turn; it counts from here.
    m_inTurn = true;
    m_turnBegan = 0;
    QCoreApplication::instance()->installEventFilter(this);
    m_blocks = QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                                this, [this] { Waits(); });
    if (!m_beat) {
        m_beat = new QTimer(this);
        m_beat->setTimerType(Qt::PreciseTimer);
        m_beat->setInterval(kBeatMs);
        QObject::connect(m_beat, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.elapsed();
            Keep(m_gaps, {std::max<qint64>(0, now - m_lastBeat - kBeatMs), m_lastBeat});
            m_lastBeat = now;
        });
    }
    m_lastBeat = 0;
    m_beat->start();
    m_running = true;
}

void CTurnMeter::Stop() {
    if (!m_running) {
        return;
    }
    m_running = false;
    m_beat->stop();
    QObject::disconnect(m_blocks);
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeEventFilter(this);
    }
    if (m_inTurn) {
        Keep(m_turns, {m_clock.elapsed() - m_turnBegan, m_turnBegan});
        m_inTurn = false;
    }
}

bool CTurnMeter::eventFilter(QObject*, QEvent*) {
    // Events come only while the thread works: the first after a wait begins a turn.
    if (!m_inTurn) {
        m_inTurn = true;
        m_turnBegan = m_clock.elapsed();
    }
    return false;
}

void CTurnMeter::Waits() {
    if (m_inTurn) {
        Keep(m_turns, {m_clock.elapsed() - m_turnBegan, m_turnBegan});
        m_inTurn = false;
    }
}

void CTurnMeter::Keep(QList<Span>& list, Span span) {
    if (list.size() == kKept && !(span > list.last())) {
        return;
    }
    list.insert(std::upper_bound(list.begin(), list.end(), span, std::greater<>()), span);
    if (list.size() > kKept) {
        list.removeLast();
    }
}
