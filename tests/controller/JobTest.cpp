// Whole jobs on the sandbox with the real engine: Transfer, the rip, the copy onto the card, the
// clean-up and the outcome, with both player versions, and with earlier rips of the disc in the
// library. The window thread's turns are timed during a job.
#include "platform/files/Volumes.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "tests/controller/MainWindowFixture.h"
#include "tests/support/TurnLimit.h"
#include "ui/ReportCtrl.h"
#include "ui/StaticEx.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

namespace {

const QString kV10 = QStringLiteral("10.0.0.3646");
const QString kV11 = QStringLiteral("11.0.5721.5145");

class WholeJob : public CMainWindowFixture, public ::testing::WithParamInterface<QString> {};

TEST_P(WholeJob, CopiesTheTickedTracksAndLeavesNoRipsBehind) {
    InsertDisc(3);
    ASSERT_TRUE(Start(GetParam()));
    ASSERT_TRUE(RunUntilReady());
    const QString toc = Toc();
    ASSERT_FALSE(toc.isEmpty());
    m_dlg->TrackList()->SetCheck(1, false);

    ASSERT_TRUE(RunJob());

    EXPECT_EQ(Notices(), std::vector<std::string>{"1720/1102"});
    const QStringList card = CardFiles();
    ASSERT_EQ(card.size(), 2) << card.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(card[0].startsWith(QStringLiteral("夏の記憶/"))) << card[0].toStdString();
    EXPECT_TRUE(card[0].contains(QStringLiteral("曲その1")) && card[0].endsWith(QStringLiteral(".mp3")));
    EXPECT_TRUE(card[1].contains(QStringLiteral("曲その3")));
    for (const QString& file : card) {
        EXPECT_GT(QFileInfo(CardHost() + QLatin1Char('/') + file).size(), 1000) << file.toStdString();
    }
    // The job's rips are gone from the disk and from the library; no work folder is left.
    EXPECT_TRUE(MusicFiles().isEmpty()) << MusicFiles().join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(LibraryCount(QStringLiteral("TOC"), toc), 0);
    EXPECT_FALSE(QFileInfo::exists(Host(QStringLiteral("C:\\Users\\user\\Documents\\Orlen"))));

    // Back to idle: the hint to put in another disc stays, also once the window is ready again.
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_INIT);
    EXPECT_FALSE(m_dlg->IsTimerArmed(kEndOfJobTimer));
    EXPECT_FALSE(m_dlg->IsTimerArmed(kRipPollTimer));
    EXPECT_FALSE(m_dlg->IsTimerArmed(kCopyPollTimer));
    EXPECT_TRUE(m_dlg->IsFinished());
    EXPECT_EQ(m_dlg->StatusText()->text(), LoadString(IDS_STATUS_NEXT_CD));
    ASSERT_TRUE(RunUntilReady());
    EXPECT_EQ(m_dlg->StatusText()->text(), LoadString(IDS_STATUS_NEXT_CD));
    EXPECT_FALSE(m_dlg->Source().IsProgressShown());
    EXPECT_FALSE(m_dlg->Destination().IsProgressShown());

    // The steps of the job, in order.
    const CJobLog& log = m_dlg->JobLog();
    EXPECT_EQ(log.Outcome(), UINT(IDS_COPY_DONE));
    qint64 last = -1;
    for (const char* step : {"preparation", "rip", "rip complete", "copy", "copy complete",
                             "SYNC_SYNCING_DONE", "clean-up", "notice", "end"}) {
        const qint64 at = log.Since(QString::fromLatin1(step));
        EXPECT_GE(at, last) << step;
        last = at;
    }

    // A selection change ends the hint.
    ::SendMessage(m_dlg->Handle(), WM_COMMAND, MAKEWPARAM(IDC_DEST_COMBO, CBN_SELCHANGE), 0);
    EXPECT_FALSE(m_dlg->IsFinished());
    EXPECT_NE(m_dlg->StatusText()->text(), LoadString(IDS_STATUS_NEXT_CD));
}

INSTANTIATE_TEST_SUITE_P(PlayerVersions, WholeJob, ::testing::Values(kV10, kV11), [](const auto& info) {
    return info.param.startsWith(QStringLiteral("10")) ? "V10" : "V11";
});

using Job = CMainWindowFixture;

// Runs a check at the moment a message box is shown.
class CToldModal : public CScriptedModalService {
public:
    std::function<void()> onBox;
    int MessageBox(HWND owner, const QString& text, const QString& caption, UINT type) override {
        if (onBox) {
            onBox();
        }
        return CScriptedModalService::MessageBox(owner, text, caption, type);
    }
};

