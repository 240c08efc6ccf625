#pragma once
// Hands a rip's results to its receiver in track order, as a rip of one track after the other would:
// tracks are encoded side by side and finish in any order, but the library must get them in disc
// order and the progress the user sees must only move forward. A later track's progress waits
// until every earlier track has ended; a finished file keeps its temporary name until it is
// delivered, so the rip folder never shows a later track before an earlier one.
//
// Thread-safe: encoders and the reader report from their threads; one delivery runs at a time,
// outside the lock that guards the tracks' states.

#include "mediaengine/rip/RipRequest.h"

#include <QMap>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class CRipReporter {
public:
    // Puts a finished file under its final name; false with a reason when it cannot. `path` comes
    // in as the name asked for and goes out as the one the file got. Dropping it uncalled discards
    // the file.
    using Commit = std::function<bool(QString* path, QString* error)>;

    // `tracks` in rip order with their target files. `onFatal` learns of a track whose file could
    // not be committed, which ends the rip like any fatal failure; it is called during a delivery.
    CRipReporter(const QList<int>& tracks, const QMap<int, QString>& targets, RipCallbacks callbacks,
                 std::function<void(int slot)> onFatal);

    void Progress(int slot, int percent);
    // The track's file is complete under its temporary name.
    void Finished(int slot, Commit commit, qint64 bytes);
    // The track failed. A fatal failure ends the rip: nothing after it is delivered.
    void Failed(int slot, const QString& reason, bool fatal);
    // The track was stopped before it ended: nothing from it on is delivered.
    void Stopped(int slot);
    // The rip is being stopped: nothing more is delivered, even a track finished meanwhile, so the
    // receiver learns of no track after it asked for the stop.
    void Stop();
    // Delivers what can still be delivered, discards the rest and makes the last call.
    void Close(bool stopped);

private:
    enum class State { Pending, Done, Failed };
    struct Track {
        int number = 0;
        QString target;
        State state = State::Pending;
        bool fatal = false;
        int percent = -1;   // latest reported, below 100
        int delivered = -1; // latest handed on
        Commit commit;
        qint64 bytes = 0;
        QString reason;
    };

    void Deliver();

    RipCallbacks m_callbacks;
    std::function<void(int)> m_onFatal;
    mutable std::mutex m_mutex; // guards the tracks
    std::mutex m_deliveryMutex; // one delivery at a time, callbacks in order
    std::vector<Track> m_tracks;
    std::size_t m_front = 0; // first track not yet delivered whole
    std::size_t m_end;       // tracks from here on are never delivered
};
