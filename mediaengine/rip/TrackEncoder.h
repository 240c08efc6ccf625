#pragma once
// The encoder stage of a rip: turns one track's samples, fed in order in pieces of any size, into a
// tagged MP3 file. The tag goes first, then LAME's frames; at the end the "Info" frame is completed.
// The file takes its final name only at Commit, which may come later (tracks encoded side by side
// appear in disc order); nothing exists under that name before.

#include "mediaengine/rip/Id3TagRenderer.h"
#include "mediaengine/rip/Mp3Encoder.h"
#include "mediaengine/rip/TrackFileWriter.h"

class CTrackEncoder {
public:
    bool Begin(const QString& targetFile, const TrackTags& tags, int bitsPerSecond, QString* error);
    // 16-bit little-endian stereo samples at 44.1 kHz.
    bool Feed(const QByteArray& pcm, QString* error);
    // Completes the file's content; `bytes` is its size.
    bool Finish(qint64* bytes, QString* error);
    // Puts the finished file under its final name, or the next free one when that is taken.
    bool Commit(QString* error);
    QString FinalPath() const { return m_writer.FinalPath(); }
    // Gives up the track and deletes what was written.
    void Abort();

private:
    CMp3Encoder m_encoder;
    CTrackFileWriter m_writer;
    qint64 m_audioOffset = 0; // where the first MPEG frame starts, after the tag
    QByteArray m_mp3;
};
