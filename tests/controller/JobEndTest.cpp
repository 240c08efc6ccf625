// How a job ends when something does not go its way: a list not yet filled when the disc is
// ready, a rip that will not stop, the user's own entries of the disc in the library, a card too
// full for a single file, a copy stuck in its write, a copy killed before. Each ends with an honest
// outcome, the user's files as they were and a window that never waits for a worker.
#include "destination/DAPAcc.h"
#include "platform/com/ComBSTR.h"
#include "platform/files/CopyFaults.h"
#include "platform/files/FileCopy.h"
#include "resources/StringIds.h"
#include "source/PlayerContext.h"
#include "tests/controller/MainWindowFixture.h"
#include "ui/ReportCtrl.h"
#include "ui/StatusDlg.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {

const QString kMusic = QStringLiteral("C:\\Users\\user\\Music");

class JobEnd : public CMainWindowFixture {
protected:
    void Ready(int tracks = 3) {
        InsertDisc(tracks);
        ASSERT_TRUE(Start());
        ASSERT_TRUE(RunUntilReady());
        m_toc = Toc();
    }
    QByteArray MusicBytes(const QString& relative) const {
        QFile file(Host(kMusic) + QLatin1Char('/') + relative);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QByteArray CardBytes(const QString& relative) const {
        QFile file(CardHost() + QLatin1Char('/') + relative);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    bool HasTemporaryOnCard() const {
        QDirIterator it(CardHost(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            if (CFileCopy::IsTemporaryName(QFileInfo(it.next()).fileName())) {
                return true;
            }
        }
        return false;
    }
    bool HasMark(const QString& what) const {
        for (const CJobLog::Mark& mark : m_dlg->JobLog().Marks()) {
            if (mark.what == what) {
                return true;
            }
        }
        return false;
    }
    // Starts a job whose copy is held in the first file's data, for ever (until released).
    void CopyHeldInFirstFile(CCopyFaults& faults) {
        faults.HoldAt(QLatin1Char('E'), 1, 1000);
        Command(IDC_TRANSFER);
        ASSERT_TRUE(RunUntil([&] { return faults.IsHeld(); }));
        ASSERT_EQ(m_dlg->GetSyncState(), SYNC_SYNCING);
    }

    QString m_toc;
};

// The change of disc was reported before the disc could be read: the list was filled with no
// rows. The readiness poll opens the disc later; the window must not call that ready.
TEST_F(JobEnd, ReadyMeansAListFilledFromTheDiscInTheDrive) {
    ASSERT_TRUE(Start());
    Run(4000);
    MediaEngineFaults unreadable;
    unreadable.failingCalls = {QStringLiteral("cdPlaylist.get_count")};
    SetEngineFaults(unreadable);
    InsertDisc(3);
    ASSERT_EQ(Test()->CheckMedia(), S_OK);
    Run(4000);
    ASSERT_EQ(m_dlg->TrackList()->GetItemCount(), 0) << "the fill found no tracks yet";
    SetEngineFaults({});

    ASSERT_TRUE(RunUntilReady());
    CReportCtrl* list = m_dlg->TrackList();
    ASSERT_EQ(list->GetItemCount(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_TRUE(list->GetCheck(row)) << "a new disc has every track ticked";
    }
    m_toc = Toc();
    ASSERT_TRUE(RunJob());
    EXPECT_EQ(Notices(), std::vector<std::string>{"1720/1102"});
    EXPECT_EQ(CardFiles().size(), 3);
}

// The job ended early (a track ripped without data) and the player will not stop its rip: the
// clean-up waits for as long as the rip runs, never under it, and runs once it has stopped.
TEST_F(JobEnd, TheCleanUpWaitsForARipThatWillNotStop) {
    Ready(4);
    MediaEngineFaults deaf;
    deaf.zeroSizeTrack = 1;
    deaf.stallAtTrack = 3; // the rip then waits inside track 3 until somebody stops it
    deaf.failingCalls = {QStringLiteral("stopRip"), QStringLiteral("eject")};
    SetEngineFaults(deaf);
    Command(IDC_TRANSFER);
    ASSERT_TRUE(RunUntilState(SYNC_RIPPING_ERROR));
    Run(120000);
    EXPECT_TRUE(m_dlg->IsJobRunning()) << "cleaned up while the rip still ran";
    EXPECT_TRUE(m_dlg->IsStopWaitShown()) << "the wait window shows while the rip is waited for";
    EXPECT_TRUE(Notices().empty());

    // The rip stops at last (here: the stop reaches it another way).
    SetEngineFaults({});
    ComPtr<IWMPCdromRip> rip;
    ASSERT_EQ(Drive(0).As(&rip), S_OK);
    ASSERT_EQ(rip->stopRip(), S_OK);
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }));
    EXPECT_EQ(Notices(), std::vector<std::string>{"1707/501"});
    EXPECT_FALSE(m_dlg->IsStopWaitShown());
    Run(6000);
    EXPECT_TRUE(MusicFiles().isEmpty()) << MusicFiles().join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(LibraryCount(QStringLiteral("TOC"), m_toc), 0);
}

// Closing the window while the rip will not stop ends the program within seconds, without a
// clean-up under the rip; the next start takes the job's rips away and puts the earlier ones back.
TEST_F(JobEnd, AnEndRequestLeavesARipThatWillNotStopToTheNextStart) {
    InsertDisc(3);
    const QStringList earlier = RipEarlierRips();
    ASSERT_EQ(earlier.size(), 3);
    QMap<QString, QByteArray> bytes;
    for (const QString& file : earlier) {
        bytes.insert(file, MusicBytes(file));
    }
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    m_toc = Toc();
    ASSERT_NO_FATAL_FAILURE(RequestEndDuringARipThatWillNotStop());
    const DWORD asked = ::GetTickCount();
    ASSERT_TRUE(RunUntil([&] { return m_dlg->IsEnded(); }, 20000));
    EXPECT_LE(::GetTickCount() - asked, 10000u);
    EXPECT_TRUE(HasMark(QStringLiteral("clean-up left to the next start")));
    // The program ends as a process does: its player, with the rip that would not stop, goes too.
    Finish();

    ASSERT_TRUE(Start());
    Run(2000);
    EXPECT_EQ(MusicFiles(), earlier);
    for (auto it = bytes.begin(); it != bytes.end(); ++it) {
        EXPECT_EQ(MusicBytes(it.key()), it.value()) << it.key().toStdString();
    }
    EXPECT_EQ(LibraryCount(QStringLiteral("TOC"), m_toc), 3);
}

// An entry of the disc that the set-aside leaves in the library (it has no bit rate) is the user's
// file: it neither counts as a rip of the job nor goes to the card, even with a size of 0.
struct UsersEntryCase {
    const char* name;
    bool zeroSize;
};

class UsersEntry : public JobEnd, public ::testing::WithParamInterface<UsersEntryCase> {};

TEST_P(UsersEntry, NeitherEndsTheRipNorFailsItNorGoesToTheCard) {
    InsertDisc(3);
    const QStringList earlier = RipEarlierRips();
    ASSERT_EQ(earlier.size(), 3);
    // Only the third track's earlier rip is kept, in an album folder of the user's own, marked so
    // that its bytes differ from any rip of the job.
    const QString kept = QStringLiteral("山田花子/夏の記憶 (自分用)/03.mp3");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(Host(kMusic) + QLatin1Char('/') + kept).path()));
    ASSERT_TRUE(QFile::rename(Host(kMusic) + QLatin1Char('/') + earlier.last(),
                              Host(kMusic) + QLatin1Char('/') + kept));
    for (const QString& file : earlier.mid(0, 2)) {
        ASSERT_TRUE(QFile::remove(Host(kMusic) + QLatin1Char('/') + file));
    }
    {
        QFile file(Host(kMusic) + QLatin1Char('/') + kept);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("the user's own");
    }
    const QByteArray keptBytes = MusicBytes(kept);
    ASSERT_TRUE(Start());
    IWMPMediaCollection* library = PlayerContext().Library();
    ASSERT_NE(library, nullptr);
    ComPtr<IWMPPlaylist> old;
    const QString oldPath =
        kMusic + QLatin1Char('\\') + QString(earlier.last()).replace(QLatin1Char('/'), QLatin1Char('\\'));
    ASSERT_EQ(library->getByAttribute(CComBSTR(QStringLiteral("SourceURL")), CComBSTR(oldPath), &old), S_OK);
    ASSERT_EQ(Count(old.Get()), 1);
    ASSERT_EQ(library->remove(Item(old.Get(), 0).Get(), VARIANT_FALSE), S_OK);
    const QString keptPath =
        kMusic + QLatin1Char('\\') + QString(kept).replace(QLatin1Char('/'), QLatin1Char('\\'));
    ComPtr<IWMPMedia> entry;
    ASSERT_EQ(library->add(CComBSTR(keptPath), &entry), S_OK);
    ASSERT_EQ(entry->setItemInfo(CComBSTR(QStringLiteral("Bitrate")), CComBSTR(QStringLiteral("0"))), S_OK);
    if (GetParam().zeroSize) {
        ASSERT_EQ(entry->setItemInfo(CComBSTR(QStringLiteral("FileSize")), CComBSTR(QStringLiteral("0"))),
                  S_OK);
    }
    ASSERT_TRUE(RunUntilReady());
    m_toc = Toc();
    ASSERT_EQ(LibraryCount(QStringLiteral("TOC"), m_toc), 3) << "two entries whose files are gone, one kept";

    ASSERT_TRUE(RunJob());
    EXPECT_EQ(Notices(), std::vector<std::string>{"1720/1102"});
    const QStringList card = CardFiles();
    EXPECT_EQ(card.size(), 3) << card.join(QLatin1Char(' ')).toStdString();
    for (const QString& file : card) {
        EXPECT_NE(CardBytes(file), keptBytes) << "the user's file went to the card as " << file.toStdString();
    }
    EXPECT_EQ(MusicFiles(), QStringList{kept});
    EXPECT_EQ(MusicBytes(kept), keptBytes);
    EXPECT_EQ(LibraryCount(QStringLiteral("SourceURL"), keptPath), 1);
}

