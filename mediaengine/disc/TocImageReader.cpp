#include "mediaengine/disc/TocImageReader.h"

#include "mediaengine/disc/RawAudioFile.h"

#include <QFileInfo>
#include <cstring>

namespace {
constexpr int kSectorBytes = 2352;
constexpr int kFrameBytes = 4;
constexpr int kFramesPerSector = kSectorBytes / kFrameBytes;
// The last address a disc can have is 99:59:74, counted from before the two seconds of lead-in.
constexpr qint64 kMaxDiscSectors = (99 * 60 + 59) * 75 + 74 + 1 - 150;

qint64 CeilDiv(qint64 value, qint64 by) {
    return (value + by - 1) / by;
}
} // namespace

std::unique_ptr<CDiscReader> CTocImageReader::Open(const CCdrdaoToc& toc, QString* error) {
    std::unique_ptr<CTocImageReader> reader(new CTocImageReader());
    if (!reader->Lay(toc, error)) {
        return nullptr;
    }
    return reader;
}

int CTocImageReader::OpenFile(const CCdrdaoToc& toc, const CCdrdaoToc::Source& source, QString* error) {
    const QPair<QString, qint64> key(source.path, source.headerBytes);
    if (m_fileIndex.contains(key)) {
        return m_fileIndex.value(key);
    }
    QString reason;
    std::unique_ptr<CImageAudioFile> file;
    if (source.wave) {
        file = CImageAudioFile::Open(source.path, CCueSheet::FileType::Wave, source.name, &reason);
    } else {
        // cdrdao keeps raw audio big-endian, as its manual says.
        auto raw = std::make_unique<CRawAudioFile>(source.path, true, source.name, source.headerBytes);
        if (raw->Open(&reason)) {
            file = std::move(raw);
        }
    }
    if (!file) {
        *error = toc.At(source.line, reason);
        return -1;
    }
    m_files.push_back(std::move(file));
    m_fileIndex.insert(key, int(m_files.size()) - 1);
    return int(m_files.size()) - 1;
}

qint64 CTocImageReader::SourceLength(const CCdrdaoToc& toc, const CCdrdaoToc::Track& track,
                                     const CCdrdaoToc::Source& source, int* file, QString* error) {
    *file = -1;
    if (source.kind == CCdrdaoToc::SourceKind::Silence) {
        return source.length;
    }
    qint64 available = 0;
    if (track.audio) {
        *file = OpenFile(toc, source, error);
        if (*file < 0) {
            return -1;
        }
        available = m_files[size_t(*file)]->Frames() - source.start;
    } else {
        // A data track is listed, never read: only its length counts.
        available = QFileInfo(source.path).size() - source.headerBytes - source.start;
    }
    const qint64 length = source.length < 0 ? available : source.length;
    if (available <= 0 || length > available) {
        *error = toc.At(
            source.line,
            QStringLiteral("%1 is shorter than the audio taken from it; the file is short").arg(source.name));
        return -1;
    }
    return length;
}

bool CTocImageReader::Lay(const CCdrdaoToc& toc, QString* error) {
    qint64 discSectors = 0;
    for (const CCdrdaoToc::Track& track : toc.Tracks()) {
        const qint64 unitsPerSector = track.audio ? kFramesPerSector : track.blockBytes;
        qint64 units = 0;
        qint64 pregap = track.startSectors;
        for (int i = 0; i < track.sources.size(); ++i) {
            const CCdrdaoToc::Source& source = track.sources[i];
            if (track.startAfterSources == i) {
                pregap = CeilDiv(units, unitsPerSector);
            }
            int file = -1;
            const qint64 length = SourceLength(toc, track, source, &file, error);
            if (length < 0) {
                return false;
            }
            if (discSectors + CeilDiv(units + length, unitsPerSector) > kMaxDiscSectors) {
                *error = toc.At(source.line,
                                QStringLiteral("this makes the disc longer than a CD can be (99:59:74)"));
                return false;
            }
            if (file >= 0 && length > 0) {
                m_segments.push_back(
                    Segment{discSectors * kFramesPerSector + units, length, file, source.start});
            }
            units += length;
        }
        if (track.startAfterSources == track.sources.size()) {
            pregap = CeilDiv(units, unitsPerSector);
        }
        const qint64 sectors = CeilDiv(units, unitsPerSector);
        pregap = qMax<qint64>(0, pregap);
        if (pregap >= sectors) {
            *error = toc.At(track.startLine != 0 ? track.startLine : track.line,
                            sectors == 0
                                ? QStringLiteral("track %1 holds no sectors").arg(track.number)
                                : QStringLiteral("track %1 holds nothing after its START").arg(track.number));
            return false;
        }
        DiscTrack disc;
        disc.number = track.number;
        disc.audio = track.audio;
        disc.firstSector = int(discSectors + pregap);
        disc.title = track.title;
        disc.artist = track.performer;
        m_info.tracks.append(disc);
        discSectors += sectors;
    }
    for (int i = 0; i < m_info.tracks.size(); ++i) {
        const int end = i + 1 < m_info.tracks.size() ? m_info.tracks[i + 1].firstSector : int(discSectors);
        m_info.tracks[i].sectorCount = end - m_info.tracks[i].firstSector;
    }
    m_info.album = toc.Album();
    m_info.artist = toc.Performer();
    m_info.toc = TocText(m_info.tracks, int(discSectors));
    return true;
}

bool CTocImageReader::ReadSectors(int firstSector, int count, QByteArray* pcm) {
    pcm->clear();
    m_readError = RangeError(m_info, firstSector, count);
    if (!m_readError.isEmpty()) {
        return false;
    }
    pcm->fill('\0', qsizetype(count) * kSectorBytes);
    const qint64 first = qint64(firstSector) * kFramesPerSector;
    const qint64 end = first + qint64(count) * kFramesPerSector;
    for (const Segment& segment : m_segments) {
        const qint64 from = qMax(first, segment.discFrame);
        const qint64 to = qMin(end, segment.discFrame + segment.frames);
        if (from >= to) {
            continue;
        }
        if (!m_files[size_t(segment.file)]->ReadFrames(segment.fileFrame + (from - segment.discFrame),
                                                       to - from, pcm->data() + (from - first) * kFrameBytes,
                                                       &m_readError)) {
            pcm->clear();
            return false;
        }
    }
    return true;
}
