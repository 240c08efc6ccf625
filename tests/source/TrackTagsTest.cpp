// The tags written onto the disc's tracks before the rip (numbers, artists, album title) and onto
// the rips afterwards, and the order check of the disc's rips in the library.

#include "platform/files/Volumes.h"
#include "source/PlayerContext.h"
#include "tests/source/CdSourceFixture.h"
#include "tests/support/engine/TestMp3.h"

#include <QFile>

namespace {

class TrackTags : public CCdSourceTest {
protected:
    static QString Attr(IWMPPlaylist* list, int position, const char* name) {
        return Info(Item(list, position).Get(), QString::fromLatin1(name));
    }
};

TEST_F(TrackTags, NumbersAndArtistsByModelFor9And12Tracks) {
    const QStringList given{QStringLiteral("Intro"), QStringLiteral("1999"), QStringLiteral("01 X")};
    const struct {
        int tracks;
        int model;
        QStringList titles; // of the first four tracks afterwards
    } cases[] = {
        {9,
         0,
         {QStringLiteral("Intro"), QStringLiteral("1999"), QStringLiteral("01 X"), QStringLiteral("4 Four")}},
        {9,
         1,
         {QStringLiteral("1 Intro"), QStringLiteral("2 1999"), QStringLiteral("3 01 X"),
          QStringLiteral("4 Four")}},
        {9,
         2,
         {QStringLiteral("1 Intro"), QStringLiteral("2 1999"), QStringLiteral("3 01 X"),
          QStringLiteral("4 Four")}},
        {12,
         0,
         {QStringLiteral("Intro"), QStringLiteral("1999"), QStringLiteral("01 X"),
          QStringLiteral("04 Four")}},
        {12,
         1,
         {QStringLiteral("01 Intro"), QStringLiteral("02 1999"), QStringLiteral("03 01 X"),
          QStringLiteral("04 Four")}},
        {12,
         2,
         {QStringLiteral("01 Intro"), QStringLiteral("02 1999"), QStringLiteral("03 01 X"),
          QStringLiteral("04 Four")}},
    };
    int disc = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 tracks, model %2").arg(c.tracks).arg(c.model).toStdString());
        QStringList titles = given;
        titles << (c.tracks == 9 ? QStringLiteral("4 Four") : QStringLiteral("04 Four"));
        TestDisc image;
        for (int i = 0; i < c.tracks; ++i) {
            // Track 2 has its own performer; the disc has no album data and no artist.
            image.tracks.append({.sectors = 5,
                                 .title = i < titles.size() ? titles.at(i) : QStringLiteral("t"),
                                 .performer = i == 1 ? QStringLiteral("鈴木一郎") : QString()});
        }
        Insert(QLatin1Char('D'), MakeDisc(image, QStringLiteral("disc%1").arg(++disc)));
        StartPlayer();
        ASSERT_TRUE(OpenLikeTheWindow());
        // The window refills the list on each rename the player reports, as the main window does.
        const RecorderPtr sink = Advise();
        int refills = 0;
        sink->onEvent = [&](const RecordedEvent& e) {
            ComPtr<IWMPPlaylist> list;
            if (e.name == QLatin1String("PlaylistChange") && SUCCEEDED(e.object.As(&list)) &&
                m_cd->IsCdPlaylist(list.Get())) {
                ++refills;
                m_cd->OpenDisc(false);
                m_cd->FillTrackList(128000, false);
            }
        };
        ASSERT_TRUE(m_cd->SetAlbumTitle(QStringLiteral("A/B:C")));
        EXPECT_EQ(refills, 1) << "the album's new name is reported too";
        refills = 0;
        ASSERT_TRUE(m_cd->PrepareTrackTags(c.model));
        // Again: nothing is numbered twice.
        ASSERT_TRUE(m_cd->PrepareTrackTags(c.model));
        const ComPtr<IWMPPlaylist> cd = CdPlaylist(0);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(Name(Item(cd.Get(), i).Get()), c.titles.at(i)) << i;
            EXPECT_EQ(m_list->GetItemText(i, 0), c.titles.at(i)) << "the list shows the numbered titles";
        }
        EXPECT_EQ(m_list->GetItemCount(), c.tracks);
        EXPECT_TRUE(m_cd->IsTrackListComplete());
        EXPECT_EQ(refills > 0, c.model != 0);
        const QString noArtist = QStringLiteral("ｱｰﾃｨｽﾄ情報なし");
        EXPECT_EQ(Attr(cd.Get(), 0, "WM/AlbumArtist"), noArtist);
        EXPECT_EQ(Attr(cd.Get(), 0, "Artist"), c.model == 0 ? QString() : noArtist);
        EXPECT_EQ(Attr(cd.Get(), 1, "Artist"), QStringLiteral("鈴木一郎"));
        // The disc has no album data: the title the user gave, without "/" and ":".
        EXPECT_EQ(Attr(cd.Get(), 0, "WM/AlbumTitle"), QStringLiteral("A-B-C"));
        sink->onEvent = nullptr;
        m_cd.reset();
        PlayerContext().ReleasePlayer();
        ReleasePlayer();
    }
}