INSTANTIATE_TEST_SUITE_P(JobEnd, UsersEntry,
                         ::testing::Values(UsersEntryCase{"WithoutBitRate", false},
                                           UsersEntryCase{"WithoutBitRateOrSize", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The user agreed to fill the card, and not even the first file fits: nothing was transferred.
TEST_F(JobEnd, ACardTooFullForTheFirstFileIsAFailedCopy) {
    Ready();
    // Three tracks of about 0.023 MB estimated: each fits by the estimate, all three do not.
    SetFreeBytes(QLatin1Char('E'), 48 * 1024);
    RunOnePoll();
    CCopyFaults faults;
    faults.FailCopy(QLatin1Char('E'), 1, ERROR_DISK_FULL);
    m_modal.Answer(IDYES);
    ASSERT_TRUE(RunJob());
    EXPECT_EQ(Notices(), (std::vector<std::string>{"1719/1102", "1708/501"}));
    EXPECT_TRUE(CardFiles().isEmpty());
    EXPECT_TRUE(HasMark(QStringLiteral("files on the card: 0 of 3")));
}

// Cancel during a file stops the copy inside that file: nothing of it reaches the card.
TEST_F(JobEnd, CancelStopsTheCopyInsideTheFile) {
    Ready();
    CCopyFaults faults;
    faults.HoldAt(QLatin1Char('E'), 2, 1000);
    Command(IDC_TRANSFER);
    ASSERT_TRUE(RunUntil([&] { return faults.IsHeld() && m_dlg->Destination().Progress() != nullptr; }));
    ::SendMessage(m_dlg->Destination().Progress()->GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->Destination().IsProgressShown(); }));
    faults.Release();
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }));
    EXPECT_EQ(Notices(), std::vector<std::string>{"1709/1102"});
    EXPECT_EQ(CardFiles().size(), 1);
    EXPECT_FALSE(HasTemporaryOnCard());
    EXPECT_TRUE(HasMark(QStringLiteral("files on the card: 1 of 3")));
    EXPECT_TRUE(MusicFiles().isEmpty());
}

