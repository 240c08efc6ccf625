#pragma once
// What the engine shows of the disc in one CD drive: the playlist name, the TOC and, per audio
// track, its attributes as the program reads and writes them ("Title", "Status",
// "SelectedForRip"...). A new disc (or an empty drive) gets a new record; objects handed out for
// the old one keep answering from it.

#include "mediaengine/disc/DiscInfo.h"

#include <QChar>
#include <QMap>
#include <QString>
#include <memory>
#include <vector>

struct CdTrackState {
    int discNumber = 0; // the track's number on the disc
    double seconds = 0;
    // Lower-case attribute name -> value.
    QMap<QString, QString> attributes;
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

    int TrackCount() const { return int(m_tracks.size()); }
    // Position (0-based) of a disc track number; -1 when it is not an audio track of this disc.
    int PositionOf(int discNumber) const;
    const CdTrackState& Track(int position) const { return m_tracks[std::size_t(position)]; }
    QString Attribute(int position, const QString& name) const;
    void SetAttribute(int position, const QString& name, const QString& value);

private:
    QChar m_letter;
    bool m_hasDisc = false;
    QString m_source;
    DiscInfo m_info;
    QString m_name;
    std::vector<CdTrackState> m_tracks;
};
