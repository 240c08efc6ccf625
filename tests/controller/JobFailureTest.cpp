// Jobs that do not go well: a rip that stalls, a track ripped without data, a rip that cannot start,
// a copy cancelled, a card pulled, the destination's device gone, the disc changed during the copy,
// the CD drive pulled out during the rip, a destination that stops being ready. Each ends with its message,
// back in state 0, with no rips left behind.
#include "platform/files/CopyFaults.h"
#include "platform/files/Volumes.h"
#include "player/PlayerMessages.h"
#include "resources/StringIds.h"
#include "tests/controller/MainWindowFixture.h"
#include "ui/StatusDlg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kV10 = QStringLiteral("10.0.0.3646");
const QString kV11 = QStringLiteral("11.0.5721.5145");
const QString kDeviceId = QStringLiteral("USB\\VID_1234&PID_5678\\0001");

class Failure : public CMainWindowFixture {
protected:
    void Ready(int tracks = 3, const QString& version = kV11) {
        InsertDisc(tracks);
        ASSERT_TRUE(Start(version));
        ASSERT_TRUE(RunUntilReady());
        m_toc = Toc();
    }
    // The job ended, nothing of it is left, and the window is idle again.
    void EndedWith(const std::vector<std::string>& notices) {
        EXPECT_EQ(Notices(), notices);
        EXPECT_EQ(m_dlg->GetSyncState(), SYNC_INIT);
        EXPECT_FALSE(m_dlg->IsJobRunning());
        EXPECT_FALSE(m_dlg->IsTimerArmed(kEndOfJobTimer));
        EXPECT_FALSE(m_dlg->IsTimerArmed(kCopyPollTimer));
        EXPECT_FALSE(m_dlg->Destination().IsTransferRunning());
        EXPECT_FALSE(m_dlg->Source().IsProgressShown());
        EXPECT_FALSE(m_dlg->Destination().IsProgressShown());
        // Nothing comes in late either: the rip had stopped before the clean-up.
        Run(6000);
        EXPECT_TRUE(MusicFiles().isEmpty()) << MusicFiles().join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(LibraryCount(QStringLiteral("TOC"), m_toc), 0);
        EXPECT_EQ(m_dlg->PendingRip(), -1);
    }
    // Holds the copy of the second file until a test lets it go (or the clock passes a minute).
    void HoldSecondCopy(CCopyFaults& faults) {
        faults.HoldBefore(QLatin1Char('E'), 2, ::GetTickCount() + 600000);
        Command(IDC_TRANSFER);
        ASSERT_TRUE(RunUntil([&] { return faults.IsHeld(); }));
        ASSERT_EQ(m_dlg->GetSyncState(), SYNC_SYNCING);
    }
    void AddCardDevice() {
        QFile ini(QDir(m_sandbox->EngineDir()).filePath(QStringLiteral("devices.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(
            QStringLiteral(
                "[device1]\nfriendlyName=Korvel DF-X1 - External Storage\ndeviceName=Korvel Digital Audio\n"
                "deviceId=%1\nserial=0001\npartnership=1\nconnected=true\nstatus=1\n"
                "syncState=2\ndrive=E\n")
                .arg(QString(kDeviceId).replace(QLatin1Char('\\'), QStringLiteral("\\\\")))
                .toUtf8());
        // The card's player file names the device, as the player writes it for a partnership.
        QFile info(Host(QStringLiteral("E:\\WMPInfo.xml")));
        ASSERT_TRUE(info.open(QIODevice::WriteOnly));
        info.write(QStringLiteral("<WMPInfo><DeviceId>%1</DeviceId></WMPInfo>\n").arg(kDeviceId).toUtf8());
    }

    QString m_toc;
};

class StalledRip : public Failure, public ::testing::WithParamInterface<QString> {};

TEST_P(StalledRip, SixteenEqualReadingsEjectTheDiscAndSay1725Then1707) {
    m_config.faults.stallAtTrack = 2;
    m_ripAtWallClock = false; // the stall is the point: let the polls come quickly
    Ready(3, GetParam());
    ASSERT_TRUE(RunJob());
    EndedWith({"1725/500", "1707/501"});
    EXPECT_FALSE(m_sandbox->Volumes().DriveOf(QLatin1Char('D'))->present) << "the disc came out";
    EXPECT_TRUE(CardFiles().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(PlayerVersions, StalledRip, ::testing::Values(kV10, kV11), [](const auto& info) {
    return info.param.startsWith(QStringLiteral("10")) ? "V10" : "V11";
});

class RipWithoutData : public Failure, public ::testing::WithParamInterface<QString> {};

TEST_P(RipWithoutData, ATrackRippedWithoutDataStopsTheRipAndSays1707) {
    m_config.faults.zeroSizeTrack = 2;
    Ready(5, GetParam());
    ASSERT_TRUE(RunJob());
    EndedWith({"1707/501"});
    EXPECT_TRUE(CardFiles().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(PlayerVersions, RipWithoutData, ::testing::Values(kV10, kV11), [](const auto& info) {
    return info.param.startsWith(QStringLiteral("10")) ? "V10" : "V11";
});

// A drive that reports a disc but fails every read: no track makes progress, so the window takes
// the rip for stalled, ejects the disc and says the rip failed; nothing of it is kept.
TEST_F(Failure, ADiscThatCannotBeReadAtAllSays1725Then1707AndKeepsNothing) {
    m_config.faults.unreadableDisc = true;
    m_ripAtWallClock = false;
    Ready();
    ASSERT_TRUE(RunJob());
    EndedWith({"1725/500", "1707/501"});
    EXPECT_FALSE(m_sandbox->Volumes().DriveOf(QLatin1Char('D'))->present) << "the disc came out";
    EXPECT_TRUE(CardFiles().isEmpty());
}

TEST_F(Failure, ARipThatCannotStartSays1707) {
    Ready();
    MediaEngineFaults faults;
    faults.failingCalls = {QStringLiteral("startRip"), QStringLiteral("setTaskPane")};
    SetEngineFaults(faults);
    ASSERT_TRUE(RunJob());
    SetEngineFaults({});
    EndedWith({"1707/501"});
}

TEST_F(Failure, CancelInTheProgressWindowSays1709AndKeepsWhatWasCopied) {
    Ready();
    CCopyFaults faults;
    HoldSecondCopy(faults);
    ASSERT_TRUE(RunUntil([&] { return m_dlg->Destination().Progress() != nullptr; }));
    CStatusDlg* progress = m_dlg->Destination().Progress();
    ASSERT_NE(progress, nullptr);
    ::SendMessage(progress->GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
    // The next poll asks the worker to stop and closes the progress window without waiting for it;
    // once the held file may go on it sees the stop: nothing of it lands, no other is begun.
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->Destination().IsProgressShown(); }));
    EXPECT_TRUE(m_dlg->IsJobRunning());
    faults.Release();
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }));
    EndedWith({"1709/1102"});
    EXPECT_EQ(CardFiles().size(), 1);
}

TEST_F(Failure, ACardPulledDuringTheCopySays1708) {
    Ready();
    CCopyFaults faults;
    faults.PullCard(QLatin1Char('E'), 2);
    ASSERT_TRUE(RunJob());
    EndedWith({"1708/501"});
}

TEST_F(Failure, TheDestinationsDeviceGoneDuringTheCopySays1708) {
    AddCardDevice();
    Ready();
    ASSERT_NE(m_dlg->Destination().DeviceAccess().Device(), nullptr)
        << "the card's device is the current one";
    CCopyFaults faults;
    HoldSecondCopy(faults);
    ComPtr<IMediaEngineTest> test = Test();
    ASSERT_EQ(test->SetDeviceConnected(kDeviceId, false), S_OK);
    m_loop.Pump();
    // The worker was asked to stop and the job marked failed at once, without waiting for it: the
    // end of the job waits for the worker (held in its file) before the clean-up.
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_ERROR);
    EXPECT_TRUE(m_dlg->Destination().IsTransferRunning());
    faults.Release();
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }));
    EndedWith({"1708/501"});
    EXPECT_EQ(CardFiles().size(), 1) << "the file being copied is stopped, no other is begun";
}

