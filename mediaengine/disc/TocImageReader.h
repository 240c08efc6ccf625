#pragma once
// A cdrdao TOC file that libcdio cannot read as it is: silence (SILENCE, ZERO, PREGAP), audio named
// by DATAFILE, WAV files, several files, cuts of a file by samples, a header skipped by "#offset",
// data tracks before audio. Each track is its statements' audio end to end, padded to whole sectors
// as cdrdao pads it, and the tracks follow one another from the start of the disc.

#include "mediaengine/disc/CdrdaoToc.h"
#include "mediaengine/disc/DiscReader.h"
#include "mediaengine/disc/ImageAudioFile.h"

#include <QMap>
#include <memory>
#include <vector>

class CTocImageReader final : public CDiscReader {
public:
    static std::unique_ptr<CDiscReader> Open(const CCdrdaoToc& toc, QString* error);

    const DiscInfo& Info() const override { return m_info; }
    bool ReadSectors(int firstSector, int count, QByteArray* pcm) override;
    QString LastReadError() const override { return m_readError; }

private:
    // Frames of one file on the disc; what no segment covers is silence.
    struct Segment {
        qint64 discFrame = 0;
        qint64 frames = 0;
        int file = 0;
        qint64 fileFrame = 0;
    };

    CTocImageReader() = default;
    bool Lay(const CCdrdaoToc& toc, QString* error);
    // The frames of an audio source's file, opened once per file and header; -1 with a reason.
    int OpenFile(const CCdrdaoToc& toc, const CCdrdaoToc::Source& source, QString* error);
    // The source's length in the track's units; -1 with a reason when the file does not hold it.
    qint64 SourceLength(const CCdrdaoToc& toc, const CCdrdaoToc::Track& track,
                        const CCdrdaoToc::Source& source, int* file, QString* error);

    std::vector<std::unique_ptr<CImageAudioFile>> m_files;
    QMap<QPair<QString, qint64>, int> m_fileIndex; // (path, header bytes) to m_files
    std::vector<Segment> m_segments;
    DiscInfo m_info;
    QString m_readError;
};
