#pragma once
// The album the disc-image tests write in each shape and form, and the comparison that says two
// images are the same disc.

#include "mediaengine/disc/DiscReader.h"
#include "tests/support/engine/TestDiscImage.h"

#include <gtest/gtest.h>

// Three tracks with Japanese text, a half-second gap before track 2 and a second before track 3:
// 150, 112 and 75 sectors, 38 and 75 sectors of gap.
inline TestDisc GappedAlbum() {
    TestDisc disc;
    disc.album = QStringLiteral("ひだまりの記憶");
    disc.artist = QStringLiteral("青空楽団");
    disc.tracks = {{.seconds = 2, .title = QStringLiteral("春の風")},
                   {.seconds = 1.5,
                    .title = QStringLiteral("夜明けのうた"),
                    .performer = QStringLiteral("ゲスト"),
                    .gap = 0.5},
                   {.seconds = 1, .title = QStringLiteral("雨上がりの街"), .gap = 1}};
    return disc;
}

// Every audio sector of the disc, track by track.
inline QByteArray AllAudio(CDiscReader& reader) {
    QByteArray all;
    for (const DiscTrack& track : reader.Info().tracks) {
        QByteArray pcm;
        EXPECT_TRUE(reader.ReadSectors(track.firstSector, track.sectorCount, &pcm))
            << reader.LastReadError().toStdString();
        all += pcm;
    }
    return all;
}

// The reader's disc is `expected` with `expectedAudio`: table of contents, titles, every sample,
// a read that starts in a gap and crosses into the next track, and none past the disc's end.
inline void ExpectSameDisc(CDiscReader& reader, const DiscInfo& expected, const QByteArray& expectedAudio) {
    constexpr int kSector = 2352;
    const DiscInfo& info = reader.Info();
    EXPECT_EQ(info.toc, expected.toc);
    EXPECT_EQ(info.album, expected.album);
    EXPECT_EQ(info.artist, expected.artist);
    ASSERT_EQ(info.tracks.size(), expected.tracks.size());
    for (int i = 0; i < info.tracks.size(); ++i) {
        EXPECT_EQ(info.tracks[i].firstSector, expected.tracks[i].firstSector) << i;
        EXPECT_EQ(info.tracks[i].sectorCount, expected.tracks[i].sectorCount) << i;
        EXPECT_EQ(info.tracks[i].title, expected.tracks[i].title) << i;
        EXPECT_EQ(info.tracks[i].artist, expected.tracks[i].artist) << i;
    }
    EXPECT_TRUE(AllAudio(reader) == expectedAudio);
    QByteArray pcm;
    ASSERT_TRUE(reader.ReadSectors(140, 100, &pcm)) << reader.LastReadError().toStdString();
    EXPECT_TRUE(pcm == expectedAudio.mid(140 * kSector, 100 * kSector));
    const DiscTrack& last = info.tracks.last();
    EXPECT_FALSE(reader.ReadSectors(last.firstSector, last.sectorCount + 1, &pcm));
}
