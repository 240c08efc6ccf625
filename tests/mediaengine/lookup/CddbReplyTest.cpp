#include "mediaengine/lookup/CddbReply.h"

#include <gtest/gtest.h>

namespace {
using Outcome = CddbReply::Outcome;

// Shift_JIS bytes, written out by hand from the code table.
const QByteArray kSjisDiscTitle =
    QByteArray::fromHex("445449544c453d89cc8ee8202f20835c955c8341838b836f83800a");
const QByteArray kSjisFirstTitles =
    QByteArray::fromHex("545449544c45303d8f7482cc95970a545449544c45313d96e996be82af82cc82a482bd0a");
const QByteArray kSjisAmeagari = QByteArray::fromHex("894a8fe382aa82e8"); // 雨上がり
} // namespace

TEST(CddbReply, QueryStatuses) {
    struct Case {
        const char* name;
        QByteArray body;
        Outcome outcome;
        QStringList entries;
    };
    const QList<Case> cases{
        {"exact match", "200 rock 1a03a503 Artist / Album\r\n", Outcome::Found, {"rock/1a03a503"}},
        {"exact matches listed",
         "210 Found exact matches, list follows (until terminating `.')\r\nmisc 1a03a503 A / B\r\n"
         "jazz 1a03a504 C / D\r\n.\r\n",
         Outcome::Found,
         {"misc/1a03a503", "jazz/1a03a504"}},
        {"inexact matches",
         "211 Found inexact matches, list follows (until terminating `.')\nsoundtrack 0a0b0c0d X / Y\n.\n",
         Outcome::Found,
         {"soundtrack/0a0b0c0d"}},
        {"no match", "202 No match for disc ID 1a03a503.\r\n", Outcome::NotFound, {}},
        {"server error", "403 Database entry is corrupt.\r\n", Outcome::ServerError, {}},
        {"no handshake", "409 No handshake.\r\n", Outcome::ServerError, {}},
        {"unknown status", "299 Whatever\r\n", Outcome::Malformed, {}},
        {"not a status line", "<html>hello</html>", Outcome::Malformed, {}},
        // A category or id that could smuggle words into the read command is not taken.
        {"match that is not one", "200 rock/../x 1a03a503 A / B\r\n", Outcome::Malformed, {}},
        {"empty", "", Outcome::Malformed, {}},
    };
    for (const Case& c : cases) {
        const CddbReply reply = CddbReply::ParseQuery(c.body);
        EXPECT_EQ(reply.outcome, c.outcome) << c.name;
        QStringList entries;
        for (const CddbMatch& match : reply.matches) {
            entries << match.category + "/" + match.discId;
        }
        EXPECT_EQ(entries, c.entries) << c.name;
    }
}

TEST(CddbReply, EntryInUtf8WithContinuedLinesAndEscapes) {
    const QByteArray body =
        QStringLiteral("210 rock 1a03a503 CD database entry follows (until terminating `.')\r\n"
                       "# xmcd\r\n# Track frame offsets:\r\n#\t150\r\nDISCID=1a03a503\r\n"
                       "DTITLE=Björk / Début\r\nDYEAR=1993\r\nTTITLE0=Human \r\nTTITLE0=Behaviour\r\n"
                       "TTITLE1=Crying\\nNow\r\nTTITLE2=Venus as a Boy\r\nEXTD=\r\nPLAYORDER=\r\n.\r\n")
            .toUtf8();
    const CddbReply reply = CddbReply::ParseEntry(body, 3);
    ASSERT_EQ(reply.outcome, Outcome::Found) << reply.reason.toStdString();
    EXPECT_EQ(reply.names.album, QStringLiteral("Début"));
    EXPECT_EQ(reply.names.albumArtist, QStringLiteral("Björk"));
    ASSERT_EQ(reply.names.tracks.size(), 3);
    EXPECT_EQ(reply.names.tracks[0].title, "Human Behaviour");
    EXPECT_EQ(reply.names.tracks[1].title, "Crying Now");
    EXPECT_EQ(reply.names.tracks[2].artist, QStringLiteral("Björk"));
}

TEST(CddbReply, ShiftJisEntryReadsAsJapanese) {
    // "ソ" and "表" end in byte 0x5C, the backslash: the escapes must not cut them.
    const QByteArray body = "210 misc 1a03a503 CD database entry follows\n" + kSjisDiscTitle +
                            kSjisFirstTitles + "TTITLE2=" + kSjisAmeagari.left(4) +
                            "\nTTITLE2=" + kSjisAmeagari.mid(4) + "\n.\n";
    const CddbReply reply = CddbReply::ParseEntry(body, 3);
    ASSERT_EQ(reply.outcome, Outcome::Found);
    EXPECT_EQ(reply.names.album, QStringLiteral("ソ表アルバム"));
    EXPECT_EQ(reply.names.albumArtist, QStringLiteral("歌手"));
    EXPECT_EQ(reply.names.tracks[0].title, QStringLiteral("春の風"));
    EXPECT_EQ(reply.names.tracks[2].title, QStringLiteral("雨上がり")); // split over two lines
}

TEST(CddbReply, CompilationTitlesNameTheirArtists) {
    const QByteArray body =
        "210 misc 1a03a503 entry\nDTITLE=Various / Hits\nTTITLE0=A / One\nTTITLE1=Two\n.\n";
    const CddbReply reply = CddbReply::ParseEntry(body, 2);
    ASSERT_EQ(reply.outcome, Outcome::Found);
    EXPECT_EQ(reply.names.tracks[0].title, "One");
    EXPECT_EQ(reply.names.tracks[0].artist, "A");
    EXPECT_EQ(reply.names.tracks[1].title, "Two");
}

TEST(CddbReply, EntriesThatAreNotThisDisc) {
    struct Case {
        const char* name;
        QByteArray body;
        Outcome outcome;
    };
    const QList<Case> cases{
        {"fewer titles than tracks", "210 misc 1 entry\nDTITLE=A / B\nTTITLE0=x\nTTITLE1=y\n.\n",
         Outcome::TrackCountDiffers},
        {"no DTITLE", "210 misc 1 entry\nTTITLE0=x\n.\n", Outcome::Malformed},
        {"not found", "401 Specified CDDB entry not found.\n", Outcome::NotFound},
        {"server error", "402 Server error.\n", Outcome::ServerError},
        {"a query answer", "200 rock 1a03a503 A / B\n", Outcome::Malformed},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CddbReply::ParseEntry(c.body, 3).outcome, c.outcome) << c.name;
    }
}
