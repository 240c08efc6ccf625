#pragma once
// A WAV or FLAC file of CD audio (44.1 kHz, 16-bit, stereo), decoded through libsndfile.

#include "mediaengine/disc/ImageAudioFile.h"

typedef struct sf_private_tag SNDFILE;

class CSndAudioFile final : public CImageAudioFile {
public:
    CSndAudioFile(const QString& path, const QString& userName);
    ~CSndAudioFile() override;
    CSndAudioFile(const CSndAudioFile&) = delete;
    CSndAudioFile& operator=(const CSndAudioFile&) = delete;
    bool Open(QString* error);

    qint64 Sectors() const override { return m_sectors; }
    bool ReadSectors(qint64 first, int count, char* out, QString* error) override;
    qint64 Frames() const override { return m_frames; }
    // Silence past the file's end.
    bool ReadFrames(qint64 frame, qint64 frames, char* out, QString* error) override;

private:
    QString m_path;
    QString m_userName;
    SNDFILE* m_file = nullptr;
    qint64 m_frames = 0;
    qint64 m_sectors = 0;
    qint64 m_position = -1; // where the decoder stands, so sequential reads need no seek
};
