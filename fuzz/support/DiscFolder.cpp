#include "fuzz/support/DiscFolder.h"

#include "fuzz/support/FuzzScratch.h"
#include "mediaengine/disc/DiscReader.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

namespace {

constexpr int kSectorBytes = 2352;
constexpr int kSectors = 9;
constexpr int kMaxReadSectors = 4;

// Sectors of a recognisable pattern, so a read that takes the wrong bytes still has something to take.
QByteArray Audio(int sectors) {
    QByteArray pcm(qsizetype(sectors) * kSectorBytes, Qt::Uninitialized);
    for (qsizetype i = 0; i < pcm.size(); ++i) {
        pcm[i] = char((i * 7) & 0xFF);
    }
    return pcm;
}

QByteArray Wave(int sectors) {
    const QByteArray pcm = Audio(sectors);
    QByteArray wav(
        "RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0data\0\0\0\0", 44);
    qToLittleEndian<quint32>(quint32(36 + pcm.size()), wav.data() + 4);
    qToLittleEndian<quint32>(quint32(pcm.size()), wav.data() + 40);
    return wav + pcm;
}

} // namespace

CDiscFolder::CDiscFolder() {
    const CFuzzScratch& scratch = CFuzzScratch::Get();
    scratch.Write(QStringLiteral("disc.bin"), Audio(kSectors));
    scratch.Write(QStringLiteral("disc.raw"), Audio(kSectors));
    scratch.Write(QStringLiteral("disc-01.wav"), Wave(4));
    scratch.Write(QStringLiteral("disc-02.wav"), Wave(2));
    QFile cdText(QStringLiteral(OLLIVANE_FUZZ_DIR "/corpus/cdtext/two-blocks.cdt"));
    CFuzzScratch::Check(cdText.open(QIODevice::ReadOnly), "the CD-Text seed is missing");
    scratch.Write(QStringLiteral("disc.cdt"), cdText.readAll());
    QDir(scratch.Path(QString())).mkpath(QStringLiteral("sub"));
    scratch.Write(QStringLiteral("sub/track.bin"), Audio(2));
}

const CDiscFolder& CDiscFolder::Get() {
    static const CDiscFolder folder;
    return folder;
}

void CDiscFolder::OpenAndRead(const QString& name, const QByteArray& bytes) const {
    OpenAndReadPath(CFuzzScratch::Get().Write(name, bytes));
}

void CDiscFolder::OpenAndReadPath(const QString& path) {
    QString error;
    const std::unique_ptr<CDiscReader> reader = CDiscReader::Open(path, &error);
    if (!reader) {
        CFuzzScratch::Check(!error.isEmpty(), "a disc refused without a reason");
        return;
    }
    const DiscInfo& info = reader->Info();
    CFuzzScratch::Check(!info.tracks.isEmpty() && info.tracks.size() <= 99,
                        "a disc of no or too many tracks");
    int previousEnd = 0;
    for (const DiscTrack& track : info.tracks) {
        CFuzzScratch::Check(track.firstSector >= previousEnd && track.sectorCount >= 0,
                            "tracks that overlap or run backwards");
        previousEnd = track.firstSector + track.sectorCount;
        if (!track.audio) {
            continue;
        }
        for (const int first : {track.firstSector, previousEnd - kMaxReadSectors}) {
            const int count = qMin(kMaxReadSectors, track.sectorCount);
            if (first < track.firstSector || count <= 0) {
                continue;
            }
            QByteArray pcm;
            if (reader->ReadSectors(first, count, &pcm)) {
                CFuzzScratch::Check(pcm.size() == qsizetype(count) * kSectorBytes,
                                    "a read of the wrong length");
            } else {
                CFuzzScratch::Check(!reader->LastReadError().isEmpty(), "a read failed without a reason");
            }
        }
    }
    // Beyond the disc: refused, never read.
    QByteArray pcm;
    CFuzzScratch::Check(!reader->ReadSectors(previousEnd, 1, &pcm), "a read past the last track");
}
