// Ripping a disc into the library, started the way each player version is started by the program:
// the task pane (10) or the drive's own rip interface (11). The MP3 files are real and are checked
// with TagLib; progress arrives as MediaChange events on the UI thread.
#include "mediaengine/core/EngineText.h"
#include "platform/files/Volumes.h"
#include "tests/support/TurnLimit.h"
#include "tests/support/engine/EngineFixture.h"
#include "tests/support/engine/TestMp3.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>

namespace {

using Rip = CEngineFixture;

QStringList FilesBelow(const QString& hostDir) {
    QStringList files;
    QDirIterator it(hostDir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << it.next();
    }
    files.sort();
    return files;
}

// The statuses each track's MediaChange events carried, in order.
QMap<QString, QStringList> StatusesByTrack(const CEventRecorder& sink) {
    QMap<QString, QStringList> statuses;
    for (const RecordedEvent& e : sink.events) {
        if (e.name == QLatin1String("MediaChange")) {
            statuses[e.trackNumber] << e.status;
        }
    }
    return statuses;
}

// The number between "(" and "%" as the program reads it; -2 for no status.
int Percent(const QString& status) {
    if (status.isEmpty()) {
        return -2;
    }
    const QStringList pieces = status.split(QRegularExpression(QStringLiteral("[( %)]")), Qt::SkipEmptyParts);
    return pieces.size() > 1 ? pieces[1].toInt() : -1;
}

TEST_F(Rip, Version11RipsTheSelectedTracksIntoTheLibraryAsRealMp3Files) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    CreatePlayer(QStringLiteral("11.0.5721.5145"));
    const RecorderPtr sink = Advise();
    const ComPtr<IWMPPlaylist> disc = CdPlaylist(0);
    const QString toc = Info(disc.Get(), QStringLiteral("TOC"));
    ASSERT_EQ(
        Item(disc.Get(), 1)
            ->setItemInfo(CComBSTR(QStringLiteral("SelectedForRip")), CComBSTR(QStringLiteral("False"))),
        S_OK);

    // The program holds one query across the whole rip and relies on it listing the run's rips.
    ComPtr<IWMPPlaylist> album;
    ASSERT_EQ(Library()->getByAttribute(CComBSTR(QStringLiteral("TOC")), CComBSTR(toc), &album), S_OK);
    ASSERT_EQ(Count(album.Get()), 0);
    QList<long> albumCountWhenDone;
    sink->onEvent = [&](const RecordedEvent& e) {
        if (e.name == QLatin1String("MediaChange") && Percent(e.status) == 100) {
            albumCountWhenDone << Count(album.Get());
        }
    };

    ComPtr<IWMPCdromRip> rip;
    ASSERT_EQ(Drive(0).As(&rip), S_OK);
    ASSERT_EQ(rip->startRip(), S_OK);
    EXPECT_EQ(rip->startRip(), E_UNEXPECTED) << "one rip at a time";
    ASSERT_TRUE(WaitForRipEnd());

