// Windows paths to host paths: what is accepted, and every way out of a drive root that is refused
// without a file outside the sandbox being touched.

#include "platform/files/FileOps.h"
#include "platform/files/FileSearch.h"
#include "platform/files/Volumes.h"
#include "platform/files/WinPath.h"
#include "platform/win/LastError.h"
#include "tests/platform/files/TestSandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(WinPath, ParsesAndResolvesDots) {
    struct Case {
        const char* text;
        LONG error;
        const char* canonical;
    };
    const Case cases[] = {
        {"E:\\a\\b.mp3", ERROR_SUCCESS, "E:\\a\\b.mp3"},
        {"e:/a/b.mp3", ERROR_SUCCESS, "E:\\a\\b.mp3"},
        {"E:\\a\\\\.\\b\\", ERROR_SUCCESS, "E:\\a\\b"},
        {"E:\\a\\..\\b", ERROR_SUCCESS, "E:\\b"},
        {"E:", ERROR_SUCCESS, "E:\\"},
        {"E:\\", ERROR_SUCCESS, "E:\\"},
        {"E:\\a\\..", ERROR_SUCCESS, "E:\\"},
        {"E:\\..", ERROR_BAD_PATHNAME, ""},
        {"E:\\..\\..\\etc\\passwd", ERROR_BAD_PATHNAME, ""},
        {"E:\\a\\..\\..\\x", ERROR_BAD_PATHNAME, ""},
        {"E:a\\b", ERROR_BAD_PATHNAME, ""},
        {"a\\b", ERROR_BAD_PATHNAME, ""},
        {"\\a\\b", ERROR_BAD_PATHNAME, ""},
        {"\\\\server\\share\\x", ERROR_BAD_PATHNAME, ""},
        {"1:\\x", ERROR_BAD_PATHNAME, ""},
        {"", ERROR_BAD_PATHNAME, ""},
        {"E:\\a<b", ERROR_INVALID_NAME, ""},
        {"E:\\a:b", ERROR_INVALID_NAME, ""},
        {"E:\\*.mp3", ERROR_INVALID_NAME, ""},
    };
    for (const Case& c : cases) {
        CWinPath path;
        const LONG error = CWinPath::Parse(QString::fromUtf8(c.text), &path);
        EXPECT_EQ(error, c.error) << c.text;
        if (error == ERROR_SUCCESS) {
            EXPECT_EQ(path.ToString(), QString::fromUtf8(c.canonical)) << c.text;
        }
    }
    CWinPath pattern;
    EXPECT_EQ(CWinPath::Parse(QStringLiteral("E:\\dir\\*.m?3"), &pattern, CWinPath::Wildcards::AllowInLast),
              ERROR_SUCCESS);
    EXPECT_EQ(CWinPath::Parse(QStringLiteral("E:\\d*r\\x"), &pattern, CWinPath::Wildcards::AllowInLast),
              ERROR_INVALID_NAME);
}

TEST(Volumes, ToHostPathMapsIntoTheDriveFolder) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    const QString root = QFileInfo(sandbox.Host(QStringLiteral("drives/E"))).canonicalFilePath();
    QString host;
    ASSERT_EQ(ToHostPath(QString::fromUtf8("E:\\音声データ\\アルバム\\01 曲.mp3"), &host), ERROR_SUCCESS);
    EXPECT_EQ(host, root + QString::fromUtf8("/音声データ/アルバム/01 曲.mp3"));
    ASSERT_EQ(ToHostPath(QStringLiteral("e:/a/../b"), &host), ERROR_SUCCESS);
    EXPECT_EQ(host, root + QStringLiteral("/b"));
    ASSERT_EQ(ToHostPath(QStringLiteral("E:\\"), &host), ERROR_SUCCESS);
    EXPECT_EQ(host, root);
    EXPECT_EQ(HostPathOf(QStringLiteral("E:\\x")), root + QStringLiteral("/x"));
    EXPECT_TRUE(HostPathOf(QStringLiteral("Q:\\x")).isEmpty());
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DRIVE));

    // And back, for known folders and the like.
    QString win;
    ASSERT_EQ(FromHostPath(root + QString::fromUtf8("/音声データ/new"), &win), ERROR_SUCCESS);
    EXPECT_EQ(win, QString::fromUtf8("E:\\音声データ\\new"));
    ASSERT_EQ(FromHostPath(sandbox.Host(QStringLiteral("drives/C")), &win), ERROR_SUCCESS);
    EXPECT_EQ(win, QStringLiteral("C:\\"));
    EXPECT_EQ(FromHostPath(sandbox.Host(QStringLiteral("sandbox.ini")), &win), ERROR_PATH_NOT_FOUND);

    // A drive folder reached through a link is still that drive.
    ASSERT_TRUE(QFile::link(sandbox.Host(QStringLiteral("drives/E")), sandbox.Host(QStringLiteral("card"))));
    CVolumes::Drive g = *sandbox.Volumes().DriveOf(QLatin1Char('E'));
    g.letter = QLatin1Char('G');
    g.root = sandbox.Host(QStringLiteral("card"));
    ASSERT_TRUE(sandbox.Volumes().SetDrive(g));
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/E/x.mp3")), "x");
    EXPECT_TRUE(PathFileExists(QStringLiteral("G:\\x.mp3")));
}

