#include "mediaengine/rip/ReadAheadQueue.h"

#include <algorithm>

CReadAheadQueue::CReadAheadQueue(int tracks, qint64 budgetBytes)
    : m_tracks(std::size_t(std::max(tracks, 0))), m_budget(std::max<qint64>(budgetBytes, 1)),
      m_stopFrom(std::max(tracks, 0)) {}

bool CReadAheadQueue::Push(int slot, QByteArray pcm) {
    std::unique_lock<std::mutex> lock(m_mutex);
    const qint64 size = pcm.size();
    Track& track = m_tracks[std::size_t(slot)];
    // A piece always fits into an empty queue, however small the budget.
    m_room.wait(lock, [&] {
        return slot >= m_stopFrom || track.dropped || m_queued == 0 || m_queued + size <= m_budget;
    });
    if (slot >= m_stopFrom) {
        return false;
    }
    if (track.dropped) {
        return true; // read past, as the track's encoder no longer wants it
    }
    track.pieces.push_back(std::move(pcm));
    m_queued += size;
    m_peak = std::max(m_peak, m_queued);
    m_data.notify_all();
    return true;
}

void CReadAheadQueue::EndTrack(int slot, const QString& error) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Track& track = m_tracks[std::size_t(slot)];
    track.ended = true;
    track.error = error;
    m_data.notify_all();
}

CReadAheadQueue::Take CReadAheadQueue::Pop(int slot, QByteArray* pcm, QString* error) {
    std::unique_lock<std::mutex> lock(m_mutex);
    Track& track = m_tracks[std::size_t(slot)];
    m_data.wait(lock, [&] { return slot >= m_stopFrom || !track.pieces.empty() || track.ended; });
    if (slot >= m_stopFrom) {
        return Take::Stopped;
    }
    if (!track.pieces.empty()) {
        *pcm = std::move(track.pieces.front());
        track.pieces.pop_front();
        m_queued -= pcm->size();
        m_room.notify_all();
        return Take::Piece;
    }
    if (!track.error.isEmpty()) {
        *error = track.error;
        return Take::Failed;
    }
    return Take::End;
}

void CReadAheadQueue::Drop(int slot) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Track& track = m_tracks[std::size_t(slot)];
    for (const QByteArray& piece : track.pieces) {
        m_queued -= piece.size();
    }
    track.pieces.clear();
    track.dropped = true;
    m_room.notify_all();
}

void CReadAheadQueue::StopFrom(int slot) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopFrom = std::min(m_stopFrom, std::max(slot, 0));
    m_room.notify_all();
    m_data.notify_all();
}

bool CReadAheadQueue::IsStopped(int slot) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return slot >= m_stopFrom;
}

void CReadAheadQueue::WaitUntilStopped(int slot) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_data.wait(lock, [&] { return slot >= m_stopFrom; });
}

qint64 CReadAheadQueue::PeakBytes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_peak;
}
