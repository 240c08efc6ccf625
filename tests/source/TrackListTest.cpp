// The disc's tracks in the track list: titles, lengths, size estimates, check marks, the album
// title, and renaming a track from the list while the player reports the change at once.

#include "platform/files/Volumes.h"
#include "resources/StringTable.h"
#include "source/PlayerContext.h"
#include "tests/source/CdSourceFixture.h"
#include "ui/text/TextRules.h"

#include <QLineEdit>

namespace {

using TrackList = CCdSourceTest;

TEST(TrackSizes, SixteenKilobytesASecondAt128kAndEightOtherwise) {
    const struct {
        double seconds;
        DWORD rate;
        double megabytes;
    } cases[] = {
        {300, 128000, 4.6875}, {300, 64000, 2.34375},     {300, 192000, 2.34375},
        {0, 128000, 0},        {61.5, 128000, 0.9609375},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(CCDROMAcc::EstimatedMegabytes(c.seconds, c.rate), c.megabytes)
            << c.seconds << " " << c.rate;
    }
}

TEST_F(TrackList, FilledFromTheDiscWithSizesAndEveryTrackChecked) {
    TestDisc disc;
    disc.album = QStringLiteral("夏の記憶");
    disc.tracks = {{.sectors = 75 * 30, .title = QStringLiteral("はじまりの朝")},
                   {.sectors = 75 * 61 + 30, .title = QStringLiteral("雨のち晴れ")}};
    Insert(QLatin1Char('D'), MakeDisc(disc));
    StartPlayer();
    ASSERT_TRUE(OpenLikeTheWindow(128000));
    EXPECT_TRUE(m_cd->IsTrackListComplete());
    EXPECT_EQ(Titles(), (QStringList{QStringLiteral("はじまりの朝"), QStringLiteral("雨のち晴れ")}));
    EXPECT_EQ(m_list->GetItemText(0, 1), QStringLiteral("00:30"));
    EXPECT_EQ(m_list->GetItemText(1, 1), QStringLiteral("01:01"));
    EXPECT_DOUBLE_EQ(m_cd->TrackSize(0), 16.0 * 30 / 1024);
    EXPECT_DOUBLE_EQ(m_cd->TrackSize(1), 16.0 * 61.4 / 1024);
    EXPECT_DOUBLE_EQ(m_cd->TrackSize(2), 0);
    EXPECT_DOUBLE_EQ(m_cd->TrackSize(-1), 0);
    EXPECT_DOUBLE_EQ(m_cd->TrackSize(99), 0);
    EXPECT_DOUBLE_EQ(m_cd->TotalSize(), 16.0 * 91.4 / 1024);
    EXPECT_EQ(m_total->text(), FormatMegabytes(m_cd->TotalSize()));
    for (int row = 0; row < 2; ++row) {
        EXPECT_TRUE(m_list->GetCheck(row));
        EXPECT_EQ(m_list->GetCellBackColor(row, 0), CCDROMAcc::kTrackBackColor);
        EXPECT_EQ(m_list->GetCellTextColor(row, 1), CCDROMAcc::kTrackTextColor);
    }
    EXPECT_EQ(m_list->GetStateFlags(0) & (CReportCtrl::RC_ITEM_SELECTED | CReportCtrl::RC_ITEM_FOCUSED),
              CReportCtrl::RC_ITEM_SELECTED | CReportCtrl::RC_ITEM_FOCUSED);
    EXPECT_EQ(m_album->text(), QStringLiteral("夏の記憶"));

    // At another rate every estimate halves.
    m_cd->FillTrackList(64000, true);
    EXPECT_DOUBLE_EQ(m_cd->TrackSize(0), 8.0 * 30 / 1024);
    EXPECT_DOUBLE_EQ(m_cd->TotalSize(), 8.0 * 91.4 / 1024);
}

TEST_F(TrackList, ARefillKeepsTheChecksTheUserSet) {
    Insert(QLatin1Char('D'), MakeShortDisc(4));
    StartPlayer();
    ASSERT_TRUE(OpenLikeTheWindow());
    m_list->SetCheck(1, false);
    m_list->SetCheck(3, false);
    m_cd->FillTrackList(128000, false);
    ASSERT_EQ(m_list->GetItemCount(), 4);
    EXPECT_TRUE(m_list->GetCheck(0));
    EXPECT_FALSE(m_list->GetCheck(1));
    EXPECT_TRUE(m_list->GetCheck(2));
    EXPECT_FALSE(m_list->GetCheck(3));
    // A new disc checks everything again.
    m_cd->FillTrackList(128000, true);
    for (int row = 0; row < 4; ++row) {
        EXPECT_TRUE(m_list->GetCheck(row)) << row;
    }
}

TEST_F(TrackList, TheAlbumReadOut) {
    StartPlayer();
    // An empty drive: the player's own name for it becomes the message, in red.
    EXPECT_FALSE(OpenLikeTheWindow());
    EXPECT_EQ(m_album->text(), LoadString(1400));
    EXPECT_EQ(m_album->GetTextColor(), CCDROMAcc::kNoDiscColor);
    EXPECT_EQ(m_list->GetItemCount(), 0);
    EXPECT_EQ(m_total->text(), FormatMegabytes(0));

    // A disc without album data.
    Insert(QLatin1Char('D'), MakeShortDisc(2));
    CheckMedia();
    ASSERT_TRUE(OpenLikeTheWindow());
    EXPECT_EQ(m_cd->GetAlbumTitle(), CCDROMAcc::kNoAlbumName);
    EXPECT_EQ(m_album->text(), QStringLiteral("情報なし"));
    EXPECT_NE(m_album->GetTextColor(), CCDROMAcc::kNoDiscColor);

    // Named by the user.
    EXPECT_TRUE(m_cd->SetAlbumTitle(QStringLiteral("僕のアルバム")));
    m_cd->ShowAlbumTitle();
    EXPECT_EQ(m_album->text(), QStringLiteral("僕のアルバム"));
    EXPECT_EQ(Name(CdPlaylist(0).Get()), QStringLiteral("僕のアルバム"));

    // An empty drive cannot be named.
    TakeOut(QLatin1Char('D'));
    CheckMedia();
    EXPECT_FALSE(m_cd->OpenDisc(true));
    EXPECT_FALSE(m_cd->SetAlbumTitle(QStringLiteral("x")));
}

// The player reports the rename at once, and the main window refills the list on that report:
// the edit that caused it must not touch a row that went meanwhile.
TEST_F(TrackList, RenamingFromTheListWhileThePlayerRefillsIt) {
    Insert(QLatin1Char('D'),
           MakeShortDisc(3, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    StartPlayer();
    ASSERT_TRUE(OpenLikeTheWindow());
    m_list->SetRenamer(m_cd.get());
    m_list->EnableList(true);
    m_list->SetCheck(2, false);
    int refills = 0;
    const RecorderPtr sink = Advise();
    sink->onEvent = [&](const RecordedEvent& event) {
        ComPtr<IWMPPlaylist> list;
        if (event.name == QLatin1String("PlaylistChange") && event.object &&
            SUCCEEDED(event.object.As(&list)) && m_cd->IsCdPlaylist(list.Get())) {
            ++refills;
            m_cd->OpenDisc(false);
            m_cd->FillTrackList(128000, false);
            m_cd->ShowAlbumTitle();
        }
    };
    const struct {
        int row;
        QString typed;
    } edits[] = {
        {1, QStringLiteral("雨のち晴れ")},
        {0, QString(300, QLatin1Char('x'))}, // longer than the editor takes: cut to 23
        {2, QStringLiteral("tab\there")},
    };
    for (const auto& e : edits) {
        ASSERT_TRUE(m_list->StartEdit(e.row, 0));
        ASSERT_NE(m_list->EditBox(), nullptr);
        m_list->EditBox()->clear();
        for (const QChar c : e.typed) {
            m_list->EditBox()->insert(QString(c)); // typed one key at a time
        }
        const QString typed = m_list->EditBox()->text();
        m_list->EndEdit(true);
        EXPECT_FALSE(m_list->IsEditing());
        ASSERT_EQ(m_list->GetItemCount(), 3);
        EXPECT_EQ(m_list->GetItemText(e.row, 0), typed);
        EXPECT_EQ(Name(Item(CdPlaylist(0).Get(), e.row).Get()), typed);
    }
    EXPECT_EQ(refills, 3);
    EXPECT_TRUE(m_cd->IsTrackListComplete());
    EXPECT_FALSE(m_list->GetCheck(2)) << "the refill keeps the user's marks";
    EXPECT_EQ(m_list->GetItemText(0, 0).size(), CReportCtrl::kTitleLimit);
}

TEST_F(TrackList, LongTitlesAndControlCharactersAreShownAsThePlayerHasThem) {
    Insert(QLatin1Char('D'), MakeShortDisc(2));
    StartPlayer();
    ASSERT_TRUE(OpenLikeTheWindow());
    const QString odd = QString(300, QChar(u'あ')) + QStringLiteral("\x01\t\n\x7f");
    ASSERT_TRUE(m_cd->RenameTrack(2, odd));
    ASSERT_TRUE(m_cd->SetAlbumTitle(odd));
    m_cd->FillTrackList(128000, false);
    m_cd->ShowAlbumTitle();
    EXPECT_EQ(m_list->GetItemText(1, 0), odd);
    EXPECT_EQ(m_album->text(), odd);
    EXPECT_TRUE(m_cd->PrepareTrackTags(1));
    EXPECT_EQ(Name(Item(CdPlaylist(0).Get(), 1).Get()), QStringLiteral("2 ") + odd);
}

TEST_F(TrackList, ARenameThePlayerRefusesPutsTheOldTitleBack) {
    Insert(QLatin1Char('D'), MakeShortDisc(2, {QStringLiteral("a"), QStringLiteral("b")}));
    m_config.faults.failingCalls = {QStringLiteral("put_name")};
    StartPlayer();
    ASSERT_TRUE(OpenLikeTheWindow());
    m_list->SetRenamer(m_cd.get());
    ASSERT_TRUE(m_list->StartEdit(0, 0));
    m_list->EditBox()->setText(QStringLiteral("new"));
    m_list->EndEdit(true);
    EXPECT_EQ(m_list->GetItemText(0, 0), QStringLiteral("a"));
    EXPECT_EQ(Name(Item(CdPlaylist(0).Get(), 0).Get()), QStringLiteral("a"));
    EXPECT_FALSE(m_cd->RenameTrack(1, QStringLiteral("x")));
    EXPECT_FALSE(m_cd->RenameTrack(0, QStringLiteral("x")));
    EXPECT_FALSE(m_cd->RenameTrack(3, QStringLiteral("x")));
}

TEST_F(TrackList, CdItemsAndTheCdPlaylist) {
    Insert(QLatin1Char('D'), MakeShortDisc(2));
    StartPlayer();
    ComPtr<IWMPMedia> item;
    EXPECT_TRUE(FAILED(m_cd->GetCdItem(0, &item))) << "no disc opened yet";
    EXPECT_FALSE(m_cd->IsCdPlaylist(CdPlaylist(0).Get()));
    ASSERT_TRUE(OpenLikeTheWindow());
    EXPECT_EQ(m_cd->GetCdItem(1, &item), S_OK);
    VARIANT_BOOL same = VARIANT_FALSE;
    ASSERT_TRUE(item);
    item->get_isIdentical(Item(CdPlaylist(0).Get(), 1).Get(), &same);
    EXPECT_EQ(same, VARIANT_TRUE);
    EXPECT_TRUE(FAILED(m_cd->GetCdItem(-1, &item)));
    EXPECT_FALSE(item);
    EXPECT_TRUE(FAILED(m_cd->GetCdItem(2, &item)));
    EXPECT_EQ(m_cd->GetCdItem(0, nullptr), E_POINTER);
    EXPECT_TRUE(m_cd->IsCdPlaylist(CdPlaylist(0).Get()));
    EXPECT_FALSE(m_cd->IsCdPlaylist(nullptr));
}

TEST_F(TrackList, FreeMegabytesOfAPathsDrive) {
    m_sandbox->Volumes().SetCapacity(QLatin1Char('E'), 64ull * 1024 * 1024);
    EXPECT_FLOAT_EQ(CCDROMAcc::FreeMegabytes(QStringLiteral("E:\\音声データ")), 64.0f);
    EXPECT_FLOAT_EQ(CCDROMAcc::FreeMegabytes(QStringLiteral("E:")), 64.0f);
    for (const char* path : {"", "E", ":\\x", "Q:\\nowhere"}) {
        EXPECT_EQ(CCDROMAcc::FreeMegabytes(QString::fromLatin1(path)), 0.0f) << path;
    }
}

// A player that reports the disc as the test describes it.
TEST_F(TrackList, LengthColumnByPlayerVersion) {
    for (const auto& [version, expected] :
         {std::pair{QStringLiteral("10.0.0.3997"), QStringLiteral("01:01")},
          std::pair{QStringLiteral("11.0.5721.5145"), QStringLiteral("1分1秒")}}) {
        SCOPED_TRACE(version.toStdString());
        FakeDisc disc;
        disc.version = version;
        disc.tracks = {
            {.title = QStringLiteral("a"), .seconds = 61.9, .durationText = QStringLiteral("1分1秒")}};
        StartFakePlayer(disc);
        ASSERT_TRUE(OpenLikeTheWindow());
        EXPECT_EQ(m_list->GetItemText(0, 1), expected);
        m_cd.reset();
        PlayerContext().ReleasePlayer();
        m_host.reset();
    }
}

TEST_F(TrackList, ADiscOfMoreThan99TracksShowsTheFirst99) {
    FakeDisc disc;
    for (int i = 0; i < 120; ++i) {
        disc.tracks.push_back({.title = QStringLiteral("t%1").arg(i + 1), .seconds = 64});
    }
    StartFakePlayer(disc);
    ASSERT_TRUE(OpenLikeTheWindow());
    EXPECT_EQ(m_cd->TrackCount(true), 99);
    EXPECT_EQ(m_list->GetItemCount(), 99);
    EXPECT_EQ(m_list->GetItemText(98, 0), QStringLiteral("t99"));
    EXPECT_DOUBLE_EQ(m_cd->TrackSize(98), 1.0);
    EXPECT_DOUBLE_EQ(m_cd->TrackSize(99), 0.0);
    EXPECT_DOUBLE_EQ(m_cd->TotalSize(), 99.0);
}

TEST_F(TrackList, StopsAtTheFirstTrackItCannotRead) {
    FakeDisc disc;
    disc.tracks = {{.title = QStringLiteral("a"), .seconds = 64},
                   {.title = QString(), .seconds = 0}, // no title, no length
                   {.title = QStringLiteral("c"), .seconds = 64, .unreadable = true},
                   {.title = QStringLiteral("d"), .seconds = 64}};
    disc.version = QStringLiteral("10.0");
    StartFakePlayer(disc);
    ASSERT_TRUE(OpenLikeTheWindow());
    EXPECT_EQ(Titles(), (QStringList{QStringLiteral("a"), QString()}));
    EXPECT_EQ(m_list->GetItemText(1, 1), QStringLiteral("00:00"));
    EXPECT_DOUBLE_EQ(m_cd->TrackSize(1), 0.0);
    EXPECT_DOUBLE_EQ(m_cd->TotalSize(), 1.0);
    EXPECT_TRUE(m_cd->IsTrackListComplete());
}

} // namespace
