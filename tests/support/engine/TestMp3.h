#pragma once
// Real MP3 files for the library tests, and an independent look at what a file holds.

#include <QString>

struct Mp3Facts {
    int bitrateKbps = 0; // of the first frame header
    int lengthMs = 0;    // as TagLib reads it: the encoder's delay and padding included
    QString title;
    QString artist;
    QString album;
    QString albumArtist;
    QString track;
    QString Txxx(const QString& description) const;
    QString path;
};

class CTestMp3 {
public:
    // A CBR MP3 of a tone, `seconds` long, with an ID3v2 tag of the given title, album and track.
    static bool Write(const QString& hostPath, double seconds, int kbps, const QString& title,
                      const QString& album = QString(), int track = 0, const QString& toc = QString());
    // What TagLib reads in the file.
    static Mp3Facts Read(const QString& hostPath);
};