    EXPECT_EQ(albumCountWhenDone, (QList<long>{1, 2})) << "each track is in the library before it reads 100";
    const QMap<QString, QStringList> statuses = StatusesByTrack(*sink);
    EXPECT_EQ(statuses.keys(), (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
    for (const QString& track : statuses.keys()) {
        SCOPED_TRACE(track.toStdString());
        const QStringList& seen = statuses[track];
        ASSERT_GE(seen.size(), 2);
        EXPECT_TRUE(seen.first().startsWith(QStringLiteral("取り込み中 (")));
        int last = -1;
        for (const QString& status : seen) {
            EXPECT_GT(Percent(status), last) << status.toStdString();
            last = Percent(status);
        }
        EXPECT_EQ(last, 100);
    }
    for (const RecordedEvent& e : sink->events) {
        EXPECT_TRUE(e.onUiThread) << e.name.toStdString();
    }
    EXPECT_EQ(Percent(Info(Item(disc.Get(), 0).Get(), QStringLiteral("Status"))), 100);
    EXPECT_EQ(Info(Item(disc.Get(), 1).Get(), QStringLiteral("Status")), QString())
        << "not selected, not reached";

    ASSERT_EQ(Count(album.Get()), 2);
    const QString expectedTitles[] = {QStringLiteral("はじまりの朝"), QStringLiteral("さよなら/また明日")};
    for (long i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const ComPtr<IWMPMedia> item = Item(album.Get(), i);
        EXPECT_EQ(Info(item.Get(), QStringLiteral("WM/TrackNumber")),
                  i == 0 ? QStringLiteral("1") : QStringLiteral("3"));
        EXPECT_EQ(Info(item.Get(), QStringLiteral("Album")), QStringLiteral("夏の記憶"));
        EXPECT_EQ(Info(item.Get(), QStringLiteral("WM/AlbumTitle")), QStringLiteral("夏の記憶"));
        EXPECT_EQ(Info(item.Get(), QStringLiteral("WM/AlbumArtist")), QStringLiteral("山田花子"));
        EXPECT_EQ(Info(item.Get(), QStringLiteral("Artist")), QStringLiteral("山田花子"));
        EXPECT_EQ(Info(item.Get(), QStringLiteral("TOC")), toc);
        EXPECT_EQ(Info(item.Get(), QStringLiteral("MediaType")), QStringLiteral("audio"));
        EXPECT_EQ(Info(item.Get(), QStringLiteral("FileType")), QStringLiteral("mp3"));
        EXPECT_EQ(Info(item.Get(), QStringLiteral("Bitrate")), QStringLiteral("128000"));
        EXPECT_EQ(Name(item.Get()), expectedTitles[i]);
        CComBSTR url;
        ASSERT_EQ(item->get_sourceURL(&url), S_OK);
        EXPECT_TRUE(
            url.ToQString().startsWith(QStringLiteral("C:\\Users\\user\\Music\\山田花子\\夏の記憶\\")))
            << url.ToQString().toStdString();
        EXPECT_TRUE(url.ToQString().endsWith(QStringLiteral(".mp3")));
        const QString host = Host(url.ToQString());
        ASSERT_TRUE(QFileInfo::exists(host));
        EXPECT_EQ(Info(item.Get(), QStringLiteral("FileSize")), QString::number(QFileInfo(host).size()));
        const Mp3Facts facts = CTestMp3::Read(host);
        EXPECT_EQ(facts.bitrateKbps, 128);
        double seconds = 0;
        Item(disc.Get(), i == 0 ? 0 : 2)->get_duration(&seconds);
        // LAME adds 576 samples of delay and pads the last frame; TagLib counts both.
        const double frameMs = 1152 * 1000.0 / 44100;
        EXPECT_GE(facts.lengthMs, seconds * 1000 - frameMs);
        EXPECT_LE(facts.lengthMs, seconds * 1000 + 2 * frameMs);
        EXPECT_EQ(facts.title, expectedTitles[i]);
        EXPECT_EQ(facts.album, QStringLiteral("夏の記憶"));
        EXPECT_EQ(facts.Txxx(QStringLiteral("TOC")), toc) << "a rip added back later is found by its disc";
    }
    // The same rips are found by album too.
    ComPtr<IWMPPlaylist> byAlbum;
    ASSERT_EQ(Library()->getByAlbum(CComBSTR(QStringLiteral("夏の記憶")), &byAlbum), S_OK);
    EXPECT_EQ(Count(byAlbum.Get()), 2);
    EXPECT_EQ(FilesBelow(Host(QStringLiteral("C:\\Users\\user\\Music"))).size(), 2);
}

TEST_F(Rip, Version10TaskPaneRipsEveryTrackOfTheNamedDrive) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    CreatePlayer(QStringLiteral("10.0.0.3802"));
    const ComPtr<IWMPPlaylist> disc = CdPlaylist(0);
    // A tick left off by the user does not stop player 10 from ripping the track.
    Item(disc.Get(), 2)
        ->setItemInfo(CComBSTR(QStringLiteral("SelectedForRip")), CComBSTR(QStringLiteral("False")));
    // The program renames the album before it rips; the rip follows.
    ASSERT_EQ(disc->put_name(CComBSTR(QStringLiteral("改名アルバム"))), S_OK);
    for (long i = 0; i < 3; ++i) {
        Item(disc.Get(), i)
            ->setItemInfo(CComBSTR(QStringLiteral("WM/AlbumTitle")),
                          CComBSTR(QStringLiteral("改名アルバム")));
    }
    ComPtr<IWMPPlayerServices> services;
    ASSERT_EQ(m_player.As(&services), S_OK);
    EXPECT_EQ(services->setTaskPane(CComBSTR(QStringLiteral("CopyFromCD?AutoCopy:1"))), E_INVALIDARG);
    EXPECT_EQ(services->setTaskPane(CComBSTR(QStringLiteral("Burn"))), E_INVALIDARG);
    ASSERT_EQ(services->setTaskPane(CComBSTR(QStringLiteral("CopyFromCD?AutoCopy:0"))), S_OK);
    ASSERT_TRUE(WaitForRipEnd());

    ComPtr<IWMPPlaylist> album;
    ASSERT_EQ(Library()->getByAlbum(CComBSTR(QStringLiteral("改名アルバム")), &album), S_OK);
    ASSERT_EQ(Count(album.Get()), 3);
    for (long i = 0; i < 3; ++i) {
        EXPECT_EQ(Info(Item(album.Get(), i).Get(), QStringLiteral("WM/TrackNumber")), QString::number(i + 1));
        EXPECT_GT(Info(Item(album.Get(), i).Get(), QStringLiteral("FileSize")).toLongLong(), 0);
    }
    CComBSTR url;
    Item(album.Get(), 0)->get_sourceURL(&url);
    EXPECT_TRUE(url.ToQString().contains(QStringLiteral("\\改名アルバム\\")))
        << url.ToQString().toStdString();
}

TEST_F(Rip, PreferencesAreReadWhenTheRipStarts) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    CreatePlayer();
    // The program overrides the player's preferences after the player is up.
    SetRipPreferences(QStringLiteral("C:\\Users\\user\\Documents\\Rips"), 64000);
    ComPtr<IWMPCdromRip> rip;
    ASSERT_EQ(Drive(0).As(&rip), S_OK);
    ASSERT_EQ(rip->startRip(), S_OK);
    ASSERT_TRUE(WaitForRipEnd());
    const QStringList files = FilesBelow(Host(QStringLiteral("C:\\Users\\user\\Documents\\Rips")));
    ASSERT_EQ(files.size(), 3);
    EXPECT_TRUE(FilesBelow(Host(QStringLiteral("C:\\Users\\user\\Music"))).isEmpty());
    EXPECT_EQ(CTestMp3::Read(files[0]).bitrateKbps, 64);
}

