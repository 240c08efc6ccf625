#pragma once
// What the engine shows of the disc in one CD drive: the playlist name, the TOC and, per audio
// track, its attributes as the program reads and writes them ("Title", "Status",
// "SelectedForRip"...). A new disc (or an empty drive) gets a new record; objects handed out for
// the old one keep answering from it.

#include "mediaengine/disc/DiscInfo.h"
#include "mediaengine/lookup/DiscNames.h"

#include <QChar>
#include <QMap>
#include <QSet>
#include <QString>
#include <memory>
#include <vector>

struct CdTrackState {
    int discNumber = 0; // the track's number on the disc
    double seconds = 0;
    // Lower-case attribute name -> value.
    QMap<QString, QString> attributes;
    // Lower-case names of the attributes the program wrote: a lookup never overwrites them.
    QSet<QString> written;
};

class CCdDisc {
public:
    // A drive without a readable disc: no tracks, named "ドライブにディスクがありません".
    static std::shared_ptr<CCdDisc> Empty(QChar letter);
    // The audio tracks of info, in disc order; data tracks are left out.
    static std::shared_ptr<CCdDisc> FromInfo(QChar letter, const QString& source, const DiscInfo& info);

    QChar Letter() const { return m_letter; }
    bool HasDisc() const { return m_hasDisc; }
    QString Source() const { return m_source; }
    const DiscInfo& Info() const { return m_info; }
    QString Toc() const { return m_info.toc; }
    QString Name() const { return m_name; }
    void SetName(const QString& name) { m_name = name; }
    // The album and its artist: the disc's own, else what a lookup found.
    QString Album() const { return m_info.album.isEmpty() ? m_foundAlbum : m_info.album; }
    QString AlbumArtist() const { return m_info.artist.isEmpty() ? m_foundArtist : m_info.artist; }

    int TrackCount() const { return int(m_tracks.size()); }
    // Position (0-based) of a disc track number; -1 when it is not an audio track of this disc.
    int PositionOf(int discNumber) const;
    const CdTrackState& Track(int position) const { return m_tracks[std::size_t(position)]; }
    QString Attribute(int position, const QString& name) const;
    void SetAttribute(int position, const QString& name, const QString& value);

    // What the program writes (a track renamed in the list, the album named in the dialog, the
    // tags it sets before a rip) is marked, so that names found later never overwrite it.
    void MarkWritten(int position, const QString& name);
    // The program names the album: a name a lookup gave it goes from the tracks too, so the disc
    // is as if no lookup had named it, and stays so.
    void NameAlbum(const QString& name);
    // A rip of this disc has started: from then on its names stay as they are.
    void MarkRipStarted() { m_ripStarted = true; }
    bool RipStarted() const { return m_ripStarted; }
    // Fills what neither the disc (CD-Text, the sheet) nor the program named with names a lookup
    // found: album, album artist, and each track's title and artist; track numbers, lengths and
    // the TOC stay. False when nothing changed, or the names are for another number of tracks.
    bool ApplyNames(const DiscNames& names);

private:
    QChar m_letter;
    bool m_hasDisc = false;
    QString m_source;
    DiscInfo m_info;
    QString m_name;
    QString m_foundAlbum;
    QString m_foundArtist;
    bool m_albumNamed = false;
    bool m_ripStarted = false;
    std::vector<CdTrackState> m_tracks;
};
