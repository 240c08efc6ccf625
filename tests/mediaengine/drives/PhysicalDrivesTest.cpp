// Physical CD drives: the drive monitor notices a disc put in or taken out on its own thread, reads
// it there and hands it to the UI thread, which updates the drive's playlist, its root and the
// volume table and fires CdromMediaChange at once. No hardware: a scripted probe plays the drive
// and a disc image stands in for the device node, read through the real disc reader.
#include "mediaengine/core/EngineText.h"
#include "mediaengine/drives/DriveProbeScope.h"
#include "platform/files/Volumes.h"
#include "tests/mediaengine/drives/RootSearch.h"
#include "tests/mediaengine/drives/ScriptedDriveProbe.h"
#include "tests/support/engine/EngineFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <cstdio>
#include <thread>

namespace {

constexpr long kPhysical = 1; // D: is the sandbox's drive, E: its card; the physical drive gets F:
constexpr int kNoticeMs = 2000;

class PhysicalDrives : public CEngineFixture {
protected:
    void SetUp() override {
        CEngineFixture::SetUp();
        m_mounts = m_tmp.File(QStringLiteral("mounts"));
        m_byLabel = m_tmp.File(QStringLiteral("by-label"));
        QDir().mkpath(m_byLabel);
        m_probeScope = std::make_unique<CDriveProbeScope>(m_probe.Probe(m_mounts, m_byLabel));
    }
    void TearDown() override {
        CEngineFixture::TearDown();
        m_probeScope.reset();
    }

    // Puts a drive into the machine whose device node is the image's .cue.
    void AddDrive(const QString& disc) {
        m_device = QDir(m_dir).absoluteFilePath(disc);
        m_letter = m_sandbox->Volumes().AddCdDrive(m_device);
        ASSERT_EQ(m_letter, QLatin1Char('F'));
    }
    // Starts the player and waits for the monitor's first look at the empty drive.
    void StartEmpty() {
        CreatePlayer();
        m_sink = Advise();
        ASSERT_TRUE(PumpUntil([&] { return m_probe.Looks() > 0 && !Volume().present; }, 5000));
        ASSERT_TRUE(m_sink->events.empty()) << "an empty drive found empty is no change";
    }
    // Starts the rip of the physical drive and pumps until it is inside track 2 (where a stall
    // fault keeps it).
    void StartRipUntilTrack2(IWMPPlaylist* disc) {
        ComPtr<IWMPCdromRip> rip;
        ASSERT_EQ(Drive(kPhysical).As(&rip), S_OK);
        ASSERT_EQ(rip->startRip(), S_OK);
        ASSERT_TRUE(PumpUntil([&] {
            return Info(Item(disc, 1).Get(), QStringLiteral("Status")).startsWith(engine_text::kRippingHead);
        }));
    }
    CVolumes::Drive Volume() const { return *m_sandbox->Volumes().DriveOf(m_letter); }
    int MediaChanges() const { return m_sink->Count(QStringLiteral("CdromMediaChange")); }
    // Pumps until the count of CdromMediaChange events reaches `count`; the real time it took.
    qint64 WaitForMediaChanges(int count, int timeoutMs = 10000) {
        QElapsedTimer clock;
        clock.start();
        if (!PumpUntil([&] { return MediaChanges() >= count; }, timeoutMs)) {
            return -1;
        }
        return clock.elapsed();
    }

