#include "tools/rip/RipConsole.h"

#include <QElapsedTimer>
#include <memory>

namespace {

QString Megabytes(qint64 bytes) {
    return QString::number(double(bytes) / 1e6, 'f', 1) + QStringLiteral(" MB");
}

} // namespace

CRipConsole::CRipConsole(FILE* out, FILE* err, Style style, QList<RipConsoleTrack> tracks, Clock clock)
    : m_out(out), m_err(err), m_style(style), m_clock(std::move(clock)) {
    if (!m_clock) {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        m_clock = [timer] { return timer->elapsed(); };
    }
    m_start = m_clock();
    int index = 0;
    for (RipConsoleTrack& track : tracks) {
        TrackState state;
        state.index = ++index;
        m_totalSectors += track.sectors;
        state.track = std::move(track);
        m_tracks.append(state);
    }
    m_summary.requested = int(m_tracks.size());
}

CRipConsole::TrackState* CRipConsole::Find(int track) {
    for (TrackState& state : m_tracks) {
        if (state.track.number == track) {
            return &state;
        }
    }
    return nullptr;
}

int CRipConsole::OverallPercent() const {
    if (m_totalSectors <= 0) {
        return 0;
    }
    qint64 done = 0;
    for (const TrackState& state : m_tracks) {
        const int percent = state.ended ? 100 : qMax(state.percent, 0);
        done += qint64(state.track.sectors) * percent;
    }
    return int(done / m_totalSectors);
}

QString CRipConsole::Elapsed() const {
    const qint64 seconds = qMax<qint64>(0, m_clock() - m_start) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void CRipConsole::Print(FILE* stream, const QString& line) {
    std::fputs(line.toUtf8().constData(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void CRipConsole::ClearLive() {
    if (m_liveShown) {
        // Back to the start of the line and erase it, so a permanent line can take its place.
        std::fputs("\r\033[K", m_out);
        m_liveShown = false;
    }
}

void CRipConsole::DrawLive() {
    if (m_style != Style::Live) {
        return;
    }
    QString line;
    if (const TrackState* state = Find(m_current)) {
        line = QStringLiteral("track %1/%2 (%3) %4%  overall %5%  %6")
                   .arg(state->index)
                   .arg(m_tracks.size())
                   .arg(state->track.number)
                   .arg(qMax(state->percent, 0), 3)
                   .arg(OverallPercent(), 3)
                   .arg(Elapsed());
    } else {
        line = QStringLiteral("overall %1%  %2").arg(OverallPercent(), 3).arg(Elapsed());
    }
    if (m_liveShown && line == m_liveLine) {
        return; // nothing moved: spare the terminal
    }
    std::fputs("\r\033[K", m_out);
    std::fputs(line.toUtf8().constData(), m_out);
    std::fflush(m_out);
    m_liveShown = true;
    m_liveLine = line;
}

void CRipConsole::Progress(int track, int percent) {
    std::lock_guard<std::mutex> lock(m_mutex);
    TrackState* state = Find(track);
    if (state == nullptr || state->ended) {
        return;
    }
    state->percent = qBound(0, qMax(state->percent, percent), 100);
    m_current = track;
    if (!state->started) {
        state->started = true;
        if (m_style == Style::Lines) {
            Print(m_out, QStringLiteral("[%1/%2] track %3 started: %4")
                             .arg(state->index)
                             .arg(m_tracks.size())
                             .arg(track)
                             .arg(state->track.title));
        }
    }
    DrawLive();
}

void CRipConsole::Done(int track, const QString& file, qint64 bytes) {
    std::lock_guard<std::mutex> lock(m_mutex);
    TrackState* state = Find(track);
    if (state == nullptr || state->ended) {
        return;
    }
    state->ended = true;
    state->percent = 100;
    ++m_summary.ripped;
    m_summary.bytes += bytes;
    m_summary.audioSeconds += state->track.sectors / 75.0;
    if (m_style == Style::Lines) {
        Print(m_out, QStringLiteral("[%1/%2] track %3 ripped: %4 (%5, %6)")
                         .arg(state->index)
                         .arg(m_tracks.size())
                         .arg(track)
                         .arg(file, Megabytes(bytes), Elapsed()));
    }
    DrawLive();
}

void CRipConsole::Failed(int track, const QString& reason) {
    std::lock_guard<std::mutex> lock(m_mutex);
    TrackState* state = Find(track);
    if (state == nullptr || state->ended) {
        return;
    }
    state->ended = true;
    m_summary.failures.insert(track, reason);
    const QString line = QStringLiteral("[%1/%2] track %3 failed: %4")
                             .arg(state->index)
                             .arg(m_tracks.size())
                             .arg(track)
                             .arg(reason);
    switch (m_style) {
    case Style::Live:
        ClearLive();
        Print(m_out, line);
        DrawLive();
        break;
    case Style::Lines:
        Print(m_out, line);
        break;
    case Style::Quiet:
        Print(m_err, QStringLiteral("ollivane-rip: ") + line);
        break;
    }
}

void CRipConsole::Tick() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_style == Style::Live && m_current != 0) {
        DrawLive();
    }
}

void CRipConsole::Stopping() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_style == Style::Quiet) {
        return;
    }
    ClearLive();
    Print(m_out, QStringLiteral("stopping: the track being ripped is discarded"));
}

CRipConsole::Summary CRipConsole::Finish(bool stopped) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_summary.stopped = stopped;
    m_summary.wallSeconds = double(qMax<qint64>(0, m_clock() - m_start)) / 1000.0;
    if (!stopped) {
        // A rip that ended early (the disc went away, the folder filled) says nothing of the tracks
        // after the one that failed; they were not ripped all the same.
        for (TrackState& state : m_tracks) {
            if (!state.ended) {
                state.ended = true;
                const QString reason = QStringLiteral("not ripped: the rip ended early");
                m_summary.failures.insert(state.track.number, reason);
                if (m_style == Style::Quiet) {
                    Print(m_err, QStringLiteral("ollivane-rip: track %1 failed: %2")
                                     .arg(state.track.number)
                                     .arg(reason));
                }
            }
        }
    }
    if (m_style == Style::Quiet) {
        return m_summary;
    }
    ClearLive();
    const double speed = m_summary.wallSeconds > 0 ? m_summary.audioSeconds / m_summary.wallSeconds : 0.0;
    Print(m_out, QStringLiteral("%1: %2 of %3 tracks ripped, %4 failed; %5 in %6 s (%7x real time)")
                     .arg(stopped ? QStringLiteral("interrupted") : QStringLiteral("done"))
                     .arg(m_summary.ripped)
                     .arg(m_summary.requested)
                     .arg(m_summary.failures.size())
                     .arg(Megabytes(m_summary.bytes))
                     .arg(m_summary.wallSeconds, 0, 'f', 1)
                     .arg(speed, 0, 'f', 1));
    for (auto it = m_summary.failures.cbegin(); it != m_summary.failures.cend(); ++it) {
        Print(m_out, QStringLiteral("  track %1 failed: %2").arg(it.key()).arg(it.value()));
    }
    return m_summary;
}
