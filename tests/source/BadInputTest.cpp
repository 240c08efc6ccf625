// What the earlier-rips steps do when the machine does not play along: a work folder that cannot
// be made, a disk that fills up, files removed or put in place by hand, a library entry whose file
// is gone, an album query that also finds other discs. The job either does not start or ends
// normally, and no file of the user's is lost.

#include "mediaengine/MediaEngineTest.h"
#include "platform/com/ComBSTR.h"
#include "platform/files/FileOps.h"
#include "platform/files/Volumes.h"
#include "source/EarlierRips.h"
#include "source/PlayerContext.h"
#include "tests/source/EarlierRipsFixture.h"
#include "tests/support/engine/TestMp3.h"

#include <QFile>

namespace {

class BadInput : public CEarlierRipsTest {
protected:
    void Write(const QString& path, const QByteArray& bytes) {
        QFile file(Host(path));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // Every earlier rip is where it was and listed, nothing waits in a work folder.
    void ExpectUntouched() {
        ExpectEarlierRipsBack();
        EXPECT_TRUE(m_cd->SetAsideEntries().isEmpty());
    }
};

TEST_F(BadInput, AWorkFolderThatCannotBeMadeStopsTheJobBeforeAnythingMoves) {
    ASSERT_NO_FATAL_FAILURE(OpenDisc());
    ASSERT_NO_FATAL_FAILURE(MakeEarlierRips());
    // A file of the user's has the work folder's name.
    ASSERT_NO_FATAL_FAILURE(Write(kWork, "mine"));
    ASSERT_TRUE(m_cd->PruneMissingFiles());
    EXPECT_FALSE(m_cd->SetAsideEarlierRips(kMusic));
    EXPECT_EQ(Bytes(kWork), QByteArray("mine"));
    QFile::remove(Host(kWork));
    ExpectUntouched();
}

TEST_F(BadInput, ADiskThatFillsUpDuringTheSetAsidePutsEverythingBack) {
    ASSERT_NO_FATAL_FAILURE(OpenDisc());
    ASSERT_NO_FATAL_FAILURE(MakeEarlierRips());
    // Room for the journal and the first copy, not for the second.
    CVolumes& volumes = m_sandbox->Volumes();
    const std::optional<quint64> capacity = volumes.DriveOf(QLatin1Char('C'))->capacity;
    // Well below the host's own free space, which also bounds a limited drive's.
    ASSERT_TRUE(volumes.SetCapacity(QLatin1Char('C'), quint64(1) << 30));
    quint64 free = 0;
    quint64 total = 0;
    ASSERT_EQ(volumes.DiskSpace(QLatin1Char('C'), &free, &total), ERROR_SUCCESS);
    qint64 largest = 0;
    for (const QByteArray& bytes : m_earlier) {
        largest = std::max(largest, qint64(bytes.size()));
    }
    const quint64 room = CVolumes::kClusterBytes + CVolumes::ClusterRounded(quint64(largest)) + 1;
    ASSERT_TRUE(volumes.SetCapacity(QLatin1Char('C'), total - free + room));

    ASSERT_TRUE(m_cd->PruneMissingFiles());
    EXPECT_FALSE(m_cd->SetAsideEarlierRips(kMusic));
    ExpectUntouched();

    // With room the same job sets everything aside.
    ASSERT_TRUE(volumes.SetCapacity(QLatin1Char('C'), capacity));
    ASSERT_NO_FATAL_FAILURE(PrepareJob());
    EXPECT_EQ(m_cd->SetAsideEntries().size(), 6);
    m_cd->RemoveRippedTracks();
    ExpectUntouched();
}

TEST_F(BadInput, AnEarlierRipDeletedByHandMeanwhile) {
    ASSERT_NO_FATAL_FAILURE(OpenDisc());
    ASSERT_NO_FATAL_FAILURE(MakeEarlierRips());
    ASSERT_TRUE(m_cd->PruneMissingFiles());
    // Between the prune and the set-aside the user deletes one rip of the first album.
    QString gone;
    for (const QString& path : m_earlier.keys()) {
        if (CCDROMAcc::LiesInRipTree(kMusic, path)) {
            gone = path;
        }
    }
    ASSERT_TRUE(DeleteFile(gone));
    m_earlier.remove(gone);
    EXPECT_FALSE(m_cd->SetAsideEarlierRips(kMusic));
    // The other rips are back; the entry of the deleted one stays until the next prune.
    for (auto it = m_earlier.begin(); it != m_earlier.end(); ++it) {
        EXPECT_EQ(Bytes(it.key()), it.value()) << it.key().toStdString();
    }
    EXPECT_EQ(LibraryPaths().size(), 6);
    EXPECT_FALSE(PathFileExists(kWork));

    // The next transfer prunes it first and then runs normally.
    ASSERT_NO_FATAL_FAILURE(PrepareJob());
    EXPECT_EQ(m_cd->SetAsideEntries().size(), 5);
    m_cd->RemoveRippedTracks();
    ExpectUntouched();
}

TEST_F(BadInput, AnEntryWhoseFileWasDeletedByHandIsPrunedAndNothingElse) {
    ASSERT_NO_FATAL_FAILURE(OpenDisc());
    ASSERT_NO_FATAL_FAILURE(MakeEarlierRips());
    const QString gone = m_earlier.lastKey();
    ASSERT_TRUE(DeleteFile(gone));
    m_earlier.remove(gone);

    ASSERT_TRUE(m_cd->PruneMissingFiles());
    EXPECT_EQ(LibraryPaths(), QStringList(m_earlier.keys()));
    // The player was not asked to delete anything: a file the user puts there now stays.
    ASSERT_NO_FATAL_FAILURE(Write(gone, "new"));
    m_loop.Pump();
    m_loop.Advance(5000);
    m_loop.Pump();
    EXPECT_EQ(Bytes(gone), QByteArray("new"));
    ExpectUntouched();
}

TEST_F(BadInput, AnEarlierRipWhosePathWasTakenWaitsAndComesBackLater) {
    ASSERT_NO_FATAL_FAILURE(OpenDisc());
    ASSERT_NO_FATAL_FAILURE(MakeEarlierRips());
    ASSERT_NO_FATAL_FAILURE(PrepareJob());
    ASSERT_NO_FATAL_FAILURE(StartRip());
    ASSERT_TRUE(WaitForRipEnd());
    // The user puts a file of their own where a rip of the second album was.
    QString taken;
    for (const QString& path : m_earlier.keys()) {
        if (path.contains(QStringLiteral("ライブ"))) {
            taken = path;
        }
    }
    ASSERT_FALSE(taken.isEmpty());
    ASSERT_NO_FATAL_FAILURE(Write(taken, "the user's own"));

    m_cd->RemoveRippedTracks();
    // Their file stays; the earlier rip waits in the work folder with its journal entry. (The path
    // is offered to the library again, which does not take a file that is no audio.)
    EXPECT_EQ(Bytes(taken), QByteArray("the user's own"));
    ASSERT_EQ(m_cd->SetAsideEntries().size(), 1);
    EXPECT_EQ(m_cd->SetAsideEntries().first().path, taken);
    EXPECT_TRUE(PathFileExists(kWork + QStringLiteral("\\Orlen.journal")));
    EXPECT_EQ(Bytes(kWork + QLatin1Char('\\') + m_cd->SetAsideEntries().first().workName),
              m_earlier.value(taken));
    QStringList others = m_earlier.keys();
    others.removeOne(taken);
    EXPECT_EQ(LibraryPaths(), others);
    for (auto it = m_earlier.begin(); it != m_earlier.end(); ++it) {
        if (it.key() != taken) {
            EXPECT_EQ(Bytes(it.key()), it.value()) << it.key().toStdString();
        }
    }

    // Once the user moved their file away, the next restore puts the earlier rip back.
    ASSERT_TRUE(MoveFileEx(taken, kDocuments + QStringLiteral("\\mine.mp3"), 0));
    m_cd->RestoreSetAside();
    ExpectUntouched();
    EXPECT_EQ(Bytes(kDocuments + QStringLiteral("\\mine.mp3")), QByteArray("the user's own"));
}

TEST_F(BadInput, OfTwoEarlierRipsForOnePathTheNewestGoesBackAndTheOtherWaits) {
    ASSERT_NO_FATAL_FAILURE(StartPlayer());
    ASSERT_TRUE(CreateDirectory(kWork, nullptr));
    // One left from an earlier job whose restore failed, one set aside from the same path since.
    ASSERT_TRUE(CTestMp3::Write(Host(kWork + QStringLiteral("\\x.mp3")), 0.5, 128, QStringLiteral("old")));
    ASSERT_TRUE(
        CTestMp3::Write(Host(kWork + QStringLiteral("\\x (2).mp3")), 0.5, 128, QStringLiteral("new")));
    const QByteArray older = Bytes(kWork + QStringLiteral("\\x.mp3"));
    const QByteArray newer = Bytes(kWork + QStringLiteral("\\x (2).mp3"));
    // Its folders went with the job's rips.
    const QString path = kMusic + QStringLiteral("\\Artist\\Album\\x.mp3");
    CSetAsideJournal journal;
    journal.SetWorkFolder(kWork);
    journal.SetEntries({{path, QStringLiteral("x.mp3")}, {path, QStringLiteral("x (2).mp3")}});
    ASSERT_TRUE(journal.Save());

    const CEarlierRips::Restored restored =
        CEarlierRips(journal, PlayerContext().Player(), PlayerContext().Library()).Restore();
    EXPECT_EQ(restored.back, 1);
    EXPECT_EQ(restored.waiting, 1);
    EXPECT_EQ(Bytes(path), newer);
    EXPECT_EQ(Bytes(kWork + QStringLiteral("\\x.mp3")), older);
    ComPtr<IWMPPlaylist> listed;
    ASSERT_EQ(Library()->getByAttribute(CComBSTR(QStringLiteral("SourceURL")), CComBSTR(path), &listed),
              S_OK);
    EXPECT_EQ(Count(listed.Get()), 1);
    // The journal on the disk keeps the one that waits, and only that one.
    CSetAsideJournal read;
    read.SetWorkFolder(kWork);
    ASSERT_EQ(read.Load(), CSetAsideJournal::LoadStatus::Loaded);
    EXPECT_EQ(read.Entries(), (QList<SetAsideEntry>{{path, QStringLiteral("x.mp3")}}));
}

TEST_F(BadInput, EntriesTheSetAsideSkippedAreNeverDeleted) {
    ASSERT_NO_FATAL_FAILURE(OpenDisc());
    ASSERT_NO_FATAL_FAILURE(MakeEarlierRips());
    // An entry without a bit rate is not set aside: it stays in the library, and the queries of
    // the job (its snapshot among them) leave it out: it is no rip of the job.
    QString skipped;
    ComPtr<IWMPPlaylist> list;
    ASSERT_EQ(Library()->getByAttribute(CComBSTR(QStringLiteral("TOC")), CComBSTR(Toc()), &list), S_OK);
    for (long i = 0; i < Count(list.Get()); ++i) {
        const ComPtr<IWMPMedia> item = Item(list.Get(), i);
        const QString path = Info(item.Get(), QStringLiteral("SourceURL"));
        if (path.contains(QStringLiteral("ライブ"))) {
            skipped = path;
            ASSERT_EQ(item->setItemInfo(CComBSTR(QStringLiteral("Bitrate")), CComBSTR(QStringLiteral("0"))),
                      S_OK);
        }
    }
    ASSERT_FALSE(skipped.isEmpty());
    ASSERT_NO_FATAL_FAILURE(PrepareJob());
    EXPECT_EQ(m_cd->SetAsideEntries().size(), 5);
    ASSERT_NO_FATAL_FAILURE(StartRip());
    ASSERT_TRUE(WaitForRipEnd());
    EXPECT_EQ(Count(m_cd->Snapshot()), 3);
    // The tag steps before and after the rip left it alone too: every earlier rip keeps its bytes.
    ASSERT_TRUE(m_cd->CopyTagsToLibrary());

    m_cd->RemoveRippedTracks();
    m_loop.Pump();
    ExpectUntouched();
}

TEST_F(BadInput, AnAlbumQueryThatFindsOtherDiscsNeverDeletesTheirFiles) {
    // Two discs without album data: the player names both "アルバム情報なし".
    const QStringList firstTitles = {QStringLiteral("一"), QStringLiteral("二")};
    Insert(QLatin1Char('D'), MakeShortDisc(2, firstTitles, QString(), QString(), QStringLiteral("first")));
    StartPlayer();
    ASSERT_TRUE(OpenLikeTheWindow());
    ASSERT_EQ(Name(CdPlaylist(0).Get()), QStringLiteral("アルバム情報なし"));
    ASSERT_NO_FATAL_FAILURE(RipEarlier());
    ComPtr<IWMPPlaylist> other;
    ASSERT_EQ(Library()->getByAlbum(CComBSTR(QStringLiteral("アルバム情報なし")), &other), S_OK);
    ASSERT_EQ(Count(other.Get()), 2);
    for (long i = 0; i < 2; ++i) {
        const QString path = Info(Item(other.Get(), i).Get(), QStringLiteral("SourceURL"));
        m_earlier.insert(path, Bytes(path));
    }

    TakeOut(QLatin1Char('D'));
    CheckMedia();
    Insert(QLatin1Char('D'), MakeShortDisc(3, {}, QString(), QString(), QStringLiteral("second")));
    CheckMedia();
    ASSERT_TRUE(OpenLikeTheWindow());
    // The player cannot answer the TOC query: the disc is looked for by its album name.
    MediaEngineFaults faults;
    faults.failingCalls = {QStringLiteral("getByAttribute")};
    ASSERT_EQ(Test()->SetFaults(faults), S_OK);
    ASSERT_NO_FATAL_FAILURE(PrepareJob());
    EXPECT_EQ(m_cd->SetAsideEntries().size(), 2); // the other disc's rips, found by the name
    ASSERT_NO_FATAL_FAILURE(StartRip());
    ASSERT_TRUE(WaitForRipEnd());
    m_cd->RemoveRippedTracks();
    ASSERT_EQ(Test()->SetFaults({}), S_OK);
    m_loop.Pump();

    // The other disc's rips are back, byte for byte, and listed.
    for (auto it = m_earlier.begin(); it != m_earlier.end(); ++it) {
        EXPECT_EQ(Bytes(it.key()), it.value()) << it.key().toStdString();
    }
    ASSERT_EQ(Library()->getByAlbum(CComBSTR(QStringLiteral("アルバム情報なし")), &other), S_OK);
    QStringList listed;
    for (long i = 0; i < Count(other.Get()); ++i) {
        listed << Info(Item(other.Get(), i).Get(), QStringLiteral("SourceURL"));
    }
    listed.sort();
    EXPECT_EQ(listed, QStringList(m_earlier.keys()));
    EXPECT_FALSE(PathFileExists(kWork));
}

} // namespace
