// The rules that keep a job whole: the window belongs to the job until it has been cleaned up, rip
// reports count only while ripping, a posted Transfer starts nothing unless the window is still
// ready, the pending-rip marker cannot outlive its disc or its job, and neither Close nor a request
// to end can strand the user's files.
#include "controller/RipStatus.h"
#include "platform/files/CopyFaults.h"
#include "platform/files/Volumes.h"
#include "player/PlayerMessages.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "tests/controller/MainWindowFixture.h"
#include "ui/ReportCtrl.h"
#include "ui/StaticEx.h"

#include <QComboBox>

#include <QFileInfo>

namespace {

TEST(RipStatus, OnlyAPercentageOfDigitsFrom0To100Counts) {
    const struct {
        const char* status;
        int percent;
    } cases[] = {
        {"取り込み中 (45%)", 45},   {"取り込み済み (100%)", 100}, {"Ripping (0%)", 0},
        {"(7%)", kRipUnknown}, // the percentage must be the second piece
        {"x ( 7 % )", 7},           {"", kRipNotStarted},         {"取り込みエラー", kRipUnknown},
        {"x (101%)", kRipUnknown},  {"x (-5%)", kRipUnknown},     {"x (4a%)", kRipUnknown},
        {"x (１２%)", kRipUnknown}, // full-width digits are no digits here
        {"x (0045%)", kRipUnknown}, {"x ()", kRipUnknown},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RipPercentOf(QString::fromUtf8(c.status)), c.percent) << c.status;
    }
}

class Rules : public CMainWindowFixture {
protected:
    void Ready(int tracks = 3) {
        InsertDisc(tracks);
        ASSERT_TRUE(Start());
        ASSERT_TRUE(RunUntilReady());
        m_toc = Toc();
    }
    IDispatch* CdItem(int position) {
        m_item = Item(CdPlaylist(0).Get(), position);
        return m_item.Get();
    }
    ComPtr<IWMPMedia> m_item;
    QString m_toc;
};

TEST_F(Rules, TheJobOwnsTheWindowUntilItsCleanUpHasRun) {
    Ready();
    CCopyFaults faults;
    faults.HoldBefore(QLatin1Char('E'), 2, ::GetTickCount() + 600000);
    Command(IDC_TRANSFER);
    ASSERT_TRUE(RunUntil([&] { return faults.IsHeld(); }));
    // The copy has ended in the eyes of the window (the user cancelled, say), but its worker is
    // still at work: nothing the user does may act now, and the clean-up waits for the worker.
    m_dlg->SetSyncState(SYNC_ABORT);
    m_dlg->UpdateStatus();
    const QString cdBefore = qobject_cast<QComboBox*>(m_dlg->Control(IDC_CD_COMBO))->currentText();
    for (int id : {IDC_CD_COMBO, IDC_DEST_COMBO}) {
        Command(id, CBN_SELCHANGE);
        Command(id, CBN_DROPDOWN);
    }
    Command(IDC_TRANSFER);
    Command(IDC_CLOSE);
    ::SendMessage(m_dlg->Handle(), WM_CLOSE, 0, 0);
    m_dlg->close();
    EXPECT_FALSE(m_dlg->IsEnded());
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_ABORT);
    for (int id : {IDC_CD_COMBO, IDC_ALBUM_BUTTON, IDC_DEST_COMBO, IDC_OPEN_DEST, IDC_TRANSFER, IDC_CLOSE}) {
        EXPECT_FALSE(m_dlg->Control(id)->isEnabled()) << id;
    }
    EXPECT_FALSE(m_dlg->TrackList()->IsListEnabled());
    EXPECT_TRUE(m_dlg->IsTimerArmed(kEndOfJobTimer));
    EXPECT_EQ(qobject_cast<QComboBox*>(m_dlg->Control(IDC_CD_COMBO))->currentText(), cdBefore);

    // The file under way may go on: the worker sees the stop and ends, and only then the clean-up
    // runs. (A worker that never ends is left to itself after a bounded wait: see JobEnd.)
    EXPECT_TRUE(m_dlg->Destination().IsTransferRunning());
    faults.Release();
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }));
    EXPECT_EQ(Notices(), std::vector<std::string>{"1709/1102"});
    EXPECT_FALSE(m_dlg->Destination().IsTransferRunning());
    EXPECT_TRUE(MusicFiles().isEmpty());
    EXPECT_EQ(LibraryCount(QStringLiteral("TOC"), m_toc), 0);
    EXPECT_TRUE(m_dlg->Control(IDC_CLOSE)->isEnabled());
}