TEST_F(TrackTags, ATitleCountsAsNumberedOnlyWhenItsNumberAndABlankBeginIt) {
    // The first titles of a disc, numbered with model 1. "1999" on a disc of at most nine tracks
    // begins with the digit 1 but is no numbered title: it is a year.
    const struct {
        int tracks;
        QStringList given;
        QStringList numbered;
    } cases[] = {
        {9,
         {QStringLiteral("1999"), QStringLiteral("2 Two"), QStringLiteral("3"), QStringLiteral("4Four"),
          QStringLiteral("05 Five")},
         {QStringLiteral("1 1999"), QStringLiteral("2 Two"), QStringLiteral("3 3"), QStringLiteral("4 4Four"),
          QStringLiteral("5 05 Five")}},
        {12,
         {QStringLiteral("1999"), QStringLiteral("02 Two"), QStringLiteral("3 Three"), QStringLiteral("0400"),
          QStringLiteral("05")},
         {QStringLiteral("01 1999"), QStringLiteral("02 Two"), QStringLiteral("03 3 Three"),
          QStringLiteral("04 0400"), QStringLiteral("05 05")}},
    };
    int disc = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 tracks").arg(c.tracks).toStdString());
        TestDisc image;
        for (int i = 0; i < c.tracks; ++i) {
            image.tracks.append(
                {.sectors = 5, .title = i < c.given.size() ? c.given.at(i) : QStringLiteral("t")});
        }
        Insert(QLatin1Char('D'), MakeDisc(image, QStringLiteral("numbered%1").arg(++disc)));
        StartPlayer();
        ASSERT_TRUE(OpenLikeTheWindow());
        ASSERT_TRUE(m_cd->PrepareTrackTags(1));
        // A second preparation (the next job on this disc) numbers nothing again.
        ASSERT_TRUE(m_cd->PrepareTrackTags(1));
        const ComPtr<IWMPPlaylist> cd = CdPlaylist(0);
        for (int i = 0; i < c.numbered.size(); ++i) {
            EXPECT_EQ(Name(Item(cd.Get(), i).Get()), c.numbered.at(i)) << "track " << i + 1;
        }
        m_cd.reset();
        PlayerContext().ReleasePlayer();
        ReleasePlayer();
    }
}