TEST_F(Failure, ADeviceThatStopsSynchronisingDoesNotEndACopyThatStillRuns) {
    AddCardDevice();
    Ready();
    CCopyFaults faults;
    HoldSecondCopy(faults);
    ComPtr<IMediaEngineTest> test = Test();
    ASSERT_EQ(test->SetDeviceSyncState(kDeviceId, wmpssSynchronizing), S_OK);
    m_loop.Pump();
    ASSERT_EQ(test->SetDeviceSyncState(kDeviceId, wmpssStopped), S_OK);
    m_loop.Pump();
    // The copy is half way: it goes on, and its outcome is read once its worker has ended.
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_SYNCING);
    EXPECT_TRUE(m_dlg->IsTimerArmed(kCopyPollTimer));
    faults.Release();
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }));
    EXPECT_EQ(Notices(), std::vector<std::string>{"1720/1102"});
    EXPECT_EQ(CardFiles().size(), 3);
}

TEST_F(Failure, ADiscChangedDuringTheCopyStopsItAndSays1708) {
    Ready();
    CCopyFaults faults;
    HoldSecondCopy(faults);
    TakeOut(QLatin1Char('D'));
    ASSERT_EQ(Test()->CheckMedia(), S_OK);
    m_loop.Pump();
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_ERROR) << "the job is failed at once, its worker asked to stop";
    faults.Release();
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }));
    EndedWith({"1708/501"});
    EXPECT_EQ(CardFiles().size(), 1);
}

