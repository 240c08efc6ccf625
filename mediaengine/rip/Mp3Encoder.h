#pragma once
// LAME at a constant bit rate, 44.1 kHz stereo, from 16-bit little-endian interleaved samples. The
// first frame of the stream is LAME's "Info" frame, which decoders use for the exact length; its
// content is known only at the end and is written over the placeholder then.

#include <QByteArray>
#include <QString>

struct lame_global_struct;

class CMp3Encoder {
public:
    CMp3Encoder() = default;
    ~CMp3Encoder();
    CMp3Encoder(const CMp3Encoder&) = delete;
    CMp3Encoder& operator=(const CMp3Encoder&) = delete;

    // The MPEG-1 layer III rate (kbit/s) nearest to a preference in bits per second; 128 for
    // nonsense.
    static int NearestKbps(int bitsPerSecond);

    bool Init(int bitsPerSecond, QString* error);
    int Kbps() const { return m_kbps; }
    // Appends the frames that `pcm` completes to `mp3`.
    bool Encode(const QByteArray& pcm, QByteArray* mp3, QString* error);
    // Appends the last frames.
    bool Flush(QByteArray* mp3, QString* error);
    // The final "Info" frame, to be written over the first frame of the stream.
    QByteArray InfoFrame() const;

private:
    lame_global_struct* m_lame = nullptr;
    int m_kbps = 0;
};
