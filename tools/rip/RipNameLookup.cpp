#include "tools/rip/RipNameLookup.h"

#include "mediaengine/lookup/DiscIds.h"
#include "mediaengine/lookup/DiscNameCache.h"
#include "mediaengine/lookup/LookupThread.h"

#include <QFileInfo>

namespace {

bool NamesItself(const DiscInfo& disc) {
    if (disc.album.isEmpty()) {
        return false;
    }
    for (const DiscTrack& track : disc.tracks) {
        if (track.audio && track.title.isEmpty()) {
            return false;
        }
    }
    return true;
}

void FillIn(DiscInfo* disc, const DiscNames& names) {
    const QString discArtist = disc->artist;
    if (disc->album.isEmpty()) {
        disc->album = names.album;
    }
    if (disc->artist.isEmpty()) {
        disc->artist = names.albumArtist;
    }
    int position = 0;
    for (DiscTrack& track : disc->tracks) {
        if (!track.audio || position >= names.tracks.size()) {
            continue;
        }
        const TrackNames& found = names.tracks[position++];
        if (track.title.isEmpty()) {
            track.title = found.title;
        }
        if (track.artist.isEmpty() && discArtist.isEmpty()) {
            track.artist = found.artist;
        }
    }
}

} // namespace

QString CRipNameLookup::Fill(DiscInfo* disc, bool online, const QString& cacheFile,
                             const LookupSettings& settings) {
    if (NamesItself(*disc)) {
        return QStringLiteral("names: from the disc");
    }
    const DiscIds ids = DiscIds::Of(*disc);
    if (!ids.IsValid()) {
        return QStringLiteral("names: from the disc (no disc id)");
    }
    CDiscNameCache cache;
    if (QFileInfo::exists(cacheFile)) {
        cache.Open(cacheFile);
    }
    if (const std::optional<CDiscNameCache::Entry> cached = cache.Find(ids.musicBrainz)) {
        if (cached->found) {
            FillIn(disc, cached->names);
            return QStringLiteral("names: from the cache (%1)").arg(cached->names.source);
        }
        return QStringLiteral("names: from the disc (not found when last asked, less than a day ago)");
    }
    if (!online) {
        return QStringLiteral("names: from the disc (--no-lookup)");
    }
    if (!LookupSettings::OnlineAllowed()) {
        return QStringLiteral("names: from the disc (the player's preferences keep it offline)");
    }
    const LookupResult result = CLookupThread::LookupAndWait(ids, settings, ReleasePreference::FromLocale());
    switch (result.outcome) {
    case LookupResult::Outcome::Found:
        cache.Store(ids.musicBrainz, result.names);
        FillIn(disc, result.names);
        return QStringLiteral("names: from %1").arg(result.names.source);
    case LookupResult::Outcome::NotFound:
        cache.Store(ids.musicBrainz, std::nullopt);
        return QStringLiteral("names: from the disc (%1 not found: %2)").arg(ids.musicBrainz, result.log);
    case LookupResult::Outcome::Failed:
        break;
    }
    return QStringLiteral("names: from the disc (no answer: %1)").arg(result.log);
}
