#include "mediaengine/lookup/DiscLookup.h"
#include "tests/mediaengine/lookup/ThreeTrackDisc.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/MusicBrainzJson.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace {

using Outcome = LookupResult::Outcome;
const QStringList kTitles{QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")};
const QByteArray kNotFoundJson =
    R"({"error":"Not Found","help":"For usage, please see: https://musicbrainz.org/development/mmd"})";

HttpAnswer MbFound(const QString& discId) {
    return {200, MbAnswer(discId, {{"r1", QStringLiteral("アルバム"), QStringLiteral("歌手"), "2001", "JP",
                                    "Jpan", discId.isEmpty() ? QString() : discId, kTitles}})};
}

bool IsToc(const HttpRequest& r) {
    return r.path == "/ws/2/discid/-";
}
bool IsCddb(const HttpRequest& r) {
    return r.path == "/~cddb/cddb.cgi";
}

LookupSettings SettingsFor(const CLocalHttpServer& server) {
    LookupSettings settings = LookupSettings::FromEnvironment();
    settings.musicBrainzRoot = server.Root();
    settings.cddbUrl = server.Root() + "/~cddb/cddb.cgi";
    settings.timeoutMs = 5000;
    settings.musicBrainzIntervalMs = 0;
    return settings;
}

LookupResult LookUp(const LookupSettings& settings) {
    CDiscLookup lookup(settings, {QStringLiteral("JP"), QStringLiteral("Jpan")});
    std::optional<LookupResult> result;
    lookup.Start(DiscIds::Of(ThreeTrackDisc()), [&](const LookupResult& r) { result = r; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 15000));
    return result.value_or(LookupResult{});
}

} // namespace

TEST(DiscLookup, ExactDiscIdMatchAsksOnceAndSaysWhoItIs) {
    CLocalHttpServer server([](const HttpRequest&) { return MbFound(kThreeTrackId); });
    const LookupResult result = LookUp(SettingsFor(server));
    ASSERT_EQ(result.outcome, Outcome::Found) << result.log.toStdString();
    EXPECT_EQ(result.names.album, QStringLiteral("アルバム"));
    const QList<HttpRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests[0].path, "/ws/2/discid/" + kThreeTrackId);
    EXPECT_TRUE(requests[0].query.contains("inc=artist-credits+recordings"))
        << requests[0].query.toStdString();
    EXPECT_TRUE(requests[0].userAgent.startsWith("Ollivane/")) << requests[0].userAgent.toStdString();
    EXPECT_TRUE(requests[0].userAgent.contains("(")) << "the service asks for a contact";
}

TEST(DiscLookup, AnUnknownIdIsLookedUpByItsToc) {
    CLocalHttpServer server([](const HttpRequest& r) {
        return IsToc(r) ? MbFound(QString()) : HttpAnswer{404, kNotFoundJson};
    });
    const LookupResult result = LookUp(SettingsFor(server));
    ASSERT_EQ(result.outcome, Outcome::Found) << result.log.toStdString();
    const QList<HttpRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_TRUE(requests[1].query.contains("toc=1+3+70150+150+20150+45150"))
        << requests[1].query.toStdString();
}

TEST(DiscLookup, CddbAnswersWhenMusicBrainzCannotInShiftJis) {
    const QByteArray entry =
        "210 misc 1a03a503 CD database entry follows\r\n" +
        QByteArray::fromHex(
            "445449544c453d89cc8ee8202f20835c955c8341838b836f83800a") + // DTITLE=歌手 / ソ表アルバム
        "TTITLE0=a\r\nTTITLE1=b\r\nTTITLE2=c\r\n.\r\n";
    CLocalHttpServer server([&](const HttpRequest& r) {
        if (!IsCddb(r)) {
            return HttpAnswer{503, "<html>rate limited</html>"};
        }
        if (r.query.startsWith("cmd=cddb+query+1a03a503+3+150+20150+45150+935&")) {
            return HttpAnswer{200, "200 misc 1a03a503 x / y\r\n"};
        }
        if (r.query.startsWith("cmd=cddb+read+misc+1a03a503&")) {
            return HttpAnswer{200, entry};
        }
        return HttpAnswer{200, "500 Command syntax error\r\n"};
    });
    const LookupResult result = LookUp(SettingsFor(server));
    ASSERT_EQ(result.outcome, Outcome::Found) << result.log.toStdString();
    EXPECT_EQ(result.names.album, QStringLiteral("ソ表アルバム"));
    EXPECT_EQ(result.names.source, "CDDB misc/1a03a503");
    const QList<HttpRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3);
    EXPECT_TRUE(requests[1].query.contains("proto=6") && requests[1].query.contains("hello="));
}