    CScriptedDriveProbe m_probe;
    std::unique_ptr<CDriveProbeScope> m_probeScope;
    QString m_mounts;
    QString m_byLabel;
    QString m_device;
    QChar m_letter;
    RecorderPtr m_sink;
};

TEST_F(PhysicalDrives, ADiscPutInAndTakenOutIsReportedWithinTwoSeconds) {
    AddDrive(MakeJapaneseDisc());
    StartEmpty();
    EXPECT_EQ(Count(CdPlaylist(kPhysical).Get()), 0);
    EXPECT_EQ(SearchRoot(m_letter).error, DWORD(ERROR_NOT_READY));

    m_probe.Set(m_device, DriveState::DiscPresent);
    const qint64 in = WaitForMediaChanges(1);
    ASSERT_GE(in, 0) << "no CdromMediaChange";
    EXPECT_LT(in, kNoticeMs) << "the media poll of the UI thread never ran: the monitor alone told it";
    EXPECT_EQ(m_sink->events[0].value, kPhysical);
    EXPECT_TRUE(m_sink->events[0].onUiThread);
    const ComPtr<IWMPPlaylist> disc = CdPlaylist(kPhysical);
    ASSERT_EQ(Count(disc.Get()), 3);
    EXPECT_EQ(Name(disc.Get()), QStringLiteral("夏の記憶"));
    EXPECT_EQ(Name(Item(disc.Get(), 1).Get()), QStringLiteral("雨のち晴れ"));
    EXPECT_EQ(Info(Item(disc.Get(), 1).Get(), QStringLiteral("Artist")), QStringLiteral("鈴木一郎"));
    EXPECT_EQ(Count(CdPlaylist(0).Get()), 0) << "the sandbox drive is not this drive";
    // The volume table and the root, as the program reads them when the event arrives.
    EXPECT_TRUE(Volume().present);
    EXPECT_EQ(Volume().label, QStringLiteral("Audio CD"));
    EXPECT_EQ(Volume().root, QString());
    const RootSearch root = SearchRoot(m_letter);
    EXPECT_EQ(root.names, (QStringList{QStringLiteral("Track01.cda"), QStringLiteral("Track02.cda"),
                                       QStringLiteral("Track03.cda")}));
    EXPECT_TRUE(IsAudioOnlyRoot(root));

    m_probe.Set(m_device, DriveState::NoDisc);
    const qint64 out = WaitForMediaChanges(2);
    ASSERT_GE(out, 0);
    EXPECT_LT(out, kNoticeMs);
    EXPECT_EQ(m_sink->events[1].value, kPhysical);
    EXPECT_EQ(Count(CdPlaylist(kPhysical).Get()), 0);
    EXPECT_EQ(Name(CdPlaylist(kPhysical).Get()), engine_text::kNoDisc);
    EXPECT_EQ(Count(disc.Get()), 3) << "the old disc's playlist keeps answering from its record";
    EXPECT_FALSE(Volume().present);
    EXPECT_EQ(Volume().label, QString());
    EXPECT_EQ(SearchRoot(m_letter).error, DWORD(ERROR_NOT_READY));
    EXPECT_FALSE(IsAudioOnlyRoot(SearchRoot(m_letter)));
    EXPECT_EQ(MediaChanges(), 2);
    std::printf("disc put in reported after %lld ms, taken out after %lld ms\n", static_cast<long long>(in),
                static_cast<long long>(out));
}

TEST_F(PhysicalDrives, ADiscAlreadyInWhenTheProgramStartsIsReadOffTheUiThread) {
    AddDrive(MakeJapaneseDisc());
    m_probe.Set(m_device, DriveState::DiscPresent);
    CreatePlayer();
    // Start() has not read the drive: the disc arrives with the monitor's first look.
    EXPECT_EQ(Count(CdPlaylist(kPhysical).Get()), 0);
    m_sink = Advise();
    ASSERT_GE(WaitForMediaChanges(1), 0);
    EXPECT_EQ(m_sink->events[0].value, kPhysical);
    EXPECT_EQ(Count(CdPlaylist(kPhysical).Get()), 3);
}

TEST_F(PhysicalDrives, ASwapBetweenTwoLooksIsANewDiscButTheSameDiscBackIsNot) {
    // The device node is a link the test turns to another disc, as a drive changes discs.
    TestDisc other;
    other.album = QStringLiteral("二枚目");
    other.tracks = {{.seconds = 1, .title = QStringLiteral("ひとつ")}, {.seconds = 1}};
    const QString first = QDir(m_dir).absoluteFilePath(MakeJapaneseDisc(QStringLiteral("first")));
    const QString second = QDir(m_dir).absoluteFilePath(MakeDisc(other, QStringLiteral("second")));
    const QString link = QDir(m_dir).absoluteFilePath(QStringLiteral("discs/drive.cue"));
    ASSERT_TRUE(QFile::link(first, link));
    AddDrive(QStringLiteral("discs/drive.cue"));
    m_probe.Set(m_device, DriveState::DiscPresent);
    CreatePlayer();
    m_sink = Advise();
    ASSERT_GE(WaitForMediaChanges(1), 0);
    ASSERT_EQ(Name(CdPlaylist(kPhysical).Get()), QStringLiteral("夏の記憶"));

    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(second, link));
    m_probe.Swap(m_device);
    const qint64 swapped = WaitForMediaChanges(2);
    ASSERT_GE(swapped, 0);
    EXPECT_LT(swapped, kNoticeMs);
    EXPECT_EQ(Name(CdPlaylist(kPhysical).Get()), QStringLiteral("二枚目"));
    EXPECT_EQ(Count(CdPlaylist(kPhysical).Get()), 2);

