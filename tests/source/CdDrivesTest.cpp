// The CD drives in their combo box, and which discs count as audio CDs.

#include "platform/files/Volumes.h"
#include "source/PlayerContext.h"
#include "tests/source/CdSourceFixture.h"

#include <QDir>
#include <QFile>

namespace {

using CdDrives = CCdSourceTest;

void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

TEST_F(CdDrives, ListedInLetterOrderWithTheirLabels) {
    AddCdDrive(QLatin1Char('F'), QStringLiteral("Audio CD"));
    AddCdDrive(QLatin1Char('G'), QStringLiteral("MYDISC"));
    AddCdDrive(QLatin1Char('H'), QStringLiteral("smile :) (D:)"));
    StartPlayer();
    m_cd->Refresh(true, true);
    EXPECT_EQ(m_cd->GetState(), 1);
    // C: is fixed and E: a card: neither is listed. An unnamed drive and an "Audio CD" are both
    // called CD ドライブ.
    EXPECT_EQ(ComboItems(),
              (QStringList{QStringLiteral("CD ドライブ (D:)"), QStringLiteral("CD ドライブ (F:)"),
                           QStringLiteral("MYDISC (G:)"), QStringLiteral("smile :) (D:) (H:)")}));
    EXPECT_EQ(m_cd->GetSelection(), 0);
    EXPECT_EQ(m_cd->GetDriveRoot(), QStringLiteral("D:"));

    // The drive picked before stays picked, also one whose label looks like another drive's.
    m_combo->Select(QStringLiteral("smile :) (D:) (H:)"), 3);
    EXPECT_EQ(m_cd->GetDriveRoot(), QStringLiteral("H:"));
    m_cd->Refresh(false, true);
    EXPECT_EQ(m_cd->GetSelection(), 3);
    EXPECT_EQ(m_cd->GetDriveRoot(), QStringLiteral("H:"));

    m_combo->Select(QStringLiteral("MYDISC (G:)"), 2);
    m_cd->Refresh(false, false);
    EXPECT_EQ(m_cd->GetSelection(), 2);
    EXPECT_EQ(m_cd->GetDriveRoot(), QStringLiteral("G:"));
}

TEST_F(CdDrives, ARemovedDriveLeavesNothingSelected) {
    AddCdDrive(QLatin1Char('F'));
    StartPlayer();
    m_cd->Refresh(true, true);
    m_combo->Select(QStringLiteral("CD ドライブ (F:)"), 1);
    m_sandbox->Volumes().RemoveDrive(QLatin1Char('F'));
    m_cd->Refresh(false, true);
    EXPECT_EQ(ComboItems(), QStringList{QStringLiteral("CD ドライブ (D:)")});
    // Nothing is selected, and the old entry's text has gone with it.
    EXPECT_EQ(m_cd->GetSelection(), -1);
    EXPECT_EQ(m_cd->GetSelectionText(), QString());
    EXPECT_EQ(m_cd->GetDriveRoot(), QString());
    EXPECT_FALSE(m_cd->OpenDisc(true));
    EXPECT_EQ(m_cd->DriveIndex(), -1);
    EXPECT_EQ(m_cd->GetState(), 1);
}

TEST_F(CdDrives, NoCdDriveAtAll) {
    m_sandbox->Volumes().RemoveDrive(QLatin1Char('D'));
    StartPlayer();
    m_cd->SetState(2);
    m_cd->Refresh(true, true);
    EXPECT_EQ(m_cd->GetState(), 0);
    EXPECT_EQ(m_combo->count(), 0);
    EXPECT_EQ(m_cd->GetDriveRoot(), QString());
    EXPECT_FALSE(m_cd->OpenDisc(true));
    EXPECT_EQ(m_cd->TrackCount(true), 0);
}

TEST_F(CdDrives, AnAudioCdOpensWithItsTracks) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    StartPlayer();
    m_cd->Refresh(true, true);
    ASSERT_TRUE(m_cd->OpenDisc(true));
    EXPECT_EQ(m_cd->GetState(), 2);
    EXPECT_EQ(m_cd->DriveIndex(), 0);
    EXPECT_EQ(m_cd->TrackCount(false), 3);
    EXPECT_EQ(m_cd->TrackCount(true), 3);
    EXPECT_EQ(m_cd->GetAlbumTitle(), QStringLiteral("夏の記憶"));
}

TEST_F(CdDrives, AnEmptyDriveIsNoDisc) {
    StartPlayer();
    m_cd->Refresh(true, true);
    EXPECT_FALSE(m_cd->OpenDisc(true));
    EXPECT_EQ(m_cd->GetState(), 1);
    EXPECT_EQ(m_cd->TrackCount(false), 0);
    EXPECT_EQ(m_cd->DriveIndex(), 0);
    EXPECT_EQ(m_cd->GetAlbumTitle(), CCDROMAcc::kNoDiscName);
}