TEST_F(Rip, StoppingAStalledRipLeavesNothingOfTheCutTrack) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    m_config.faults.stallAtTrack = 2;
    CreatePlayer();
    const RecorderPtr sink = Advise();
    ComPtr<IWMPCdromRip> rip;
    ASSERT_EQ(Drive(0).As(&rip), S_OK);
    ASSERT_EQ(rip->startRip(), S_OK);
    const ComPtr<IWMPPlaylist> disc = CdPlaylist(0);
    ASSERT_TRUE(
        PumpUntil([&] { return Percent(Info(Item(disc.Get(), 0).Get(), QStringLiteral("Status"))) == 100; }));
    EXPECT_TRUE(Test()->IsRipping()) << "stalled, not ended";
    ASSERT_EQ(rip->stopRip(), S_OK);
    ASSERT_TRUE(WaitForRipEnd());
    EXPECT_EQ(Info(Item(disc.Get(), 1).Get(), QStringLiteral("Status")), QString());
    EXPECT_EQ(Info(Item(disc.Get(), 2).Get(), QStringLiteral("Status")), QString());
    ComPtr<IWMPPlaylist> album;
    ASSERT_EQ(Library()->getByAttribute(CComBSTR(QStringLiteral("TOC")),
                                        CComBSTR(Info(disc.Get(), QStringLiteral("TOC"))), &album),
              S_OK);
    EXPECT_EQ(Count(album.Get()), 1);
    EXPECT_EQ(FilesBelow(Host(QStringLiteral("C:\\Users\\user\\Music"))).size(), 1);
}

