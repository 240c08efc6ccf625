#include "controller/JobLog.h"

#include "platform/messages/MessageLoop.h"

void CJobLog::Begin() {
    m_marks.clear();
    m_outcome = 0;
    m_running = true;
    ++m_jobs;
    Add(QStringLiteral("transfer"));
}

void CJobLog::Add(const QString& what) {
    if (m_running) {
        m_marks.append({what, ::GetTickCount()});
        if (m_onMark) {
            m_onMark(m_marks.last());
        }
    }
}

void CJobLog::Touch(const QString& what) {
    if (!m_running) {
        return;
    }
    for (Mark& mark : m_marks) {
        if (mark.what == what) {
            mark.tick = ::GetTickCount();
            return;
        }
    }
    m_marks.append({what, ::GetTickCount()});
}

void CJobLog::End(UINT textId) {
    if (!m_running) {
        return;
    }
    m_outcome = textId;
    Add(QStringLiteral("end"));
    m_running = false;
    if (m_onEnd) {
        m_onEnd(*this);
    }
}

qint64 CJobLog::Since(const QString& what) const {
    if (m_marks.isEmpty()) {
        return -1;
    }
    for (const Mark& mark : m_marks) {
        if (mark.what == what) {
            return qint64(mark.tick) - qint64(m_marks.first().tick);
        }
    }
    return -1;
}