// A write that never returns: the job ends as failed after a bounded wait, cleaned up around the
// stuck worker; the earlier rips are back and the window is idle while the write still hangs.
TEST_F(JobEnd, ACopyStuckInItsWriteEndsTheJobAsFailedWithoutTheWindowWaiting) {
    InsertDisc(3);
    const QStringList earlier = RipEarlierRips();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    CCopyFaults faults;
    ASSERT_NO_FATAL_FAILURE(CopyHeldInFirstFile(faults));
    ASSERT_TRUE(RunUntil([&] { return m_dlg->Destination().Progress() != nullptr; }));
    ::SendMessage(m_dlg->Destination().Progress()->GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
    const DWORD asked = ::GetTickCount();
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }, 60000));
    EXPECT_LE(::GetTickCount() - asked, 20000u);
    EXPECT_TRUE(faults.IsHeld()) << "the write still hangs";
    EXPECT_EQ(Notices(), std::vector<std::string>{"1708/501"});
    EXPECT_EQ(m_dlg->GetSyncState(), SYNC_INIT);
    EXPECT_EQ(MusicFiles(), earlier);
    EXPECT_EQ(CDAPAcc::AbandonedTransfersRunning(), 1);
    // The write returns at last: the worker sees its stop and leaves nothing on the card.
    faults.Release();
    for (int i = 0; i < 500 && CDAPAcc::AbandonedTransfersRunning() > 0; ++i) {
        QThread::msleep(10);
    }
    EXPECT_EQ(CDAPAcc::AbandonedTransfersRunning(), 0);
    EXPECT_TRUE(CardFiles().isEmpty());
    EXPECT_FALSE(HasTemporaryOnCard());
}

