// The rip through the player: started the way each player version starts it, followed to its end
// in the progress window, and the faults a rip meets (a stall, a track without data, a disc taken
// out, a player call that fails).

#include "platform/files/Volumes.h"
#include "resources/StringTable.h"
#include "source/MediaInfo.h"
#include "source/PlayerContext.h"
#include "tests/source/CdSourceFixture.h"
#include "tests/source/RipFollower.h"
#include "ui/StatusDlg.h"

#include <QFile>
#include <QProgressBar>

namespace {

class Rip : public CCdSourceTest {
protected:
    // The steps the transfer command runs before the rip.
    bool Prepare(int model = 1) {
        return m_cd->CheckAlbumOrder() && m_cd->PrepareTrackTags(model) && m_cd->CopyTagsToLibrary() &&
               m_cd->TakeAlbumSnapshot();
    }
    // Opens the disc in D: and has every report of the player handed to the CD source.
    void Open(const QString& disc, const QString& version = QStringLiteral("11.0.5721.5145")) {
        Insert(QLatin1Char('D'), disc);
        StartPlayer(version);
        ASSERT_TRUE(OpenLikeTheWindow());
        m_follow = std::make_unique<CRipFollower>(m_cd.get());
        m_sink = Advise();
        m_sink->onEvent = [this](const RecordedEvent& e) { m_follow->OnEvent(e); };
    }
    QString Status(int position) const {
        return Info(Item(CdPlaylist(0).Get(), position).Get(), QStringLiteral("Status"));
    }
    QProgressBar* Bar() const {
        return m_cd->Progress()
                   ? qobject_cast<QProgressBar*>(m_cd->Progress()->GetDlgItem(CStatusDlg::IDC_PROGRESS))
                   : nullptr;
    }
    QStringList AlbumNames(IWMPPlaylist* album) const {
        QStringList names;
        for (long i = 0; i < Count(album); ++i) {
            names << Name(Item(album, i).Get());
        }
        return names;
    }

