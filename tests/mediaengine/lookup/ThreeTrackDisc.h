#pragma once
// The disc the lookup's tests look up: three audio tracks at logical sectors 0, 20000 and 45000,
// lead-out at 70000. MusicBrainz id 5GC2xPukEmCEOLJDB.a3MaCV0.Y-, CDDB id 1a03a503.

#include "mediaengine/disc/DiscInfo.h"

#include <QString>

inline DiscInfo ThreeTrackDisc() {
    DiscInfo info;
    const int starts[] = {0, 20000, 45000, 70000};
    for (int i = 0; i < 3; ++i) {
        DiscTrack track;
        track.number = i + 1;
        track.firstSector = starts[i];
        track.sectorCount = starts[i + 1] - starts[i];
        info.tracks.append(track);
    }
    return info;
}

inline const QString kThreeTrackId = QStringLiteral("5GC2xPukEmCEOLJDB.a3MaCV0.Y-");
