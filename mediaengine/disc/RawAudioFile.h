#pragma once
// The sectors of a raw BIN image, little-endian ("BINARY") or big-endian ("MOTOROLA"), after a
// header of `headerBytes` that is no audio (cdrdao's "#offset").

#include "mediaengine/disc/ImageAudioFile.h"

#include <QFile>

class CRawAudioFile final : public CImageAudioFile {
public:
    CRawAudioFile(const QString& path, bool bigEndian, const QString& userName, qint64 headerBytes = 0);
    bool Open(QString* error);

    qint64 Sectors() const override { return m_sectors; }
    bool ReadSectors(qint64 first, int count, char* out, QString* error) override;
    qint64 Frames() const override { return m_frames; }
    bool ReadFrames(qint64 first, qint64 count, char* out, QString* error) override;

private:
    QFile m_file;
    bool m_bigEndian;
    QString m_userName;
    qint64 m_headerBytes;
    qint64 m_frames = 0;
    qint64 m_sectors = 0;
};
