#pragma once
// The encoder stage of a rip: turns one track's samples, fed in order in pieces of any size, into a
// tagged MP3 file. The tag goes first, then LAME's frames; at the end the "Info" frame is completed
// and the file takes its final name. Nothing exists under that name before Finish succeeds.

#include "mediaengine/rip/Id3TagRenderer.h"
#include "mediaengine/rip/Mp3Encoder.h"
#include "mediaengine/rip/TrackFileWriter.h"

class CTrackEncoder {
public:
    bool Begin(const QString& targetFile, const TrackTags& tags, int bitsPerSecond, QString* error);
    // 16-bit little-endian stereo samples at 44.1 kHz.
    bool Feed(const QByteArray& pcm, QString* error);
    // Completes the file; `bytes` is its size.
    bool Finish(qint64* bytes, QString* error);
    // Gives up the track and deletes what was written.
    void Abort();

private:
    CMp3Encoder m_encoder;
    CTrackFileWriter m_writer;
    qint64 m_audioOffset = 0; // where the first MPEG frame starts, after the tag
    QByteArray m_mp3;
};