    // The drive says "changed" but the disc is the one it had: nothing to tell.
    m_probe.Swap(m_device);
    const int looks = m_probe.Looks();
    ASSERT_TRUE(PumpUntil([&] { return m_probe.Looks() >= looks + 3; }, 5000));
    m_loop.Pump();
    EXPECT_EQ(MediaChanges(), 2);
}

TEST_F(PhysicalDrives, AnUnreadableDiscIsAnEmptyDriveAndIsTriedAgain) {
    const QString cue = MakeJapaneseDisc(QStringLiteral("late"));
    const QString bin = QDir(m_dir).absoluteFilePath(QStringLiteral("discs/late.bin"));
    ASSERT_TRUE(QFile::rename(bin, bin + QStringLiteral(".away")));
    AddDrive(cue);
    StartEmpty();

    m_probe.Set(m_device, DriveState::DiscPresent);
    ASSERT_GE(WaitForMediaChanges(1), 0) << "a disc came, even one that cannot be read";
    EXPECT_EQ(Count(CdPlaylist(kPhysical).Get()), 0);
    EXPECT_EQ(Name(CdPlaylist(kPhysical).Get()), engine_text::kNoDisc);
    EXPECT_TRUE(Volume().present);
    EXPECT_EQ(Volume().label, QString());
    EXPECT_FALSE(IsAudioOnlyRoot(SearchRoot(m_letter))) << "no tracks, no folder: the search fails";

    // A drive may report a disc before it can read it: the next looks read it again.
    ASSERT_TRUE(QFile::rename(bin + QStringLiteral(".away"), bin));
    ASSERT_GE(WaitForMediaChanges(2), 0);
    EXPECT_EQ(m_sink->events[1].value, kPhysical);
    EXPECT_EQ(Count(CdPlaylist(kPhysical).Get()), 3);
    EXPECT_EQ(Volume().label, QStringLiteral("Audio CD"));
}