TEST(DiscLookup, WhatComesOfBadOrMissingAnswers) {
    struct Case {
        const char* name;
        CLocalHttpServer::Handler handler;
        Outcome outcome;
    };
    const QList<Case> cases{
        // Every service answered and none knows the disc: that may be kept as "not found".
        {"not found anywhere",
         [](const HttpRequest& r) {
             return IsCddb(r) ? HttpAnswer{200, "202 No match for disc ID 1a03a503.\r\n"}
                              : HttpAnswer{404, kNotFoundJson};
         },
         Outcome::NotFound},
        // A service that failed leaves the question open.
        {"rate limited, then no match",
         [](const HttpRequest& r) {
             return IsCddb(r) ? HttpAnswer{200, "202 No match\r\n"} : HttpAnswer{503, ""};
         },
         Outcome::Failed},
        {"malformed JSON, then a server error",
         [](const HttpRequest& r) {
             return IsCddb(r) ? HttpAnswer{200, "402 Server error.\r\n"}
                              : HttpAnswer{200, "{\"releases\": [{\"id\""};
         },
         Outcome::Failed},
        {"unknown CDDB status",
         [](const HttpRequest& r) {
             return IsCddb(r) ? HttpAnswer{200, "999 ???\r\n"} : HttpAnswer{404, kNotFoundJson};
         },
         Outcome::Failed},
        {"redirect loop",
         [](const HttpRequest& r) {
             return HttpAnswer{302, "", 0, (r.path + "?" + r.query).toLatin1()};
         },
         Outcome::Failed},
        {"an answer beyond the size limit",
         [](const HttpRequest&) {
             return HttpAnswer{200, QByteArray(3 << 20, ' ')};
         },
         Outcome::Failed},
    };
    for (const Case& c : cases) {
        CLocalHttpServer server(c.handler);
        const LookupResult result = LookUp(SettingsFor(server));
        EXPECT_EQ(result.outcome, c.outcome) << c.name << ": " << result.log.toStdString();
        EXPECT_FALSE(result.log.isEmpty()) << c.name;
    }
}

TEST(DiscLookup, NoServerAndASlowServerEndWithinTheTimeLimit) {
    CLocalHttpServer slow([](const HttpRequest&) { return HttpAnswer{200, "", 10000}; });
    LookupSettings settings = SettingsFor(slow);
    settings.timeoutMs = 300;
    QElapsedTimer clock;
    clock.start();
    LookupResult result = LookUp(settings);
    EXPECT_EQ(result.outcome, Outcome::Failed);
    EXPECT_LT(clock.elapsed(), 3000);

    CLocalHttpServer gone([](const HttpRequest&) { return HttpAnswer{}; });
    settings = SettingsFor(gone);
    gone.Stop();
    result = LookUp(settings);
    EXPECT_EQ(result.outcome, Outcome::Failed) << result.log.toStdString();
}

TEST(DiscLookup, MusicBrainzIsAskedAtMostOncePerInterval) {
    CLocalHttpServer server([](const HttpRequest& r) {
        return IsToc(r) ? MbFound(QString()) : HttpAnswer{404, kNotFoundJson};
    });
    LookupSettings settings = SettingsFor(server);
    settings.musicBrainzIntervalMs = 400;
    ASSERT_EQ(LookUp(settings).outcome, Outcome::Found);
    const QList<HttpRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2);
    EXPECT_GE(requests[1].atMs - requests[0].atMs, 350);
}
