#pragma once
// The sectors of a raw BIN image, little-endian ("BINARY") or big-endian ("MOTOROLA").

#include "mediaengine/disc/ImageAudioFile.h"

#include <QFile>

class CRawAudioFile final : public CImageAudioFile {
public:
    CRawAudioFile(const QString& path, bool bigEndian, const QString& userName);
    bool Open(QString* error);

    qint64 Sectors() const override { return m_sectors; }
    bool ReadSectors(qint64 first, int count, char* out, QString* error) override;

private:
    QFile m_file;
    bool m_bigEndian;
    QString m_userName;
    qint64 m_sectors = 0;
};
