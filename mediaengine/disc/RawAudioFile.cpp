#include "mediaengine/disc/RawAudioFile.h"

#include <utility>

namespace {
constexpr int kSectorBytes = 2352;
}

CRawAudioFile::CRawAudioFile(const QString& path, bool bigEndian, const QString& userName)
    : m_file(path), m_bigEndian(bigEndian), m_userName(userName) {}

bool CRawAudioFile::Open(QString* error) {
    if (!m_file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(m_userName, m_file.errorString());
        return false;
    }
    m_sectors = m_file.size() / kSectorBytes;
    if (m_sectors == 0) {
        *error = QStringLiteral("%1 is shorter than one sector").arg(m_userName);
        return false;
    }
    return true;
}

bool CRawAudioFile::ReadSectors(qint64 first, int count, char* out, QString* error) {
    const qint64 bytes = qint64(count) * kSectorBytes;
    if (first < 0 || first + count > m_sectors || !m_file.seek(first * kSectorBytes) ||
        m_file.read(out, bytes) != bytes) {
        *error = QStringLiteral("%1 cannot be read at sector %2").arg(m_userName).arg(first);
        return false;
    }
    if (m_bigEndian) {
        for (qint64 i = 0; i + 1 < bytes; i += 2) {
            std::swap(out[i], out[i + 1]);
        }
    }
    return true;
}
