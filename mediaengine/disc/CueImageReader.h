#pragma once
// A CUE sheet that libcdio cannot read as it is: several files, WAV or FLAC audio, PREGAP and
// POSTGAP silence, a binary CD-Text file. The sheet's files and gaps are laid end to end into one
// disc, with the table of contents a burner would have written from the sheet.

#include "mediaengine/disc/CueSheet.h"
#include "mediaengine/disc/DiscReader.h"
#include "mediaengine/disc/ImageAudioFile.h"

#include <memory>
#include <vector>

class CCueImageReader final : public CDiscReader {
public:
    static std::unique_ptr<CDiscReader> Open(const CCueSheet& sheet, QString* error);

    const DiscInfo& Info() const override { return m_info; }
    bool ReadSectors(int firstSector, int count, QByteArray* pcm) override;
    QString LastReadError() const override { return m_readError; }

private:
    // A stretch of the disc: sectors of one file, or silence no file holds (file -1).
    struct Segment {
        int discStart = 0;
        int length = 0;
        int file = -1;
        qint64 fileOffset = 0;
    };

    CCueImageReader() = default;
    bool Lay(const CCueSheet& sheet, QString* error);
    bool LoadCdText(const CCueSheet& sheet, QString* error);

    std::vector<std::unique_ptr<CImageAudioFile>> m_files;
    std::vector<Segment> m_segments;
    DiscInfo m_info;
    QString m_readError;
};
