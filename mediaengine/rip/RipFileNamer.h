#pragma once
// Where a rip puts each track: <record folder>/<artist>/<album>/<file name>.mp3, the file name made
// of the fields the preferences mark with "*" (in their order) joined by the separator. Every name is
// made safe for FAT and Windows and for this host's file system, keeping Japanese text.

#include "mediaengine/rip/RipRequest.h"

#include <QMap>

class CRipFileNamer {
public:
    CRipFileNamer(RipPreferences preferences, DiscInfo disc);

    // Folder names a media player uses when the disc carries no artist or album.
    static QString UnknownArtist();
    static QString UnknownAlbum();
    // `text` as one path component: reserved characters \ / : * ? " < > | and control characters
    // become "_", leading blanks and trailing dots and blanks go, reserved device names (CON, NUL,
    // COM1...) get a "_" appended, and the name is cut to `maxUnits` UTF-16 code units and
    // `maxBytes` UTF-8 bytes without splitting a character. Empty when nothing usable is left.
    static QString SafeName(const QString& text, int maxUnits = 255, int maxBytes = 255);

    QString ArtistFolder() const;
    QString AlbumFolder() const;
    // The file name of a track without its extension, before shortening to the path budget.
    QString FileStem(int track) const;
    // Host paths of the files of `tracks`, unique among them even where case is ignored, each whole
    // path within MAX_PATH as the program sees it.
    QMap<int, QString> TargetFiles(const QList<int>& tracks) const;

private:
    const DiscTrack* Track(int number) const;
    QString FieldValue(const QString& field, int number) const;

    RipPreferences m_preferences;
    DiscInfo m_disc;
};
