// However a job ends, the earlier rips of its disc are back at their paths, byte for byte, and in
// the library; the job's own rips are gone, and so is the work folder.

#include "mediaengine/MediaEngineTest.h"
#include "platform/files/FileOps.h"
#include "source/PlayerContext.h"
#include "tests/source/EarlierRipsFixture.h"

namespace {

enum class Ending {
    Complete,     // ripped, the chosen tracks taken for the copy (copy done, failed or cancelled)
    SomeChosen,   // the same with one track not chosen
    StartFails,   // the player refuses to start the rip
    EmptyTrack,   // a track is ripped without data: the rip fails
    Stalled,      // the rip stops making progress: the disc is ejected
    Stopped,      // the rip is stopped after its first track (window closed)
    DiscTakenOut, // the disc leaves the drive during the rip
};

struct EndingCase {
    const char* name;
    Ending ending;
};

void PrintTo(const EndingCase& c, std::ostream* out) {
    *out << c.name;
}

class JobEndings : public CEarlierRipsTest, public ::testing::WithParamInterface<EndingCase> {
protected:
    // Pumps until the first track of the job is in the library.
    bool FirstTrackRipped() {
        return PumpUntil([this] { return m_cd->FindAlbumInLibrary(false) && m_cd->AlbumCount() >= 1; });
    }
};

TEST_P(JobEndings, EarlierRipsComeBackAndTheJobsRipsGo) {
    const Ending ending = GetParam().ending;
    ASSERT_NO_FATAL_FAILURE(OpenDisc());
    ASSERT_NO_FATAL_FAILURE(MakeEarlierRips());
    MediaEngineFaults faults;
    if (ending == Ending::StartFails) {
        faults.failingCalls = {QStringLiteral("startRip"), QStringLiteral("setTaskPane")};
    } else if (ending == Ending::EmptyTrack) {
        faults.zeroSizeTrack = 2;
    } else if (ending == Ending::Stalled) {
        faults.stallAtTrack = 2;
    }
    ASSERT_EQ(Test()->SetFaults(faults), S_OK);

    ASSERT_NO_FATAL_FAILURE(PrepareJob());
    // The earlier rips are out of the library; those in the tree wait in the work folder.
    EXPECT_TRUE(LibraryPaths().isEmpty());
    EXPECT_EQ(m_cd->SetAsideEntries().size(), 6);
    EXPECT_EQ(FilesUnder(kWork).size(), 4 + 1); // four rips and the journal

    if (ending == Ending::StartFails) {
        EXPECT_EQ(m_cd->StartRip(), -1);
    } else {
        ASSERT_NO_FATAL_FAILURE(StartRip());
    }
    switch (ending) {
    case Ending::Complete:
    case Ending::SomeChosen:
    case Ending::EmptyTrack:
        ASSERT_TRUE(WaitForRipEnd());
        if (ending == Ending::SomeChosen) {
            m_list->SetCheck(1, false);
            m_list->SnapshotChecks(false);
        }
        if (ending != Ending::EmptyTrack) {
            EXPECT_EQ(m_cd->RipProgress(0), 300);
            ASSERT_TRUE(m_cd->CopyTagsToLibrary());
            const ComPtr<IWMPPlaylist> chosen = m_cd->FindAlbumInLibrary(true);
            ASSERT_TRUE(chosen);
            EXPECT_EQ(Count(chosen.Get()), ending == Ending::SomeChosen ? 2 : 3);
        }
        break;
    case Ending::Stalled:
        ASSERT_TRUE(FirstTrackRipped());
        m_cd->StopOrEject(true);
        ASSERT_TRUE(WaitForRipEnd());
        break;
    case Ending::Stopped:
        ASSERT_TRUE(FirstTrackRipped());
        m_cd->StopOrEject(false);
        ASSERT_TRUE(WaitForRipEnd());
        break;
    case Ending::DiscTakenOut:
        ASSERT_TRUE(FirstTrackRipped());
        TakeOut(QLatin1Char('D'));
        CheckMedia();
        ASSERT_TRUE(WaitForRipEnd());
        break;
    case Ending::StartFails:
        break;
    }
    if (ending != Ending::StartFails) {
        EXPECT_FALSE(FilesUnder(kMusic).isEmpty()); // the job ripped something
    }

    m_cd->RemoveRippedTracks();
    EXPECT_EQ(m_cd->Snapshot(), nullptr);
    EXPECT_TRUE(m_cd->SetAsideEntries().isEmpty());
    ExpectEarlierRipsBack();
    // The player's own deferred deletions run later: they take nothing of the user's.
    m_loop.Pump();
    m_loop.Advance(5000);
    m_loop.Pump();
    EXPECT_EQ(Test()->PendingDeletions(), 0);
    ExpectEarlierRipsBack();
}

INSTANTIATE_TEST_SUITE_P(EarlierRips, JobEndings,
                         ::testing::Values(EndingCase{"Complete", Ending::Complete},
                                           EndingCase{"SomeChosen", Ending::SomeChosen},
                                           EndingCase{"StartFails", Ending::StartFails},
                                           EndingCase{"EmptyTrack", Ending::EmptyTrack},
                                           EndingCase{"Stalled", Ending::Stalled},
                                           EndingCase{"Stopped", Ending::Stopped},
                                           EndingCase{"DiscTakenOut", Ending::DiscTakenOut}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