// The same stuck write and the window closed (or a signal): the program ends within seconds, the
// earlier rips back and the preferences the user's.
TEST_F(JobEnd, AnEndRequestDuringAStuckWriteEndsWithinSeconds) {
    InsertDisc(3);
    const QStringList earlier = RipEarlierRips();
    const std::optional<DWORD> rate = Pref(QStringLiteral("MP3RecordRate"));
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    CCopyFaults faults;
    ASSERT_NO_FATAL_FAILURE(CopyHeldInFirstFile(faults));
    const DWORD asked = ::GetTickCount();
    m_dlg->RequestEnd();
    ASSERT_TRUE(RunUntil([&] { return m_dlg->IsEnded(); }, 60000));
    EXPECT_LE(::GetTickCount() - asked, 10000u);
    EXPECT_TRUE(faults.IsHeld());
    EXPECT_EQ(MusicFiles(), earlier);
    Finish();
    EXPECT_EQ(Pref(QStringLiteral("MP3RecordRate")), rate);
    faults.Release();
}

// A copy killed part way left its temporary file in the album folder: the next copy there takes
// it away, and leaves the user's files, whatever their names.
TEST_F(JobEnd, TheNextCopyRemovesWhatAKilledCopyLeftInItsFolder) {
    Ready();
    ASSERT_TRUE(RunJob());
    const QStringList first = CardFiles();
    ASSERT_EQ(first.size(), 3);
    const QString folder = CardHost() + QLatin1Char('/') + QFileInfo(first.first()).path();
    const QStringList leftovers = {QStringLiteral(".~ollivane-3f2a9c01d4e5b6a7")};
    const QStringList users = {QStringLiteral(".~ollivane-メモ.txt"), QStringLiteral("~ollivane-1.txt")};
    for (const QString& name : leftovers + users) {
        QFile file(folder + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("x");
    }
    ASSERT_TRUE(RunUntilReady());
    ASSERT_TRUE(RunJob());
    EXPECT_EQ(Notices(), (std::vector<std::string>{"1720/1102", "1720/1102"}));
    for (const QString& name : leftovers) {
        EXPECT_FALSE(QFileInfo::exists(folder + QLatin1Char('/') + name)) << name.toStdString();
    }
    for (const QString& name : users) {
        EXPECT_TRUE(QFileInfo::exists(folder + QLatin1Char('/') + name)) << name.toStdString();
    }
}

} // namespace
