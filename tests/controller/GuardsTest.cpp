// The lines that keep the user's files safe when something on the way fails: a start that cannot
// ask the library, a copy of the disc the library never listed, a player that ignores the stop, a
// window asked to end while a dialog is open, a card that fails its last flush, a journal that
// cannot be written, a library that refuses a removal. Each is driven through the window as the
// program runs it, and each checks the user's files byte for byte.
#include "platform/files/CopyFaults.h"
#include "resources/StringIds.h"
#include "source/SetAsideJournal.h"
#include "tests/controller/MainWindowFixture.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTimer>

namespace {

const QString kMusic = QStringLiteral("C:\\Users\\user\\Music");
const QString kDocuments = QStringLiteral("C:\\Users\\user\\Documents");

class Guards : public CMainWindowFixture {
protected:
    QString MusicHost(const QString& relative) const { return Host(kMusic) + QLatin1Char('/') + relative; }
    QByteArray MusicBytes(const QString& relative) const {
        QFile file(MusicHost(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The disc's earlier rips in the user's music folder, with their bytes.
    void RipEarlier(int tracks = 3) {
        InsertDisc(tracks);
        m_earlier = RipEarlierRips();
        ASSERT_EQ(m_earlier.size(), tracks);
        for (const QString& file : m_earlier) {
            m_bytes.insert(file, MusicBytes(file));
        }
    }
    // The earlier rips are at their places, whole, and listed once each.
    void ExpectEarlierRipsAsTheyWere() const {
        EXPECT_EQ(MusicFiles(), m_earlier);
        for (auto it = m_bytes.begin(); it != m_bytes.end(); ++it) {
            EXPECT_EQ(MusicBytes(it.key()), it.value()) << it.key().toStdString();
        }
        EXPECT_EQ(LibraryCount(QStringLiteral("TOC"), m_toc), m_earlier.size());
    }
    QString WorkFolderHost() const {
        return Host(kDocuments + QLatin1Char('\\') + CSetAsideJournal::kWorkFolderName);
    }

    QStringList m_earlier;
    QMap<QString, QByteArray> m_bytes;
    QString m_toc;
};

// A run ended while the player would not stop its rip; the next start cannot ask the library for
// the job's rips, so it puts the earlier rips back and leaves the job open for a later start. That
// later start takes the job's rips away, and never the earlier rips it finds at their places.
TEST_F(Guards, EarlierRipsPutBackWhileTheJobStaysOpenAreNeverTakenForItsRips) {
    ASSERT_NO_FATAL_FAILURE(RipEarlier());
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    m_toc = Toc();
    ASSERT_NO_FATAL_FAILURE(RequestEndDuringARipThatWillNotStop());
    ASSERT_TRUE(RunUntil([&] { return m_dlg->IsEnded(); }, 20000));
    Finish();

    m_config.faults.failingCalls = {QStringLiteral("library.getByAttribute"),
                                    QStringLiteral("library.getByAlbum")};
    ASSERT_TRUE(Start());
    Run(2000);
    Finish();
    m_config.faults = {};
    EXPECT_TRUE(QFileInfo::exists(WorkFolderHost() + QLatin1Char('/') + CSetAsideJournal::kJournalName))
        << "the job stays open until the library can tell its rips";

    ASSERT_TRUE(Start());
    Run(2000);
    ExpectEarlierRipsAsTheyWere();
    EXPECT_FALSE(QFileInfo::exists(WorkFolderHost()));
}

// The user keeps a copy of a track beside the rips, made before the job and never added to the
// library: it has the disc's tags and lies in the folder the job rips into, but it is not the job's.
TEST_F(Guards, AnOlderCopyOfTheDiscThatTheLibraryNeverListedStays) {
    ASSERT_NO_FATAL_FAILURE(RipEarlier());
    const QString copy = QFileInfo(m_earlier.first()).path() + QStringLiteral("/一曲目 (控え).mp3");
    ASSERT_TRUE(QFile::copy(MusicHost(m_earlier.first()), MusicHost(copy)));
    {
        QFile file(MusicHost(copy));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(
            file.setFileTime(QDateTime::currentDateTimeUtc().addDays(-1), QFileDevice::FileModificationTime));
    }
    const QByteArray copyBytes = MusicBytes(copy);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    m_toc = Toc();
    ASSERT_TRUE(RunJob());
    EXPECT_EQ(Notices(), std::vector<std::string>{"1720/1102"});
    EXPECT_TRUE(MusicFiles().contains(copy)) << MusicFiles().join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(MusicBytes(copy), copyBytes);
    m_bytes.insert(copy, copyBytes);
    m_earlier.append(copy);
    m_earlier.sort();
    QStringList now = MusicFiles();
    now.sort();
    EXPECT_EQ(now, m_earlier);
}

// The player ignores the stop: the disc is ejected, which ends the rip, and the job is cleaned up
// once the rip has ended.
TEST_F(Guards, ARipThatIgnoresTheStopEndsWithTheDiscEjected) {
    InsertDisc(4);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    m_toc = Toc();
    MediaEngineFaults deaf;
    deaf.zeroSizeTrack = 1;
    deaf.stallAtTrack = 3;
    deaf.failingCalls = {QStringLiteral("stopRip")};
    SetEngineFaults(deaf);
    Command(IDC_TRANSFER);
    ASSERT_TRUE(RunUntilState(SYNC_RIPPING_ERROR));
    ASSERT_TRUE(RunUntil([&] { return !m_dlg->IsJobRunning(); }, 60000)) << "the rip was never ended";
    EXPECT_EQ(Notices(), std::vector<std::string>{"1707/501"});
    EXPECT_FALSE(Test()->IsRipping());
    EXPECT_TRUE(MusicFiles().isEmpty()) << MusicFiles().join(QLatin1Char(' ')).toStdString();
}

// The session ends while the album dialog waits for the user: the dialog closes as its close box
// would, and the window ends.
TEST_F(Guards, AnEndRequestClosesTheDialogThatWaitsForTheUser) {
    InsertDisc(2);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    const QString album = Name(CdPlaylist(0).Get());
    bool leftOpen = false;
    m_modal.Answer(0); // really run the dialog
    QTimer::singleShot(0, [&] {
        ASSERT_NE(QApplication::activeModalWidget(), nullptr);
        m_dlg->RequestEnd();
    });
    // Only if the request left it open: closed here so that the test ends.
    QTimer::singleShot(3000, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            leftOpen = true;
            dialog->close();
        }
    });
    Command(IDC_ALBUM_BUTTON);
    EXPECT_FALSE(leftOpen) << "the dialog stayed open after the end request";
    Run(500);
    EXPECT_TRUE(m_dlg->IsEnded());
    EXPECT_EQ(Name(CdPlaylist(0).Get()), album);
}

// Every file was copied but the card failed its last flush: the names may never have reached it,
// so the job is no success.
TEST_F(Guards, ACardThatFailsItsLastFlushIsAFailedCopy) {
    InsertDisc(3);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    CCopyFaults faults;
    faults.FailFlush(QLatin1Char('E'));
    ASSERT_TRUE(RunJob());
    EXPECT_EQ(Notices(), std::vector<std::string>{"1708/501"});
    EXPECT_TRUE(MusicFiles().isEmpty());
}

// What the set-aside of the earlier rips cannot do safely stops the job before the rip, with every
// earlier rip as it was.
enum class SetAsideFault { JournalCannotBeWritten, LibraryRefusesRemoval };

struct SetAsideCase {
    const char* name;
    SetAsideFault fault;
};

class SetAside : public Guards, public ::testing::WithParamInterface<SetAsideCase> {};

TEST_P(SetAside, FailsAndStartsNoJob) {
    ASSERT_NO_FATAL_FAILURE(RipEarlier());
    switch (GetParam().fault) {
    case SetAsideFault::JournalCannotBeWritten:
        // A folder stands where the journal is written first: the journal cannot be saved.
        ASSERT_TRUE(QDir().mkpath(WorkFolderHost() + QLatin1Char('/') + CSetAsideJournal::kJournalName +
                                  QStringLiteral(".new")));
        break;
    case SetAsideFault::LibraryRefusesRemoval:
        m_config.faults.failingCalls = {QStringLiteral("library.remove")};
        break;
    }
    ASSERT_TRUE(Start());
    ASSERT_TRUE(RunUntilReady());
    m_toc = Toc();
    Command(IDC_TRANSFER);
    Run(5000);
    EXPECT_EQ(Notices(), std::vector<std::string>{"1707/501"});
    EXPECT_FALSE(m_dlg->IsJobRunning());
    EXPECT_TRUE(CardFiles().isEmpty());
    ExpectEarlierRipsAsTheyWere();
    EXPECT_FALSE(QFileInfo::exists(WorkFolderHost() + QLatin1Char('/') + CSetAsideJournal::kJournalName));
}

INSTANTIATE_TEST_SUITE_P(
    Guards, SetAside,
    ::testing::Values(SetAsideCase{"JournalCannotBeWritten", SetAsideFault::JournalCannotBeWritten},
                      SetAsideCase{"LibraryRefusesRemoval", SetAsideFault::LibraryRefusesRemoval}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
