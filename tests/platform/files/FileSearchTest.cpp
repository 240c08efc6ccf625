// FindFirstFile/FindNextFile: order, "." and "..", wildcards, error codes, and the root of an
// audio disc listed by the media engine.

#include "platform/files/FileSearch.h"
#include "platform/files/FileOps.h"
#include "platform/win/LastError.h"
#include "tests/platform/files/TestSandbox.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

// Every entry a search returns, in order; empty with *error set when it cannot start.
QList<WIN32_FIND_DATA> Search(const QString& pattern, DWORD* error = nullptr) {
    QList<WIN32_FIND_DATA> result;
    WIN32_FIND_DATA data;
    HANDLE handle = FindFirstFile(pattern, &data);
    if (error)
        *error = GetLastError();
    if (handle == INVALID_HANDLE_VALUE)
        return result;
    do {
        result.append(data);
    } while (FindNextFile(handle, &data));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(handle));
    return result;
}

QStringList Names(const QList<WIN32_FIND_DATA>& entries) {
    QStringList names;
    for (const WIN32_FIND_DATA& entry : entries)
        names.append(entry.cFileName);
    return names;
}

QStringList Names(const char* pattern) {
    return Names(Search(QString::fromUtf8(pattern)));
}

} // namespace

TEST(FileSearch, ListsDotsFirstThenSortedEntries) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    const QString dir = sandbox.Host(QString::fromUtf8("drives/E/音声データ"));
    CTestSandbox::WriteFile(dir + QStringLiteral("/b.mp3"), QByteArray(5000, 'b'));
    CTestSandbox::WriteFile(dir + QStringLiteral("/A.wma"), "a");
    CTestSandbox::WriteFile(dir + QString::fromUtf8("/曲.txt"), "t");
    CTestSandbox::WriteFile(dir + QStringLiteral("/.~ollivane-1234"), "a copy in progress");
    QDir().mkpath(dir + QStringLiteral("/sub"));

    const QList<WIN32_FIND_DATA> all = Search(QString::fromUtf8("E:\\音声データ\\*.*"));
    ASSERT_EQ(Names(all),
              (QStringList{QStringLiteral("."), QStringLiteral(".."), QStringLiteral("A.wma"),
                           QStringLiteral("b.mp3"), QStringLiteral("sub"), QString::fromUtf8("曲.txt")}));
    EXPECT_TRUE(all[0].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(all[1].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(all[3].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(all[3].nFileSizeLow, 5000u);
    EXPECT_EQ(all[3].nFileSizeHigh, 0u);
    EXPECT_TRUE(all[3].ftLastWriteTime.isValid());
    EXPECT_TRUE(all[4].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Names(Search(QString::fromUtf8("E:/音声データ/*"))), Names(all));

    // The root of a drive has no "." and "..".
    EXPECT_EQ(Names("E:\\*.*"), QStringList{QString::fromUtf8("音声データ")});

    // A pattern that does not match the dots leaves them out.
    EXPECT_EQ(Names("E:\\音声データ\\*.mp3"), QStringList{QStringLiteral("b.mp3")});
    // A name without wildcards finds that entry alone.
    EXPECT_EQ(Names("E:\\音声データ\\sub"), QStringList{QStringLiteral("sub")});
}

TEST(FileSearch, WildcardRules) {
    struct Case {
        const char* name;
        const char* pattern;
        bool matches;
    };
    const Case cases[] = {
        {"a.b", "*.*", true},
        {"abc", "*.*", true},
        {".", "*", true},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"abc", "a?", false},
        {"foo", "foo.*", true},
        {"foo.txt", "foo.*", true},
        {"foobar", "foo.*", false},
        {"Track01.cda", "*.cda", true},
        {"x.mp3.bak", "*.mp3", false},
        {"TRACK.MP3", "*.mp3", false},
        {"a.mp3", "*a*", true},
        {"", "*", true},
        {"abc", "abc", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CFileSearch::Matches(QString::fromUtf8(c.name), QString::fromUtf8(c.pattern)), c.matches)
            << c.name << " ~ " << c.pattern;
}

TEST(FileSearch, ErrorCodes) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/E/dir/a.mp3")), "a");
    struct Case {
        const char* pattern;
        LONG error;
    };
    const Case cases[] = {
        {"E:\\dir\\*.wma", ERROR_FILE_NOT_FOUND},
        {"E:\\dir\\b.mp3", ERROR_FILE_NOT_FOUND},
        {"E:\\missing\\*.*", ERROR_PATH_NOT_FOUND},
        {"E:\\dir\\a.mp3\\*", ERROR_PATH_NOT_FOUND},
        {"E:\\dir\\", ERROR_FILE_NOT_FOUND},
        {"E:", ERROR_FILE_NOT_FOUND},
        {"F:\\*.*", ERROR_NOT_READY},
        {"Q:\\*.*", ERROR_INVALID_DRIVE},
        {"E:\\..\\*.*", ERROR_BAD_PATHNAME},
    };
    for (const Case& c : cases) {
        DWORD error = 0;
        EXPECT_TRUE(Search(QString::fromUtf8(c.pattern), &error).isEmpty()) << c.pattern;
        EXPECT_EQ(error, DWORD(c.error)) << c.pattern;
    }

    // An empty folder still has its "." and "..", so a search there succeeds.
    QDir().mkpath(sandbox.Host(QStringLiteral("drives/E/empty")));
    EXPECT_EQ(Names("E:\\empty\\*.*"), (QStringList{QStringLiteral("."), QStringLiteral("..")}));

    WIN32_FIND_DATA data;
    HANDLE handle = FindFirstFile(QStringLiteral("E:\\dir\\*.mp3"), &data);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FindNextFile(handle, &data));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(handle));
    EXPECT_FALSE(FindNextFile(handle, &data));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FindClose(handle));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

