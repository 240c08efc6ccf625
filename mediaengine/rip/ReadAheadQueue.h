#pragma once
// Audio read from the disc and not yet encoded, one queue per track of a rip. The reader appends to
// the tracks in disc order and waits while the whole queue holds its byte budget, so a fast source
// (an image) never has a whole disc in memory; each encoder takes one track's pieces in order.
//
// Stopping is by position: StopFrom(k) ends every wait of the tracks at k and after, so a failure
// that ends a rip lets the tracks before it finish, and StopFrom(0) ends everything.

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

class CReadAheadQueue {
public:
    CReadAheadQueue(int tracks, qint64 budgetBytes);

    // Appends a piece of track `slot`, waiting for room. False when the track is stopped.
    bool Push(int slot, QByteArray pcm);
    // No more pieces for `slot`; a non-empty `error` says why its reading failed.
    void EndTrack(int slot, const QString& error = QString());

    enum class Take { Piece, End, Failed, Stopped };
    // Waits for the next piece of `slot`. End: the track was read whole; Failed: its reading failed
    // (`error` says why); Stopped: the track is stopped.
    Take Pop(int slot, QByteArray* pcm, QString* error);
    // Frees what is queued for `slot` and takes no more for it (its encoder gave up).
    void Drop(int slot);

    void StopFrom(int slot);
    bool IsStopped(int slot) const;
    // Waits until `slot` is stopped.
    void WaitUntilStopped(int slot);

    qint64 PeakBytes() const;

private:
    struct Track {
        std::deque<QByteArray> pieces;
        bool ended = false;
        bool dropped = false;
        QString error;
    };

    mutable std::mutex m_mutex;
    std::condition_variable m_room; // the reader waits here
    std::condition_variable m_data; // encoders wait here
    std::vector<Track> m_tracks;
    qint64 m_budget;
    qint64 m_queued = 0;
    qint64 m_peak = 0;
    int m_stopFrom;
};
