#pragma once
// A CUE sheet as the tools people use write it: one file for the disc or one per track (raw BIN,
// WAV or FLAC), pregaps as INDEX 00 or PREGAP/POSTGAP, text in UTF-8 (with or without a byte order
// mark), Shift_JIS or Latin-1, file names written on Windows. Load checks everything that can be
// checked without the audio and names the sheet's line of every fault, so a sheet that cannot be
// used is refused before anything is read.

#include "mediaengine/disc/DiscInfo.h"

#include <QByteArray>
#include <QList>
#include <QString>

class CCueSheet {
public:
    enum class FileType { Binary, Motorola, Wave, Flac };

    struct File {
        QString name; // as the sheet writes it
        QString path; // host path it was found at
        FileType type = FileType::Binary;
        int line = 0;
    };
    struct Index {
        int number = 0;
        int file = 0;   // into Files()
        int offset = 0; // sectors from the start of that file
        int line = 0;
    };
    struct Track {
        int number = 0;
        bool audio = true;
        int sectorBytes = 2352; // as the file stores the track's sectors
        int line = 0;
        int pregap = 0;  // PREGAP: silence before INDEX 01 that no file holds
        int postgap = 0; // POSTGAP: silence after the track that no file holds
        QList<Index> indexes;
        QString title;
        QString performer;
    };

    // False with a reason naming the sheet (as `cuePath` gives it) and the line.
    bool Load(const QString& cuePath, QString* error);

    // The sheet as the user named it, for messages.
    QString UserPath() const { return m_userPath; }
    QString CuePath() const { return m_cuePath; }
    const QList<File>& Files() const { return m_files; }
    const QList<Track>& Tracks() const { return m_tracks; }
    int TrackCount() const { return static_cast<int>(m_tracks.size()); }
    QString Album() const { return m_album; }
    QString Performer() const { return m_performer; }
    // Host path of the binary CD-Text file (CDTEXTFILE), empty when there is none.
    QString CdTextPath() const { return m_cdTextPath; }
    int CdTextLine() const { return m_cdTextLine; }
    // The sheet's bytes without a byte order mark: what libcdio can parse.
    QByteArray Text() const { return m_text; }

    // A single raw image without generated gaps or CD-Text file, which libcdio reads as it is.
    bool IsSingleRawImage() const;
    // Host path and byte order of that image.
    QString BinPath() const { return m_files.isEmpty() ? QString() : m_files.first().path; }
    bool BigEndian() const { return !m_files.isEmpty() && m_files.first().type == FileType::Motorola; }

    // The sheet's TITLE and PERFORMER lines over what `info` holds; an absent line leaves its field.
    void ApplyText(DiscInfo* info) const;

    // "<sheet>:<line>: <what>" for messages about a line.
    QString At(int line, const QString& what) const;

    // Finds `name` as a sheet's author meant it: relative to `folder`, with Windows separators, and
    // letter case ignored when the exact name is missing. Empty when nothing matches.
    static QString ResolveName(const QString& folder, const QString& name);

private:
    bool ParseLine(const QList<QByteArray>& tokens, int line, QString* error);
    QString Decode(const QByteArray& bytes) const;

    QString m_userPath;
    QString m_cuePath;
    QByteArray m_text;
    enum class Charset { Utf8, Cp932, PerString } m_charset = Charset::Utf8;
    QList<File> m_files;
    QList<Track> m_tracks;
    QString m_album;
    QString m_performer;
    QString m_cdTextPath;
    int m_cdTextLine = 0;
};
