#pragma once
// One audio file of a disc image, read as whole 2352-byte sectors of 16-bit little-endian stereo:
// a raw BIN (either byte order) or a WAV or FLAC file of CD audio.

#include "mediaengine/disc/CueSheet.h"

#include <QString>
#include <memory>

class CImageAudioFile {
public:
    // Null with a reason naming `userName` when the file is no CD audio of `type`.
    static std::unique_ptr<CImageAudioFile> Open(const QString& path, CCueSheet::FileType type,
                                                 const QString& userName, QString* error);
    virtual ~CImageAudioFile() = default;

    // Whole sectors; a last partial sector of a WAV or FLAC file counts, padded with silence.
    virtual qint64 Sectors() const = 0;
    // Reads `count` sectors from `first` into `out` (count * 2352 bytes). False with a reason.
    virtual bool ReadSectors(qint64 first, int count, char* out, QString* error) = 0;
    // Stereo frames of 4 bytes (samples, as cdrdao counts them), for layouts that are not cut at
    // sector boundaries.
    virtual qint64 Frames() const = 0;
    // Reads `count` frames from `first` into `out` (count * 4 bytes), little-endian. False with a
    // reason.
    virtual bool ReadFrames(qint64 first, qint64 count, char* out, QString* error) = 0;
};
