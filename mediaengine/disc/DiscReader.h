#pragma once
// Reads the table of contents, album data and audio of one disc: a disc image or a physical drive.

#include "mediaengine/disc/DiscInfo.h"

#include <QByteArray>
#include <QString>
#include <memory>

class CDiscReader {
public:
    // Opens an image (a CUE sheet, a cdrdao .toc file or a Nero .nrg image) or a device node. Null
    // with a reason naming the user's file when it cannot be read.
    static std::unique_ptr<CDiscReader> Open(const QString& source, QString* error);
    virtual ~CDiscReader() = default;

    virtual const DiscInfo& Info() const = 0;
    // Reads `count` audio sectors from `firstSector` (2352 bytes each, 16-bit little-endian stereo).
    // False on an unreadable sector that error correction could not recover.
    virtual bool ReadSectors(int firstSector, int count, QByteArray* pcm) = 0;
    // Why the last ReadSectors failed; empty after a successful read.
    virtual QString LastReadError() const { return QString(); }

    // Text that identifies a disc by its layout: track count, each track's start and the lead-out,
    // as hexadecimal addresses (logical sector + 150), joined by "+".
    static QString TocText(const QList<DiscTrack>& tracks, int leadOutSector);

protected:
    // True when every sector of the range lies in an audio track of `info`.
    static bool CoversOnlyAudio(const DiscInfo& info, int firstSector, int count);
    // Empty when a read of the range may go ahead, else the reason it may not.
    static QString RangeError(const DiscInfo& info, int firstSector, int count);
};