TEST_F(PhysicalDrives, ADataDiscMountedLaterShowsItsFilesAndLabel) {
    TestDisc data;
    data.tracks = {{.seconds = 2, .data = true}};
    AddDrive(MakeDisc(data, QStringLiteral("data")));
    StartEmpty();
    m_probe.Set(m_device, DriveState::DiscPresent);
    ASSERT_GE(WaitForMediaChanges(1), 0);
    EXPECT_EQ(Count(CdPlaylist(kPhysical).Get()), 0) << "no audio tracks: no disc to the player";
    EXPECT_EQ(SearchRoot(m_letter).error, DWORD(ERROR_NOT_READY)) << "not mounted yet";

    // The desktop mounts it a moment later.
    const QString point = m_tmp.File(QStringLiteral("media/DATA DISC"));
    QDir().mkpath(point + QStringLiteral("/VIDEO_TS"));
    QFile file(point + QStringLiteral("/song.mp3"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(QFile::link(m_device, m_byLabel + QStringLiteral("/DATA\\x20DISC")));
    QFile mounts(m_mounts);
    ASSERT_TRUE(mounts.open(QIODevice::WriteOnly));
    mounts.write("/dev/sda1 / ext4 rw 0 0\n");
    mounts.write(QFile::encodeName(m_device) + " " + QFile::encodeName(point).replace(" ", "\\040") +
                 " iso9660 ro,nosuid 0 0\n");
    mounts.close();
    ASSERT_TRUE(PumpUntil([&] { return Volume().root == point; }, 5000));
    EXPECT_EQ(Volume().label, QStringLiteral("DATA DISC"));
    const RootSearch root = SearchRoot(m_letter);
    EXPECT_EQ(root.names, (QStringList{QStringLiteral("song.mp3"), QStringLiteral("VIDEO_TS\\")}));
    EXPECT_FALSE(IsAudioOnlyRoot(root));
    EXPECT_EQ(MediaChanges(), 1) << "a mount is no media change";

    m_probe.Set(m_device, DriveState::TrayOpen);
    ASSERT_GE(WaitForMediaChanges(2), 0);
    EXPECT_EQ(Volume().root, QString());
    EXPECT_FALSE(Volume().present);
}

TEST_F(PhysicalDrives, EjectOpensTheTrayOffTheUiThreadAndReturnsAtOnce) {
    AddDrive(MakeJapaneseDisc());
    m_probe.Set(m_device, DriveState::DiscPresent);
    CreatePlayer();
    m_sink = Advise();
    ASSERT_GE(WaitForMediaChanges(1), 0);

    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(Drive(kPhysical)->eject(), S_OK);
    EXPECT_LT(clock.elapsed(), 50);
    EXPECT_EQ(MediaChanges(), 1) << "told once the tray is open, not within the call";
    ASSERT_GE(WaitForMediaChanges(2), 0);
    EXPECT_EQ(m_probe.Ejects(), QStringList{m_device});
    EXPECT_EQ(Count(CdPlaylist(kPhysical).Get()), 0);
    EXPECT_FALSE(Volume().present);
    EXPECT_EQ(Volume().device, m_device) << "the drive stays, its disc goes";
}

TEST_F(PhysicalDrives, ADiscTakenOutDuringARipFailsTheTrackBeingRipped) {
    AddDrive(MakeJapaneseDisc());
    m_probe.Set(m_device, DriveState::DiscPresent);
    m_config.faults.stallAtTrack = 2; // keeps the rip inside track 2 until it is stopped
    CreatePlayer();
    m_sink = Advise();
    ASSERT_GE(WaitForMediaChanges(1), 0);
    const ComPtr<IWMPPlaylist> disc = CdPlaylist(kPhysical);
    StartRipUntilTrack2(disc.Get());
    EXPECT_TRUE(Test()->IsRipping());

    m_probe.Set(m_device, DriveState::NoDisc);
    ASSERT_TRUE(WaitForRipEnd(10000)) << "the rip goes on without its disc";
    EXPECT_EQ(Info(Item(disc.Get(), 0).Get(), QStringLiteral("Status")), engine_text::Ripped());
    EXPECT_EQ(Info(Item(disc.Get(), 1).Get(), QStringLiteral("Status")), engine_text::kRipFailed);
    EXPECT_EQ(Info(Item(disc.Get(), 2).Get(), QStringLiteral("Status")), QString()) << "never reached";
    EXPECT_EQ(m_sink->Count(QStringLiteral("CdromMediaChange")), 2);
    EXPECT_EQ(Count(CdPlaylist(kPhysical).Get()), 0);
    ComPtr<IWMPPlaylist> album;
    ASSERT_EQ(Library()->getByAttribute(CComBSTR(QStringLiteral("TOC")),
                                        CComBSTR(Info(disc.Get(), QStringLiteral("TOC"))), &album),
              S_OK);
    EXPECT_EQ(Count(album.Get()), 1) << "only the finished track is in the library";
}

long DriveCount(IWMPPlayer4* player) {
    ComPtr<IWMPCdromCollection> drives;
    long count = -1;
    if (SUCCEEDED(player->get_cdromCollection(&drives)) && drives) {
        drives->get_count(&count);
    }
    return count;
}

QString Specifier(IWMPCdrom* drive) {
    CComBSTR text;
    return drive && SUCCEEDED(drive->get_driveSpecifier(&text)) ? text.ToQString() : QString();
}

TEST_F(PhysicalDrives, ADrivePluggedInLaterJoinsTheCollectionAndOnePulledOutMidRipEndsTheRip) {
    const QString image = MakeJapaneseDisc();
    m_config.faults.stallAtTrack = 2; // keeps the rip inside track 2 until it is stopped
    CreatePlayer();
    m_sink = Advise();
    ASSERT_EQ(DriveCount(m_player.Get()), 1) << "the sandbox's own drive";

    // Plugged in while the program runs: the host's watch puts it into the volume table.
    AddDrive(image);
    m_probe.Set(m_device, DriveState::DiscPresent);
    ASSERT_EQ(Test()->CheckMedia(), S_OK); // the engine's media poll, once a second
    // Told twice: the drive came (empty until its monitor looked), then its disc was read.
    ASSERT_GE(WaitForMediaChanges(2), 0);
    EXPECT_EQ(m_sink->events[0].value, kPhysical);
    ASSERT_EQ(DriveCount(m_player.Get()), 2);
    EXPECT_EQ(Specifier(Drive(kPhysical).Get()), QStringLiteral("F:"));
    const ComPtr<IWMPPlaylist> disc = CdPlaylist(kPhysical);
    ASSERT_EQ(Count(disc.Get()), 3);

    StartRipUntilTrack2(disc.Get());

    // Pulled out: the drive leaves the table with its disc still in it.
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(m_sandbox->Volumes().RemoveDrive(m_letter));
    ASSERT_EQ(Test()->CheckMedia(), S_OK);
    ASSERT_TRUE(WaitForRipEnd(10000)) << "the rip goes on without its drive";
    EXPECT_LT(clock.elapsed(), kNoticeMs);
    EXPECT_EQ(Info(Item(disc.Get(), 0).Get(), QStringLiteral("Status")), engine_text::Ripped());
    EXPECT_EQ(Info(Item(disc.Get(), 1).Get(), QStringLiteral("Status")), engine_text::kRipFailed);
    EXPECT_EQ(DriveCount(m_player.Get()), 1);
    EXPECT_EQ(Specifier(Drive(0).Get()), QStringLiteral("D:"));

    // Plugged in again under another device node, at the letter the host gives it back.
    const QString again = QFileInfo(m_device).dir().filePath(QStringLiteral("sr1.cue"));
    ASSERT_TRUE(QFile::copy(m_device, again));
    CVolumes::Drive drive;
    drive.letter = m_letter;
    drive.type = DRIVE_CDROM;
    drive.device = again;
    drive.present = false;
    ASSERT_TRUE(m_sandbox->Volumes().SetDrive(drive));
    m_probe.Set(again, DriveState::DiscPresent);
    const int before = MediaChanges();
    ASSERT_EQ(Test()->CheckMedia(), S_OK);
    ASSERT_GE(WaitForMediaChanges(before + 2), 0);
    ASSERT_EQ(DriveCount(m_player.Get()), 2);
    EXPECT_EQ(Count(CdPlaylist(kPhysical).Get()), 3);
    EXPECT_TRUE(Volume().present);
}

TEST_F(PhysicalDrives, TheMonitorStopsWithThePlayer) {
    AddDrive(MakeJapaneseDisc());
    StartEmpty();
    ReleasePlayer();
    const int looks = m_probe.Looks();
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * 500));
    EXPECT_EQ(m_probe.Looks(), looks);
    // Nothing of the engine is left in the volume layer either.
    m_probe.Set(m_device, DriveState::DiscPresent);
    m_loop.Pump();
    EXPECT_FALSE(Volume().present);
    EXPECT_FALSE(m_sandbox->Volumes().CdRootListing(m_letter));
}

} // namespace
