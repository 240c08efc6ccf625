#include "mediaengine/rip/RipReporter.h"

#include <algorithm>

CRipReporter::CRipReporter(const QList<int>& tracks, const QMap<int, QString>& targets,
                           RipCallbacks callbacks, std::function<void(int slot)> onFatal)
    : m_callbacks(std::move(callbacks)), m_onFatal(std::move(onFatal)), m_tracks(std::size_t(tracks.size())),
      m_end(std::size_t(tracks.size())) {
    for (qsizetype i = 0; i < tracks.size(); ++i) {
        m_tracks[std::size_t(i)].number = tracks[i];
        m_tracks[std::size_t(i)].target = targets.value(tracks[i]);
    }
}

void CRipReporter::Progress(int slot, int percent) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Track& track = m_tracks[std::size_t(slot)];
        if (track.state != State::Pending || percent >= 100 || percent <= track.percent) {
            return;
        }
        track.percent = percent;
    }
    Deliver();
}

void CRipReporter::Finished(int slot, Commit commit, qint64 bytes) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Track& track = m_tracks[std::size_t(slot)];
        track.state = State::Done;
        track.commit = std::move(commit);
        track.bytes = bytes;
    }
    Deliver();
}

void CRipReporter::Failed(int slot, const QString& reason, bool fatal) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        Track& track = m_tracks[std::size_t(slot)];
        track.state = State::Failed;
        track.reason = reason;
        track.fatal = fatal;
    }
    Deliver();
}

void CRipReporter::Stopped(int slot) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_end = std::min(m_end, std::size_t(slot));
    }
    Deliver();
}

void CRipReporter::Stop() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_end = std::min(m_end, m_front);
}

void CRipReporter::Deliver() {
    std::lock_guard<std::mutex> delivering(m_deliveryMutex);
    for (;;) {
        enum class Action { Progress, Done, Failed } action;
        int number = 0;
        int percent = 0;
        QString target;
        Commit commit;
        qint64 bytes = 0;
        QString reason;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_front >= m_end) {
                return;
            }
            Track& track = m_tracks[m_front];
            number = track.number;
            // A finished track that was never seen moving still shows its start first.
            const int latest = track.state == State::Done ? std::max(track.percent, 0) : track.percent;
            if (latest > track.delivered) {
                action = Action::Progress;
                percent = track.delivered < 0 ? 0 : latest;
                track.delivered = percent;
            } else if (track.state == State::Done) {
                action = Action::Done;
                target = track.target;
                commit = std::move(track.commit);
                bytes = track.bytes;
                ++m_front;
            } else if (track.state == State::Failed) {
                action = Action::Failed;
                reason = track.reason;
                ++m_front;
                if (track.fatal) {
                    m_end = m_front;
                }
            } else {
                return;
            }
        }
        switch (action) {
        case Action::Progress:
            if (m_callbacks.progress) {
                m_callbacks.progress(number, percent);
            }
            break;
        case Action::Done: {
            QString error;
            if (commit && !commit(&target, &error)) {
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_end = m_front;
                }
                if (m_onFatal) {
                    m_onFatal(int(m_front) - 1);
                }
                if (m_callbacks.trackFailed) {
                    m_callbacks.trackFailed(number, error);
                }
                break;
            }
            if (m_callbacks.progress) {
                m_callbacks.progress(number, 100);
            }
            if (m_callbacks.trackDone) {
                m_callbacks.trackDone(number, target, bytes);
            }
            break;
        }
        case Action::Failed:
            if (m_callbacks.trackFailed) {
                m_callbacks.trackFailed(number, reason);
            }
            break;
        }
    }
}

void CRipReporter::Close(bool stopped) {
    Deliver();
    std::vector<Commit> undelivered;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (std::size_t i = m_front; i < m_tracks.size(); ++i) {
            if (m_tracks[i].commit) {
                undelivered.push_back(std::move(m_tracks[i].commit));
            }
        }
        m_front = m_end = m_tracks.size();
    }
    undelivered.clear(); // their temporary files go
    std::lock_guard<std::mutex> delivering(m_deliveryMutex);
    if (m_callbacks.finished) {
        m_callbacks.finished(stopped);
    }
}
