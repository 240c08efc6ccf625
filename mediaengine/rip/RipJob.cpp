#include "mediaengine/rip/RipJob.h"

#include "mediaengine/disc/DiscReader.h"
#include "mediaengine/rip/RipFileNamer.h"
#include "mediaengine/rip/TrackEncoder.h"
#include "mediaengine/rip/TrackFileWriter.h"

#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

// Sectors read and encoded at a time: a third of a second, so progress moves smoothly on short
// tracks and Stop is noticed at once.
constexpr int kChunkSectors = 25;

enum class Outcome {
    Done,    // the file is complete under its final name
    Skipped, // this track failed; the next one may still succeed
    Fatal,   // the rip folder cannot take more; the rip ends
    Stopped, // Stop was asked for
};

} // namespace

// What the worker thread shares with the job. The worker keeps it alive, so a receiver may even
// destroy the job from within its last callback.
struct RipState {
    RipRequest request;
    RipCallbacks callbacks;
    RipFaults faults;
    QMap<int, QString> targets;

    std::atomic<bool> stopRequested{false};
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    bool running = false;

    void Run();
    Outcome RipTrack(CDiscReader& reader, const DiscTrack& layout, QString* reason);
    void WaitForStop();
    TrackTags TagsOf(int number) const;

    void Progress(int track, int percent) const {
        if (callbacks.progress) {
            callbacks.progress(track, percent);
        }
    }
    void Failed(int track, const QString& reason) const {
        if (callbacks.trackFailed) {
            callbacks.trackFailed(track, reason);
        }
    }
};

struct CRipJob::Impl {
    std::shared_ptr<RipState> state = std::make_shared<RipState>();
    std::thread worker;
    bool started = false;
};

CRipJob::CRipJob(RipRequest request, RipCallbacks callbacks, RipFaults faults)
    : m_impl(std::make_unique<Impl>()) {
    RipState& state = *m_impl->state;
    // Each track once, in disc order, whatever the caller passed.
    std::sort(request.tracks.begin(), request.tracks.end());
    request.tracks.erase(std::unique(request.tracks.begin(), request.tracks.end()), request.tracks.end());
    state.targets = CRipFileNamer(request.preferences, request.disc).TargetFiles(request.tracks);
    state.request = std::move(request);
    state.callbacks = std::move(callbacks);
    state.faults = faults;
}

CRipJob::~CRipJob() {
    Stop();
    if (m_impl->worker.joinable()) {
        if (m_impl->worker.get_id() == std::this_thread::get_id()) {
            m_impl->worker.detach();
        } else {
            m_impl->worker.join();
        }
    }
}

void CRipJob::Start() {
    if (m_impl->started) {
        return; // a job rips once
    }
    m_impl->started = true;
    {
        std::lock_guard<std::mutex> lock(m_impl->state->mutex);
        m_impl->state->running = true;
    }
    m_impl->worker = std::thread([state = m_impl->state] { state->Run(); });
}

void CRipJob::Stop() {
    RipState& state = *m_impl->state;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        state.stopRequested = true;
    }
    state.changed.notify_all();
}

bool CRipJob::IsRunning() const {
    std::lock_guard<std::mutex> lock(m_impl->state->mutex);
    return m_impl->state->running;
}

bool CRipJob::Wait(int timeoutMs) const {
    RipState& state = *m_impl->state;
    std::unique_lock<std::mutex> lock(state.mutex);
    if (timeoutMs < 0) {
        state.changed.wait(lock, [&] { return !state.running; });
        return true;
    }
    return state.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !state.running; });
}

QString CRipJob::TargetFileOf(int track) const {
    return m_impl->state->targets.value(track);
}

