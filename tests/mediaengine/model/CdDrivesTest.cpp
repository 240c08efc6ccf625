// The CD drives of the machine and the discs in them, as the program lists and reads them, and the
// events that tell it a disc came, went or was renamed.
#include "mediaengine/core/EngineText.h"
#include "platform/files/Volumes.h"
#include "tests/support/engine/EngineFixture.h"

#include <QFile>

namespace {

using CdDrives = CEngineFixture;

QString Specifier(IWMPCdrom* drive) {
    CComBSTR text;
    return drive && SUCCEEDED(drive->get_driveSpecifier(&text)) ? text.ToQString() : QString();
}

void AddCdDrive(CVolumes& volumes, QChar letter) {
    CVolumes::Drive drive;
    drive.letter = letter;
    drive.type = DRIVE_CDROM;
    drive.present = false;
    volumes.SetDrive(drive);
}

TEST_F(CdDrives, ListsEveryCdDriveInLetterOrder) {
    AddCdDrive(m_sandbox->Volumes(), QLatin1Char('G'));
    AddCdDrive(m_sandbox->Volumes(), QLatin1Char('F'));
    CreatePlayer();
    ComPtr<IWMPCdromCollection> drives;
    ASSERT_EQ(m_player->get_cdromCollection(&drives), S_OK);
    long count = 0;
    ASSERT_EQ(drives->get_count(&count), S_OK);
    ASSERT_EQ(count, 3) << "C: is fixed and E: removable: neither is a CD drive";
    EXPECT_EQ(Specifier(Drive(0).Get()), QStringLiteral("D:"));
    EXPECT_EQ(Specifier(Drive(1).Get()), QStringLiteral("F:"));
    EXPECT_EQ(Specifier(Drive(2).Get()), QStringLiteral("G:"));
    ComPtr<IWMPCdrom> none;
    EXPECT_EQ(drives->item(3, &none), E_INVALIDARG);
    EXPECT_FALSE(none);
}

TEST_F(CdDrives, ShowsTheTracksOfTheDiscInTrackOrder) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    CreatePlayer();
    const ComPtr<IWMPPlaylist> disc = CdPlaylist(0);
    ASSERT_EQ(Count(disc.Get()), 3);
    EXPECT_EQ(Name(disc.Get()), QStringLiteral("夏の記憶"));
    EXPECT_FALSE(Info(disc.Get(), QStringLiteral("TOC")).isEmpty());
    const QString titles[] = {QStringLiteral("はじまりの朝"), QStringLiteral("雨のち晴れ"),
                              QStringLiteral("さよなら/また明日")};
    for (long i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const ComPtr<IWMPMedia> track = Item(disc.Get(), i);
        ASSERT_TRUE(track);
        EXPECT_EQ(Name(track.Get()), titles[i]);
        EXPECT_EQ(Info(track.Get(), QStringLiteral("Title")), titles[i]);
        EXPECT_EQ(Info(track.Get(), QStringLiteral("WM/TrackNumber")), QString::number(i + 1));
        EXPECT_EQ(Info(track.Get(), QStringLiteral("Album")), QStringLiteral("夏の記憶"));
        EXPECT_EQ(Info(track.Get(), QStringLiteral("WM/AlbumTitle")), QStringLiteral("夏の記憶"));
        EXPECT_EQ(Info(track.Get(), QStringLiteral("WM/AlbumArtist")), QStringLiteral("山田花子"));
        EXPECT_EQ(Info(track.Get(), QStringLiteral("Artist")),
                  i == 1 ? QStringLiteral("鈴木一郎") : QStringLiteral("山田花子"));
        EXPECT_EQ(Info(track.Get(), QStringLiteral("SelectedForRip")), QStringLiteral("True"));
        EXPECT_EQ(Info(track.Get(), QStringLiteral("Status")), QString());
        double seconds = 0;
        ASSERT_EQ(track->get_duration(&seconds), S_OK);
        EXPECT_NEAR(seconds, 1.5, 1.0 / 75) << "whole sectors of 1/75 s";
        CComBSTR text;
        ASSERT_EQ(track->get_durationString(&text), S_OK);
        EXPECT_EQ(text.ToQString(), QStringLiteral("00:01"));
    }
    // The same track is the same item, however often it is asked for.
    VARIANT_BOOL same = VARIANT_FALSE;
    ASSERT_EQ(Item(disc.Get(), 1)->get_isIdentical(Item(CdPlaylist(0).Get(), 1).Get(), &same), S_OK);
    EXPECT_EQ(same, VARIANT_TRUE);
    ASSERT_EQ(Item(disc.Get(), 1)->get_isIdentical(Item(disc.Get(), 2).Get(), &same), S_OK);
    EXPECT_EQ(same, VARIANT_FALSE);
}

