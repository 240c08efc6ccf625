#include "mediaengine/rip/RipJob.h"

#include "mediaengine/disc/DiscReader.h"
#include "mediaengine/rip/ReadAheadQueue.h"
#include "mediaengine/rip/RipFileNamer.h"
#include "mediaengine/rip/RipReporter.h"
#include "mediaengine/rip/TrackEncoder.h"
#include "mediaengine/rip/TrackFileWriter.h"

#include <QFileInfo>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Sectors read and encoded at a time: a third of a second, so progress moves smoothly on short
// tracks and Stop is noticed at once.
constexpr int kChunkSectors = 25;
constexpr int kSectorBytes = 2352;
constexpr qint64 kDefaultReadAhead = 64LL * 1024 * 1024;

} // namespace

// What the worker threads share with the job. The reader thread keeps it alive, so a receiver may
// even destroy the job from within its last callback.
//
// One reader thread reads the tracks in disc order (a drive never seeks back and forth) into the
// read-ahead queue; encoder threads take whole tracks in order and encode them side by side; the
// reporter hands the results on in disc order.
struct RipState {
    RipRequest request;
    RipFaults faults;
    QMap<int, QString> targets;
    std::unique_ptr<CRipReporter> reporter;
    std::unique_ptr<CReadAheadQueue> queue;
    std::vector<DiscTrack> layouts; // per slot; number 0 when the disc has no such audio track

    std::atomic<bool> stopRequested{false};
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    bool running = false;
    std::atomic<int> nextSlot{0};

    void Run();
    void ReadTracks(CDiscReader& reader);
    void Encode();
    void EncodeTrack(int slot);
    void Fatal(int slot, const QString& reason);
    TrackTags TagsOf(int number) const;
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
    state.faults = faults;
    const int tracks = int(state.request.tracks.size());
    const qint64 budget = state.request.readAheadBytes > 0 ? state.request.readAheadBytes : kDefaultReadAhead;
    state.queue = std::make_unique<CReadAheadQueue>(tracks, budget);
    RipState* shared = &state;
    state.reporter =
        std::make_unique<CRipReporter>(state.request.tracks, state.targets, std::move(callbacks),
                                       [shared](int slot) { shared->queue->StopFrom(slot + 1); });
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
    state.stopRequested = true;
    state.reporter->Stop();
    state.queue->StopFrom(0);
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
    QString error;
    std::unique_ptr<CDiscReader> reader = CDiscReader::Open(request.source, &error);
    QString refusal;
    if (!reader) {
        refusal = QStringLiteral("the disc cannot be read: %1").arg(error);
    } else if (!request.disc.toc.isEmpty() && request.disc.toc != reader->Info().toc) {
        refusal = QStringLiteral("the disc in the drive is not the one to rip");
    }
    if (!refusal.isEmpty()) {
        if (!request.tracks.isEmpty()) {
            reporter->Failed(0, refusal, true);
        }
    } else {
        for (int number : std::as_const(request.tracks)) {
            DiscTrack layout;
            layout.number = 0;
            for (const DiscTrack& track : reader->Info().tracks) {
                if (track.number == number && track.audio) {
                    layout = track;
                }
            }
            layouts.push_back(layout);
        }
        int encoders = request.encoders > 0 ? request.encoders : int(std::thread::hardware_concurrency());
        encoders = std::clamp(encoders, 1, std::max(1, int(request.tracks.size())));
        std::vector<std::thread> threads;
        threads.reserve(std::size_t(encoders));
        for (int i = 0; i < encoders; ++i) {
            threads.emplace_back([this] { Encode(); });
        }
        ReadTracks(*reader);
        for (std::thread& thread : threads) {
            thread.join();
        }
    }
    reader.reset();
    reporter->Close(stopRequested);
    {
        std::lock_guard<std::mutex> lock(mutex);
        running = false;
    }
    changed.notify_all();
}

