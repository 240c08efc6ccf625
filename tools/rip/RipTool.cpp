#include "tools/rip/RipTool.h"

#include "mediaengine/MediaEngine.h"
#include "mediaengine/core/EngineText.h"
#include "mediaengine/disc/DiscReader.h"
#include "mediaengine/rip/RipJob.h"
#include "mediaengine/ripping/RipPreferenceReader.h"
#include "platform/files/Volumes.h"
#include "tools/rip/RipNameLookup.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>

namespace {

constexpr int kTickMs = 200; // the live line's clock moves five times a second

QString AudioTrackList(const DiscInfo& disc) {
    QStringList numbers;
    for (const DiscTrack& track : disc.tracks) {
        if (track.audio) {
            numbers << QString::number(track.number);
        }
    }
    return numbers.join(QLatin1Char(','));
}

} // namespace

CRipTool::CRipTool(FILE* out, FILE* err, const std::atomic<int>* interrupt)
    : m_out(out), m_err(err), m_interrupt(interrupt) {}

int CRipTool::BadInput(const QString& message) {
    std::fprintf(m_err, "ollivane-rip: %s\n", message.toUtf8().constData());
    std::fflush(m_err);
    return kExitBadInput;
}

DiscInfo CRipTool::ShownDisc(const DiscInfo& disc) {
    DiscInfo shown = disc;
    if (shown.album.isEmpty()) {
        shown.album = engine_text::kNoAlbum;
    }
    int position = 0;
    for (DiscTrack& track : shown.tracks) {
        if (!track.audio) {
            continue;
        }
        ++position;
        if (track.title.isEmpty()) {
            track.title = engine_text::TrackTitle(position);
        }
        if (track.artist.isEmpty()) {
            track.artist = shown.artist;
        }
    }
    return shown;
}

bool CRipTool::PrepareOutputFolder(const QString& folder, QString* error) {
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir()) {
        *error = QStringLiteral("%1 is not a folder").arg(folder);
        return false;
    }
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    // Permission bits alone do not tell (root, read-only mounts, ACLs): try it.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".ollivane-rip-XXXXXX")));
    if (!probe.open() || probe.write("x", 1) != 1 || !probe.flush()) {
        *error = QStringLiteral("cannot write in %1: %2").arg(folder, probe.errorString());
        return false;
    }
    return true;
}

int CRipTool::Run(const RipToolOptions& options, CRipConsole::Style style) {
    // The disc first: nothing is created for a disc that cannot be read.
    QString error;
    std::unique_ptr<CDiscReader> reader = CDiscReader::Open(options.source, &error);
    if (!reader) {
        return BadInput(QStringLiteral("cannot read the disc %1: %2").arg(options.source, error));
    }
    DiscInfo disc = reader->Info();
    // A device is released before the rip opens it again.
    reader.reset();

    QList<int> tracks;
    for (const DiscTrack& track : disc.tracks) {
        if (track.audio && (options.tracks.isEmpty() || options.tracks.contains(track.number))) {
            tracks.append(track.number);
        }
    }
    for (const int number : options.tracks) {
        if (!tracks.contains(number)) {
            return BadInput(
                QStringLiteral("track %1 is not an audio track of this disc (audio tracks: %2)")
                    .arg(number)
                    .arg(AudioTrackList(disc).isEmpty() ? QStringLiteral("none") : AudioTrackList(disc)));
        }
    }
    if (tracks.isEmpty()) {
        return BadInput(QStringLiteral("the disc %1 has no audio track").arg(options.source));
    }

    const QString outDir = QDir::cleanPath(QFileInfo(options.outDir).absoluteFilePath());
    if (!PrepareOutputFolder(outDir, &error)) {
        return BadInput(QStringLiteral("OUTDIR: %1").arg(error));
    }
    // Names only for a rip that goes ahead: bad input asks nothing of the network.
    const QString namesFrom = CRipNameLookup::Fill(
        &disc, options.lookup, QDir(DefaultMediaEngineDir()).filePath(QStringLiteral("library.db")),
        LookupSettings::FromEnvironment());
    if (!options.quiet) {
        std::fprintf(m_out, "%s\n", namesFrom.toUtf8().constData());
        std::fflush(m_out);
    }

    RipPreferences preferences;
    if (FAILED(CRipPreferenceReader::Read(&preferences))) {
        // Only the rip folder is missing, and OUTDIR replaces it; the rest keeps the player's
        // defaults.
        preferences.fileDetail = QStringLiteral("*TrackNumber;*SongTitle;Artist;Album");
        preferences.separator = QStringLiteral(" ");
        preferences.bitrate = 128000;
    }
    preferences.recordFolder = outDir;
    // Names are kept within MAX_PATH as the program would see the folder; a folder outside every
    // drive counts with its host path.
    QString windowsFolder;
    preferences.windowsFolderLength =
        FromHostPath(outDir, &windowsFolder) == ERROR_SUCCESS ? int(windowsFolder.size()) : 0;
    if (options.bitrateKbps > 0) {
        preferences.bitrate = options.bitrateKbps * 1000;
    }

    RipRequest request;
    request.source = options.source;
    request.disc = ShownDisc(disc);
    request.tracks = tracks;
    request.preferences = preferences;
    request.encoders = options.encoders;

    QList<RipConsoleTrack> shownTracks;
    for (const DiscTrack& track : request.disc.tracks) {
        if (tracks.contains(track.number)) {
            shownTracks.append({track.number, track.title, track.sectorCount});
        }
    }
    CRipConsole console(m_out, m_err, style, shownTracks);

    std::atomic<bool> stopped{false};
    RipCallbacks callbacks;
    callbacks.progress = [&console](int track, int percent) { console.Progress(track, percent); };
    // The disc's identity is in each file's tag (the request carries the TOC), as in a rip from the
    // window, so the player finds the disc of a file added to its library later.
    callbacks.trackDone = [&console](int track, const QString& file, qint64 bytes) {
        console.Done(track, file, bytes);
    };
    callbacks.trackFailed = [&console](int track, const QString& reason) { console.Failed(track, reason); };
    callbacks.finished = [&stopped](bool wasStopped) { stopped = wasStopped; };

    CRipJob job(request, callbacks);
    job.Start();
    bool stopAsked = false;
    while (!job.Wait(kTickMs)) {
        if (!stopAsked && m_interrupt != nullptr && m_interrupt->load() != 0) {
            stopAsked = true;
            console.Stopping();
            job.Stop();
        }
        console.Tick();
    }
    const CRipConsole::Summary summary = console.Finish(stopped);
    if (stopped) {
        const int signal = m_interrupt != nullptr ? m_interrupt->load() : 0;
        return 128 + (signal > 0 ? signal : 2);
    }
    return summary.ripped == summary.requested ? kExitRipped : kExitSomeFailed;
}
