// The copy onto the card on its worker thread, on virtual time with the real engine's library:
// progress as the window polls it, a card that fills up, a card pulled mid-file, Cancel, the file
// list, one worker at a time, and where each file lands.
#include "tests/destination/DestinationFixture.h"

#include "destination/TransferJob.h"
#include "platform/files/CopyFaults.h"
#include "platform/files/Volumes.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "ui/ReportCtrl.h"
#include "ui/StatusDlg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QThread>

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

// A playlist that cannot say how many items it holds; everything else goes to a real one.
class CUncountablePlaylist : public IWMPPlaylist {
public:
    explicit CUncountablePlaylist(IWMPPlaylist* real) : m_real(real) {}
    HRESULT QueryInterface(const IID&, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(const IID&, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, const IID&, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT get_count(long*) override { return E_FAIL; }
    HRESULT get_name(BSTR* name) override { return m_real->get_name(name); }
    HRESULT put_name(BSTR name) override { return m_real->put_name(name); }
    HRESULT get_Item(long index, IWMPMedia** item) override { return m_real->get_Item(index, item); }
    HRESULT getItemInfo(BSTR attribute, BSTR* value) override {
        return m_real->getItemInfo(attribute, value);
    }
    HRESULT get_isIdentical(IWMPPlaylist* other, VARIANT_BOOL* same) override {
        return m_real->get_isIdentical(other, same);
    }
    HRESULT removeItem(IWMPMedia* item) override { return m_real->removeItem(item); }

private:
    IWMPPlaylist* m_real;
};

QStringList Titles(int count) {
    QStringList titles;
    for (int i = 1; i <= count; ++i)
        titles.append(QStringLiteral("Song %1").arg(i));
    return titles;
}

class Transfer : public CDestinationFixture {
protected:
    void SetUp() override {
        CDestinationFixture::SetUp();
        Start();
    }
    QString AlbumHost(const QString& album = QStringLiteral("Album")) const {
        return DriveHost(QLatin1Char('E'), U("音声データ/") + album);
    }
    QByteArray Ripped(const QString& album, int track, const QString& title) const {
        QFile file(Host(RipPath(album, track, title)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QByteArray OnCard(const QString& name, const QString& album = QStringLiteral("Album")) const {
        QFile file(QDir(AlbumHost(album)).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    int BarPosition() const {
        CStatusDlg* progress = m_dap->Progress();
        auto* bar =
            progress ? qobject_cast<QProgressBar*>(progress->GetDlgItem(CStatusDlg::IDC_PROGRESS)) : nullptr;
        return bar ? bar->value() : -100;
    }
    void PressCancel() {
        ASSERT_TRUE(m_dap->Progress());
        SendMessage(m_dap->Progress()->GetSafeHwnd(), WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(m_dap->Progress()->Cancelled());
    }
    // Steps the worker file by file: it is held before each file from the second on, and the
    // window's poll reads the progress while it waits there.
    std::vector<int> ProgressPerFile(int files) {
        CCopyFaults faults;
        for (int copy = 2; copy <= files; ++copy)
            faults.HoldBefore(QLatin1Char('E'), copy);
        EXPECT_TRUE(m_dap->StartTransfer());
        std::vector<int> seen;
        for (int copy = 2; copy <= files; ++copy) {
            EXPECT_TRUE(faults.WaitUntilHeld(QLatin1Char('E'), copy));
            seen.push_back(m_dap->PollTransfer());
            EXPECT_EQ(BarPosition(), seen.back());
            faults.Release();
        }
        m_dap->WaitTransfer();
        const ULONGLONG before = m_loop.Now();
        seen.push_back(m_dap->PollTransfer());
        EXPECT_GE(m_loop.Now() - before, 1000u) << "a second's pause before the window closes";
        return seen;
    }
};

TEST_F(Transfer, ProgressOfThreeAndOfSevenFiles) {
    const ComPtr<IWMPPlaylist> three = RipAlbum(QStringLiteral("Album"), Titles(3));
    ReadyOn(QLatin1Char('E'));
    ASSERT_TRUE(m_dap->BuildFileList(three.Get()));
    EXPECT_EQ(m_dap->AlbumName(), QStringLiteral("Album"));
    EXPECT_EQ(ProgressPerFile(3), (std::vector<int>{0, 33, 100}));
    EXPECT_FALSE(m_dap->IsProgressShown());
    EXPECT_FALSE(m_dap->IsTransferRunning());
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(OnCard(QStringLiteral("%1 Song %2.mp3").arg(i, 2, 10, QLatin1Char('0')).arg(i)),
                  Ripped(QStringLiteral("Album"), i, QStringLiteral("Song %1").arg(i)));

    const ComPtr<IWMPPlaylist> seven = RipAlbum(QStringLiteral("Seven"), Titles(7));
    ASSERT_TRUE(m_dap->BuildFileList(seven.Get()));
    EXPECT_EQ(ProgressPerFile(7), (std::vector<int>{0, 14, 28, 42, 56, 70, 100}));
    EXPECT_EQ(Tree(AlbumHost(QStringLiteral("Seven"))).size(), 7);
}

TEST_F(Transfer, TheProgressWindowShowsTheCopyText) {
    const ComPtr<IWMPPlaylist> album = RipAlbum(QStringLiteral("Album"), Titles(2));
    ReadyOn(QLatin1Char('E'));
    ASSERT_TRUE(m_dap->BuildFileList(album.Get()));
    CCopyFaults faults;
    faults.HoldBefore(QLatin1Char('E'), 1);
    ASSERT_TRUE(m_dap->StartTransfer());
    ASSERT_TRUE(faults.WaitUntilHeld());
    EXPECT_EQ(m_dap->PollTransfer(), 0);
    ASSERT_TRUE(m_dap->IsProgressShown());
    EXPECT_EQ(m_dap->Progress()->Message(), LoadString(IDS_COPY_PROGRESS));
    EXPECT_EQ(m_dap->Progress()->Message(), U("転送中..."));
    faults.Release();
}

TEST_F(Transfer, AFullCardKeepsTheWholeFilesAndEndsAsTheUserChose) {
    for (const bool untilFull : {true, false}) {
        SCOPED_TRACE(untilFull ? "the user agreed to fill the card" : "the estimate said it fits");
        QDir(DriveHost(QLatin1Char('E'))).removeRecursively();
        const QString album = untilFull ? QStringLiteral("Filled") : QStringLiteral("Fits");
        QDir().mkpath(AlbumHost(album));
        const ComPtr<IWMPPlaylist> ten = RipAlbum(album, Titles(10), 1.0);
        // Already on the card under the name of the fifth file: it must survive the failed copy.
        const QByteArray earlier("an earlier file of the user");
        {
            QFile file(QDir(AlbumHost(album)).filePath(QStringLiteral("05 Song 5.mp3")));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(earlier);
        }
        quint64 four = 0;
        for (int i = 1; i <= 4; ++i)
            four += CVolumes::ClusterRounded(
                quint64(QFileInfo(Host(RipPath(album, i, QStringLiteral("Song %1").arg(i)))).size()));
        const quint64 fifth = CVolumes::ClusterRounded(
            quint64(QFileInfo(Host(RipPath(album, 5, QStringLiteral("Song 5")))).size()));
        ASSERT_GT(fifth, 3 * CVolumes::kClusterBytes);
        // Two folders and the earlier file, four files, and less than the fifth needs.
        const quint64 capacity = 3 * CVolumes::kClusterBytes + four + CVolumes::kClusterBytes;
        ASSERT_TRUE(m_sandbox->Volumes().SetCapacity(QLatin1Char('E'), capacity));

        ReadyOn(QLatin1Char('E'));
        ASSERT_TRUE(m_dap->BuildFileList(ten.Get()));
        ASSERT_EQ(m_dap->FileList().size(), 10);
        ASSERT_TRUE(m_dap->StartTransfer(untilFull));
        ASSERT_TRUE(m_dap->WaitTransfer());
        EXPECT_EQ(m_dap->PollTransfer(), untilFull ? 100 : -1);
        EXPECT_FALSE(m_dap->IsTransferRunning());

        QStringList expected;
        for (int i = 1; i <= 5; ++i)
            expected.append(QStringLiteral("%1 Song %2.mp3").arg(i, 2, 10, QLatin1Char('0')).arg(i));
        EXPECT_EQ(Tree(AlbumHost(album)), expected) << "four whole files, the earlier one, no temporary file";
        for (int i = 1; i <= 4; ++i)
            EXPECT_EQ(OnCard(expected.at(i - 1), album), Ripped(album, i, QStringLiteral("Song %1").arg(i)));
        EXPECT_EQ(OnCard(QStringLiteral("05 Song 5.mp3"), album), earlier);
        m_dap->CloseProgress();
    }
}

TEST_F(Transfer, ACardPulledMidFileFailsTheCopyAndLeavesNoPartialFile) {
    ASSERT_TRUE(m_sandbox->Volumes().SetCapacity(QLatin1Char('E'), std::nullopt));
    const ComPtr<IWMPPlaylist> album = RipAlbum(QStringLiteral("Album"), Titles(4));
    ReadyOn(QLatin1Char('E'));
    ASSERT_TRUE(m_dap->BuildFileList(album.Get()));
    CCopyFaults faults;
    faults.PullCard(QLatin1Char('E'), 3, 2048);
    ASSERT_TRUE(m_dap->StartTransfer());
    ASSERT_TRUE(m_dap->WaitTransfer());
    EXPECT_EQ(m_dap->PollTransfer(), -1);
    EXPECT_FALSE(m_dap->Stop()) << "a card has no player device to stop";
    m_sandbox->Volumes().SetPresent(QLatin1Char('E'), true);
    EXPECT_EQ(Tree(AlbumHost()),
              (QStringList{QStringLiteral("01 Song 1.mp3"), QStringLiteral("02 Song 2.mp3")}));
    EXPECT_EQ(OnCard(QStringLiteral("02 Song 2.mp3")),
              Ripped(QStringLiteral("Album"), 2, QStringLiteral("Song 2")));
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(
            QFileInfo::exists(Host(RipPath(QStringLiteral("Album"), i, QStringLiteral("Song %1").arg(i)))))
            << "the ripped files stay";
}

TEST_F(Transfer, FailedCopiesEndAsFailedWithTheFilesSoFar) {
    const ComPtr<IWMPPlaylist> album = RipAlbum(QStringLiteral("Album"), Titles(3));
    ReadyOn(QLatin1Char('E'));
    ASSERT_TRUE(m_dap->BuildFileList(album.Get()));
    for (const LONG error : {ERROR_WRITE_FAULT, ERROR_ACCESS_DENIED, ERROR_DISK_FULL}) {
        SCOPED_TRACE(error);
        QDir(AlbumHost()).removeRecursively();
        CCopyFaults faults;
        faults.FailCopy(QLatin1Char('E'), 2, error, 1000);
        ASSERT_TRUE(m_dap->StartTransfer());
        ASSERT_TRUE(m_dap->WaitTransfer());
        EXPECT_EQ(m_dap->PollTransfer(), -1);
        EXPECT_EQ(Tree(AlbumHost()), QStringList{QStringLiteral("01 Song 1.mp3")});
    }
    m_dap->CloseProgress();
}

TEST_F(Transfer, CancelEndsAfterASecondAndStopsTheFileBeingCopied) {
    ASSERT_TRUE(m_sandbox->Volumes().SetCapacity(QLatin1Char('E'), std::nullopt));
    const ComPtr<IWMPPlaylist> album = RipAlbum(QStringLiteral("Album"), Titles(4));
    ReadyOn(QLatin1Char('E'));
    ASSERT_TRUE(m_dap->BuildFileList(album.Get()));
    // The second file's next piece is held up this long (virtual time) from the moment Cancel is
    // pressed: a slow card, and one slower than the progress window's pause.
    for (const DWORD fileTakes : {300u, 2450u}) {
        SCOPED_TRACE(fileTakes);
        QDir(AlbumHost()).removeRecursively();
        CCopyFaults faults;
        const DWORD pressed = DWORD(m_loop.Now());
        faults.HoldAt(QLatin1Char('E'), 2, 3000, pressed + fileTakes);
        ASSERT_TRUE(m_dap->StartTransfer());
        ASSERT_TRUE(faults.WaitUntilHeld(QLatin1Char('E'), 2));
        EXPECT_EQ(m_dap->PollTransfer(), 0);
        PressCancel();
        EXPECT_EQ(m_dap->PollTransfer(), -2);
        // The window's pause, never the file's time: the window does not wait for the worker.
        EXPECT_EQ(m_loop.Now() - pressed, 1000u);
        EXPECT_FALSE(m_dap->IsProgressShown());
        EXPECT_EQ(m_dap->IsTransferRunning(), fileTakes > 1000)
            << "a file held up longer is still in its write";
        m_loop.Advance(fileTakes);
        EXPECT_TRUE(m_dap->ReapTransfer());
        EXPECT_FALSE(m_dap->IsTransferRunning());
        // The second file stopped inside its data: nothing of it on the card, no temporary file.
        EXPECT_EQ(Tree(AlbumHost()), QStringList{QStringLiteral("01 Song 1.mp3")});
        EXPECT_EQ(m_dap->CopiedCount(), 1);
    }
}

TEST_F(Transfer, TheFileListHoldsTheChosenRipsOnly) {
    const ComPtr<IWMPPlaylist> album = RipAlbum(QStringLiteral("Album"), Titles(3));
    // Not ready yet: no list.
    m_dap->Refresh(true, true);
    EXPECT_FALSE(m_dap->BuildFileList(album.Get()));
    ReadyOn(QLatin1Char('E'));
    EXPECT_FALSE(m_dap->BuildFileList(nullptr));
    EXPECT_FALSE(m_dap->StartTransfer()) << "an empty list starts nothing";
    ASSERT_TRUE(m_dap->BuildFileList(album.Get()));
    EXPECT_EQ(m_dap->FileList(),
              (QStringList{RipPath(QStringLiteral("Album"), 1, QStringLiteral("Song 1")),
                           RipPath(QStringLiteral("Album"), 2, QStringLiteral("Song 2")),
                           RipPath(QStringLiteral("Album"), 3, QStringLiteral("Song 3"))}));
    // Only the ticked tracks of the track list.
    CReportCtrl trackList;
    ASSERT_EQ(trackList.InsertColumn(0, QStringLiteral("Title"), 100), 0);
    for (int row = 0; row < 3; ++row)
        trackList.InsertItem(row, QStringLiteral("Song %1").arg(row + 1));
    ASSERT_TRUE(trackList.SetCheck(0, true));
    ASSERT_TRUE(trackList.SetCheck(1, false));
    ASSERT_TRUE(trackList.SetCheck(2, true));
    trackList.SnapshotChecks(false);
    ASSERT_TRUE(m_dap->BuildFileList(album.Get(), &trackList));
    EXPECT_EQ(m_dap->FileList(),
              (QStringList{RipPath(QStringLiteral("Album"), 1, QStringLiteral("Song 1")),
                           RipPath(QStringLiteral("Album"), 3, QStringLiteral("Song 3"))}));

    // A playlist that cannot be counted, or holds nothing, leaves no list from before behind.
    CUncountablePlaylist uncountable(album.Get());
    EXPECT_FALSE(m_dap->BuildFileList(&uncountable));
    EXPECT_TRUE(m_dap->FileList().isEmpty());
    EXPECT_FALSE(m_dap->StartTransfer());
    ASSERT_TRUE(m_dap->BuildFileList(album.Get()));
    ComPtr<IWMPPlaylist> none;
    ASSERT_EQ(Library()->getByAlbum(CComBSTR(QStringLiteral("No such album")), &none), S_OK);
    EXPECT_FALSE(m_dap->BuildFileList(none.Get()));
    EXPECT_TRUE(m_dap->FileList().isEmpty());
    EXPECT_FALSE(m_dap->StartTransfer());
}

TEST_F(Transfer, OneWorkerAtATimeWorkingOnItsOwnCopyOfTheJob) {
    const ComPtr<IWMPPlaylist> first = RipAlbum(QStringLiteral("First"), Titles(2));
    const ComPtr<IWMPPlaylist> second = RipAlbum(QStringLiteral("Second"), Titles(2));
    AddCard(QLatin1Char('F'), QStringLiteral("OTHER"), 64ull << 20);
    ReadyOn(QLatin1Char('E'));
    ASSERT_TRUE(m_dap->BuildFileList(first.Get()));
    CCopyFaults faults;
    faults.HoldBefore(QLatin1Char('E'), 2);
    ASSERT_TRUE(m_dap->StartTransfer());
    ASSERT_TRUE(faults.WaitUntilHeld());
    // Meanwhile the window rebuilds the list, picks the other card and takes another album.
    m_dap->Refresh(true, true);
    m_combo->Select(QStringLiteral("OTHER (F:)"), int(ComboItems().indexOf(QStringLiteral("OTHER (F:)"))));
    ASSERT_TRUE(m_dap->Prepare());
    ASSERT_TRUE(m_dap->BuildFileList(second.Get()));
    EXPECT_FALSE(m_dap->StartTransfer()) << "the first worker still runs";
    faults.Release();
    ASSERT_TRUE(m_dap->WaitTransfer());
    EXPECT_EQ(m_dap->PollTransfer(), 100);
    EXPECT_EQ(Tree(AlbumHost(QStringLiteral("First"))),
              (QStringList{QStringLiteral("01 Song 1.mp3"), QStringLiteral("02 Song 2.mp3")}));
    EXPECT_FALSE(QFileInfo::exists(DriveHost(QLatin1Char('F'), U("音声データ"))));

    // Once it has ended the next copy may start, onto the card now picked.
    ASSERT_TRUE(m_dap->StartTransfer());
    ASSERT_TRUE(m_dap->WaitTransfer());
    EXPECT_EQ(m_dap->PollTransfer(), 100);
    EXPECT_EQ(Tree(DriveHost(QLatin1Char('F'), U("音声データ/Second"))).size(), 2);
}

TEST_F(Transfer, DestroyingTheDestinationNeverWaitsForItsWorker) {
    const ComPtr<IWMPPlaylist> album = RipAlbum(QStringLiteral("Album"), Titles(3));
    ReadyOn(QLatin1Char('E'));
    ASSERT_TRUE(m_dap->BuildFileList(album.Get()));
    CCopyFaults faults;
    faults.HoldBefore(QLatin1Char('E'), 2);
    ASSERT_TRUE(m_dap->StartTransfer());
    ASSERT_TRUE(faults.WaitUntilHeld());
    // The worker is held for ever (a write that never returns): the destination goes all the same,
    // and leaves the worker to itself with what it uses.
    m_dap.reset();
    EXPECT_EQ(CDAPAcc::AbandonedTransfersRunning(), 1);
    faults.Release();
    for (int i = 0; i < 500 && CDAPAcc::AbandonedTransfersRunning() > 0; ++i)
        QThread::msleep(10);
    EXPECT_EQ(CDAPAcc::AbandonedTransfersRunning(), 0);
    EXPECT_EQ(Tree(AlbumHost()), QStringList{QStringLiteral("01 Song 1.mp3")})
        << "once it may go on, the worker sees its stop and begins nothing";
}

TEST_F(Transfer, AnEntryWithoutADrivePathFails) {
    WriteDevices("[device1]\nfriendlyName=Korvel DF-X1\ndeviceName=Korvel Audio DF-X1\ndeviceId=A\n"
                 "serial=A\nconnected=true\nstatus=1\npartnership=1\n");
    Test()->CheckMedia();
    m_loop.Pump();
    const ComPtr<IWMPPlaylist> album = RipAlbum(QStringLiteral("Album"), Titles(1));
    m_dap->Refresh(true, true);
    ASSERT_EQ(m_dap->GetSelection(), 0);
    ASSERT_TRUE(m_dap->GetDriveRoot().isEmpty());
    m_dap->SetState(CDAPAcc::kReady); // as a device report makes it
    ASSERT_TRUE(m_dap->BuildFileList(album.Get()));
    ASSERT_TRUE(m_dap->StartTransfer());
    ASSERT_TRUE(m_dap->WaitTransfer());
    EXPECT_EQ(m_dap->PollTransfer(), -1);
    m_dap->CloseProgress();
}

// Where files land, run as the worker runs them, on this thread.
class CardLayout : public CDestinationFixture {
protected:
    UINT Run(const QString& album, const QStringList& files, int32_t* progress = nullptr) {
        CTransferJob job(QStringLiteral("E:"), album, files, false);
        const UINT result = job.Run();
        if (progress)
            *progress = job.Progress();
        return result;
    }
    QString Source(const QString& relative, const QByteArray& data) {
        const QString host = DriveHost(QLatin1Char('C'), relative);
        QDir().mkpath(QFileInfo(host).path());
        QFile file(host);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return QStringLiteral("C:\\") + QString(relative).replace(QLatin1Char('/'), QLatin1Char('\\'));
    }
};

TEST_F(CardLayout, AlbumNamesFromDiscDataStayInsideTheAudioFolder) {
    const QString source = Source(QStringLiteral("rip/01 Track.mp3"), "data");
    struct Case {
        QString album;
        QString folder;
    } cases[] = {
        {QStringLiteral(".."), U("□□")},
        {QString(), U("□")},
        {QStringLiteral("."), U("□")},
        {QStringLiteral("a\\..\\..\\b"), U("a□..□..□b")},
        {QStringLiteral("Name. "), U("Name□□")},
        {QStringLiteral("AB:CD*EF?GH\"IJ<KL>MN|OP/QR"), U("AB□CD□EF□GH□IJ□KL□MN□OP□QR")},
        {U("123456789012345678901234567890"), U("12345678901234567890123456")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.album.toStdString());
        QDir(DriveHost(QLatin1Char('E'))).removeRecursively();
        QDir().mkpath(DriveHost(QLatin1Char('E')));
        int32_t progress = 0;
        EXPECT_EQ(Run(c.album, {source}, &progress), CTransferJob::kDone);
        EXPECT_EQ(progress, 100);
        EXPECT_EQ(Tree(DriveHost(QLatin1Char('E'))),
                  (QStringList{U("音声データ"), U("音声データ/") + c.folder,
                               U("音声データ/") + c.folder + QStringLiteral("/01 Track.mp3")}));
    }
}

TEST_F(CardLayout, CollidingTitlesEndAsOneFileTheLaterOne) {
    // Equal in their first 26 units, and equal once the characters the player lacks are replaced.
    const QStringList sources = {
        Source(QStringLiteral("rip/A/12345678901234567890123456 first.mp3"), "first"),
        Source(QStringLiteral("rip/A/12345678901234567890123456 second.mp3"), "second"),
        Source(U("rip/A/caf\u00e9.mp3"), "third"),
        Source(U("rip/A/caf\u00e8.mp3"), "fourth"),
    };
    EXPECT_EQ(Run(QStringLiteral("A"), sources), CTransferJob::kDone);
    EXPECT_EQ(Tree(DriveHost(QLatin1Char('E'), U("音声データ/A"))),
              (QStringList{QStringLiteral("12345678901234567890123456.mp3"), U("caf□.mp3")}));
    QFile kept(DriveHost(QLatin1Char('E'), U("音声データ/A/caf□.mp3")));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("fourth"));
    QFile first(DriveHost(QLatin1Char('E'), U("音声データ/A/12345678901234567890123456.mp3")));
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll(), QByteArray("second"));
}

TEST_F(CardLayout, APathBeyond260UnitsFailsTheCopy) {
    // No dot in the file's name: its "extension" is everything after the dot in the folder name.
    const QString folder = QStringLiteral("rip/x.") + QString(250, QLatin1Char('y'));
    const QString longOne = Source(folder + QStringLiteral("/track"), "long");
    const QString fine = Source(QStringLiteral("rip/B/01 ok.mp3"), "fine");
    int32_t progress = 0;
    EXPECT_EQ(Run(QStringLiteral("B"), {fine, longOne}, &progress), CTransferJob::kCopyFailed);
    EXPECT_EQ(progress, -1);
    EXPECT_EQ(Tree(DriveHost(QLatin1Char('E'), U("音声データ/B"))), QStringList{QStringLiteral("01 ok.mp3")});

    // A shorter one of the same kind lands inside the album folder under one name.
    const QString shortOne = Source(QStringLiteral("rip/z.ab/track"), "short");
    EXPECT_EQ(Run(QStringLiteral("C"), {shortOne}), CTransferJob::kDone);
    EXPECT_EQ(Tree(DriveHost(QLatin1Char('E'), U("音声データ/C"))), QStringList{U("track.ab□track")});
}

} // namespace
