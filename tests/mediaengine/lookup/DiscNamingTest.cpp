// The engine names a disc from the network: at once from the cache, later from a service, never
// over the disc's own text, the program's edits or a running rip; and never when the player's
// preferences keep it offline.
#include "mediaengine/core/EngineText.h"
#include "platform/registry/Registry.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/MusicBrainzJson.h"
#include "tests/support/engine/EngineFixture.h"

#include <QElapsedTimer>
#include <cstdio>

namespace {

const QStringList kFound{QStringLiteral("見つけた一"), QStringLiteral("見つけた二"),
                         QStringLiteral("見つけた三")};
const QString kFoundAlbum = QStringLiteral("見つけたアルバム");

// MusicBrainz that knows every disc id it is asked about, as a three-track release.
HttpAnswer KnowsEveryDisc(const HttpRequest& request, int delayMs) {
    const QString id = request.path.section(QLatin1Char('/'), -1);
    HttpAnswer answer{200, MbAnswer(id, {{"rel", kFoundAlbum, QStringLiteral("見つけた歌手"), "2000", "JP",
                                          "Jpan", id, kFound}})};
    answer.delayMs = delayMs;
    return answer;
}

class DiscNaming : public CEngineFixture {
protected:
    void Serve(int delayMs) {
        m_server = std::make_unique<CLocalHttpServer>(
            [delayMs](const HttpRequest& r) { return KnowsEveryDisc(r, delayMs); });
        LookupSettings settings = LookupSettings::FromEnvironment();
        settings.musicBrainzRoot = m_server->Root();
        settings.cddbUrl = m_server->Root() + QStringLiteral("/~cddb/cddb.cgi");
        settings.musicBrainzIntervalMs = 0;
        settings.timeoutMs = 5000;
        m_config.lookup = settings;
        // What the program sets before it relies on the player to name a disc.
        SetPreference(QStringLiteral("MetadataRetrieval"), 3);
        SetPreference(QStringLiteral("ForceOnline"), 1);
    }
    // Three tracks without CD-Text; `album` and `firstTitle` put some on the disc.
    QString PlainDisc(const QString& album = QString(), const QString& firstTitle = QString()) {
        TestDisc disc;
        disc.album = album;
        disc.tracks = {{.seconds = 1.0, .title = firstTitle}, {.seconds = 1.0}, {.seconds = 1.0}};
        return MakeDisc(disc, QStringLiteral("plain"));
    }
    QStringList Titles() const {
        QStringList titles;
        const ComPtr<IWMPPlaylist> list = CdPlaylist(0);
        for (long i = 0; i < Count(list.Get()); ++i) {
            titles << Name(Item(list.Get(), i).Get());
        }
        return titles;
    }
    void Pump(int ms) {
        QElapsedTimer clock;
        clock.start();
        PumpUntil([&] { return clock.elapsed() >= ms; });
    }
    void SetPreference(const QString& name, DWORD value) {
        m_sandbox->Registry().SetDword(
            HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences"), name, value);
    }

    std::unique_ptr<CLocalHttpServer> m_server;
};

} // namespace

TEST_F(DiscNaming, ADiscWithoutCdTextIsNamedWhenTheAnswerArrivesAndFromTheCacheOffline) {
    Serve(300);
    Insert(QLatin1Char('D'), PlainDisc());
    CreatePlayer();
    const RecorderPtr sink = Advise();
    // Opening the disc does not wait for the answer.
    const ComPtr<IWMPPlaylist> disc = CdPlaylist(0);
    const QString toc = Info(disc.Get(), QStringLiteral("TOC"));
    EXPECT_EQ(Name(disc.Get()), engine_text::kNoAlbum);
    EXPECT_EQ(Titles(), (QStringList{engine_text::TrackTitle(1), engine_text::TrackTitle(2),
                                     engine_text::TrackTitle(3)}));

    ASSERT_TRUE(PumpUntil([&] { return sink->Count(QStringLiteral("PlaylistChange")) > 0; }, 10000));
    const RecordedEvent& change = sink->events.back();
    EXPECT_EQ(change.value, long(wmplcNameChange));
    EXPECT_EQ(Name(disc.Get()), kFoundAlbum);
    EXPECT_EQ(Titles(), kFound);
    const ComPtr<IWMPMedia> second = Item(disc.Get(), 1);
    EXPECT_EQ(Info(second.Get(), QStringLiteral("Album")), kFoundAlbum);
    EXPECT_EQ(Info(second.Get(), QStringLiteral("WM/AlbumTitle")), kFoundAlbum);
    EXPECT_EQ(Info(second.Get(), QStringLiteral("WM/AlbumArtist")), QStringLiteral("見つけた歌手"));
    EXPECT_EQ(Info(second.Get(), QStringLiteral("Artist")), QStringLiteral("見つけた歌手"));
    EXPECT_EQ(Info(second.Get(), QStringLiteral("WM/TrackNumber")), QStringLiteral("2"));
    EXPECT_EQ(Info(disc.Get(), QStringLiteral("TOC")), toc);
    EXPECT_EQ(m_server->Requests().size(), 1);

    // The player made anew with the server gone: the disc is named as it is opened.
    ReleasePlayer();
    m_server->Stop();
    CreatePlayer();
    EXPECT_EQ(Name(CdPlaylist(0).Get()), kFoundAlbum);
    EXPECT_EQ(Titles(), kFound);
}

TEST_F(DiscNaming, TheDiscsOwnTextAndTheUsersEditsWin) {
    Serve(300);
    Insert(QLatin1Char('D'), PlainDisc(QStringLiteral("盤のアルバム"), QStringLiteral("盤の曲")));
    CreatePlayer();
    const RecorderPtr sink = Advise();
    const ComPtr<IWMPPlaylist> disc = CdPlaylist(0);
    // The user renames the second track before the answer arrives.
    ASSERT_EQ(Item(disc.Get(), 1)->put_name(CComBSTR(QStringLiteral("私の名前"))), S_OK);
    const int before = sink->Count(QStringLiteral("PlaylistChange"));
    ASSERT_TRUE(PumpUntil([&] { return sink->Count(QStringLiteral("PlaylistChange")) > before; }, 10000));
    EXPECT_EQ(Name(disc.Get()), QStringLiteral("盤のアルバム"));
    EXPECT_EQ(Titles(), (QStringList{QStringLiteral("盤の曲"), QStringLiteral("私の名前"), kFound[2]}));
    EXPECT_EQ(Info(Item(disc.Get(), 2).Get(), QStringLiteral("Album")), QStringLiteral("盤のアルバム"));
}

TEST_F(DiscNaming, TheAlbumTheUserNamedStaysAfterTheAnswer) {
    Serve(300);
    Insert(QLatin1Char('D'), PlainDisc());
    CreatePlayer();
    const RecorderPtr sink = Advise();
    const ComPtr<IWMPPlaylist> disc = CdPlaylist(0);
    ASSERT_EQ(disc->put_name(CComBSTR(QStringLiteral("私のアルバム"))), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return sink->Count(QStringLiteral("PlaylistChange")) > 1; }, 10000));
    EXPECT_EQ(Name(disc.Get()), QStringLiteral("私のアルバム"));
    EXPECT_EQ(Info(Item(disc.Get(), 0).Get(), QStringLiteral("WM/AlbumTitle")), QString())
        << "the rip takes the album the user named";
    EXPECT_EQ(Titles(), kFound);
}

