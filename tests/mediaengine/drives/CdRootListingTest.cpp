// The root of a CD drive as the program searches it while the engine runs: an audio disc shows one
// TrackNN.cda per audio track, anything else shows the drive's folder (a data disc's files), and an
// empty drive cannot be searched. Sandbox drives, read through the real disc reader.
#include "platform/files/Volumes.h"
#include "tests/mediaengine/drives/RootSearch.h"
#include "tests/support/engine/EngineFixture.h"

#include <QDir>
#include <QFile>

namespace {

using CdRootListing = CEngineFixture;

const QChar kD = QLatin1Char('D');

TEST_F(CdRootListing, WhatEachKindOfDiscShowsInItsRoot) {
    const QString folder = m_sandbox->Volumes().DriveOf(kD)->root;
    ASSERT_FALSE(folder.isEmpty());
    TestDisc plain;
    plain.tracks = {{.seconds = 1}, {.seconds = 1}};
    TestDisc enhanced;
    enhanced.tracks = {{.seconds = 1}, {.seconds = 1, .data = true}, {.seconds = 1}};
    TestDisc data;
    data.tracks = {{.seconds = 1, .data = true}};
    struct Case {
        const char* what;
        QString disc;
        QStringList folderFiles; // what the sandbox folder of D: holds meanwhile
        bool present;
        QStringList names;
        DWORD error; // ERROR_NO_MORE_FILES after a walk
        bool audioOnly;
    } cases[] = {
        {"audio disc",
         MakeJapaneseDisc(),
         {},
         true,
         {QStringLiteral("Track01.cda"), QStringLiteral("Track02.cda"), QStringLiteral("Track03.cda")},
         ERROR_NO_MORE_FILES,
         true},
        {"audio disc over a folder with music files: the disc wins",
         MakeDisc(plain, QStringLiteral("plain")),
         {QStringLiteral("song.mp3")},
         true,
         {QStringLiteral("Track01.cda"), QStringLiteral("Track02.cda")},
         ERROR_NO_MORE_FILES,
         true},
        {"data track between audio tracks: numbered as on the disc",
         MakeDisc(enhanced, QStringLiteral("enhanced")),
         {},
         true,
         {QStringLiteral("Track01.cda"), QStringLiteral("Track03.cda")},
         ERROR_NO_MORE_FILES,
         true},
        {"data disc: its files",
         MakeDisc(data, QStringLiteral("data")),
         {QStringLiteral("README.TXT"), QStringLiteral("track.mp3")},
         true,
         {QStringLiteral("README.TXT"), QStringLiteral("track.mp3")},
         ERROR_NO_MORE_FILES,
         false},
        {"unreadable disc over an empty folder",
         QStringLiteral("discs/nowhere.cue"),
         {},
         true,
         {},
         ERROR_FILE_NOT_FOUND,
         false},
        {"no disc", QString(), {}, false, {}, ERROR_NOT_READY, false},
    };
    CreatePlayer();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        for (const QString& name : c.folderFiles) {
            QFile file(folder + QLatin1Char('/') + name);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        c.present ? Insert(kD, c.disc) : TakeOut(kD);
        ASSERT_EQ(Test()->CheckMedia(), S_OK);
        const RootSearch root = SearchRoot(kD);
        EXPECT_EQ(root.names, c.names);
        EXPECT_EQ(root.error, c.error);
        EXPECT_EQ(IsAudioOnlyRoot(root), c.audioOnly);
    }
}

TEST_F(CdRootListing, PatternsMatchTheTrackFilesAndEveryStepWalksOn) {
    Insert(kD, MakeJapaneseDisc());
    CreatePlayer();
    EXPECT_EQ(SearchRoot(kD, QStringLiteral("*.cda")).names.size(), 3);
    EXPECT_EQ(SearchRoot(kD, QStringLiteral("Track02.cda")).names,
              QStringList{QStringLiteral("Track02.cda")});
    EXPECT_EQ(SearchRoot(kD, QStringLiteral("*.mp3")).error, DWORD(ERROR_FILE_NOT_FOUND));
    // The walk yields each file once and then says there are no more.
    WIN32_FIND_DATA data;
    const HANDLE handle = FindFirstFile(QStringLiteral("D:\\*.*"), &data);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.cFileName, QStringLiteral("Track01.cda"));
    EXPECT_FALSE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    ASSERT_TRUE(FindNextFile(handle, &data));
    ASSERT_TRUE(FindNextFile(handle, &data));
    EXPECT_EQ(data.cFileName, QStringLiteral("Track03.cda"));
    EXPECT_FALSE(FindNextFile(handle, &data));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(handle));
}

TEST_F(CdRootListing, TheListingFollowsTheDiscAndEndsWithTheEngine) {
    const QString folder = m_sandbox->Volumes().DriveOf(kD)->root;
    QFile file(folder + QStringLiteral("/folder.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    Insert(kD, MakeJapaneseDisc());
    CreatePlayer();
    ASSERT_EQ(SearchRoot(kD).names.size(), 3);

    // Eject empties the drive on a later turn; the root follows.
    ASSERT_EQ(Drive(0)->eject(), S_OK);
    m_loop.Pump();
    EXPECT_EQ(SearchRoot(kD).error, DWORD(ERROR_NOT_READY));

    TestDisc two;
    two.tracks = {{.seconds = 1}, {.seconds = 1}};
    Insert(kD, MakeDisc(two, QStringLiteral("two")));
    m_loop.Advance(kMediaPollMs); // the engine's own poll
    EXPECT_EQ(SearchRoot(kD).names,
              (QStringList{QStringLiteral("Track01.cda"), QStringLiteral("Track02.cda")}));

    // A second player (the program's next start) takes the root over; the first one going does
    // not take it away from the second.
    {
        ComPtr<IWMPPlayer4> first = m_player;
        std::unique_ptr<CAxWindow> firstHost = std::move(m_host);
        m_player = nullptr;
        CreatePlayer();
        firstHost.reset();
        first = nullptr;
    }
    EXPECT_EQ(SearchRoot(kD).names.size(), 2);

    // Without the engine the drive's folder is all there is.
    ReleasePlayer();
    EXPECT_EQ(SearchRoot(kD).names, QStringList{QStringLiteral("folder.txt")});
}

} // namespace
