#pragma once
// What the engine knows of a disc in a drive: its table of contents and the album data it carries
// (CD-Text or CUE TITLE/PERFORMER), already decoded to Unicode.

#include <QList>
#include <QString>

struct DiscTrack {
    int number = 0;      // 1..99, as on the disc
    bool audio = true;   // a data track is listed but never ripped
    int firstSector = 0; // logical sector address of the track's start
    int sectorCount = 0; // 2352-byte audio frames, 75 per second
    QString title;       // empty when the disc carries none
    QString artist;      // empty when the disc carries none
    double Seconds() const { return sectorCount / 75.0; }
};

struct DiscInfo {
    QString album;           // empty when the disc carries none
    QString artist;          // album artist; empty when the disc carries none
    QString toc;             // identifies the disc: same disc, same text
    QList<DiscTrack> tracks; // in disc order, data tracks included
};