TEST_F(Failure, ACdDrivePulledOutDuringTheRipEndsTheJobAndPutsTheEarlierRipsBack) {
    InsertDisc(3);
    const QStringList earlier = RipEarlierRips();
    ASSERT_EQ(earlier.size(), 3);
    m_config.faults.stallAtTrack = 2; // the rip is inside track 2 when the drive goes
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    m_toc = Toc();
    Command(IDC_TRANSFER);
    ASSERT_TRUE(RunUntilState(SYNC_RIPPING));
    // The earlier rips are set aside; track 1 of this job is in the library.
    ASSERT_TRUE(RunUntil([&] { return LibraryCount(QStringLiteral("TOC"), m_toc) == 1; }));

    // USB cable out: the drive leaves the volume table with the disc still in it.
    ASSERT_TRUE(m_sandbox->Volumes().RemoveDrive(QLatin1Char('D')));
    ASSERT_EQ(Test()->CheckMedia(), S_OK);
    ASSERT_TRUE(WaitForRipEnd(10000)) << "the rip goes on without its drive";
    m_ripAtWallClock = false; // the window's polls see a rip that no longer moves
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }));
    EXPECT_FALSE(Notices().empty());
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_INIT);
    EXPECT_FALSE(m_dlg->Source().IsProgressShown());
    Run(6000);
    EXPECT_EQ(MusicFiles(), earlier) << "the job's rips are gone, the user's are back";
    EXPECT_EQ(LibraryCount(QStringLiteral("TOC"), m_toc), 3);
    EXPECT_FALSE(QFileInfo::exists(Host(QStringLiteral("C:\\Users\\user\\Documents\\Orlen"))));
    EXPECT_TRUE(CardFiles().isEmpty());
    EXPECT_EQ(m_dlg->Source().GetState(), 0) << "no CD drive is left to list";
}

TEST_F(Failure, ADestinationNoLongerReadyWhenTheRipEndsSays1708) {
    Ready();
    Command(IDC_TRANSFER);
    ASSERT_EQ(m_dlg->GetSyncState(), SYNC_RIPPING);
    m_dlg->Destination().SetState(CDAPAcc::kListed);
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }));
    EndedWith({"1708/501"});
    EXPECT_TRUE(CardFiles().isEmpty());
}

TEST_F(Failure, ACopyThatCannotStartEndsTheJobAsFailed) {
    Ready();
    Command(IDC_TRANSFER);
    ASSERT_TRUE(RunUntilState(SYNC_SYNCING));
    // Between the rip's end and the copy's start the destination stops being usable.
    m_dlg->Destination().SetState(CDAPAcc::kListed);
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }, 20000));
    EndedWith({"1708/501"});
    EXPECT_TRUE(CardFiles().isEmpty());
}

} // namespace