TEST(Volumes, EscapesFromTheDriveRootAreRefusedAndTouchNothingOutside) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    // A folder beside the drive folders that nothing may reach through a drive.
    const QString outside = sandbox.Host(QStringLiteral("outside"));
    CTestSandbox::WriteFile(outside + QStringLiteral("/victim.txt"), "keep me");
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/C/src.mp3")), "payload");
    const QString e = sandbox.Host(QStringLiteral("drives/E"));
    ASSERT_TRUE(QFile::link(outside, e + QStringLiteral("/link")));
    ASSERT_TRUE(QFile::link(outside + QStringLiteral("/victim.txt"), e + QStringLiteral("/victim-link.txt")));
    ASSERT_TRUE(QFile::link(outside + QStringLiteral("/not-yet.txt"), e + QStringLiteral("/dangling.txt")));
    QDir().mkpath(e + QStringLiteral("/inner"));
    ASSERT_TRUE(QFile::link(e + QStringLiteral("/inner"), e + QStringLiteral("/inner-link")));

    struct Case {
        const char* path;
        LONG error;
    };
    const Case cases[] = {
        {"E:\\..\\..\\etc\\passwd", ERROR_BAD_PATHNAME},
        {"E:\\a\\..\\..\\outside\\victim.txt", ERROR_BAD_PATHNAME},
        {"E:\\..\\..\\outside\\victim.txt", ERROR_BAD_PATHNAME},
        {"E:\\link\\victim.txt", ERROR_ACCESS_DENIED},
        {"E:\\link\\new\\file.txt", ERROR_ACCESS_DENIED},
        {"E:\\link", ERROR_ACCESS_DENIED},
        {"E:\\victim-link.txt", ERROR_ACCESS_DENIED},
        {"E:\\dangling.txt", ERROR_ACCESS_DENIED},
        {"Q:\\x.txt", ERROR_INVALID_DRIVE},
        {"outside\\victim.txt", ERROR_BAD_PATHNAME},
        {"\\outside\\victim.txt", ERROR_BAD_PATHNAME},
    };
    for (const Case& c : cases) {
        const QString path = QString::fromUtf8(c.path);
        QString host;
        EXPECT_EQ(ToHostPath(path, &host), c.error) << c.path;
        EXPECT_FALSE(CopyFile(QStringLiteral("C:\\src.mp3"), path, FALSE)) << c.path;
        EXPECT_EQ(GetLastError(), DWORD(c.error)) << c.path;
        EXPECT_FALSE(DeleteFile(path)) << c.path;
        EXPECT_FALSE(CreateDirectory(path, nullptr)) << c.path;
        EXPECT_FALSE(RemoveDirectory(path)) << c.path;
        EXPECT_FALSE(MoveFileEx(path, QStringLiteral("C:\\stolen.txt"), MOVEFILE_COPY_ALLOWED)) << c.path;
        EXPECT_FALSE(MoveFileEx(QStringLiteral("C:\\src.mp3"), path, MOVEFILE_REPLACE_EXISTING)) << c.path;
        EXPECT_FALSE(CopyFile(path, QStringLiteral("C:\\stolen.txt"), FALSE)) << c.path;
        EXPECT_EQ(GetFileAttributes(path), INVALID_FILE_ATTRIBUTES) << c.path;
    }
    WIN32_FIND_DATA data;
    EXPECT_EQ(FindFirstFile(QStringLiteral("E:\\link\\*"), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));

    EXPECT_EQ(sandbox.Tree(QStringLiteral("outside")), QStringList{QStringLiteral("victim.txt")});
    EXPECT_EQ(CTestSandbox::ReadFile(outside + QStringLiteral("/victim.txt")), QByteArray("keep me"));
    EXPECT_TRUE(PathFileExists(QStringLiteral("C:\\src.mp3")));
    EXPECT_FALSE(PathFileExists(QStringLiteral("C:\\stolen.txt")));

    // A link that stays inside the drive is an ordinary folder.
    EXPECT_TRUE(CopyFile(QStringLiteral("C:\\src.mp3"), QStringLiteral("E:\\inner-link\\in.mp3"), FALSE));
    EXPECT_EQ(CTestSandbox::ReadFile(e + QStringLiteral("/inner/in.mp3")), QByteArray("payload"));
}

TEST(Volumes, DriveWithoutItsFolderIsNotMapped) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    CVolumes::Drive g;
    g.letter = QLatin1Char('G');
    g.type = DRIVE_REMOVABLE;
    g.root = sandbox.Host(QStringLiteral("drives/missing"));
    ASSERT_TRUE(sandbox.Volumes().SetDrive(g));
    QString host;
    EXPECT_EQ(ToHostPath(QStringLiteral("G:\\x"), &host), ERROR_INVALID_DRIVE);
    EXPECT_FALSE(CreateDirectory(QStringLiteral("G:\\x"), nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_DRIVE));
    EXPECT_FALSE(QFileInfo::exists(g.root));
}
