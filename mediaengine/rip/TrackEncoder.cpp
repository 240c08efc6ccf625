#include "mediaengine/rip/TrackEncoder.h"

bool CTrackEncoder::Begin(const QString& targetFile, const TrackTags& tags, int bitsPerSecond,
                          QString* error) {
    if (!m_encoder.Init(bitsPerSecond, error) || !m_writer.Open(targetFile, error)) {
        return false;
    }
    const QByteArray tag = CId3TagRenderer::Render(tags);
    if (!m_writer.Write(tag, error)) {
        Abort();
        return false;
    }
    m_audioOffset = tag.size();
    return true;
}

bool CTrackEncoder::Feed(const QByteArray& pcm, QString* error) {
    m_mp3.clear();
    if (!m_encoder.Encode(pcm, &m_mp3, error) || !m_writer.Write(m_mp3, error)) {
        Abort();
        return false;
    }
    return true;
}

bool CTrackEncoder::Finish(qint64* bytes, QString* error) {
    m_mp3.clear();
    if (!m_encoder.Flush(&m_mp3, error) || !m_writer.Write(m_mp3, error)) {
        Abort();
        return false;
    }
    const QByteArray info = m_encoder.InfoFrame();
    if (!info.isEmpty() && !m_writer.WriteAt(m_audioOffset, info, error)) {
        Abort();
        return false;
    }
    // Flushed here, on the encoder's thread, so the commit that follows in disc order is quick.
    if (!m_writer.Flush(error)) {
        return false;
    }
    *bytes = m_writer.Size();
    return true;
}

bool CTrackEncoder::Commit(QString* error) {
    return m_writer.Commit(error);
}

void CTrackEncoder::Abort() {
    m_writer.Discard();
}
