#include "mediaengine/lookup/MusicBrainzReply.h"
#include "tests/support/MusicBrainzJson.h"

#include <gtest/gtest.h>

namespace {
const QString kId = QStringLiteral("5GC2xPukEmCEOLJDB.a3MaCV0.Y-");
const ReleasePreference kJapan{QStringLiteral("JP"), QStringLiteral("Jpan")};
const QStringList kTitles{QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")};
using Outcome = MusicBrainzReply::Outcome;
} // namespace

TEST(MusicBrainzReply, ExactDiscIdMatch) {
    const QByteArray body = MbAnswer(kId, {{"r1", QStringLiteral("アルバム"), QStringLiteral("歌手"),
                                            "2001-02-03", "JP", "Jpan", kId, kTitles}});
    const MusicBrainzReply reply = MusicBrainzReply::Parse(body, kId, 3, kJapan);
    ASSERT_EQ(reply.outcome, Outcome::Found) << reply.reason.toStdString();
    EXPECT_EQ(reply.names.album, QStringLiteral("アルバム"));
    EXPECT_EQ(reply.names.albumArtist, QStringLiteral("歌手"));
    ASSERT_EQ(reply.names.tracks.size(), 3);
    EXPECT_EQ(reply.names.tracks[1].title, QStringLiteral("二"));
    EXPECT_EQ(reply.names.tracks[1].artist, QStringLiteral("歌手")); // the release's credit stands in
    EXPECT_EQ(reply.names.source, "MusicBrainz release r1");
}

TEST(MusicBrainzReply, SeveralReleasesTheUsersCountryAndScriptFirstThenTheEarliest) {
    struct Case {
        const char* name;
        QList<MbRelease> releases;
        ReleasePreference preference;
        QString chosen;
    };
    const QList<Case> cases{
        {"the Japanese release beats an earlier foreign one",
         {{"us", "Album", "A", "1999", "US", "Latn", kId, kTitles},
          {"jp", "アルバム", "A", "2003", "JP", "Jpan", kId, kTitles}},
         kJapan,
         "jp"},
        {"the earliest of equal ones",
         {{"late", "X", "A", "2005-01-01", "JP", "Jpan", kId, kTitles},
          {"early", "X", "A", "2001-06-01", "JP", "Jpan", kId, kTitles}},
         kJapan,
         "early"},
        {"a release without date comes after dated ones",
         {{"nodate", "X", "A", "", "GB", "", kId, kTitles},
          {"dated", "X", "A", "2010", "GB", "", kId, kTitles}},
         kJapan,
         "dated"},
        {"the same date: the id decides, whatever the order",
         {{"b", "X", "A", "2001", "", "", kId, kTitles}, {"a", "X", "A", "2001", "", "", kId, kTitles}},
         kJapan,
         "a"},
        {"a release of another disc of the set is not this disc",
         {{"other", "X", "A", "1990", "JP", "Jpan", "otherdisc", kTitles},
          {"this", "X", "A", "2000", "", "", kId, kTitles}},
         kJapan,
         "this"},
    };
    for (const Case& c : cases) {
        const MusicBrainzReply reply =
            MusicBrainzReply::Parse(MbAnswer(kId, c.releases), kId, 3, c.preference);
        ASSERT_EQ(reply.outcome, Outcome::Found) << c.name;
        EXPECT_EQ(reply.names.source, "MusicBrainz release " + c.chosen) << c.name;
        EXPECT_TRUE(reply.reason.contains(c.chosen)) << c.name << ": " << reply.reason.toStdString();
    }
}

TEST(MusicBrainzReply, TocAnswerMatchesByTrackCount) {
    const QByteArray body =
        MbAnswer(QString(), {{"four", "Four", "A", "1990", "", "", "", {"a", "b", "c", "d"}},
                             {"three", "Three", "A", "1995", "", "", "", kTitles}});
    const MusicBrainzReply reply = MusicBrainzReply::Parse(body, QString(), 3, kJapan);
    ASSERT_EQ(reply.outcome, Outcome::Found);
    EXPECT_EQ(reply.names.album, "Three");
}

TEST(MusicBrainzReply, WhatIsNotAnAnswer) {
    const QByteArray fourTracks = MbAnswer(kId, {{"r", "X", "A", "1990", "", "", kId, {"a", "b", "c", "d"}}});
    const QByteArray whole = MbAnswer(kId, {{"r", "X", "A", "1990", "", "", kId, kTitles}});
    struct Case {
        const char* name;
        QByteArray body;
        Outcome outcome;
    };
    const QList<Case> cases{
        {"track count differs", fourTracks, Outcome::TrackCountDiffers},
        {"no release", MbAnswer(kId, {}), Outcome::NotFound},
        {"the service's error object", R"({"error":"Not Found","help":"..."})", Outcome::NotFound},
        {"truncated", whole.left(whole.size() / 2), Outcome::Malformed},
        {"not JSON", "<html>503 Service Unavailable</html>", Outcome::Malformed},
        {"an array", "[1,2,3]", Outcome::Malformed},
        {"releases of the wrong type", R"({"releases":"none"})", Outcome::Malformed},
        {"empty", "", Outcome::Malformed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MusicBrainzReply::Parse(c.body, kId, 3, kJapan).outcome, c.outcome) << c.name;
    }
}

TEST(MusicBrainzReply, NamesWithPathCharactersOrThreeHundredCharactersStaySafeText) {
    const QString slashes = QStringLiteral("AC/DC: \"Live\" \\ <1> | ../..");
    const QString longTitle = QString(299, QChar(u'あ')) + QChar(u'\n');
    const QByteArray body =
        MbAnswer(kId, {{"r",
                        slashes,
                        "A",
                        "",
                        "",
                        "",
                        kId,
                        {longTitle, QStringLiteral("a\tb") + QChar(0) + QStringLiteral("c"), "x"}}});
    const MusicBrainzReply reply = MusicBrainzReply::Parse(body, kId, 3, kJapan);
    ASSERT_EQ(reply.outcome, Outcome::Found);
    // Path characters stay: the rip and the card make their own paths safe.
    EXPECT_EQ(reply.names.album, slashes);
    EXPECT_EQ(reply.names.tracks[0].title, QString(DiscNames::kMaxLength, QChar(u'あ')));
    EXPECT_EQ(reply.names.tracks[1].title, "a b c");
}
