// A run killed part way through a job leaves its journal, its work folder and the library as they
// were at that moment; the next start replays the journal and every earlier rip is back.

#include "mediaengine/MediaEngineTest.h"
#include "platform/files/CopyFaults.h"
#include "platform/files/FileOps.h"
#include "source/PlayerContext.h"
#include "tests/source/EarlierRipsFixture.h"
#include "ui/text/TextRules.h"

#include <QFile>
#include <thread>

namespace {

using Recovery = CEarlierRipsTest;
using Replay = CCDROMAcc::JournalReplay;

const QString kJournal = QStringLiteral("C:\\Users\\user\\Documents\\Orlen\\Orlen.journal");

TEST_F(Recovery, KilledWhileSettingAsideInTheMiddleOfACopy) {
    ASSERT_NO_FATAL_FAILURE(OpenDisc());
    ASSERT_NO_FATAL_FAILURE(MakeEarlierRips());
    ASSERT_TRUE(m_cd->PruneMissingFiles());
    QString image;
    {
        // The third earlier rip's copy into the work folder is held part way; the machine is
        // saved as it stands then.
        CCopyFaults faults;
        faults.HoldAt(QLatin1Char('C'), 3, 100);
        std::thread killer([&] {
            if (faults.WaitUntilHeld()) {
                image = SaveImage(QStringLiteral("set-aside"));
            }
            faults.Release();
        });
        EXPECT_TRUE(m_cd->SetAsideEarlierRips(kMusic));
        killer.join();
    }
    ASSERT_FALSE(image.isEmpty());
    ASSERT_NO_FATAL_FAILURE(RestartOn(image));

    // As the kill left it: the journal, two rips in the work folder and the third one's unfinished
    // copy; two rips out of the library, the rest still in it.
    EXPECT_TRUE(PathFileExists(kJournal));
    EXPECT_EQ(FilesUnder(kWork).size(), 1 + 2 + 1);
    // (Taken from the last: two moved and the two outside the tree, which only leave the library.)
    EXPECT_EQ(LibraryPaths().size(), 6 - 4);

    const Replay replay = CCDROMAcc::ReplayJournal();
    EXPECT_EQ(replay.outcome, Replay::Outcome::Replayed);
    EXPECT_EQ(replay.removedRips, 0);
    EXPECT_EQ(replay.waiting, 0);
    ExpectEarlierRipsBack();
}

enum class KillPoint {
    DuringTheRip,                // the rip stalls in its second track
    DuringTheCopy,               // the whole disc is ripped, the chosen tracks taken for the card
    RipNotListed,                // as during the copy, but one rip was written and never listed
    RipNotListedUnderItsOwnName, // the same, the file at a name no earlier rip had
};

const char* NameOf(KillPoint point) {
    switch (point) {
    case KillPoint::DuringTheRip:
        return "DuringTheRip";
    case KillPoint::DuringTheCopy:
        return "DuringTheCopy";
    case KillPoint::RipNotListed:
        return "RipWrittenButNotListed";
    case KillPoint::RipNotListedUnderItsOwnName:
        break;
    }
    return "RipWrittenButNotListedUnderItsOwnName";
}

void PrintTo(KillPoint point, std::ostream* out) {
    *out << NameOf(point);
}

class KilledJob : public CEarlierRipsTest, public ::testing::WithParamInterface<KillPoint> {};

TEST_P(KilledJob, TheNextStartPutsEverythingBack) {
    const KillPoint point = GetParam();
    ASSERT_NO_FATAL_FAILURE(OpenDisc());
    ASSERT_NO_FATAL_FAILURE(MakeEarlierRips());
    if (point == KillPoint::DuringTheRip) {
        MediaEngineFaults faults;
        faults.stallAtTrack = 2;
        ASSERT_EQ(Test()->SetFaults(faults), S_OK);
    }
    ASSERT_NO_FATAL_FAILURE(PrepareJob());
    ASSERT_NO_FATAL_FAILURE(StartRip());
    if (point == KillPoint::DuringTheRip) {
        ASSERT_TRUE(PumpUntil([this] { return m_cd->FindAlbumInLibrary(false) && m_cd->AlbumCount() >= 1; }));
    } else {
        ASSERT_TRUE(WaitForRipEnd());
        ASSERT_EQ(m_cd->RipProgress(0), 300);
        ASSERT_TRUE(m_cd->FindAlbumInLibrary(true));
    }
    QString ownName;
    if (point == KillPoint::RipNotListed || point == KillPoint::RipNotListedUnderItsOwnName) {
        // The player's entry of the second track goes; its file stays where an earlier rip was,
        // or (when the player named the file otherwise) beside them.
        const ComPtr<IWMPPlaylist> album = m_cd->FindAlbumInLibrary(false);
        const ComPtr<IWMPMedia> second = Item(album.Get(), 1);
        const QString path = Info(second.Get(), QStringLiteral("SourceURL"));
        ASSERT_EQ(Library()->remove(second.Get(), VARIANT_FALSE), S_OK);
        if (point == KillPoint::RipNotListedUnderItsOwnName) {
            ownName = FolderOf(path, true) + QStringLiteral("\\Track 2 (rip).mp3");
            ASSERT_TRUE(MoveFileEx(path, ownName, 0));
        }
    }
    ASSERT_NO_FATAL_FAILURE(RestartOn(SaveImage(QStringLiteral("job"))));

    // The job's rips are in the library (and on the disk) where the earlier rips were; those wait
    // in the work folder.
    const qsizetype listed = LibraryPaths().size();
    EXPECT_GE(listed, 1);
    if (point != KillPoint::DuringTheRip) {
        EXPECT_EQ(listed, point == KillPoint::DuringTheCopy ? 3 : 2);
    }
    EXPECT_EQ(FilesUnder(kWork).size(), 4 + 1);
    // That file is in the way of nothing: only the journal's job can tell it is not the user's.
    EXPECT_TRUE(ownName.isEmpty() || PathFileExists(ownName));

    const Replay replay = CCDROMAcc::ReplayJournal();
    EXPECT_EQ(replay.outcome, Replay::Outcome::Replayed);
    if (point == KillPoint::DuringTheRip) {
        // Which tracks were in by then is the player's timing: at least those it listed.
        EXPECT_GE(replay.removedRips, listed);
        EXPECT_LE(replay.removedRips, 3);
    } else {
        EXPECT_EQ(replay.removedRips, 3);
    }
    EXPECT_EQ(replay.restored, 6);
    EXPECT_EQ(replay.waiting, 0);
    // A rip cut short by the kill may leave the player's own unfinished file: not the program's to
    // judge, and no file of the user's.
    int unfinished = 0;
    ExpectEarlierRipsBack(&unfinished);
    if (point != KillPoint::DuringTheRip) {
        EXPECT_EQ(unfinished, 0);
    }
    // A second start finds nothing to do.
    EXPECT_EQ(CCDROMAcc::ReplayJournal().outcome, Replay::Outcome::Nothing);
}

INSTANTIATE_TEST_SUITE_P(Recovery, KilledJob,
                         ::testing::Values(KillPoint::DuringTheRip, KillPoint::DuringTheCopy,
                                           KillPoint::RipNotListed, KillPoint::RipNotListedUnderItsOwnName),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

TEST_F(Recovery, AJobThatFindsAJournalLeftOverTakesItBackFirst) {
    ASSERT_NO_FATAL_FAILURE(OpenDisc());
    ASSERT_NO_FATAL_FAILURE(MakeEarlierRips());
    ASSERT_NO_FATAL_FAILURE(PrepareJob());
    ASSERT_NO_FATAL_FAILURE(StartRip());
    ASSERT_TRUE(WaitForRipEnd());
    ASSERT_NO_FATAL_FAILURE(RestartOn(SaveImage(QStringLiteral("job"))));

    // No replay at the start (say, the player was not there): the next transfer finds the journal.
    ASSERT_TRUE(OpenLikeTheWindow());
    ASSERT_NO_FATAL_FAILURE(PrepareJob());
    EXPECT_TRUE(LibraryPaths().isEmpty());
    EXPECT_EQ(m_cd->SetAsideEntries().size(), 6);
    ASSERT_NO_FATAL_FAILURE(StartRip());
    ASSERT_TRUE(WaitForRipEnd());
    m_cd->RemoveRippedTracks();
    ExpectEarlierRipsBack();
}

TEST_F(Recovery, ACorruptJournalIsKeptAsideAndNothingIsTouched) {
    ASSERT_NO_FATAL_FAILURE(OpenDisc());
    ASSERT_NO_FATAL_FAILURE(MakeEarlierRips());
    ASSERT_TRUE(m_cd->PruneMissingFiles());
    ASSERT_TRUE(m_cd->SetAsideEarlierRips(kMusic));
    // The journal is cut short on the disk (a crash of the machine while it was replaced).
    QFile journal(Host(kJournal));
    ASSERT_TRUE(journal.open(QIODevice::ReadWrite));
    const QByteArray whole = journal.readAll();
    journal.resize(whole.size() / 2);
    journal.close();
    const QMap<QString, QByteArray> waiting = FilesUnder(kWork);

    const Replay replay = CCDROMAcc::ReplayJournal();
    EXPECT_EQ(replay.outcome, Replay::Outcome::CorruptKeptAside);
    EXPECT_EQ(replay.keptAsideAs, QStringLiteral("Orlen.journal.bad"));
    // Not one file moved: the earlier rips wait in the work folder, the library is as it was.
    QMap<QString, QByteArray> expected = waiting;
    expected.insert(kWork + QStringLiteral("\\Orlen.journal.bad"), whole.left(whole.size() / 2));
    expected.remove(kJournal);
    EXPECT_EQ(FilesUnder(kWork), expected);
    EXPECT_TRUE(LibraryPaths().isEmpty());

    // A later job works beside what was kept aside and never writes over it.
    m_cd = std::make_unique<CCDROMAcc>();
    ASSERT_TRUE(m_cd->Attach(m_combo.get()));
    ASSERT_TRUE(m_cd->SetDisplayControls(m_list.get(), m_total.get(), m_album.get()));
    ASSERT_TRUE(OpenLikeTheWindow());
    ASSERT_NO_FATAL_FAILURE(PrepareJob());
    m_cd->RemoveRippedTracks();
    EXPECT_EQ(FilesUnder(kWork), expected);
}

} // namespace
