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