TEST_F(Rules, RipReportsCountOnlyWhileRipping) {
    Ready(5);
    // Ready, not ripping: a report for the disc's first track changes nothing.
    EXPECT_EQ(SendEvent(WM_WMP_MEDIACHANGE, reinterpret_cast<WPARAM>(CdItem(0))), S_OK);
    EXPECT_FALSE(m_dlg->Source().IsProgressShown());
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_WAIT);
    EXPECT_EQ(m_dlg->PendingRip(), -1);

    // Ripping: a report for a track the player has not reached marks it pending.
    Command(IDC_TRANSFER);
    ASSERT_EQ(m_dlg->GetSyncState(), SYNC_RIPPING);
    EXPECT_EQ(SendEvent(WM_WMP_MEDIACHANGE, reinterpret_cast<WPARAM>(CdItem(3))), E_PENDING);
    EXPECT_EQ(m_dlg->PendingRip(), 3);
    // A disc change forgets the marker.
    EXPECT_EQ(SendEvent(WM_WMP_CDROMMEDIACHANGE, 0), 0);
    EXPECT_EQ(m_dlg->PendingRip(), -1);
    EXPECT_EQ(SendEvent(WM_WMP_MEDIACHANGE, reinterpret_cast<WPARAM>(CdItem(2))), E_PENDING);
    EXPECT_EQ(m_dlg->PendingRip(), 2);

    // The job ends: the marker goes with it, and the window becomes ready again.
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }));
    EXPECT_EQ(Notices(), std::vector<std::string>{"1720/1102"});
    EXPECT_EQ(m_dlg->PendingRip(), -1);
    EXPECT_TRUE(RunUntilReady());
}

TEST_F(Rules, APostedTransferStartsNothingUnlessTheWindowIsStillReady) {
    InsertDisc(2);
    ASSERT_TRUE(Start());
    // Not ready yet.
    ::PostMessage(m_dlg->Handle(), WM_COMMAND, MAKEWPARAM(IDC_TRANSFER, BN_CLICKED), 0);
    m_loop.Pump();
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_INIT);
    EXPECT_FALSE(m_dlg->IsJobRunning());

    // Ready, but the card went while a countdown ran: the command finds it gone.
    ASSERT_TRUE(RunUntilReady());
    m_sandbox->Volumes().SetPresent(QLatin1Char('E'), false);
    ::PostMessage(m_dlg->Handle(), WM_COMMAND, MAKEWPARAM(IDC_TRANSFER, BN_CLICKED), 0);
    m_loop.Pump();
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_INIT);
    EXPECT_FALSE(m_dlg->IsJobRunning());
    EXPECT_TRUE(Notices().empty());
    Run(3000);
    EXPECT_TRUE(MusicFiles().isEmpty());
    EXPECT_EQ(m_dlg->StatusText()->text(), LoadString(IDS_STATUS_INSERT_CARD));
}

TEST_F(Rules, CloseIsRefusedDuringAJobAndAnEndRequestCleansUpFirst) {
    SetRipPreferences(QStringLiteral("C:\\Users\\user\\Music"), 192000, QStringLiteral("*Album;*SongTitle"));
    Ready(5);
    Command(IDC_TRANSFER);
    ASSERT_EQ(m_dlg->GetSyncState(), SYNC_RIPPING);
    ASSERT_TRUE(RunUntil([&] { return !MusicFiles().isEmpty(); }));
    Command(IDC_CLOSE);
    ::SendMessage(m_dlg->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(m_dlg->IsEnded());
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_RIPPING);

    // The session ends: the rip is stopped, the job cleaned up, then the window ends.
    m_dlg->RequestEnd();
    ASSERT_TRUE(RunUntil([&] { return m_dlg->IsEnded(); }, 60000));
    EXPECT_FALSE(m_dlg->IsJobRunning());
    EXPECT_TRUE(Notices().empty()) << "nobody is there to read a notice";
    EXPECT_FALSE(Test()->IsRipping());
    Run(3000);
    EXPECT_TRUE(MusicFiles().isEmpty());
    EXPECT_EQ(LibraryCount(QStringLiteral("TOC"), m_toc), 0);
    Finish();
    EXPECT_EQ(PrefText(QStringLiteral("CDRecordFileDetail")), QStringLiteral("*Album;*SongTitle"));
    EXPECT_EQ(Pref(QStringLiteral("MP3RecordRate")), 192000u);
}

TEST_F(Rules, AnEndRequestWhileIdleEndsAtOnceAndClosesAnOpenNotice) {
    Ready();
    m_dlg->RequestEnd();
    Run(200);
    EXPECT_TRUE(m_dlg->IsEnded());
}

} // namespace