TEST(FileSearch, DeletingWhileWalkingIsSafe) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    for (const char* name : {"1.mp3", "2.mp3", "3.mp3", "Folder.jpg"})
        CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/C/album/") + QLatin1String(name)), "x");
    WIN32_FIND_DATA data;
    HANDLE handle = FindFirstFile(QStringLiteral("C:\\album\\*.*"), &data);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    QStringList seen;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            seen.append(data.cFileName);
            EXPECT_TRUE(DeleteFile(QStringLiteral("C:\\album\\") + data.cFileName));
        }
    } while (FindNextFile(handle, &data));
    FindClose(handle);
    EXPECT_EQ(seen.size(), 4);
    EXPECT_TRUE(RemoveDirectory(QStringLiteral("C:\\album")));
}

TEST(FileSearch, AudioDiscRootComesFromTheLister) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    CVolumes& volumes = sandbox.Volumes();
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/D/VIDEO_TS/VTS_01_0.VOB")), "v");

    // No lister: the drive's folder is the disc.
    EXPECT_EQ(Names("D:\\*.*"), QStringList{QStringLiteral("VIDEO_TS")});

    bool audio = true;
    volumes.SetCdRootLister([&](QChar letter) -> std::optional<QStringList> {
        if (letter != QLatin1Char('D') || !audio)
            return std::nullopt;
        return QStringList{QStringLiteral("Track01.cda"), QStringLiteral("Track02.cda"),
                           QStringLiteral("Track03.cda")};
    });
    const QList<WIN32_FIND_DATA> tracks = Search(QStringLiteral("D:\\*.*"));
    ASSERT_EQ(Names(tracks), (QStringList{QStringLiteral("Track01.cda"), QStringLiteral("Track02.cda"),
                                          QStringLiteral("Track03.cda")}));
    EXPECT_FALSE(tracks[0].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Names("D:\\Track02.cda"), QStringList{QStringLiteral("Track02.cda")});
    EXPECT_TRUE(PathFileExists(QStringLiteral("D:\\Track03.cda")));
    EXPECT_FALSE(PathFileExists(QStringLiteral("D:\\Track04.cda")));

    // The lister speaks for the root only; nothing of the audio disc is writable.
    EXPECT_FALSE(CreateDirectory(QStringLiteral("D:\\x"), nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));

    audio = false;
    EXPECT_EQ(Names("D:\\*.*"), QStringList{QStringLiteral("VIDEO_TS")});

    // An empty drive lists nothing at all, lister or not.
    audio = true;
    volumes.SetPresent(QLatin1Char('D'), false);
    DWORD error = 0;
    EXPECT_TRUE(Search(QStringLiteral("D:\\*.*"), &error).isEmpty());
    EXPECT_EQ(error, DWORD(ERROR_NOT_READY));

    // A drive that only the engine can read: without an audio disc it is not ready.
    const QChar letter = volumes.AddCdDrive(QStringLiteral("/dev/sr9"));
    ASSERT_EQ(letter, QLatin1Char('G'));
    EXPECT_TRUE(Search(QStringLiteral("G:\\*.*"), &error).isEmpty());
    EXPECT_EQ(error, DWORD(ERROR_NOT_READY));
}
