#include "mediaengine/disc/CueImageReader.h"

#include "mediaengine/disc/CdTextFile.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace {
constexpr int kSectorBytes = 2352;
constexpr qint64 kMaxCdTextBytes = 64 * 1024; // eight blocks of 255 packs is 36 KiB

QString Msf(qint64 sectors) {
    return QStringLiteral("%1:%2:%3")
        .arg(sectors / 75 / 60, 2, 10, QLatin1Char('0'))
        .arg(sectors / 75 % 60, 2, 10, QLatin1Char('0'))
        .arg(sectors % 75, 2, 10, QLatin1Char('0'));
}
} // namespace

std::unique_ptr<CDiscReader> CCueImageReader::Open(const CCueSheet& sheet, QString* error) {
    std::unique_ptr<CCueImageReader> reader(new CCueImageReader());
    for (const CCueSheet::File& file : sheet.Files()) {
        QString reason;
        auto audio = CImageAudioFile::Open(file.path, file.type, file.name, &reason);
        if (!audio) {
            *error = sheet.At(file.line, reason);
            return nullptr;
        }
        reader->m_files.push_back(std::move(audio));
    }
    if (!reader->Lay(sheet, error) || !reader->LoadCdText(sheet, error)) {
        return nullptr;
    }
    return reader;
}

bool CCueImageReader::Lay(const CCueSheet& sheet, QString* error) {
    const QList<CCueSheet::File>& files = sheet.Files();
    qint64 cursor = 0;
    int file = -1;
    qint64 offset = 0;
    int postgap = 0;
    const auto addFile = [&](qint64 to) {
        if (to > offset) {
            m_segments.push_back(Segment{int(cursor), int(to - offset), file, offset});
            cursor += to - offset;
            offset = to;
        }
    };
    const auto addSilence = [&](int length) {
        if (length > 0) {
            m_segments.push_back(Segment{int(cursor), length, -1, 0});
            cursor += length;
        }
    };
    const auto fileSectors = [&](int f) { return m_files[size_t(f)]->Sectors(); };

    for (const CCueSheet::Track& track : sheet.Tracks()) {
        DiscTrack disc;
        disc.number = track.number;
        disc.audio = track.audio;
        for (int i = 0; i < track.indexes.size(); ++i) {
            const CCueSheet::Index& index = track.indexes[i];
            if (index.file != file) {
                if (file >= 0) {
                    addFile(fileSectors(file));
                }
                file = index.file;
                offset = 0;
            }
            if (index.offset >= fileSectors(file)) {
                *error = sheet.At(index.line,
                                  QStringLiteral("INDEX %1 of track %2 at %3 lies beyond the end of %4 "
                                                 "(%5); the file is short")
                                      .arg(index.number)
                                      .arg(track.number)
                                      .arg(Msf(index.offset), files[file].name, Msf(fileSectors(file))));
                return false;
            }
            addFile(index.offset);
            if (i == 0) {
                addSilence(postgap);
                addSilence(track.pregap);
            }
            if (index.number == 1) {
                disc.firstSector = int(cursor);
            }
        }
        postgap = track.postgap;
        if (track.sectorBytes != kSectorBytes) {
            // Sectors of another size would shift every offset after them.
            *error = sheet.At(track.line, QStringLiteral("a track of %1-byte sectors is read only from a "
                                                         "single BIN image")
                                              .arg(track.sectorBytes));
            return false;
        }
        m_info.tracks.append(disc);
    }
    addFile(fileSectors(file));
    addSilence(postgap);
    const int leadOut = int(cursor);
    const QList<CCueSheet::Track>& tracks = sheet.Tracks();
    for (int i = 0; i < m_info.tracks.size(); ++i) {
        const int end = i + 1 < m_info.tracks.size() ? m_info.tracks[i + 1].firstSector : leadOut;
        m_info.tracks[i].sectorCount = end - m_info.tracks[i].firstSector;
        if (m_info.tracks[i].sectorCount <= 0) {
            *error =
                sheet.At(tracks[i].line, QStringLiteral("track %1 holds no sectors").arg(tracks[i].number));
            return false;
        }
    }
    m_info.toc = TocText(m_info.tracks, leadOut);
    sheet.ApplyText(&m_info);
    return true;
}

bool CCueImageReader::LoadCdText(const CCueSheet& sheet, QString* error) {
    if (sheet.CdTextPath().isEmpty()) {
        return true;
    }
    QFile file(sheet.CdTextPath());
    if (file.size() > kMaxCdTextBytes || !file.open(QIODevice::ReadOnly)) {
        *error = sheet.At(sheet.CdTextLine(), QStringLiteral("the CD-Text file %1 cannot be read")
                                                  .arg(QFileInfo(sheet.CdTextPath()).fileName()));
        return false;
    }
    CCdTextFile text;
    QString reason;
    if (!text.Parse(file.readAll(), CCdTextFile::UserPrefersJapanese(), &reason)) {
        *error = sheet.At(
            sheet.CdTextLine(),
            QStringLiteral("the CD-Text file %1: %2").arg(QFileInfo(sheet.CdTextPath()).fileName(), reason));
        return false;
    }
    text.ApplyTo(&m_info);
    return true;
}

bool CCueImageReader::ReadSectors(int firstSector, int count, QByteArray* pcm) {
    pcm->clear();
    m_readError = RangeError(m_info, firstSector, count);
    if (!m_readError.isEmpty()) {
        return false;
    }
    pcm->resize(qsizetype(count) * kSectorBytes);
    int sector = firstSector;
    const int end = firstSector + count;
    for (const Segment& segment : m_segments) {
        if (sector >= end) {
            break;
        }
        const int segmentEnd = segment.discStart + segment.length;
        if (segmentEnd <= sector) {
            continue;
        }
        const int n = qMin(end, segmentEnd) - sector;
        char* out = pcm->data() + qsizetype(sector - firstSector) * kSectorBytes;
        if (segment.file < 0) {
            std::memset(out, 0, size_t(n) * kSectorBytes);
        } else if (!m_files[size_t(segment.file)]->ReadSectors(
                       segment.fileOffset + (sector - segment.discStart), n, out, &m_readError)) {
            pcm->clear();
            return false;
        }
        sector += n;
    }
    return true;
}
