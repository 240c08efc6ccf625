#include "mediaengine/cd/CdDisc.h"

#include "mediaengine/core/EngineText.h"

std::shared_ptr<CCdDisc> CCdDisc::Empty(QChar letter) {
    auto disc = std::make_shared<CCdDisc>();
    disc->m_letter = letter;
    disc->m_name = engine_text::kNoDisc;
    return disc;
}

std::shared_ptr<CCdDisc> CCdDisc::FromInfo(QChar letter, const QString& source, const DiscInfo& info) {
    auto disc = std::make_shared<CCdDisc>();
    disc->m_letter = letter;
    disc->m_hasDisc = true;
    disc->m_source = source;
    disc->m_info = info;
    disc->m_name = info.album.isEmpty() ? engine_text::kNoAlbum : info.album;
    for (const DiscTrack& track : info.tracks) {
        if (!track.audio) {
            continue;
        }
        CdTrackState state;
        state.discNumber = track.number;
        state.seconds = track.Seconds();
        const int position = int(disc->m_tracks.size());
        auto set = [&state](const char* name, const QString& value) {
            state.attributes.insert(QString::fromLatin1(name).toLower(), value);
        };
        set("Title", track.title.isEmpty() ? engine_text::TrackTitle(position + 1) : track.title);
        set("WM/TrackNumber", QString::number(position + 1));
        set("Album", info.album);
        set("WM/AlbumTitle", info.album);
        set("Artist", track.artist.isEmpty() ? info.artist : track.artist);
        set("WM/AlbumArtist", info.artist);
        set("SelectedForRip", QStringLiteral("True"));
        set("Status", QString());
        set("MediaType", QStringLiteral("audio"));
        set("Duration", QString::number(state.seconds, 'f', 3));
        disc->m_tracks.push_back(state);
    }
    return disc;
}

int CCdDisc::PositionOf(int discNumber) const {
    for (std::size_t i = 0; i < m_tracks.size(); ++i) {
        if (m_tracks[i].discNumber == discNumber) {
            return int(i);
        }
    }
    return -1;
}

QString CCdDisc::Attribute(int position, const QString& name) const {
    if (position < 0 || position >= TrackCount()) {
        return QString();
    }
    return m_tracks[std::size_t(position)].attributes.value(name.toLower());
}

void CCdDisc::SetAttribute(int position, const QString& name, const QString& value) {
    if (position >= 0 && position < TrackCount()) {
        m_tracks[std::size_t(position)].attributes.insert(name.toLower(), value);
    }
}

void CCdDisc::MarkWritten(int position, const QString& name) {
    if (position >= 0 && position < TrackCount()) {
        m_tracks[std::size_t(position)].written.insert(name.toLower());
    }
}

void CCdDisc::NameAlbum(const QString& name) {
    m_name = name;
    m_albumNamed = true;
    if (m_foundAlbum.isEmpty()) {
        return;
    }
    for (CdTrackState& state : m_tracks) {
        for (const QString& key : {QStringLiteral("album"), QStringLiteral("wm/albumtitle")}) {
            if (!state.written.contains(key) && state.attributes.value(key) == m_foundAlbum) {
                state.attributes.insert(key, QString());
            }
        }
    }
    m_foundAlbum.clear();
}

bool CCdDisc::ApplyNames(const DiscNames& names) {
    if (!m_hasDisc || m_ripStarted || names.tracks.size() != TrackCount()) {
        return false;
    }
    bool changed = false;
    const bool albumFree = m_info.album.isEmpty() && !m_albumNamed;
    if (albumFree && !names.album.isEmpty() && m_foundAlbum != names.album) {
        m_foundAlbum = names.album;
        m_name = names.album;
        changed = true;
    }
    if (m_info.artist.isEmpty() && m_foundArtist != names.albumArtist) {
        m_foundArtist = names.albumArtist;
        changed = true;
    }
    for (int position = 0; position < TrackCount(); ++position) {
        CdTrackState& state = m_tracks[std::size_t(position)];
        const TrackNames& found = names.tracks[position];
        const DiscTrack* own = nullptr;
        for (const DiscTrack& track : m_info.tracks) {
            if (track.number == state.discNumber) {
                own = &track;
            }
        }
        auto fill = [&](const char* attribute, bool free, const QString& value) {
            const QString key = QString::fromLatin1(attribute).toLower();
            if (free && !value.isEmpty() && !state.written.contains(key) &&
                state.attributes.value(key) != value) {
                state.attributes.insert(key, value);
                changed = true;
            }
        };
        fill("Title", own && own->title.isEmpty(), found.title);
        fill("Artist", own && own->artist.isEmpty() && m_info.artist.isEmpty(), found.artist);
        fill("Album", albumFree, names.album);
        fill("WM/AlbumTitle", albumFree, names.album);
        fill("WM/AlbumArtist", m_info.artist.isEmpty(), names.albumArtist);
    }
    return changed;
}