void RipState::Run() {
    bool failed = false;
    QString error;
    std::unique_ptr<CDiscReader> reader = CDiscReader::Open(request.source, &error);
    if (!reader) {
        if (!request.tracks.isEmpty()) {
            Failed(request.tracks.first(), QStringLiteral("the disc cannot be read: %1").arg(error));
        }
        failed = true;
    } else if (!request.disc.toc.isEmpty() && request.disc.toc != reader->Info().toc) {
        if (!request.tracks.isEmpty()) {
            Failed(request.tracks.first(), QStringLiteral("the disc in the drive is not the one to rip"));
        }
        failed = true;
    }
    bool stopped = false;
    for (int i = 0; reader && !failed && !stopped && i < request.tracks.size(); ++i) {
        if (stopRequested) {
            stopped = true;
            break;
        }
        const int number = request.tracks[i];
        const DiscTrack* layout = nullptr;
        for (const DiscTrack& track : reader->Info().tracks) {
            if (track.number == number) {
                layout = &track;
            }
        }
        if (layout == nullptr || !layout->audio) {
            Failed(number, QStringLiteral("track %1 is not an audio track of this disc").arg(number));
            continue;
        }
        QString reason;
        const Outcome outcome = RipTrack(*reader, *layout, &reason);
        if (outcome == Outcome::Skipped) {
            Failed(number, reason);
        } else if (outcome == Outcome::Fatal) {
            Failed(number, reason);
            failed = true;
        } else if (outcome == Outcome::Stopped) {
            stopped = true;
        }
    }
    reader.reset();
    if (callbacks.finished) {
        callbacks.finished(stopped);
    }
    {
        std::lock_guard<std::mutex> lock(mutex);
        running = false;
    }
    changed.notify_all();
}

TrackTags RipState::TagsOf(int number) const {
    TrackTags tags;
    tags.album = request.disc.album;
    tags.albumArtist = request.disc.artist;
    tags.artist = request.disc.artist;
    tags.trackNumber = number;
    for (const DiscTrack& track : request.disc.tracks) {
        if (track.number == number) {
            tags.title = track.title;
            if (!track.artist.isEmpty()) {
                tags.artist = track.artist;
            }
        }
    }
    return tags;
}

void RipState::WaitForStop() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return stopRequested.load(); });
}

Outcome RipState::RipTrack(CDiscReader& reader, const DiscTrack& layout, QString* reason) {
    const int number = layout.number;
    const QString target = targets.value(number);
    if (target.isEmpty() || request.preferences.recordFolder.isEmpty()) {
        *reason = QStringLiteral("no rip folder is set");
        return Outcome::Fatal;
    }
    if (!CTrackFileWriter::MakeFolders(QFileInfo(target).absolutePath(), reason)) {
        return Outcome::Fatal;
    }
    Progress(number, 0);

    if (number == faults.zeroSizeTrack) {
        CTrackFileWriter empty;
        if (!empty.Open(target, reason) || !empty.Commit(reason)) {
            return Outcome::Fatal;
        }
        Progress(number, 100);
        if (callbacks.trackDone) {
            callbacks.trackDone(number, target, 0);
        }
        return Outcome::Done;
    }

    CTrackEncoder encoder;
    if (!encoder.Begin(target, TagsOf(number), request.preferences.bitrate, reason)) {
        return Outcome::Fatal;
    }
    const int total = layout.sectorCount;
    int done = 0;
    int reported = 0;
    QByteArray pcm;
    while (done < total) {
        if (stopRequested) {
            encoder.Abort();
            return Outcome::Stopped;
        }
        const int first = layout.firstSector + done;
        const int count = qMin(kChunkSectors, total - done);
        const bool damaged = faults.unreadableSector >= first && faults.unreadableSector < first + count;
        if (damaged || !reader.ReadSectors(first, count, &pcm)) {
            encoder.Abort();
            *reason = damaged ? QStringLiteral("sector %1 cannot be read").arg(faults.unreadableSector)
                              : reader.LastReadError();
            if (reason->isEmpty()) {
                *reason = QStringLiteral("the disc cannot be read");
            }
            return Outcome::Skipped;
        }
        if (!encoder.Feed(pcm, reason)) {
            return Outcome::Fatal;
        }
        done += count;
        const int percent = static_cast<int>(qint64(done) * 100 / total);
        if (percent < 100 && percent != reported) {
            reported = percent;
            Progress(number, percent);
        }
        if (number == faults.stallAtTrack) {
            WaitForStop();
            encoder.Abort();
            return Outcome::Stopped;
        }
    }
    qint64 bytes = 0;
    if (!encoder.Finish(&bytes, reason)) {
        return Outcome::Fatal;
    }
    Progress(number, 100);
    if (callbacks.trackDone) {
        callbacks.trackDone(number, target, bytes);
    }
    return Outcome::Done;
}
