#pragma once
// Reads the table of contents, album data and audio of one disc: a CUE/BIN image or a physical
// drive, through libcdio and libcdio-paranoia on one code path.

#include "mediaengine/disc/DiscInfo.h"

#include <QByteArray>
#include <QString>
#include <memory>

class CDiscReader {
public:
    // Opens an image (path of a .cue) or a device node. Null with a reason when it cannot be read.
    static std::unique_ptr<CDiscReader> Open(const QString& source, QString* error);
    virtual ~CDiscReader() = default;

    virtual const DiscInfo& Info() const = 0;
    // Reads `count` audio sectors from `firstSector` (2352 bytes each, 16-bit little-endian stereo).
    // False on an unreadable sector that error correction could not recover.
    virtual bool ReadSectors(int firstSector, int count, QByteArray* pcm) = 0;
    // Why the last ReadSectors failed; empty after a successful read.
    virtual QString LastReadError() const { return QString(); }
};
