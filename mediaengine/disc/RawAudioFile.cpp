#include "mediaengine/disc/RawAudioFile.h"

#include <utility>

namespace {
constexpr int kSectorBytes = 2352;
constexpr int kFrameBytes = 4;
constexpr int kFramesPerSector = kSectorBytes / kFrameBytes;
} // namespace

CRawAudioFile::CRawAudioFile(const QString& path, bool bigEndian, const QString& userName, qint64 headerBytes)
    : m_file(path), m_bigEndian(bigEndian), m_userName(userName), m_headerBytes(headerBytes) {}

bool CRawAudioFile::Open(QString* error) {
    if (!m_file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(m_userName, m_file.errorString());
        return false;
    }
    m_frames = qMax<qint64>(0, m_file.size() - m_headerBytes) / kFrameBytes;
    m_sectors = m_frames / kFramesPerSector;
    if (m_sectors == 0) {
        *error = QStringLiteral("%1 is shorter than one sector").arg(m_userName);
        return false;
    }
    return true;
}

bool CRawAudioFile::ReadSectors(qint64 first, int count, char* out, QString* error) {
    if (first < 0 || count < 0 || first + count > m_sectors) {
        *error = QStringLiteral("%1 cannot be read at sector %2").arg(m_userName).arg(first);
        return false;
    }
    return ReadFrames(first * kFramesPerSector, qint64(count) * kFramesPerSector, out, error);
}

bool CRawAudioFile::ReadFrames(qint64 first, qint64 count, char* out, QString* error) {
    const qint64 bytes = count * kFrameBytes;
    if (first < 0 || count < 0 || first + count > m_frames ||
        !m_file.seek(m_headerBytes + first * kFrameBytes) || m_file.read(out, bytes) != bytes) {
        *error =
            QStringLiteral("%1 cannot be read at sector %2").arg(m_userName).arg(first / kFramesPerSector);
        return false;
    }
    if (m_bigEndian) {
        for (qint64 i = 0; i + 1 < bytes; i += 2) {
            std::swap(out[i], out[i + 1]);
        }
    }
    return true;
}
