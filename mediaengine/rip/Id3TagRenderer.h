#pragma once
// The ID3v2 tag of a ripped track, rendered by TagLib so it can be written in front of the audio as
// the file is made. ID3v2.3 with UTF-16 text: the version every player on Windows reads, with
// Japanese text intact.

#include <QByteArray>
#include <QString>

struct TrackTags {
    QString title;
    QString artist;
    QString album;
    QString albumArtist;
    int trackNumber = 0;
    // The disc's identity ("TOC" user text), so a player finds the disc of a file added later.
    QString toc;
};

class CId3TagRenderer {
public:
    // The whole tag (header, frames, padding); empty fields are left out.
    static QByteArray Render(const TrackTags& tags);
};
