#pragma once
// A cdrdao TOC file as cdrdao writes and reads it: tracks composed of audio files (raw big-endian
// or WAV, whole or cut by start and length), data files, silence (SILENCE, ZERO, PREGAP) and a
// START that ends the pregap, with CD-Text. Load checks everything that can be checked without the
// audio and names the line of every fault.
//
// libcdio reads the plainest form as it reads a drive: every track one stretch of the same raw file,
// in disc order. For it the file names are made absolute, since libcdio opens them relative to the
// process's working folder (CCueSheet::ResolveName finds them as their author meant them). Every
// other form is laid out by CTocImageReader.

#include <QByteArray>
#include <QList>
#include <QString>

class CCdrdaoToc {
public:
    enum class SourceKind { Silence, AudioFile, DataFile };
    // One statement that adds to a track, in the track's units: stereo frames (samples) for an
    // audio track, bytes for a data track.
    struct Source {
        SourceKind kind = SourceKind::Silence;
        QString name; // as the TOC writes it
        QString path; // host path it was found at
        bool wave = false;
        qint64 headerBytes = 0; // "#offset": bytes before the first sample
        qint64 start = 0;       // audio files: the first frame taken
        qint64 length = -1;     // -1: up to the file's end
        int line = 0;
    };
    struct Track {
        int number = 0;
        int line = 0;
        bool audio = true;
        int blockBytes = 2352;      // one sector as the track's files hold it
        QList<Source> sources;      // concatenated in this order
        qint64 startSectors = -1;   // START mm:ss:ff: the pregap's length
        int startAfterSources = -1; // START without a time, or PREGAP: the pregap is what came before
        int startLine = 0;
        QString title;
        QString performer;
    };

    // False with a reason naming the TOC file and line.
    bool Load(const QString& tocPath, QString* error);

    QString UserPath() const { return m_userPath; }
    const QList<Track>& Tracks() const { return m_tracks; }
    QString Album() const { return m_album; }
    QString Performer() const { return m_performer; }
    // "<toc>:<line>: <what>" for messages about a line.
    QString At(int line, const QString& what) const;

    // True when libcdio reads the TOC as it is (see above).
    bool LibcdioReads() const;
    // The TOC with absolute file names, for libcdio.
    QByteArray Text() const { return m_text; }
    // Sectors of the last track's START pregap, 0 without one.
    int LastTrackPregap() const;

private:
    class Parser;
    // Where a source's file name stands in the TOC's bytes, between its quotation marks.
    struct NameSpan {
        qsizetype begin = 0;
        qsizetype end = 0;
        int track = 0;
        int source = 0;
    };
    bool Resolve(QString* error);

    QString m_userPath;
    QByteArray m_text;
    QList<Track> m_tracks;
    QString m_album;
    QString m_performer;
    QList<NameSpan> m_names;
};