// The root folder decides between an audio CD and a data disc or DVD, whatever the player reports.
TEST_F(CdDrives, OnlyARootWithoutDvdFoldersOrMusicFilesIsAnAudioCd) {
    const struct {
        const char* file; // created in the drive's root folder
        bool directory;
        bool audio;
    } cases[] = {
        {"track.mp3", false, false},      {"TRACK.MP3", false, true}, // the test is case-sensitive
        {"a.wma", false, false},          {".mp3", false, true},      // only after the first character
        {"music/track.mp3", false, true}, {"VIDEO_TS", true, false},     {"AUDIO_TS", true, false},
        {"video_ts", true, true},         {"VIDEO_TS.IFO", false, true}, {"readme.txt", false, true},
    };
    const QString disc = MakeJapaneseDisc();
    Insert(QLatin1Char('D'), disc);
    StartPlayer();
    // The drive's own folder stands for the disc's files: the player still reports its tracks.
    m_sandbox->Volumes().SetCdRootLister({});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        QDir root(DriveFolder(QLatin1Char('D')));
        root.removeRecursively();
        QDir().mkpath(root.path());
        if (c.directory) {
            root.mkpath(QString::fromLatin1(c.file));
        } else {
            Touch(root.filePath(QString::fromLatin1(c.file)));
        }
        EXPECT_EQ(CCDROMAcc::IsAudioOnlyRoot(QStringLiteral("D:")), c.audio);
        m_cd->SetState(1);
        m_cd->Refresh(true, true);
        EXPECT_EQ(m_cd->OpenDisc(true), c.audio);
        EXPECT_EQ(m_cd->GetState(), c.audio ? 2 : 1);
        // Opening a disc already accepted skips the root test, and leaves the state alone.
        m_cd->SetState(1);
        EXPECT_TRUE(m_cd->OpenDisc(false));
        EXPECT_EQ(m_cd->GetState(), 1);
    }
    // A root that cannot be read at all is no audio CD.
    EXPECT_FALSE(CCDROMAcc::IsAudioOnlyRoot(QStringLiteral("Q:")));
}

TEST_F(CdDrives, AnImageInTheDriveShowsTrackFilesAndIsAccepted) {
    Touch(DriveFolder(QLatin1Char('D')) + QStringLiteral("/track.mp3")); // hidden while the image is in
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    StartPlayer();
    EXPECT_TRUE(CCDROMAcc::IsAudioOnlyRoot(QStringLiteral("D:")));
    m_cd->Refresh(true, true);
    EXPECT_TRUE(m_cd->OpenDisc(true));
}

TEST_F(CdDrives, AFailingPlayerCallIsNoDisc) {
    Insert(QLatin1Char('D'), MakeJapaneseDisc());
    for (const char* call : {"get_playlist"}) {
        SCOPED_TRACE(call);
        m_config.faults.failingCalls = {QString::fromLatin1(call)};
        StartPlayer();
        m_cd->Refresh(true, true);
        EXPECT_FALSE(m_cd->OpenDisc(true));
        EXPECT_EQ(m_cd->GetState(), 1);
        EXPECT_EQ(m_cd->TrackCount(false), 0);
    }
    // Without a player nothing opens either.
    PlayerContext().ReleasePlayer();
    EXPECT_FALSE(m_cd->OpenDisc(true));
    EXPECT_EQ(m_cd->DriveIndex(), -1);
}

TEST_F(CdDrives, AMediaChangeOfAnotherDriveChangesNothing) {
    AddCdDrive(QLatin1Char('F'));
    Insert(QLatin1Char('D'), MakeJapaneseDisc(QStringLiteral("one")));
    StartPlayer();
    m_cd->Refresh(true, true);
    m_combo->Select(QStringLiteral("CD ドライブ (F:)"), 1);
    EXPECT_FALSE(m_cd->OpenDisc(true));
    EXPECT_EQ(m_cd->DriveIndex(), 1);

    const DWORD before = GetTickCount();
    EXPECT_FALSE(m_cd->OnCdromMediaChange(0));
    EXPECT_EQ(GetTickCount(), before);
    EXPECT_EQ(m_cd->GetState(), 1);
    EXPECT_EQ(m_cd->GetDriveRoot(), QStringLiteral("F:"));

    // A disc comes into F: the drive settles for three seconds, then the disc is open.
    Insert(QLatin1Char('F'), MakeShortDisc(2, {}, QString(), QString(), QStringLiteral("two")));
    CheckMedia();
    EXPECT_TRUE(m_cd->OnCdromMediaChange(1));
    EXPECT_GE(GetTickCount() - before, CCDROMAcc::kMediaChangePauseMs);
    EXPECT_EQ(m_cd->GetState(), 2);
    EXPECT_EQ(m_cd->GetDriveRoot(), QStringLiteral("F:"));
    EXPECT_EQ(m_cd->TrackCount(false), 2);

    // And it goes again.
    TakeOut(QLatin1Char('F'));
    CheckMedia();
    EXPECT_TRUE(m_cd->OnCdromMediaChange(1));
    EXPECT_EQ(m_cd->GetState(), 1);
}

} // namespace
