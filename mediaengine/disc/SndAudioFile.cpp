#include "mediaengine/disc/SndAudioFile.h"

#include <QFile>
#include <QtEndian>
#include <cstring>
#include <sndfile.h>
#include <vector>

namespace {
constexpr int kFramesPerSector = 588; // 2352 bytes of 16-bit stereo
constexpr int kFrameBytes = 4;
} // namespace

CSndAudioFile::CSndAudioFile(const QString& path, const QString& userName)
    : m_path(path), m_userName(userName) {}

CSndAudioFile::~CSndAudioFile() {
    if (m_file != nullptr) {
        sf_close(m_file);
    }
}

bool CSndAudioFile::Open(QString* error) {
    SF_INFO info;
    std::memset(&info, 0, sizeof(info));
    m_file = sf_open(QFile::encodeName(m_path).constData(), SFM_READ, &info);
    if (m_file == nullptr) {
        *error = QStringLiteral("%1 is not a WAV or FLAC file that can be read (%2)")
                     .arg(m_userName, QString::fromLocal8Bit(sf_strerror(nullptr)));
        return false;
    }
    const int major = info.format & SF_FORMAT_TYPEMASK;
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX && major != SF_FORMAT_FLAC) {
        *error = QStringLiteral("%1 is neither a WAV nor a FLAC file").arg(m_userName);
        return false;
    }
    // Anything else would need resampling or mixing, and a disc image holds CD audio exactly.
    if (info.samplerate != 44100 || info.channels != 2 || subtype != SF_FORMAT_PCM_16) {
        *error = QStringLiteral("%1 is not CD audio (%2 Hz, %3 channels%4); a disc image needs "
                                "44100 Hz, 2 channels, 16-bit")
                     .arg(m_userName)
                     .arg(info.samplerate)
                     .arg(info.channels)
                     .arg(subtype == SF_FORMAT_PCM_16 ? QStringLiteral(", 16-bit")
                                                      : QStringLiteral(", not 16-bit"));
        return false;
    }
    m_frames = info.frames;
    if (m_frames <= 0) {
        *error = QStringLiteral("%1 holds no audio").arg(m_userName);
        return false;
    }
    m_sectors = (m_frames + kFramesPerSector - 1) / kFramesPerSector;
    // A file cut short still announces its full length; its end shows it before anything is ripped.
    std::vector<char> tail(kFramesPerSector * kFrameBytes);
    const qint64 last = qMax<qint64>(0, m_frames - kFramesPerSector);
    if (!ReadFrames(last, m_frames - last, tail.data(), error)) {
        *error = QStringLiteral("%1 is truncated or damaged: its end cannot be decoded").arg(m_userName);
        return false;
    }
    return true;
}

bool CSndAudioFile::ReadSectors(qint64 first, int count, char* out, QString* error) {
    if (first < 0 || count < 0 || first + count > m_sectors) {
        *error = QStringLiteral("%1 has no sector %2").arg(m_userName).arg(first + count - 1);
        return false;
    }
    return ReadFrames(first * kFramesPerSector, qint64(count) * kFramesPerSector, out, error);
}

bool CSndAudioFile::ReadFrames(qint64 frame, qint64 frames, char* out, QString* error) {
    const qint64 inFile = qBound<qint64>(0, m_frames - frame, frames);
    if (inFile > 0) {
        if (frame != m_position && sf_seek(m_file, frame, SEEK_SET) != frame) {
            m_position = -1;
            *error = QStringLiteral("%1 cannot be decoded at %2 s")
                         .arg(m_userName)
                         .arg(frame / 44100.0, 0, 'f', 2);
            return false;
        }
        auto* samples = reinterpret_cast<short*>(out);
        const sf_count_t read = sf_readf_short(m_file, samples, inFile);
        if (read != inFile) {
            m_position = -1;
            *error = QStringLiteral("%1 cannot be decoded at %2 s")
                         .arg(m_userName)
                         .arg((frame + qMax<sf_count_t>(read, 0)) / 44100.0, 0, 'f', 2);
            return false;
        }
        m_position = frame + inFile;
        qToLittleEndian<qint16>(samples, inFile * 2, samples);
    }
    std::memset(out + inFile * kFrameBytes, 0, static_cast<size_t>((frames - inFile) * kFrameBytes));
    return true;
}
