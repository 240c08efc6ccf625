#pragma once
// What one job did and when, on the message loop's clock: the main window marks each step of a
// transfer, and whoever watches (the unattended demo, the job benchmark) reads the marks when the
// job ends. Nothing here is shown in the window.

#include "platform/win/WinTypes.h"

#include <QList>
#include <QString>
#include <functional>

class CJobLog {
public:
    struct Mark {
        QString what;
        DWORD tick = 0;
    };

    // A new job: the marks of the last one go.
    void Begin();
    void Add(const QString& what);
    // Moves the mark `what` to now (added when missing): for the last of a stream of reports.
    void Touch(const QString& what);
    // The job ended with the message `textId` (0 when it ended without one), after its clean-up.
    void End(UINT textId);

    bool Running() const { return m_running; }
    const QList<Mark>& Marks() const { return m_marks; }
    // Milliseconds from the job's first mark to the first mark called `what`; -1 when there is none.
    qint64 Since(const QString& what) const;
    UINT Outcome() const { return m_outcome; }
    int Jobs() const { return m_jobs; }

    // Called when a job has ended.
    void SetEndHandler(std::function<void(const CJobLog&)> handler) { m_onEnd = std::move(handler); }
    // Called with each mark as it is added (not for Touch).
    void SetMarkHandler(std::function<void(const Mark&)> handler) { m_onMark = std::move(handler); }

private:
    QList<Mark> m_marks;
    UINT m_outcome = 0;
    int m_jobs = 0;
    bool m_running = false;
    std::function<void(const CJobLog&)> m_onEnd;
    std::function<void(const Mark&)> m_onMark;
};
