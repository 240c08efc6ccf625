#include "mediaengine/lookup/DiscIds.h"

#include <gtest/gtest.h>

namespace {

DiscTrack Track(int number, int first, int count, bool audio = true) {
    DiscTrack track;
    track.number = number;
    track.firstSector = first;
    track.sectorCount = count;
    track.audio = audio;
    return track;
}

// Three audio tracks at logical sectors 0, 20000 and 45000, lead-out at 70000. The expected ids
// were computed apart from this code, from the published algorithms (SHA-1 of the TOC for
// MusicBrainz, digit sums and length for CDDB).
DiscInfo ThreeTracks() {
    DiscInfo info;
    info.tracks = {Track(1, 0, 20000), Track(2, 20000, 25000), Track(3, 45000, 25000)};
    return info;
}

} // namespace

TEST(DiscIds, FromTheTableOfContents) {
    const DiscIds ids = DiscIds::Of(ThreeTracks());
    EXPECT_EQ(ids.musicBrainz, "5GC2xPukEmCEOLJDB.a3MaCV0.Y-");
    EXPECT_EQ(ids.cddb, "1a03a503");
    EXPECT_EQ(ids.MusicBrainzToc(), "1+3+70150+150+20150+45150");
    EXPECT_EQ(ids.CddbQueryArguments(), "1a03a503 3 150 20150 45150 935");
}

TEST(DiscIds, AnEnhancedCdCountsItsAudioSessionOnly) {
    // The data track starts a session gap after the audio's lead-out: the ids are those of the
    // audio alone, as a drive reading the first session sees them.
    DiscInfo info = ThreeTracks();
    info.tracks[2].sectorCount = 25000 + 11400;
    info.tracks.append(Track(4, 81400, 30000, false));
    const DiscIds ids = DiscIds::Of(info);
    EXPECT_EQ(ids.musicBrainz, "5GC2xPukEmCEOLJDB.a3MaCV0.Y-");
    EXPECT_EQ(ids.TrackCount(), 3);
}

TEST(DiscIds, NoAudioTracksGiveNoIds) {
    DiscInfo info;
    EXPECT_FALSE(DiscIds::Of(info).IsValid());
    info.tracks = {Track(1, 0, 30000, false)};
    EXPECT_FALSE(DiscIds::Of(info).IsValid());
}