TEST_F(Rip, AZeroSizeFaultPutsAnEmptyFileIntoTheLibrary) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    m_config.faults.zeroSizeTrack = 2;
    CreatePlayer();
    ComPtr<IWMPCdromRip> rip;
    ASSERT_EQ(Drive(0).As(&rip), S_OK);
    ASSERT_EQ(rip->startRip(), S_OK);
    ASSERT_TRUE(WaitForRipEnd());
    ComPtr<IWMPPlaylist> album;
    ASSERT_EQ(Library()->getByAlbum(CComBSTR(QStringLiteral("夏の記憶")), &album), S_OK);
    ASSERT_EQ(Count(album.Get()), 3);
    EXPECT_GT(Info(Item(album.Get(), 0).Get(), QStringLiteral("FileSize")).toLongLong(), 0);
    EXPECT_EQ(Info(Item(album.Get(), 1).Get(), QStringLiteral("FileSize")), QStringLiteral("0"));
}

TEST_F(Rip, RefusalsAndARipFolderThatCannotBeWritten) {
    CreatePlayer();
    ComPtr<IWMPCdromRip> rip;
    ASSERT_EQ(Drive(0).As(&rip), S_OK);
    EXPECT_EQ(rip->startRip(), E_FAIL) << "no disc in the drive";

    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    ASSERT_EQ(Test()->CheckMedia(), S_OK);
    MediaEngineFaults faults;
    faults.failingCalls = {QStringLiteral("startRip")};
    Test()->SetFaults(faults);
    EXPECT_EQ(rip->startRip(), E_FAIL);
    Test()->SetFaults({});

    SetRipPreferences(QStringLiteral("Q:\\Music"));
    EXPECT_EQ(rip->startRip(), HRESULT_FROM_WIN32(ERROR_INVALID_DRIVE)) << "a folder on no drive";

    // A file where the rip folder should be: nothing can be written below it.
    QFile blocker(Host(QStringLiteral("C:\\Users\\user\\Music")) + QStringLiteral("/blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SetRipPreferences(QStringLiteral("C:\\Users\\user\\Music\\blocked"));
    const RecorderPtr sink = Advise();
    ASSERT_EQ(rip->startRip(), S_OK);
    ASSERT_TRUE(WaitForRipEnd());
    const ComPtr<IWMPPlaylist> disc = CdPlaylist(0);
    EXPECT_EQ(Info(Item(disc.Get(), 0).Get(), QStringLiteral("Status")), engine_text::kRipFailed);
    for (long i = 0; i < 3; ++i) {
        EXPECT_NE(Percent(Info(Item(disc.Get(), i).Get(), QStringLiteral("Status"))), 100);
    }
    ComPtr<IWMPPlaylist> album;
    ASSERT_EQ(Library()->getByAlbum(CComBSTR(QStringLiteral("夏の記憶")), &album), S_OK);
    EXPECT_EQ(Count(album.Get()), 0);
    const QStringList left = FilesBelow(Host(QStringLiteral("C:\\Users\\user\\Music")));
    ASSERT_EQ(left.size(), 1) << "no MP3 anywhere";
    EXPECT_TRUE(left[0].endsWith(QStringLiteral("/blocked")));
}

} // namespace

namespace {

// The engine does its disc and file work on worker threads: what runs on the UI thread during a rip
// (events, statuses, library entries, the media poll) must never keep it from the user for long.
TEST_F(Rip, TheUiThreadIsNeverBusyWithTheRipForLong) {
    TestDisc disc;
    disc.album = QStringLiteral("夏の記憶");
    disc.artist = QStringLiteral("山田花子");
    for (int i = 0; i < 6; ++i) {
        disc.tracks.append({.seconds = 4, .title = QStringLiteral("曲%1").arg(i + 1)});
    }
    Insert(QLatin1Char('D'), MakeDisc(disc));
    SetRipPreferences(QStringLiteral("C:\\Users\\user\\Music"));
    CreatePlayer();
    const RecorderPtr sink = Advise();
    ComPtr<IWMPCdromRip> rip;
    ASSERT_EQ(Drive(0).As(&rip), S_OK);
    ASSERT_EQ(rip->startRip(), S_OK);

    // Each turn runs everything handed over since the last one, so its length bounds every piece.
    const ComPtr<IMediaEngineTest> test = Test();
    QElapsedTimer wall;
    wall.start();
    qint64 longestNs = 0;
    qint64 lastPoll = 0;
    int turns = 0;
    while (test->IsRipping() && wall.elapsed() < 120000) {
        m_loop.WaitForPosted(20);
        QElapsedTimer turn;
        turn.start();
        m_loop.Pump();
        if (wall.elapsed() - lastPoll >= qint64(kMediaPollMs)) {
            m_loop.Advance(kMediaPollMs); // the media poll, on the clock of the rip
            lastPoll = wall.elapsed();
        }
        longestNs = std::max(longestNs, turn.nsecsElapsed());
        ++turns;
    }
    ASSERT_FALSE(test->IsRipping());
    ASSERT_EQ(FilesBelow(Host(QStringLiteral("C:\\Users\\user\\Music"))).size(), 6u);
    const double longestMs = longestNs / 1e6;
    RecordProperty("longest_ui_turn_ms", QString::number(longestMs, 'f', 1).toStdString());
    std::printf("longest UI-thread turn during a %d-turn rip: %.1f ms\n", turns, longestMs);
    EXPECT_LT(longestMs, kLongestTurnMs);
}

} // namespace

namespace {

// What the rip left: each track's status, the library's track numbers, and the files.
struct RipOutcome {
    QStringList statuses;
    QStringList libraryTracks;
    int files = 0;
};

class RipTrouble : public CEngineFixture {
protected:
    RipOutcome Outcome() {
        RipOutcome outcome;
        for (long i = 0; i < 3; ++i) {
            outcome.statuses << Info(Item(m_ripped.Get(), i).Get(), QStringLiteral("Status"));
        }
        ComPtr<IWMPPlaylist> album;
        EXPECT_EQ(Library()->getByAlbum(CComBSTR(QStringLiteral("夏の記憶")), &album), S_OK);
        for (long i = 0; album && i < Count(album.Get()); ++i) {
            outcome.libraryTracks << Info(Item(album.Get(), i).Get(), QStringLiteral("WM/TrackNumber"));
        }
        outcome.files = int(FilesBelow(Host(QStringLiteral("C:\\Users\\user\\Music"))).size());
        return outcome;
    }
    void StartRip() {
        CreatePlayer();
        m_ripped = CdPlaylist(0); // the disc record the rip reports on, even once it is gone
        ComPtr<IWMPCdromRip> rip;
        ASSERT_EQ(Drive(0).As(&rip), S_OK);
        ASSERT_EQ(rip->startRip(), S_OK);
    }
    ComPtr<IWMPPlaylist> m_ripped;
};

TEST_F(RipTrouble, AnUnreadableSectorFailsItsTrackAndTheRestIsRipped) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    m_config.faults.unreadableSector = 150; // inside track 2
    StartRip();
    ASSERT_TRUE(WaitForRipEnd());
    const RipOutcome outcome = Outcome();
    EXPECT_EQ(outcome.statuses,
              (QStringList{engine_text::Ripped(), engine_text::kRipFailed, engine_text::Ripped()}));
    EXPECT_EQ(outcome.libraryTracks, (QStringList{"1", "3"}));
    EXPECT_EQ(outcome.files, 2);
}

TEST_F(RipTrouble, ADiscThatFailsEveryReadFailsEveryTrackAndKeepsNothing) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    m_config.faults.unreadableDisc = true;
    StartRip();
    ASSERT_TRUE(WaitForRipEnd());
    const RipOutcome outcome = Outcome();
    EXPECT_EQ(outcome.statuses,
              (QStringList{engine_text::kRipFailed, engine_text::kRipFailed, engine_text::kRipFailed}));
    EXPECT_TRUE(outcome.libraryTracks.isEmpty());
    EXPECT_EQ(outcome.files, 0);
}

TEST_F(RipTrouble, ADiscTakenOutDuringTheRipFailsTheTrackItWasAt) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    m_config.faults.stallAtTrack = 2; // holds the rip inside track 2 until the disc goes
    StartRip();
    ASSERT_TRUE(PumpUntil(
        [&] { return Percent(Info(Item(m_ripped.Get(), 1).Get(), QStringLiteral("Status"))) > 0; }));
    TakeOut(QLatin1Char('D'));
    ASSERT_EQ(Test()->CheckMedia(), S_OK);
    ASSERT_TRUE(WaitForRipEnd());
    const RipOutcome outcome = Outcome();
    EXPECT_EQ(outcome.statuses, (QStringList{engine_text::Ripped(), engine_text::kRipFailed, QString()}));
    EXPECT_EQ(outcome.libraryTracks, QStringList{"1"});
    EXPECT_EQ(outcome.files, 1) << "nothing of the cut track stays";
}

} // namespace