TEST_F(Job, EarlierRipsOfTheDiscAreBackAfterTheJob) {
    InsertDisc(3);
    const QStringList earlier = RipEarlierRips();
    ASSERT_EQ(earlier.size(), 3);
    QByteArray firstBytes;
    {
        QFile file(Host(QStringLiteral("C:\\Users\\user\\Music\\")) + QLatin1Char('/') + earlier[0]);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        firstBytes = file.readAll();
    }
    ASSERT_TRUE(Start());
    const QString toc = Toc();
    ASSERT_EQ(LibraryCount(QStringLiteral("TOC"), toc), 3);
    ASSERT_TRUE(RunUntilReady());
    ASSERT_TRUE(RunJob());

    EXPECT_EQ(Notices(), std::vector<std::string>{"1720/1102"});
    EXPECT_EQ(CardFiles().size(), 3);
    EXPECT_EQ(MusicFiles(), earlier);
    EXPECT_EQ(LibraryCount(QStringLiteral("TOC"), toc), 3);
    QFile file(Host(QStringLiteral("C:\\Users\\user\\Music\\")) + QLatin1Char('/') + earlier[0]);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), firstBytes) << "the user's own file, not the job's rip";
    EXPECT_FALSE(QFileInfo::exists(Host(QStringLiteral("C:\\Users\\user\\Documents\\Orlen"))));
}

TEST_F(Job, AFailedPreparationPutsTheEarlierRipsBackBeforeItSaysSo) {
    InsertDisc(3);
    const QStringList earlier = RipEarlierRips();
    ASSERT_EQ(earlier.size(), 3);
    ASSERT_TRUE(Start());
    const QString toc = Toc();
    ASSERT_TRUE(RunUntilReady());
    // The track tags cannot be read: the step after the earlier rips were set aside fails.
    MediaEngineFaults faults;
    faults.failingCalls = {QStringLiteral("cdItem.getItemInfo")};
    SetEngineFaults(faults);
    // What is on the disk and in the library at the moment the user is told.
    QStringList musicWhenTold;
    long libraryWhenTold = -1;
    CToldModal told;
    told.onBox = [&] {
        musicWhenTold = MusicFiles();
        libraryWhenTold = LibraryCount(QStringLiteral("TOC"), toc);
    };
    CPlatform services = CPlatform::Current();
    services.modal = &told;
    {
        CPlatformScope scope(services);
        Command(IDC_TRANSFER);
    }
    SetEngineFaults({});
    ASSERT_EQ(told.History().size(), 1u);
    EXPECT_EQ(told.History()[0].text, LoadString(IDS_RIP_FAILED));
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_WAIT);
    EXPECT_FALSE(m_dlg->IsJobRunning());
    EXPECT_EQ(musicWhenTold, earlier);
    EXPECT_EQ(libraryWhenTold, 3);
    EXPECT_FALSE(QFileInfo::exists(Host(QStringLiteral("C:\\Users\\user\\Documents\\Orlen"))));
    EXPECT_TRUE(CardFiles().isEmpty());
}

TEST_F(Job, TheWindowThreadIsNeverBusyForLongDuringAJob) {
    InsertDisc(6, 4);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    const int jobs = m_dlg->JobLog().Jobs();
    // Each turn runs what is due in one step of the clock; its length bounds every handler in it.
    qint64 longestNs = 0;
    QString longestAt;
    int turns = 0;
    QElapsedTimer turn;
    turn.start();
    Command(IDC_TRANSFER);
    qint64 first = turn.nsecsElapsed();
    longestNs = first;
    longestAt = QStringLiteral("Transfer");
    QElapsedTimer wall;
    wall.start();
    while ((m_dlg->IsJobRunning() || m_dlg->JobLog().Jobs() == jobs) && wall.elapsed() < 120000) {
        const bool ripping = m_dlg->GetSyncState() == SYNC_RIPPING;
        m_loop.WaitForPosted(ripping ? 100 : 5);
        turn.restart();
        const int32_t state = m_dlg->GetSyncState();
        m_loop.Pump();
        m_loop.Advance(100);
        const qint64 ns = turn.nsecsElapsed();
        if (ns > 20000000)
            std::printf("turn %d %s %.1f ms\n", turns, SyncStateName(state), ns / 1e6);
        if (ns > longestNs) {
            longestNs = ns;
            longestAt = QString::fromLatin1(SyncStateName(state));
        }
        ++turns;
    }
    ASSERT_FALSE(m_dlg->IsJobRunning());
    ASSERT_EQ(CardFiles().size(), 6);
    const double longestMs = longestNs / 1e6;
    RecordProperty("longest_ui_turn_ms", QString::number(longestMs, 'f', 1).toStdString());
    std::printf("longest window-thread turn during a %d-turn job: %.1f ms (in %s)\n", turns, longestMs,
                qPrintable(longestAt));
    EXPECT_LT(longestMs, kLongestTurnMs) << longestAt.toStdString();
}

} // namespace
