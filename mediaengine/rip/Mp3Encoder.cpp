#include "mediaengine/rip/Mp3Encoder.h"

#include <QSysInfo>
#include <QtEndian>
#include <lame/lame.h>

namespace {

constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;
constexpr int kFrameBytes = kChannels * 2;
constexpr int kQuality = 3; // LAME's own default for its command line: good, and fast enough

} // namespace

CMp3Encoder::~CMp3Encoder() {
    if (m_lame != nullptr) {
        lame_close(m_lame);
    }
}

int CMp3Encoder::NearestKbps(int bitsPerSecond) {
    static const int rates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    if (bitsPerSecond <= 0) {
        return 128;
    }
    const double kbps = bitsPerSecond / 1000.0;
    int best = rates[0];
    for (const int rate : rates) {
        if (qAbs(rate - kbps) < qAbs(best - kbps)) {
            best = rate;
        }
    }
    return best;
}

bool CMp3Encoder::Init(int bitsPerSecond, QString* error) {
    m_lame = lame_init();
    if (m_lame == nullptr) {
        *error = QStringLiteral("the MP3 encoder cannot start");
        return false;
    }
    m_kbps = NearestKbps(bitsPerSecond);
    lame_set_in_samplerate(m_lame, kSampleRate);
    lame_set_out_samplerate(m_lame, kSampleRate);
    lame_set_num_channels(m_lame, kChannels);
    lame_set_mode(m_lame, JOINT_STEREO);
    lame_set_VBR(m_lame, vbr_off);
    lame_set_brate(m_lame, m_kbps);
    lame_set_quality(m_lame, kQuality);
    lame_set_bWriteVbrTag(m_lame, 1);
    lame_set_write_id3tag_automatic(m_lame, 0); // the tag is ours, written by TagLib
    if (lame_init_params(m_lame) < 0) {
        *error = QStringLiteral("the MP3 encoder rejects %1 kbit/s").arg(m_kbps);
        return false;
    }
    return true;
}

bool CMp3Encoder::Encode(const QByteArray& pcm, QByteArray* mp3, QString* error) {
    const int frames = static_cast<int>(pcm.size() / kFrameBytes);
    if (frames == 0) {
        return true;
    }
    QByteArray samples = pcm;
    if constexpr (QSysInfo::ByteOrder == QSysInfo::BigEndian) {
        qFromLittleEndian<int16_t>(pcm.constData(), frames * kChannels, samples.data());
    }
    // LAME's documented worst case: 1.25 times the samples plus 7200 bytes.
    const int capacity = frames + frames / 4 + 7200;
    const qsizetype before = mp3->size();
    mp3->resize(before + capacity);
    const int written =
        lame_encode_buffer_interleaved(m_lame, reinterpret_cast<short*>(samples.data()), frames,
                                       reinterpret_cast<unsigned char*>(mp3->data() + before), capacity);
    if (written < 0) {
        mp3->resize(before);
        *error = QStringLiteral("the MP3 encoder failed (%1)").arg(written);
        return false;
    }
    mp3->resize(before + written);
    return true;
}

bool CMp3Encoder::Flush(QByteArray* mp3, QString* error) {
    constexpr int capacity = 7200;
    const qsizetype before = mp3->size();
    mp3->resize(before + capacity);
    const int written =
        lame_encode_flush(m_lame, reinterpret_cast<unsigned char*>(mp3->data() + before), capacity);
    if (written < 0) {
        mp3->resize(before);
        *error = QStringLiteral("the MP3 encoder failed to finish (%1)").arg(written);
        return false;
    }
    mp3->resize(before + written);
    return true;
}

QByteArray CMp3Encoder::InfoFrame() const {
    QByteArray frame(4096, '\0');
    const size_t size = lame_get_lametag_frame(m_lame, reinterpret_cast<unsigned char*>(frame.data()),
                                               static_cast<size_t>(frame.size()));
    frame.resize(size <= static_cast<size_t>(frame.size()) ? static_cast<qsizetype>(size) : 0);
    return frame;
}