TEST_F(DiscNaming, AnAnswerDuringARipRenamesNothingAndNamesTheDiscNextTime) {
    Serve(600);
    Insert(QLatin1Char('D'), PlainDisc());
    CreatePlayer();
    const RecorderPtr sink = Advise();
    ComPtr<IWMPCdromRip> rip;
    ASSERT_EQ(Drive(0).As(&rip), S_OK);
    ASSERT_EQ(rip->startRip(), S_OK);
    ASSERT_TRUE(WaitForRipEnd());
    ASSERT_TRUE(PumpUntil([&] { return m_server->Requests().size() == 1; }, 10000));
    Pump(1500); // the answer (held 600 ms) has arrived by now
    EXPECT_EQ(Name(CdPlaylist(0).Get()), engine_text::kNoAlbum);
    EXPECT_EQ(Titles(), (QStringList{engine_text::TrackTitle(1), engine_text::TrackTitle(2),
                                     engine_text::TrackTitle(3)}));
    EXPECT_EQ(sink->Count(QStringLiteral("PlaylistChange")), 0);

    // Taken out and put back: named at once from what was kept.
    const QString plain = QStringLiteral("discs/plain.cue");
    TakeOut(QLatin1Char('D'));
    ASSERT_EQ(Test()->CheckMedia(), S_OK);
    Insert(QLatin1Char('D'), plain);
    ASSERT_EQ(Test()->CheckMedia(), S_OK);
    EXPECT_EQ(Name(CdPlaylist(0).Get()), kFoundAlbum);
    EXPECT_EQ(m_server->Requests().size(), 1);
}

TEST_F(DiscNaming, ThePlayersPreferencesKeepItOffline) {
    for (const QString& preference : {QStringLiteral("MetadataRetrieval"), QStringLiteral("ForceOnline")}) {
        SCOPED_TRACE(preference.toStdString());
        Serve(0);
        SetPreference(QStringLiteral("MetadataRetrieval"), 3);
        SetPreference(QStringLiteral("ForceOnline"), 1);
        SetPreference(preference, 0);
        Insert(QLatin1Char('D'), PlainDisc());
        CreatePlayer();
        Pump(500);
        EXPECT_TRUE(m_server->Requests().isEmpty());
        EXPECT_EQ(Name(CdPlaylist(0).Get()), engine_text::kNoAlbum);
        ReleasePlayer();
    }
}

// The time from a disc's arrival to its named track list, the first time (a server that answers at
// once) and from the cache; printed for the notes, as the job's turn times are.
TEST_F(DiscNaming, TimeFromArrivalToTheNamedTrackList) {
    const QString plain = PlainDisc(); // made before the clock starts
    Serve(0);
    CreatePlayer();
    const RecorderPtr sink = Advise();
    QElapsedTimer clock;
    clock.start();
    Insert(QLatin1Char('D'), plain);
    ASSERT_EQ(Test()->CheckMedia(), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return Name(CdPlaylist(0).Get()) == kFoundAlbum; }, 10000));
    const double firstMs = clock.nsecsElapsed() / 1e6;
    EXPECT_EQ(Titles(), kFound);

    TakeOut(QLatin1Char('D'));
    ASSERT_EQ(Test()->CheckMedia(), S_OK);
    clock.restart();
    Insert(QLatin1Char('D'), plain);
    ASSERT_EQ(Test()->CheckMedia(), S_OK);
    const double cachedMs = clock.nsecsElapsed() / 1e6;
    EXPECT_EQ(Titles(), kFound) << "named as it is read";
    RecordProperty("first_ms", QString::number(firstMs, 'f', 1).toStdString());
    RecordProperty("cached_ms", QString::number(cachedMs, 'f', 1).toStdString());
    std::printf("disc arrival to named track list: %.1f ms first time, %.1f ms from the cache\n", firstMs,
                cachedMs);
}
