// Copy, move, delete and folders on Windows paths: the error codes the program reads, a full card
// that keeps no partial file, moves across drives, Japanese names, and a copy from a worker thread.

#include "platform/files/FileOps.h"
#include "platform/files/Volumes.h"
#include "platform/win/LastError.h"
#include "tests/platform/files/TestSandbox.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <thread>

#include <sys/resource.h>

TEST(FileOps, CopyWritesTheWholeFileAndKeepsItsTime) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    sandbox.Volumes().SetCapacity(QLatin1Char('E'), std::nullopt);
    // Larger than the copy buffer, with a pattern that shows a shifted or repeated block.
    QByteArray data;
    for (int i = 0; i < 2600000; ++i)
        data.append(char((i * 7 + i / 4096) & 0xFF));
    const QString source = sandbox.Host(QString::fromUtf8("drives/C/Music/歌手/アルバム/01 曲.mp3"));
    CTestSandbox::WriteFile(source, data);
    const QDateTime stamp = QDateTime::fromSecsSinceEpoch(1200000000);
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(CreateDirectory(QString::fromUtf8("E:\\音声データ"), nullptr));
    ASSERT_TRUE(CreateDirectory(QString::fromUtf8("E:\\音声データ\\アルバム"), nullptr));
    ASSERT_TRUE(CopyFile(QString::fromUtf8("C:\\Music\\歌手\\アルバム\\01 曲.mp3"),
                         QString::fromUtf8("E:\\音声データ\\アルバム\\01 曲.mp3"), FALSE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
    const QString target = sandbox.Host(QString::fromUtf8("drives/E/音声データ/アルバム/01 曲.mp3"));
    EXPECT_EQ(CTestSandbox::ReadFile(target), data);
    EXPECT_EQ(QFileInfo(target).lastModified(), stamp);
    EXPECT_EQ(sandbox.Tree(QStringLiteral("drives/E")),
              (QStringList{QString::fromUtf8("音声データ"), QString::fromUtf8("音声データ/アルバム"),
                           QString::fromUtf8("音声データ/アルバム/01 曲.mp3")}));
    EXPECT_EQ(GetFileAttributes(QString::fromUtf8("E:\\音声データ\\アルバム\\01 曲.mp3")) &
                  FILE_ATTRIBUTE_DIRECTORY,
              0u);
    EXPECT_TRUE(GetFileAttributes(QString::fromUtf8("E:\\音声データ")) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(FileOps, CopyOntoAFullCardFailsWithDiskFullAndLeavesNothing) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    ASSERT_TRUE(sandbox.Volumes().SetCapacity(QLatin1Char('E'), 16 * 4096)); // 16 clusters
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/C/big.mp3")), QByteArray(15 * 4096 + 1, 'b'));
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/C/fits.mp3")), QByteArray(14 * 4096, 'f'));
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/C/one.mp3")), QByteArray(1, 'o'));
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/C/small.mp3")), QByteArray(4096, 's'));
    ASSERT_TRUE(CreateDirectory(QStringLiteral("E:\\album"), nullptr)); // takes one cluster

    // 15 clusters left; 15 clusters and a byte need 16.
    EXPECT_FALSE(CopyFile(QStringLiteral("C:\\big.mp3"), QStringLiteral("E:\\album\\big.mp3"), FALSE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
    EXPECT_EQ(sandbox.Tree(QStringLiteral("drives/E")), QStringList{QStringLiteral("album")});

    ASSERT_TRUE(CopyFile(QStringLiteral("C:\\fits.mp3"), QStringLiteral("E:\\album\\fits.mp3"), FALSE));
    ASSERT_TRUE(CopyFile(QStringLiteral("C:\\one.mp3"), QStringLiteral("E:\\album\\one.mp3"), FALSE));
    DWORD sectors = 0, bytes = 0, freeClusters = 1, total = 0;
    ASSERT_TRUE(GetDiskFreeSpace(QStringLiteral("E:\\"), &sectors, &bytes, &freeClusters, &total));
    EXPECT_EQ(freeClusters, 0u);
    EXPECT_FALSE(CopyFile(QStringLiteral("C:\\one.mp3"), QStringLiteral("E:\\album\\two.mp3"), FALSE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));

    // Replacing a file frees its clusters first: a same-sized replacement fits a full card, and a
    // bigger one that does not fit keeps the old file intact.
    EXPECT_TRUE(CopyFile(QStringLiteral("C:\\small.mp3"), QStringLiteral("E:\\album\\one.mp3"), FALSE));
    EXPECT_FALSE(CopyFile(QStringLiteral("C:\\big.mp3"), QStringLiteral("E:\\album\\one.mp3"), FALSE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
    EXPECT_EQ(CTestSandbox::ReadFile(sandbox.Host(QStringLiteral("drives/E/album/one.mp3"))),
              QByteArray(4096, 's'));
    EXPECT_EQ(sandbox.Tree(QStringLiteral("drives/E")),
              (QStringList{QStringLiteral("album"), QStringLiteral("album/fits.mp3"),
                           QStringLiteral("album/one.mp3")}));
}

TEST(FileOps, HostRefusingTheWritesMidwayLeavesNoPartialFile) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    sandbox.Volumes().SetCapacity(QLatin1Char('E'), std::nullopt); // no quota: only the host decides
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/C/long.mp3")), QByteArray(3 * 1048576, 'l'));
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/E/long.mp3")), "earlier copy");

    // A file-size limit makes the host fail the write after the first megabyte, as a card
    // that runs out of room does.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 1048576 + 512;
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const BOOL copied = CopyFile(QStringLiteral("C:\\long.mp3"), QStringLiteral("E:\\long.mp3"), FALSE);
    const DWORD error = GetLastError();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(copied);
    EXPECT_EQ(error, DWORD(ERROR_DISK_FULL));
    EXPECT_EQ(sandbox.Tree(QStringLiteral("drives/E")), QStringList{QStringLiteral("long.mp3")});
    EXPECT_EQ(CTestSandbox::ReadFile(sandbox.Host(QStringLiteral("drives/E/long.mp3"))),
              QByteArray("earlier copy"));
}

TEST(FileOps, ErrorCodesOfTheFileCalls) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/C/a.mp3")), "new");
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/E/dir/a.mp3")), "old");
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/E/file")), "f");

    struct Case {
        const char* what;
        std::function<BOOL()> call;
        LONG error;
    };
    const auto s = [](const char* text) { return QString::fromUtf8(text); };
    const Case cases[] = {
        {"copy over existing, failIfExists",
         [&] { return CopyFile(s("C:\\a.mp3"), s("E:\\dir\\a.mp3"), TRUE); }, ERROR_FILE_EXISTS},
        {"copy from missing", [&] { return CopyFile(s("C:\\none.mp3"), s("E:\\x.mp3"), FALSE); },
         ERROR_FILE_NOT_FOUND},
        {"copy from missing folder", [&] { return CopyFile(s("C:\\no\\a.mp3"), s("E:\\x.mp3"), FALSE); },
         ERROR_PATH_NOT_FOUND},
        {"copy into missing folder", [&] { return CopyFile(s("C:\\a.mp3"), s("E:\\no\\x.mp3"), FALSE); },
         ERROR_PATH_NOT_FOUND},
        {"copy a folder", [&] { return CopyFile(s("E:\\dir"), s("E:\\dir2"), FALSE); }, ERROR_ACCESS_DENIED},
        {"copy onto a CD", [&] { return CopyFile(s("C:\\a.mp3"), s("D:\\a.mp3"), FALSE); },
         ERROR_ACCESS_DENIED},
        {"create existing folder", [&] { return CreateDirectory(s("E:\\dir"), nullptr); },
         ERROR_ALREADY_EXISTS},
        {"create over a file", [&] { return CreateDirectory(s("E:\\file"), nullptr); }, ERROR_ALREADY_EXISTS},
        {"create the root", [&] { return CreateDirectory(s("E:\\"), nullptr); }, ERROR_ALREADY_EXISTS},
        {"create without parent", [&] { return CreateDirectory(s("E:\\no\\sub"), nullptr); },
         ERROR_PATH_NOT_FOUND},
        {"remove non-empty", [&] { return RemoveDirectory(s("E:\\dir")); }, ERROR_DIR_NOT_EMPTY},
        {"remove missing", [&] { return RemoveDirectory(s("E:\\none")); }, ERROR_FILE_NOT_FOUND},
        {"remove a file", [&] { return RemoveDirectory(s("E:\\file")); }, ERROR_DIRECTORY},
        {"remove the root", [&] { return RemoveDirectory(s("E:\\")); }, ERROR_ACCESS_DENIED},
        {"delete missing", [&] { return DeleteFile(s("E:\\none")); }, ERROR_FILE_NOT_FOUND},
        {"delete in missing folder", [&] { return DeleteFile(s("E:\\no\\none")); }, ERROR_PATH_NOT_FOUND},
        {"delete a folder", [&] { return DeleteFile(s("E:\\dir")); }, ERROR_ACCESS_DENIED},
        {"exists, missing", [&] { return PathFileExists(s("E:\\none")); }, ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(GetLastError(), DWORD(c.error)) << c.what;
    }
    // None of the failures changed a thing.
    EXPECT_EQ(CTestSandbox::ReadFile(sandbox.Host(QStringLiteral("drives/E/dir/a.mp3"))), QByteArray("old"));
    EXPECT_EQ(sandbox.Tree(QStringLiteral("drives/E")),
              (QStringList{QStringLiteral("dir"), QStringLiteral("dir/a.mp3"), QStringLiteral("file")}));
    EXPECT_EQ(GetFileAttributes(QStringLiteral("E:\\no\\none")), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));

    // And the successful forms.
    EXPECT_TRUE(CopyFile(QStringLiteral("C:\\a.mp3"), QStringLiteral("E:\\dir\\a.mp3"), FALSE));
    EXPECT_EQ(CTestSandbox::ReadFile(sandbox.Host(QStringLiteral("drives/E/dir/a.mp3"))), QByteArray("new"));
    EXPECT_TRUE(DeleteFile(QStringLiteral("E:\\dir\\a.mp3")));
    EXPECT_TRUE(RemoveDirectory(QStringLiteral("E:\\dir")));
    EXPECT_TRUE(PathFileExists(QStringLiteral("E:\\file")));
    EXPECT_FALSE(PathFileExists(QStringLiteral("E:\\dir")));
}

TEST(FileOps, MoveWithinAndAcrossDrives) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    const auto c = [&](const char* relative) {
        return sandbox.Host(QStringLiteral("drives/C/") + QString::fromUtf8(relative));
    };
    const auto e = [&](const char* relative) {
        return sandbox.Host(QStringLiteral("drives/E/") + QString::fromUtf8(relative));
    };
    CTestSandbox::WriteFile(c("Music/A/B/01.wma"), "rip");
    CTestSandbox::WriteFile(c("Documents/Orlen/02.wma"), "set aside");
    CTestSandbox::WriteFile(c("Music/A/B/02.wma"), "taken");

    // Same drive: a rename, flags or not.
    ASSERT_TRUE(MoveFileEx(QStringLiteral("C:\\Music\\A\\B\\01.wma"),
                           QStringLiteral("C:\\Documents\\Orlen\\01.wma"), 0));
    EXPECT_FALSE(QFileInfo::exists(c("Music/A/B/01.wma")));
    EXPECT_EQ(CTestSandbox::ReadFile(c("Documents/Orlen/01.wma")), QByteArray("rip"));

    // An existing target is kept without MOVEFILE_REPLACE_EXISTING, on one drive and across two.
    EXPECT_FALSE(MoveFileEx(QStringLiteral("C:\\Documents\\Orlen\\02.wma"),
                            QStringLiteral("C:\\Music\\A\\B\\02.wma"),
                            MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(CTestSandbox::ReadFile(c("Music/A/B/02.wma")), QByteArray("taken"));
    EXPECT_EQ(CTestSandbox::ReadFile(c("Documents/Orlen/02.wma")), QByteArray("set aside"));
    CTestSandbox::WriteFile(e("02.wma"), "card");
    EXPECT_FALSE(MoveFileEx(QStringLiteral("C:\\Documents\\Orlen\\02.wma"), QStringLiteral("E:\\02.wma"),
                            MOVEFILE_COPY_ALLOWED));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(CTestSandbox::ReadFile(e("02.wma")), QByteArray("card"));

    // Across drives only with MOVEFILE_COPY_ALLOWED.
    EXPECT_FALSE(MoveFileEx(QStringLiteral("C:\\Documents\\Orlen\\01.wma"), QStringLiteral("E:\\01.wma"), 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SAME_DEVICE));
    EXPECT_TRUE(QFileInfo::exists(c("Documents/Orlen/01.wma")));
    EXPECT_FALSE(QFileInfo::exists(e("01.wma")));
    ASSERT_TRUE(MoveFileEx(QStringLiteral("C:\\Documents\\Orlen\\01.wma"), QStringLiteral("E:\\01.wma"),
                           MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH));
    EXPECT_FALSE(QFileInfo::exists(c("Documents/Orlen/01.wma")));
    EXPECT_EQ(CTestSandbox::ReadFile(e("01.wma")), QByteArray("rip"));

    // MOVEFILE_REPLACE_EXISTING replaces, on one drive and across two.
    ASSERT_TRUE(MoveFileEx(QStringLiteral("C:\\Documents\\Orlen\\02.wma"), QStringLiteral("E:\\02.wma"),
                           MOVEFILE_COPY_ALLOWED | MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(CTestSandbox::ReadFile(e("02.wma")), QByteArray("set aside"));
    EXPECT_FALSE(QFileInfo::exists(c("Documents/Orlen/02.wma")));
    ASSERT_TRUE(
        MoveFileEx(QStringLiteral("E:\\01.wma"), QStringLiteral("E:\\02.wma"), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(CTestSandbox::ReadFile(e("02.wma")), QByteArray("rip"));
    EXPECT_FALSE(QFileInfo::exists(e("01.wma")));

    // A move onto a full card fails like the copy and leaves the source where it was.
    CTestSandbox::WriteFile(c("big.wma"), QByteArray(2 * 1048576, 'x'));
    EXPECT_FALSE(
        MoveFileEx(QStringLiteral("C:\\big.wma"), QStringLiteral("E:\\big.wma"), MOVEFILE_COPY_ALLOWED));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
    EXPECT_TRUE(QFileInfo::exists(c("big.wma")));
    EXPECT_EQ(sandbox.Tree(QStringLiteral("drives/E")), QStringList{QStringLiteral("02.wma")});

    // Folders move within their drive; a missing source is reported as such.
    ASSERT_TRUE(MoveFileEx(QStringLiteral("C:\\Music\\A"), QStringLiteral("C:\\Music\\Z"), 0));
    EXPECT_TRUE(QFileInfo(c("Music/Z/B/02.wma")).isFile());
    EXPECT_FALSE(MoveFileEx(QStringLiteral("C:\\Music\\Z"), QStringLiteral("E:\\Z"), MOVEFILE_COPY_ALLOWED));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(MoveFileEx(QStringLiteral("C:\\none.wma"), QStringLiteral("C:\\x.wma"), 0));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST(FileOps, WorkerThreadCopiesWhileTheTableChanges) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    sandbox.Volumes().SetCapacity(QLatin1Char('E'), std::nullopt);
    for (int i = 0; i < 20; ++i)
        CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/C/t%1.mp3").arg(i)),
                                QByteArray(20000 + i, char('a' + i)));
    ASSERT_TRUE(CreateDirectory(QStringLiteral("E:\\album"), nullptr));

    std::atomic<int> failures{0};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i) {
            if (!CopyFile(QStringLiteral("C:\\t%1.mp3").arg(i), QStringLiteral("E:\\album\\t%1.mp3").arg(i),
                          FALSE))
                ++failures;
        }
        done = true;
    });
    // The UI thread meanwhile renames and re-reads the card, and adds and drops another drive.
    int round = 0;
    while (!done) {
        sandbox.Volumes().SetLabel(QLatin1Char('E'), QStringLiteral("CARD%1").arg(round));
        QString label;
        GetVolumeInformation(QStringLiteral("E:\\"), &label, nullptr, nullptr, nullptr, nullptr);
        sandbox.Volumes().AddCdDrive(QStringLiteral("/dev/sr1"));
        sandbox.Volumes().RemoveDrive(QLatin1Char('G'));
        ++round;
    }
    worker.join();
    EXPECT_EQ(failures.load(), 0);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(CTestSandbox::ReadFile(sandbox.Host(QStringLiteral("drives/E/album/t%1.mp3").arg(i))),
                  QByteArray(20000 + i, char('a' + i)));
}