TEST_F(CdDrives, NamesDiscsWithoutAlbumDataEmptyDrivesAndUnreadableDiscs) {
    TestDisc plain;
    plain.tracks = {{.seconds = 1}, {.seconds = 1}};
    TestDisc enhanced; // a data track between the audio tracks is not a track of the playlist
    enhanced.album = QStringLiteral("混在");
    enhanced.tracks = {{.seconds = 1, .title = QStringLiteral("一")},
                       {.seconds = 1, .data = true},
                       {.seconds = 1, .title = QStringLiteral("三")}};
    TestDisc shiftJis;
    shiftJis.album = QStringLiteral("シフトJIS");
    shiftJis.encoding = QStringLiteral("shift_jis");
    shiftJis.tracks = {{.seconds = 1, .title = QStringLiteral("日本語の題")}};
    const QString broken = QStringLiteral("discs/broken.cue");
    {
        QFile file(QDir(m_dir).filePath(broken));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("FILE \"missing.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n");
    }
    struct Case {
        const char* what;
        QString disc;
        QString name;
        QStringList titles;
    } cases[] = {
        {"empty drive", QString(), engine_text::kNoDisc, {}},
        {"no album data",
         MakeDisc(plain, QStringLiteral("plain")),
         engine_text::kNoAlbum,
         {QStringLiteral("トラック 1"), QStringLiteral("トラック 2")}},
        {"data track in the middle",
         MakeDisc(enhanced, QStringLiteral("enhanced")),
         QStringLiteral("混在"),
         {QStringLiteral("一"), QStringLiteral("三")}},
        {"Shift_JIS sheet",
         MakeDisc(shiftJis, QStringLiteral("sjis")),
         QStringLiteral("シフトJIS"),
         {QStringLiteral("日本語の題")}},
        {"sheet naming a missing BIN", broken, engine_text::kNoDisc, {}},
        {"no such sheet", QStringLiteral("discs/nowhere.cue"), engine_text::kNoDisc, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Insert(QLatin1Char('D'), c.disc);
        CreatePlayer();
        const ComPtr<IWMPPlaylist> disc = CdPlaylist(0);
        EXPECT_EQ(Name(disc.Get()), c.name);
        ASSERT_EQ(Count(disc.Get()), c.titles.size());
        for (int i = 0; i < c.titles.size(); ++i) {
            EXPECT_EQ(Name(Item(disc.Get(), i).Get()), c.titles[i]);
            EXPECT_EQ(Info(Item(disc.Get(), i).Get(), QStringLiteral("WM/TrackNumber")),
                      QString::number(i + 1));
        }
        ComPtr<IWMPMedia> beyond;
        EXPECT_TRUE(FAILED(disc->get_Item(long(c.titles.size()), &beyond)) && !beyond);
        ReleasePlayer();
    }
}

TEST_F(CdDrives, ADiscPutInOrTakenOutIsReportedWithTheDriveIndex) {
    AddCdDrive(m_sandbox->Volumes(), QLatin1Char('F'));
    const QString disc = MakeJapaneseDisc();
    CreatePlayer();
    const RecorderPtr sink = Advise();

    m_loop.Advance(kMediaPollMs);
    EXPECT_TRUE(sink->events.empty()) << "nothing changed";

    Insert(QLatin1Char('F'), disc);
    m_loop.Advance(kMediaPollMs); // the engine's own poll notices it
    ASSERT_EQ(sink->Names(), QStringList{QStringLiteral("CdromMediaChange")});
    EXPECT_EQ(sink->events[0].value, 1);
    EXPECT_TRUE(sink->events[0].onUiThread);
    EXPECT_EQ(Count(CdPlaylist(1).Get()), 3);
    EXPECT_EQ(Count(CdPlaylist(0).Get()), 0);

    TakeOut(QLatin1Char('F'));
    ASSERT_EQ(Test()->CheckMedia(), S_OK); // or at once, as the sandbox asks
    ASSERT_EQ(sink->events.size(), 2u);
    EXPECT_EQ(sink->events[1].value, 1);
    EXPECT_EQ(Name(CdPlaylist(1).Get()), engine_text::kNoDisc);
    EXPECT_EQ(Count(CdPlaylist(1).Get()), 0);
}

TEST_F(CdDrives, EjectEmptiesTheDriveAndTellsSoOnceTheCallHasReturned) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    CreatePlayer();
    const RecorderPtr sink = Advise();
    ASSERT_EQ(Drive(0)->eject(), S_OK);
    EXPECT_TRUE(sink->events.empty());
    m_loop.Pump();
    ASSERT_EQ(sink->Names(), QStringList{QStringLiteral("CdromMediaChange")});
    EXPECT_EQ(sink->events[0].value, 0);
    EXPECT_EQ(Count(CdPlaylist(0).Get()), 0);
    EXPECT_EQ(m_sandbox->Volumes().DriveOf(QLatin1Char('D'))->disc, QString());
}

