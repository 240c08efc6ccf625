// The checks Transfer makes before anything is ripped: something ticked, room on the card for at
// least one ticked track, room on the PC for the whole disc, and the question when the ticked tracks
// do not all fit on the card.
#include "platform/files/CopyFaults.h"
#include "platform/files/Volumes.h"
#include "resources/StringIds.h"
#include "tests/controller/MainWindowFixture.h"
#include "ui/ReportCtrl.h"

#include <QFileInfo>

namespace {

constexpr quint64 kMegabyte = 1024 * 1024;

class Checks : public CMainWindowFixture {
protected:
    // A disc whose three tracks are estimated at 0.625 MB each (40 s at 128 kbit/s): 1.875 MB.
    void Ready() {
        InsertDisc(3, 40);
        ASSERT_TRUE(Start());
        ASSERT_TRUE(RunUntilReady());
        ASSERT_NEAR(m_dlg->Source().TotalSize(), 1.875, 1e-9);
    }
    // Transfer; the window must come back to state 2 having ripped nothing.
    void TransferIsRefused(const std::vector<std::string>& notices) {
        Command(IDC_TRANSFER);
        EXPECT_EQ(Notices(), notices);
        EXPECT_EQ(m_dlg->GetSyncState(), SYNC_WAIT);
        EXPECT_FALSE(m_dlg->IsJobRunning());
        EXPECT_FALSE(m_dlg->IsTimerArmed(kEndOfJobTimer));
        Run(4000);
        EXPECT_TRUE(MusicFiles().isEmpty());
        EXPECT_TRUE(CardFiles().isEmpty());
        EXPECT_EQ(m_dlg->GetSyncState(), SYNC_WAIT);
        EXPECT_TRUE(m_dlg->Control(IDC_TRANSFER)->isEnabled());
    }
};

TEST_F(Checks, NothingTickedIs1721) {
    Ready();
    for (int row = 0; row < 3; ++row) {
        m_dlg->TrackList()->SetCheck(row, false);
    }
    TransferIsRefused({"1721/501"});
}

TEST_F(Checks, NoTickedTrackFittingOnTheCardIs1722) {
    Ready();
    // Track 1 alone is ticked; the card has half a megabyte free.
    m_dlg->TrackList()->SetCheck(1, false);
    m_dlg->TrackList()->SetCheck(2, false);
    SetFreeBytes(QLatin1Char('E'), kMegabyte / 2);
    RunOnePoll();
    TransferIsRefused({"1722/501"});
}

TEST_F(Checks, APcOneMegabyteShortOfTheWholeDiscIs1712) {
    Ready();
    // Only one track is ticked, but the whole disc is ripped: 0.875 MB free is a megabyte short.
    m_dlg->TrackList()->SetCheck(1, false);
    m_dlg->TrackList()->SetCheck(2, false);
    SetFreeBytes(QLatin1Char('C'), kMegabyte * 7 / 8);
    TransferIsRefused({"1712/500"});
}

TEST_F(Checks, TicksThatDoNotAllFitAskAndNoRipsNothing) {
    Ready();
    // Each track fits on its own, all three do not.
    SetFreeBytes(QLatin1Char('E'), kMegabyte);
    RunOnePoll();
    m_modal.Answer(IDNO);
    TransferIsRefused({"1719/1102"});
    EXPECT_EQ(m_modal.History().front().type, UINT(MB_YESNO | MB_TOPMOST));
}

TEST_F(Checks, ACardThatFillsOnTheFifthOfTenFilesEndsCompleteWithFour) {
    InsertDisc(10, 1.5);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    // Ten tracks of about 0.023 MB estimated: 0.12 MB free holds five of them by the estimate,
    // so the user is asked; the fifth copy finds the card full.
    SetFreeBytes(QLatin1Char('E'), kMegabyte / 8);
    RunOnePoll();
    CCopyFaults faults;
    faults.FailCopy(QLatin1Char('E'), 5, ERROR_DISK_FULL);
    m_modal.Answer(IDYES);
    ASSERT_TRUE(RunJob());
    EXPECT_EQ(Notices(), (std::vector<std::string>{"1719/1102", "1720/1102"}));
    const QStringList card = CardFiles();
    EXPECT_EQ(card.size(), 4) << card.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(MusicFiles().isEmpty());
}

} // namespace