    std::unique_ptr<CRipFollower> m_follow;
    RecorderPtr m_sink;
};

const QString kHead = QStringLiteral("ＣＤデータの取り込み中");

TEST_F(Rip, AWholeRipFollowedToItsEnd) {
    for (const QString& version : {QStringLiteral("11.0.5721.5145"), QStringLiteral("10.0.0.3997")}) {
        SCOPED_TRACE(version.toStdString());
        Open(MakeJapaneseDisc(), version);
        ASSERT_TRUE(Prepare(1));
        ASSERT_EQ(m_cd->StartRip(), 0);
        // Until the first report the window says the rip is being prepared.
        ASSERT_TRUE(m_cd->IsProgressShown());
        EXPECT_EQ(m_cd->Progress()->Message(), LoadString(1804));
        ASSERT_NE(Bar(), nullptr);
        EXPECT_EQ(Bar()->maximum(), 300);
        EXPECT_EQ(Bar()->value(), 0);
        EXPECT_FALSE(m_cd->Progress()->GetDlgItem(IDCANCEL)->isEnabled()) << "a rip cannot be cancelled here";
        EXPECT_EQ(m_cd->RipProgress(0), 0);

        ASSERT_TRUE(WaitForRipEnd());
        m_loop.Pump();
        EXPECT_EQ(m_follow->Poll(), 300);
        EXPECT_EQ(m_cd->AlbumCount() * 100, 300);
        EXPECT_FALSE(m_cd->IsProgressShown());
        EXPECT_EQ(m_cd->Progress(), nullptr);

        // Every report moved the rip on, and the window told which track it was at.
        ASSERT_FALSE(m_follow->values.empty());
        EXPECT_TRUE(std::is_sorted(m_follow->values.begin(), m_follow->values.end()));
        EXPECT_EQ(m_follow->values.back(), 300);
        for (int result : m_follow->results) {
            EXPECT_GE(result, 0);
        }
        for (const QString& text : m_follow->texts) {
            if (text != LoadString(1804)) {
                EXPECT_TRUE(text.startsWith(kHead + QStringLiteral("("))) << text.toStdString();
            }
        }
        EXPECT_TRUE(m_follow->texts.contains(kHead + QStringLiteral("(2/3)")));
        EXPECT_TRUE(m_follow->texts.contains(kHead + QStringLiteral("(3/3)")));

        // The library holds the disc under the names the tags step gave the tracks.
        const ComPtr<IWMPPlaylist> album = m_cd->FindAlbumInLibrary(false);
        EXPECT_EQ(AlbumNames(album.Get()),
                  (QStringList{QStringLiteral("1 はじまりの朝"), QStringLiteral("2 雨のち晴れ"),
                               QStringLiteral("3 さよなら/また明日")}));
        EXPECT_TRUE(m_cd->CheckAlbumOrder());

        // Asked again, the disc is in the library already: nothing is ripped.
        EXPECT_EQ(m_cd->StartRip(), 300);
        EXPECT_FALSE(Test()->IsRipping());
        EXPECT_FALSE(m_cd->IsProgressShown());

        m_sink->onEvent = nullptr;
        m_cd.reset();
        PlayerContext().ReleasePlayer();
        ReleasePlayer();
        // The next player starts from an empty library.
        QFile::remove(m_sandbox->EngineDir() + QStringLiteral("/library.db"));
    }
}

TEST_F(Rip, ProgressTextAndBarOfATwelveTrackDisc) {
    m_config.faults.stallAtTrack = 1; // the rip makes no progress of its own
    Open(MakeShortDisc(12));
    ASSERT_TRUE(Prepare());
    ASSERT_EQ(m_cd->StartRip(), 0);
    EXPECT_EQ(m_cd->RipProgress(350), 350);
    EXPECT_EQ(m_cd->Progress()->Message(), kHead + QStringLiteral("(4/12)....."));
    EXPECT_EQ(Bar()->value(), 350);
    EXPECT_EQ(m_cd->RipProgress(1299), 1299);
    EXPECT_EQ(m_cd->Progress()->Message(), kHead + QStringLiteral("(13/12)........."));
    // The whole disc reported: the full bar stays a second, then the window goes.
    const DWORD before = GetTickCount();
    EXPECT_EQ(m_cd->RipProgress(1200), 1200);
    EXPECT_GE(GetTickCount() - before, 1000u);
    EXPECT_FALSE(m_cd->IsProgressShown());
    EXPECT_EQ(m_cd->Progress(), nullptr);
    m_cd->StopOrEject(false);
    EXPECT_TRUE(WaitForRipEnd());
}

TEST_F(Rip, AStalledRipKeepsItsValueUntilTheDiscIsEjected) {
    m_config.faults.stallAtTrack = 2;
    Open(MakeShortDisc(3));
    ASSERT_TRUE(Prepare());
    ASSERT_EQ(m_cd->StartRip(), 0);
    ASSERT_TRUE(PumpUntil([&] { return Status(1).startsWith(QStringLiteral("取り込み中")); }));
    for (int i = 0; i < 20; ++i) {
        m_loop.Advance(100);
        m_loop.WaitForPosted(20);
        m_loop.Pump();
    }
    ASSERT_FALSE(m_follow->values.empty());
    const int last = m_follow->values.back();
    EXPECT_GE(last, 100);
    EXPECT_LT(last, 200);
    // The window's poll keeps getting the same answer: sixteen of them count as a stall.
    for (int poll = 0; poll < 16; ++poll) {
        EXPECT_EQ(m_follow->Poll(), 0);
    }
    EXPECT_TRUE(m_cd->IsProgressShown());
    EXPECT_EQ(m_follow->values.back(), last);
    m_cd->StopOrEject(true);
    EXPECT_TRUE(WaitForRipEnd());
    CheckMedia();
    EXPECT_EQ(Name(CdPlaylist(0).Get()), CCDROMAcc::kNoDiscName);
    EXPECT_LT(m_cd->AlbumCount(), 3);
    m_cd->CloseProgress();
}

TEST_F(Rip, ATrackRippedWithoutDataFailsTheRip) {
    for (int zeroTrack : {1, 3}) {
        SCOPED_TRACE(zeroTrack);
        m_config.faults.zeroSizeTrack = zeroTrack;
        Open(MakeShortDisc(3));
        ASSERT_TRUE(Prepare());
        ASSERT_EQ(m_cd->StartRip(), 0);
        ASSERT_TRUE(WaitForRipEnd());
        m_loop.Pump();
        const int poll = m_follow->Poll();
        const auto firstFailure =
            std::find_if(m_follow->results.begin(), m_follow->results.end(), [](int r) { return r < 0; });
        ASSERT_NE(firstFailure, m_follow->results.end());
        EXPECT_EQ(*firstFailure, -2);
        if (zeroTrack == 3) {
            // The last track is seen by no later report: the end of the rip looks at every file.
            EXPECT_EQ(poll, -2);
        }
        EXPECT_FALSE(m_cd->IsProgressShown());
        m_sink->onEvent = nullptr;
        m_cd.reset();
        PlayerContext().ReleasePlayer();
        ReleasePlayer();
        QFile::remove(m_sandbox->EngineDir() + QStringLiteral("/library.db"));
    }
}

// A rip whose tracks did not all arrive (one failed, or is still being written while later ones
// are done): the chosen tracks are still the ones the user ticked.
TEST_F(Rip, ChosenTracksArePickedByTrackNumber) {
    Open(MakeShortDisc(4,
                       {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    ASSERT_TRUE(Prepare(0));
    ASSERT_EQ(m_cd->StartRip(), 0);
    ASSERT_TRUE(WaitForRipEnd());
    m_loop.Pump();
    ASSERT_EQ(m_follow->Poll(), 400);
    // Track 1 leaves the library again; the user ticked 1, 2 and 4.
    const ComPtr<IWMPPlaylist> album = m_cd->FindAlbumInLibrary(false);
    ASSERT_EQ(Count(album.Get()), 4);
    ASSERT_EQ(Library()->remove(Item(album.Get(), 0).Get(), VARIANT_FALSE), S_OK);
    m_list->SetCheck(2, false);
    m_list->SnapshotChecks(false);
    const ComPtr<IWMPPlaylist> chosen = m_cd->FindAlbumInLibrary(true);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(AlbumNames(chosen.Get()), (QStringList{QStringLiteral("b"), QStringLiteral("d")}));
    EXPECT_EQ(m_cd->AlbumCount(), 2);
}

TEST_F(Rip, HowTheRipIsStartedAndWhenItCannotBe) {
    const struct {
        const char* version;
        QSet<QString> failing;
        int result;
    } cases[] = {
        {"11.0", {}, 0},
        {"11.0", {QStringLiteral("startRip")}, 0}, // the task pane is the way left
        {"11.0", {QStringLiteral("startRip"), QStringLiteral("setTaskPane")}, -1},
        {"10.0", {}, 0},
        {"10.0", {QStringLiteral("setTaskPane")}, -1},
        {"11.0", {QStringLiteral("getByAttribute")}, 0}, // found again by the album's name
        {"11.0", {QStringLiteral("getByAttribute"), QStringLiteral("getByAlbum")}, -1}, // cannot be followed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version) + " " +
                     QStringList(c.failing.values()).join(QLatin1Char(' ')).toStdString());
        m_config.faults.failingCalls = c.failing;
        Open(MakeShortDisc(2), QString::fromLatin1(c.version));
        EXPECT_EQ(m_cd->StartRip(), c.result);
        EXPECT_EQ(Test()->IsRipping(), c.result == 0);
        EXPECT_EQ(m_cd->IsProgressShown(), c.result == 0);
        if (c.result == 0) {
            ASSERT_TRUE(WaitForRipEnd());
            m_loop.Pump();
            EXPECT_EQ(m_follow->Poll(), 200);
        }
        m_cd->CloseProgress();
        m_sink->onEvent = nullptr;
        m_cd.reset();
        PlayerContext().ReleasePlayer();
        ReleasePlayer();
        QFile::remove(m_sandbox->EngineDir() + QStringLiteral("/library.db"));
    }
}

TEST_F(Rip, NoRipWithoutAnAudioDisc) {
    StartPlayer();
    EXPECT_FALSE(OpenLikeTheWindow());
    EXPECT_EQ(m_cd->StartRip(), -1);
    EXPECT_EQ(m_cd->RipProgress(0), -1);
    EXPECT_FALSE(m_cd->PrepareTrackTags(1));
    EXPECT_FALSE(m_cd->CheckAlbumOrder());
    EXPECT_FALSE(m_cd->CopyTagsToLibrary());
    EXPECT_FALSE(m_cd->FindAlbumInLibrary(true));
    EXPECT_EQ(m_cd->AlbumCount(), 0);
    m_cd->StopOrEject(false);
    m_cd->StopOrEject(true);

    // A disc taken out after it was listed.
    Insert(QLatin1Char('D'), MakeShortDisc(2));
    CheckMedia();
    ASSERT_TRUE(OpenLikeTheWindow());
    TakeOut(QLatin1Char('D'));
    CheckMedia();
    EXPECT_EQ(m_cd->StartRip(), -1);
    EXPECT_FALSE(Test()->IsRipping());
    EXPECT_FALSE(m_cd->IsProgressShown());
}

TEST_F(Rip, ADiscTakenOutDuringTheRip) {
    Open(MakeShortDisc(3));
    ASSERT_TRUE(Prepare());
    ASSERT_EQ(m_cd->StartRip(), 0);
    TakeOut(QLatin1Char('D'));
    CheckMedia();
    ASSERT_TRUE(WaitForRipEnd());
    m_loop.Pump();
    // The rip never completes: the poll keeps answering below the whole disc, which the window
    // counts as a stall; and the disc does not open again.
    const int poll = m_follow->Poll();
    EXPECT_TRUE(poll < 300 || poll != m_cd->AlbumCount() * 100) << poll;
    EXPECT_FALSE(m_cd->OpenDisc(true));
    EXPECT_EQ(m_cd->StartRip(), -1);

    // Another disc goes in: it is the one the list shows now, and the old rip does not count as
    // its rip.
    Insert(QLatin1Char('D'), MakeShortDisc(2, {}, QString(), QString(), QStringLiteral("other")));
    CheckMedia();
    EXPECT_TRUE(m_cd->OnCdromMediaChange(0));
    EXPECT_EQ(m_cd->GetState(), 2);
    EXPECT_EQ(m_cd->TrackCount(false), 2);
    EXPECT_EQ(m_follow->Poll(), 0);
    EXPECT_EQ(m_cd->AlbumCount(), 0);
    m_cd->CloseProgress();
}

} // namespace