TEST_F(TrackTags, ADiscWithAlbumDataKeepsItAndTheNoAlbumNameBecomesNoInfo) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    StartPlayer();
    ASSERT_TRUE(OpenLikeTheWindow());
    ASSERT_TRUE(m_cd->PrepareTrackTags(1));
    const ComPtr<IWMPPlaylist> cd = CdPlaylist(0);
    EXPECT_EQ(Attr(cd.Get(), 0, "WM/AlbumTitle"), QStringLiteral("夏の記憶"));
    EXPECT_EQ(Attr(cd.Get(), 0, "WM/AlbumArtist"), QStringLiteral("山田花子"));
    EXPECT_EQ(Name(Item(cd.Get(), 2).Get()), QStringLiteral("3 さよなら/また明日"));

    m_cd.reset();
    PlayerContext().ReleasePlayer();
    ReleasePlayer();
    Insert(QLatin1Char('D'), MakeShortDisc(2, {}, QString(), QString(), QStringLiteral("plain")));
    StartPlayer();
    ASSERT_TRUE(OpenLikeTheWindow());
    ASSERT_EQ(m_cd->GetAlbumTitle(), CCDROMAcc::kNoAlbumName);
    ASSERT_TRUE(m_cd->PrepareTrackTags(0));
    EXPECT_EQ(Attr(CdPlaylist(0).Get(), 1, "WM/AlbumTitle"), QStringLiteral("情報なし"));
}

TEST_F(TrackTags, AFailingPlayerCallEndsTheStep) {
    Insert(QLatin1Char('D'), MakeShortDisc(3));
    for (const char* call : {"setItemInfo", "put_name", "getItemInfo", "get_Item"}) {
        SCOPED_TRACE(call);
        StartPlayer();
        ASSERT_TRUE(OpenLikeTheWindow());
        Test()->SetFaults({.failingCalls = {QString::fromLatin1(call)}});
        EXPECT_FALSE(m_cd->PrepareTrackTags(1));
        Test()->SetFaults({});
        m_cd.reset();
        PlayerContext().ReleasePlayer();
        ReleasePlayer();
    }
}

TEST_F(TrackTags, RipsGetTheDiscsNamesAndTwoRipsOfOneTrackAreOutOfOrder) {
    Insert(QLatin1Char('D'), MakeShortDisc(3, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")},
                                           QStringLiteral("Album")));
    StartPlayer();
    ASSERT_TRUE(OpenLikeTheWindow());
    EXPECT_TRUE(m_cd->CheckAlbumOrder()) << "nothing in the library yet";
    ASSERT_TRUE(m_cd->PrepareTrackTags(0));
    ASSERT_EQ(m_cd->StartRip(), 0);
    ASSERT_TRUE(WaitForRipEnd());
    m_loop.Pump();
    ASSERT_EQ(m_cd->RipProgress(0), 300);
    EXPECT_TRUE(m_cd->CheckAlbumOrder());

    // The user renames track 2 after the rip: the rip in the library and its file follow.
    ASSERT_TRUE(m_cd->RenameTrack(2, QStringLiteral("新しい名前")));
    ASSERT_TRUE(m_cd->CopyTagsToLibrary());
    const ComPtr<IWMPPlaylist> album = m_cd->FindAlbumInLibrary(false);
    ASSERT_EQ(Count(album.Get()), 3);
    const ComPtr<IWMPMedia> second = Item(album.Get(), 1);
    EXPECT_EQ(Name(second.Get()), QStringLiteral("新しい名前"));
    CComBSTR url;
    ASSERT_EQ(second->get_sourceURL(&url), S_OK);
    EXPECT_EQ(CTestMp3::Read(Host(url.ToQString())).title, QStringLiteral("新しい名前"));
    EXPECT_EQ(Name(Item(album.Get(), 0).Get()), QStringLiteral("a"));

    // A second file of track 2 in the library: the disc's rips are no longer one per track.
    const QString copy = Host(url.ToQString()) + QStringLiteral(".copy.mp3");
    ASSERT_TRUE(QFile::copy(Host(url.ToQString()), copy));
    QString copyUrl;
    ASSERT_EQ(FromHostPath(copy, &copyUrl), ERROR_SUCCESS);
    ComPtr<IWMPMedia> added;
    ASSERT_EQ(Library()->add(CComBSTR(copyUrl), &added), S_OK);
    EXPECT_EQ(Count(m_cd->FindAlbumInLibrary(false).Get()), 4);
    EXPECT_FALSE(m_cd->CheckAlbumOrder());
}

} // namespace
