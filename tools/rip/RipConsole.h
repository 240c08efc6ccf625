#pragma once
// What ollivane-rip shows while it rips. On a terminal one line is rewritten in place (track n/N,
// its percent, the whole rip's percent, elapsed time); into a pipe or a log, one line per track
// start and finish, so the log stays readable. At the end a summary: tracks ripped and failed (with
// the reasons), megabytes written, wall time and speed as a multiple of real time.
//
// The rip's callbacks arrive on its worker threads and Tick on the main thread: every call is
// serialised here.

#include <QList>
#include <QMap>
#include <QString>

#include <cstdio>
#include <functional>
#include <mutex>

struct RipConsoleTrack {
    int number = 0;  // track number on the disc
    QString title;   // as the files are named after it
    int sectors = 0; // 75 a second
};

class CRipConsole {
public:
    enum class Style {
        Live,  // a terminal: one line rewritten with \r
        Lines, // a pipe or a file: a line per event
        Quiet, // nothing but failures, on the error stream
    };
    // Milliseconds since an arbitrary start; tests pass their own.
    using Clock = std::function<qint64()>;

    struct Summary {
        int requested = 0;
        int ripped = 0;
        QMap<int, QString> failures; // track number -> reason
        qint64 bytes = 0;
        double wallSeconds = 0;
        double audioSeconds = 0; // of the tracks ripped
        bool stopped = false;
    };

    CRipConsole(FILE* out, FILE* err, Style style, QList<RipConsoleTrack> tracks, Clock clock = {});

    void Progress(int track, int percent);
    void Done(int track, const QString& file, qint64 bytes);
    void Failed(int track, const QString& reason);
    // Refreshes the elapsed time of the live line.
    void Tick();
    // A stop was asked for (Ctrl-C); the rip is winding down.
    void Stopping();
    // Ends the display and prints the summary. Tracks that never reported are listed as failed
    // unless the rip was stopped.
    Summary Finish(bool stopped);

private:
    struct TrackState {
        RipConsoleTrack track;
        int index = 0; // 1-based position in the rip
        int percent = -1;
        bool started = false;
        bool ended = false;
    };

    TrackState* Find(int track);
    int OverallPercent() const;
    QString Elapsed() const;
    void DrawLive();
    void ClearLive();
    void Print(FILE* stream, const QString& line);

    mutable std::mutex m_mutex;
    FILE* m_out;
    FILE* m_err;
    Style m_style;
    Clock m_clock;
    qint64 m_start = 0;
    QList<TrackState> m_tracks;
    qint64 m_totalSectors = 0;
    int m_current = 0; // track number shown on the live line
    bool m_liveShown = false;
    QString m_liveLine; // what the live line shows now
    Summary m_summary;
};
