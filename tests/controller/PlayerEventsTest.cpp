// The player's reports outside the rip, and the automatic start: a disc taken out or renamed,
// devices that synchronise on their own, and the countdown that is offered once per disc or card.
#include "controller/AutoCloseDlg.h"
#include "platform/com/ComBSTR.h"
#include "platform/files/Volumes.h"
#include "player/PlayerMessages.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "tests/controller/MainWindowFixture.h"
#include "ui/ReportCtrl.h"
#include "ui/StaticEx.h"

#include <QDir>
#include <QFile>
#include <QLabel>

namespace {

using PlayerEvents = CMainWindowFixture;

int Occurrences(const QStringList& names, const QString& name) {
    return int(names.count(name));
}

TEST_F(PlayerEvents, ADiscTakenOutSendsTheWindowBackToIdle) {
    InsertDisc(2);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    // A report for another drive changes nothing.
    SendEvent(WM_WMP_CDROMMEDIACHANGE, 5);
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_WAIT);

    TakeOut(QLatin1Char('D'));
    ASSERT_EQ(Test()->CheckMedia(), S_OK);
    m_loop.Pump();
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_INIT);
    EXPECT_EQ(m_dlg->TrackList()->GetItemCount(), 0);
    EXPECT_EQ(m_dlg->StatusText()->text(), LoadString(IDS_STATUS_INSERT_CD));
    EXPECT_FALSE(m_dlg->Control(IDC_TRANSFER)->isEnabled());
    EXPECT_EQ(m_dlg->focusWidget(), m_dlg->Control(IDC_CLOSE));
}

TEST_F(PlayerEvents, ARenamedDiscIsShownAgainButNotDuringARip) {
    InsertDisc(3);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    auto* album = qobject_cast<QLabel*>(m_dlg->Control(IDC_ALBUM_TEXT));
    m_dlg->TrackList()->SetCheck(1, false);
    ASSERT_EQ(CdPlaylist(0)->put_name(CComBSTR(QStringLiteral("新しい名前"))), S_OK);
    m_loop.Pump();
    EXPECT_EQ(album->text(), QStringLiteral("新しい名前"));
    EXPECT_FALSE(m_dlg->TrackList()->GetCheck(1)) << "the ticks are kept";

    Command(IDC_TRANSFER);
    ASSERT_EQ(m_dlg->GetSyncState(), SYNC_RIPPING);
    ASSERT_EQ(CdPlaylist(0)->put_name(CComBSTR(QStringLiteral("もう一つ"))), S_OK);
    m_loop.Pump();
    EXPECT_EQ(album->text(), QStringLiteral("新しい名前"));
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }));
    EXPECT_EQ(album->text(), QStringLiteral("もう一つ"));
}

TEST_F(PlayerEvents, DevicesMayNotSynchroniseOnTheirOwn) {
    const QString current = QStringLiteral("USB\\VID_1234&PID_5678\\0001");
    const QString other = QStringLiteral("USB\\VID_9999&PID_0001\\0002");
    QFile ini(QDir(m_sandbox->EngineDir()).filePath(QStringLiteral("devices.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    auto group = [](int n, const QString& id, const QString& name, const char* drive) {
        return QStringLiteral("[device%1]\nfriendlyName=%3 - External Storage\ndeviceName=%3 Digital Audio\n"
                              "deviceId=%2\nserial=000%1\npartnership=%1\nconnected=true\nstatus=1\n"
                              "syncState=2\n%4")
            .arg(n)
            .arg(QString(id).replace(QLatin1Char('\\'), QStringLiteral("\\\\")), name, QLatin1String(drive));
    };
    ini.write((group(1, current, QStringLiteral("Korvel"), "drive=E\n") +
               group(2, other, QStringLiteral("Other"), ""))
                  .toUtf8());
    ini.close();
    QFile info(Host(QStringLiteral("E:\\WMPInfo.xml")));
    ASSERT_TRUE(info.open(QIODevice::WriteOnly));
    info.write(QStringLiteral("<WMPInfo><DeviceId>%1</DeviceId></WMPInfo>\n").arg(current).toUtf8());
    info.close();
    InsertDisc(2);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    ComPtr<IMediaEngineTest> test = Test();

    // The destination's device starts on its own while no copy runs: it is stopped again.
    ASSERT_EQ(test->SetDeviceSyncState(current, wmpssSynchronizing), S_OK);
    m_loop.Pump();
    EXPECT_EQ(m_dlg->Destination().DeviceAccess().GetSyncState(), wmpssStopped);
    EXPECT_FALSE(m_dlg->IsTimerArmed(kCopyPollTimer));
    // Another device is stopped too.
    ASSERT_EQ(test->SetDeviceSyncState(other, wmpssSynchronizing), S_OK);
    m_loop.Pump();
    ComPtr<IWMPSyncServices> services;
    ASSERT_EQ(m_player.As(&services), S_OK);
    ComPtr<IWMPSyncDevice> device;
    ASSERT_EQ(services->getDevice(1, &device), S_OK);
    WMPSyncState state = wmpssUnknown;
    ASSERT_EQ(device->get_syncState(&state), S_OK);
    EXPECT_EQ(state, wmpssStopped);
}

TEST_F(PlayerEvents, TheAutomaticStartIsOfferedOncePerDiscAndStartsTheJob) {
    SetAutoSync(1);
    InsertDisc(2);
    ASSERT_TRUE(Start());
    const QString countdown = QStringLiteral("CAutoCloseDlg");
    // Cancel pressed in the countdown: the window stays ready and offers nothing more.
    m_modal.Answer(CAutoCloseDlg::kButtonPressed);
    ASSERT_TRUE(RunUntilReady());
    EXPECT_EQ(Occurrences(ModalNames(), countdown), 1);
    EXPECT_TRUE(m_dlg->Control(IDC_TRANSFER)->isEnabled());
    EXPECT_FALSE(m_dlg->Control(IDC_DEST_COMBO)->isEnabled()) << "auto-sync keeps the destination";
    Run(10000);
    EXPECT_EQ(Occurrences(ModalNames(), countdown), 1);
    EXPECT_FALSE(m_dlg->IsJobRunning());

    // Another disc: the offer comes again; left alone it runs out and the job starts.
    ASSERT_EQ(SendEvent(WM_WMP_CDROMMEDIACHANGE, 0), 0);
    m_modal.Answer(CAutoCloseDlg::kTimedOut);
    ASSERT_TRUE(RunUntil([&] { return m_dlg->IsJobRunning(); }, 20000));
    EXPECT_EQ(Occurrences(ModalNames(), countdown), 2);
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }));
    EXPECT_EQ(Notices(), std::vector<std::string>{"1720/1102"});
    EXPECT_EQ(CardFiles().size(), 2);
    Run(10000);
    EXPECT_EQ(Occurrences(ModalNames(), countdown), 2) << "not again for the same disc";
}

} // namespace