void RipState::ReadTracks(CDiscReader& reader) {
    for (int slot = 0; slot < int(layouts.size()); ++slot) {
        if (queue->IsStopped(slot)) {
            return;
        }
        const DiscTrack& layout = layouts[std::size_t(slot)];
        QString failure;
        for (int done = 0; done < layout.sectorCount && layout.number != 0;) {
            const int first = layout.firstSector + done;
            const int count = qMin(kChunkSectors, layout.sectorCount - done);
            const bool damaged = faults.unreadableSector >= first && faults.unreadableSector < first + count;
            QByteArray pcm;
            if (faults.unreadableDisc) {
                failure = QStringLiteral("sector %1 cannot be read").arg(first);
                break;
            }
            if (damaged || !reader.ReadSectors(first, count, &pcm)) {
                failure = damaged ? QStringLiteral("sector %1 cannot be read").arg(faults.unreadableSector)
                                  : reader.LastReadError();
                if (failure.isEmpty()) {
                    failure = QStringLiteral("the disc cannot be read");
                }
                break; // the next track may still read
            }
            if (!queue->Push(slot, std::move(pcm))) {
                return;
            }
            done += count;
        }
        queue->EndTrack(slot, failure);
    }
}

void RipState::Encode() {
    for (;;) {
        const int slot = nextSlot++;
        if (slot >= int(layouts.size())) {
            return;
        }
        if (queue->IsStopped(slot)) {
            reporter->Stopped(slot);
            return;
        }
        EncodeTrack(slot);
    }
}

void RipState::Fatal(int slot, const QString& reason) {
    queue->Drop(slot);
    queue->StopFrom(slot + 1);
    reporter->Failed(slot, reason, true);
}

TrackTags RipState::TagsOf(int number) const {
    TrackTags tags;
    tags.album = request.disc.album;
    tags.albumArtist = request.disc.artist;
    tags.artist = request.disc.artist;
    tags.trackNumber = number;
    tags.toc = request.disc.toc;
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

void RipState::EncodeTrack(int slot) {
    const int number = request.tracks[slot];
    const DiscTrack& layout = layouts[std::size_t(slot)];
    if (layout.number == 0) {
        queue->Drop(slot);
        reporter->Failed(slot, QStringLiteral("track %1 is not an audio track of this disc").arg(number),
                         false);
        return;
    }
    const QString target = targets.value(number);
    QString reason;
    if (target.isEmpty() || request.preferences.recordFolder.isEmpty()) {
        Fatal(slot, QStringLiteral("no rip folder is set"));
        return;
    }
    if (!CTrackFileWriter::MakeFolders(QFileInfo(target).absolutePath(), &reason)) {
        Fatal(slot, reason);
        return;
    }
    reporter->Progress(slot, 0);

    if (number == faults.zeroSizeTrack) {
        queue->Drop(slot);
        auto empty = std::make_shared<CTrackFileWriter>();
        if (!empty->Open(target, &reason)) {
            Fatal(slot, reason);
            return;
        }
        reporter->Finished(
            slot,
            [empty](QString* path, QString* error) {
                const bool done = empty->Commit(error);
                *path = empty->FinalPath();
                return done;
            },
            0);
        return;
    }

    auto encoder = std::make_shared<CTrackEncoder>();
    if (!encoder->Begin(target, TagsOf(number), request.preferences.bitrate, &reason)) {
        Fatal(slot, reason);
        return;
    }
    const qint64 total = qint64(layout.sectorCount) * kSectorBytes;
    qint64 done = 0;
    int reported = 0;
    for (;;) {
        QByteArray pcm;
        QString error;
        const CReadAheadQueue::Take take = queue->Pop(slot, &pcm, &error);
        if (take == CReadAheadQueue::Take::End) {
            break;
        }
        if (take == CReadAheadQueue::Take::Failed) {
            encoder->Abort();
            reporter->Failed(slot, error, false);
            return;
        }
        if (take == CReadAheadQueue::Take::Stopped) {
            encoder->Abort();
            queue->Drop(slot);
            reporter->Stopped(slot);
            return;
        }
        if (!encoder->Feed(pcm, &reason)) {
            Fatal(slot, reason);
            return;
        }
        done += pcm.size();
        const int percent = static_cast<int>(done * 100 / total);
        if (percent < 100 && percent != reported) {
            reported = percent;
            reporter->Progress(slot, percent);
        }
        if (number == faults.stallAtTrack) {
            queue->WaitUntilStopped(slot);
            encoder->Abort();
            queue->Drop(slot);
            reporter->Stopped(slot);
            return;
        }
    }
    qint64 bytes = 0;
    if (!encoder->Finish(&bytes, &reason)) {
        Fatal(slot, reason);
        return;
    }
    reporter->Finished(
        slot,
        [encoder](QString* path, QString* error) {
            const bool done = encoder->Commit(error);
            *path = encoder->FinalPath();
            return done;
        },
        bytes);
}
