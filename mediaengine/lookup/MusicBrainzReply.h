#pragma once
// The answer of MusicBrainz's web service (version 2, JSON) to a disc-id or TOC lookup with
// artist credits and recordings, read into names for the disc. A pure function of the bytes.
//
// Which release: among the media that carry the disc id (or, for a TOC lookup, that have the
// disc's track count), a release of the user's country and script first, then the earliest
// (date, then id, so the choice never varies). A medium whose track count is not the disc's is
// never taken.

#include "mediaengine/lookup/DiscNames.h"

#include <QByteArray>
#include <QString>

struct ReleasePreference {
    QString country; // ISO 3166-1, e.g. "JP"
    QString script;  // ISO 15924, e.g. "Jpan"
    // The system locale's; Japan and Japanese script where the locale names no country.
    static ReleasePreference FromLocale();
};

struct MusicBrainzReply {
    enum class Outcome { Found, NotFound, TrackCountDiffers, Malformed };
    Outcome outcome = Outcome::Malformed;
    DiscNames names;
    QString reason; // which release and why, or what was wrong

    static MusicBrainzReply Parse(const QByteArray& body, const QString& discId, int trackCount,
                                  const ReleasePreference& preference);
};