TEST_F(CdDrives, RenamingTheAlbumOrATrackIsAChangeOfTheCdPlaylist) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    CreatePlayer();
    for (bool dispatch : {false, true}) {
        SCOPED_TRACE(dispatch ? "through _WMPOCXEvents" : "through IWMPEvents2");
        const RecorderPtr sink = Advise(dispatch);
        const ComPtr<IWMPPlaylist> disc = CdPlaylist(0);
        const QString album = dispatch ? QStringLiteral("二枚目") : QStringLiteral("新しい題");
        ASSERT_EQ(disc->put_name(CComBSTR(album)), S_OK);
        ASSERT_EQ(Item(disc.Get(), 0)->put_name(CComBSTR(QStringLiteral("01 はじまり"))), S_OK);
        ASSERT_EQ(sink->Names(),
                  (QStringList{QStringLiteral("PlaylistChange"), QStringLiteral("PlaylistChange")}));
        for (const RecordedEvent& e : sink->events) {
            EXPECT_EQ(e.value, wmplcNameChange);
            EXPECT_EQ(e.viaDispatch, dispatch);
            ComPtr<IWMPPlaylist> reported;
            ASSERT_EQ(e.object.As(&reported), S_OK);
            VARIANT_BOOL same = VARIANT_FALSE;
            ASSERT_EQ(disc->get_isIdentical(reported.Get(), &same), S_OK);
            EXPECT_EQ(same, VARIANT_TRUE);
        }
        EXPECT_EQ(Name(CdPlaylist(0).Get()), album);
        EXPECT_EQ(Name(Item(CdPlaylist(0).Get(), 0).Get()), QStringLiteral("01 はじまり"));
        ComPtr<IConnectionPointContainer> container;
        m_player.As(&container);
        ComPtr<IConnectionPoint> point;
        container->FindConnectionPoint(dispatch ? DIID__WMPOCXEvents : IID_IWMPEvents2, &point);
        point->Unadvise(1); // the first sink of each point had cookie 1
    }
}

} // namespace
