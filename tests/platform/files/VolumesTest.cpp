// The drive table: sandbox.ini in and out, drive types and labels, free space on a quota, a card
// pulled and put back, and the host's own drives from a fake mount table.

#include "platform/files/Volumes.h"
#include "platform/files/FileOps.h"
#include "platform/files/FileSearch.h"
#include "platform/win/LastError.h"
#include "tests/platform/files/TestSandbox.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

DWORD Bit(char letter) {
    return DWORD(1) << (letter - 'A');
}

} // namespace

TEST(Volumes, SandboxIniGivesTheDriveTable) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());

    // A pulled card keeps its letter, like an empty card reader on Windows.
    EXPECT_EQ(GetLogicalDrives(), Bit('C') | Bit('D') | Bit('E') | Bit('F'));

    struct TypeCase {
        const char* root;
        UINT type;
    };
    const TypeCase types[] = {
        {"C:\\", DRIVE_FIXED},       {"D:\\", DRIVE_CDROM},       {"E:\\", DRIVE_REMOVABLE},
        {"E:", DRIVE_REMOVABLE},     {"e:/", DRIVE_REMOVABLE},    {"F:\\", DRIVE_REMOVABLE},
        {"G:\\", DRIVE_NO_ROOT_DIR}, {"A:\\", DRIVE_NO_ROOT_DIR}, {"E:\\x", DRIVE_NO_ROOT_DIR},
        {"", DRIVE_NO_ROOT_DIR},
    };
    for (const TypeCase& c : types)
        EXPECT_EQ(GetDriveType(QString::fromUtf8(c.root)), c.type) << c.root;

    QString label;
    QString fs;
    DWORD serial = 0;
    DWORD maxLength = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetVolumeInformation(QStringLiteral("E:\\"), &label, &serial, &maxLength, &flags, &fs));
    EXPECT_EQ(label, QString::fromUtf8("SDカード"));
    EXPECT_EQ(serial, 0xCAFE0001u);
    EXPECT_EQ(fs, QStringLiteral("FAT32"));
    EXPECT_EQ(maxLength, 255u);
    ASSERT_TRUE(GetVolumeInformation(QStringLiteral("C:\\"), &label, &serial, nullptr, nullptr, &fs));
    EXPECT_TRUE(label.isEmpty());
    EXPECT_EQ(serial, 0x1A2B3C4Du);
    EXPECT_EQ(fs, QStringLiteral("NTFS"));
    ASSERT_TRUE(GetVolumeInformation(QStringLiteral("D:\\"), &label, nullptr, nullptr, &flags, nullptr));
    EXPECT_EQ(label, QStringLiteral("Audio CD"));
    EXPECT_TRUE(flags & FILE_READ_ONLY_VOLUME);

    EXPECT_FALSE(GetVolumeInformation(QStringLiteral("G:\\"), &label, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));

    const auto d = sandbox.Volumes().DriveOf(QLatin1Char('D'));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->disc, QStringLiteral("discs/demo.cue"));
    EXPECT_EQ(sandbox.Volumes().UserName(), QStringLiteral("taro"));
    // Drive folders are made on load, so a fresh sandbox works at once.
    EXPECT_TRUE(QFileInfo(sandbox.Host(QStringLiteral("drives/E"))).isDir());
}

TEST(Volumes, BadSandboxIniIsRefusedAndKeepsTheTable) {
    const char* const bad[] = {
        "[drive_E]\ntype=floppy\n", // unknown type
        "[drive_B]\ntype=fixed\n",  // A: and B: are never drives
        "[drive_EE]\ntype=fixed\n", // not one letter
        "[drive_E]\ntype=removable\nserial=zz\n",
        "[drive_E]\ntype=removable\ncapacity=lots\n",
    };
    for (const char* ini : bad) {
        CTestSandbox sandbox;
        ASSERT_TRUE(sandbox.Loaded());
        QDir().mkpath(sandbox.Dir() + QStringLiteral("/other"));
        QFile other(sandbox.Dir() + QStringLiteral("/other/sandbox.ini"));
        ASSERT_TRUE(other.open(QIODevice::WriteOnly));
        other.write(ini);
        other.close();
        EXPECT_FALSE(sandbox.Volumes().LoadSandbox(sandbox.Dir() + QStringLiteral("/other"))) << ini;
        EXPECT_EQ(sandbox.Volumes().Drives().size(), 4) << ini;
        EXPECT_EQ(sandbox.Volumes().SandboxDir(), QDir(sandbox.Dir()).absolutePath()) << ini;
    }
    CVolumes empty;
    CTempDir nothing;
    EXPECT_FALSE(empty.LoadSandbox(nothing.Path()));
}

TEST(Volumes, SaveSandboxWritesChangesBackAndKeepsOtherGroups) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    {
        QSettings ini(sandbox.Dir() + QStringLiteral("/sandbox.ini"), QSettings::IniFormat);
        ini.setValue(QStringLiteral("device_0/name"), QStringLiteral("Korvel Audio"));
    }
    CVolumes& volumes = sandbox.Volumes();
    ASSERT_TRUE(volumes.SetPresent(QLatin1Char('E'), false));
    ASSERT_TRUE(volumes.SetLabel(QLatin1Char('E'), QString::fromUtf8("辞書カード, 2枚目")));
    ASSERT_TRUE(volumes.SetCapacity(QLatin1Char('E'), 65536));
    ASSERT_TRUE(volumes.SetDisc(QLatin1Char('D'), QStringLiteral("discs/other.cue")));
    ASSERT_TRUE(volumes.RemoveDrive(QLatin1Char('F')));
    ASSERT_TRUE(volumes.SaveSandbox());

    CVolumes reloaded;
    ASSERT_TRUE(reloaded.LoadSandbox(sandbox.Dir()));
    ASSERT_EQ(reloaded.Drives().size(), 3);
    for (const CVolumes::Drive& before : volumes.Drives()) {
        const auto after = reloaded.DriveOf(before.letter);
        ASSERT_TRUE(after) << before.letter.toLatin1();
        EXPECT_EQ(after->type, before.type);
        EXPECT_EQ(after->label, before.label);
        EXPECT_EQ(after->serial, before.serial);
        EXPECT_EQ(after->fileSystem, before.fileSystem);
        EXPECT_EQ(after->present, before.present);
        EXPECT_EQ(after->capacity, before.capacity);
        EXPECT_EQ(after->disc, before.disc);
        EXPECT_EQ(QFileInfo(after->root).canonicalFilePath(), QFileInfo(before.root).canonicalFilePath());
    }
    EXPECT_EQ(reloaded.UserName(), QStringLiteral("taro"));
    QSettings ini(sandbox.Dir() + QStringLiteral("/sandbox.ini"), QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("device_0/name")).toString(), QStringLiteral("Korvel Audio"));
    EXPECT_EQ(ini.value(QStringLiteral("drive_E/root")).toString(), QStringLiteral("drives/E"));
}

TEST(Volumes, FreeSpaceOnAQuotaCountsWholeClusters) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    DWORD sectors = 0, bytes = 0, freeClusters = 0, totalClusters = 0;
    ASSERT_TRUE(GetDiskFreeSpace(QStringLiteral("E:\\"), &sectors, &bytes, &freeClusters, &totalClusters));
    EXPECT_EQ(sectors, 8u);
    EXPECT_EQ(bytes, 512u);
    EXPECT_EQ(totalClusters, 256u); // 1 MiB
    EXPECT_EQ(freeClusters, 256u);

    // 5000 bytes take two clusters, a folder one, a 4096-byte file one.
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/E/a.mp3")), QByteArray(5000, 'a'));
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/E/音声データ/b.mp3")), QByteArray(4096, 'b'));
    ASSERT_TRUE(GetDiskFreeSpace(QStringLiteral("E:"), &sectors, &bytes, &freeClusters, &totalClusters));
    EXPECT_EQ(totalClusters, 256u);
    EXPECT_EQ(freeClusters, 252u);

    ULONGLONG available = 0, total = 0, totalFree = 0;
    ASSERT_TRUE(GetDiskFreeSpaceEx(QString::fromUtf8("E:\\音声データ"), &available, &total, &totalFree));
    EXPECT_EQ(total, 1048576u);
    EXPECT_EQ(available, 252u * 4096u);
    EXPECT_EQ(totalFree, available);

    // A quota that is no multiple of a cluster counts only its whole clusters.
    ASSERT_TRUE(sandbox.Volumes().SetCapacity(QLatin1Char('E'), 10000));
    ASSERT_TRUE(GetDiskFreeSpace(QStringLiteral("E:\\"), &sectors, &bytes, &freeClusters, &totalClusters));
    EXPECT_EQ(totalClusters, 2u);
    EXPECT_EQ(freeClusters, 0u); // more is used than the card holds: free never goes negative

    // Without a quota the host file system answers.
    ASSERT_TRUE(GetDiskFreeSpace(QStringLiteral("C:\\"), &sectors, &bytes, &freeClusters, &totalClusters));
    EXPECT_GT(totalClusters, 0u);
    EXPECT_LE(freeClusters, totalClusters);

    EXPECT_FALSE(GetDiskFreeSpace(QStringLiteral("E:\\x"), &sectors, &bytes, &freeClusters, &totalClusters));
    EXPECT_FALSE(GetDiskFreeSpace(QStringLiteral("G:\\"), &sectors, &bytes, &freeClusters, &totalClusters));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST(Volumes, PulledCardIsUnreachableUntilPutBack) {
    CTestSandbox sandbox;
    ASSERT_TRUE(sandbox.Loaded());
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/E/song.mp3")), "data");
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/C/x.mp3")), "x");
    ASSERT_TRUE(sandbox.Volumes().SetPresent(QLatin1Char('E'), false));

    EXPECT_TRUE(GetLogicalDrives() & Bit('E'));
    EXPECT_EQ(GetDriveType(QStringLiteral("E:\\")), DRIVE_REMOVABLE);
    QString label = QStringLiteral("unchanged");
    EXPECT_FALSE(GetVolumeInformation(QStringLiteral("E:\\"), &label, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
    EXPECT_EQ(label, QStringLiteral("unchanged"));

    // Callers start from zeros and read "no medium" from them: failure leaves them alone.
    DWORD sectors = 0, bytes = 0, freeClusters = 0, totalClusters = 0;
    EXPECT_FALSE(GetDiskFreeSpace(QStringLiteral("E:"), &sectors, &bytes, &freeClusters, &totalClusters));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
    EXPECT_EQ(sectors | bytes | freeClusters | totalClusters, 0u);

    WIN32_FIND_DATA data;
    EXPECT_EQ(FindFirstFile(QStringLiteral("E:\\*.*"), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
    EXPECT_FALSE(PathFileExists(QStringLiteral("E:\\song.mp3")));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
    EXPECT_FALSE(CopyFile(QStringLiteral("C:\\x.mp3"), QStringLiteral("E:\\x.mp3"), FALSE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
    EXPECT_FALSE(CreateDirectory(QStringLiteral("E:\\dir"), nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
    QString host;
    EXPECT_EQ(ToHostPath(QStringLiteral("E:\\song.mp3"), &host), ERROR_NOT_READY);
    EXPECT_EQ(sandbox.Tree(QStringLiteral("drives/E")), QStringList{QStringLiteral("song.mp3")});

    ASSERT_TRUE(sandbox.Volumes().SetPresent(QLatin1Char('E'), true));
    EXPECT_TRUE(PathFileExists(QStringLiteral("E:\\song.mp3")));
    ASSERT_TRUE(GetDiskFreeSpace(QStringLiteral("E:"), &sectors, &bytes, &freeClusters, &totalClusters));
    EXPECT_EQ(totalClusters, 256u);
    EXPECT_EQ(freeClusters, 255u);
    EXPECT_TRUE(CopyFile(QStringLiteral("C:\\x.mp3"), QStringLiteral("E:\\x.mp3"), FALSE));
}

TEST(Volumes, HostDrivesComeFromTheMountTable) {
    CTempDir fake;
    const QString home = fake.File(QStringLiteral("home/taro"));
    QDir().mkpath(home);
    const auto write = [&](const QString& relative, const QByteArray& text) {
        CTestSandbox::WriteFile(fake.File(relative), text);
    };
    write(QStringLiteral("mounts"), "/dev/sda2 / ext4 rw,relatime 0 0\n"
                                    "proc /proc proc rw 0 0\n"
                                    "/dev/sdb1 /media/taro/MY\\040CARD vfat rw 0 0\n"
                                    "/dev/sr0 /media/taro/DISC iso9660 ro 0 0\n"
                                    "/dev/mmcblk0p1 /media/taro/sd exfat rw 0 0\n"
                                    "/dev/mmcblk1p2 /mnt/emmc ext4 rw 0 0\n"
                                    "/dev/sdc1 /media/taro/usb vfat rw 0 0\n"
                                    "/dev/sdb1 /media/taro/again vfat rw 0 0\n");
    write(QStringLiteral("sys/sda/removable"), "0\n");
    write(QStringLiteral("sys/sdb/removable"), "1\n");
    write(QStringLiteral("sys/sdc/removable"), "1\n");
    write(QStringLiteral("sys/sr0/removable"), "1\n");
    write(QStringLiteral("sys/mmcblk0/removable"), "0\n");
    write(QStringLiteral("sys/mmcblk0/device/type"), "SD\n");
    write(QStringLiteral("sys/mmcblk1/removable"), "0\n");
    write(QStringLiteral("sys/mmcblk1/device/type"), "MMC\n");
    QDir().mkpath(fake.File(QStringLiteral("by-label")));
    QDir().mkpath(fake.File(QStringLiteral("by-uuid")));
    ASSERT_TRUE(QFile::link(QStringLiteral("../../sdb1"), fake.File(QStringLiteral("by-label/MY\\x20CARD"))));
    ASSERT_TRUE(QFile::link(QStringLiteral("../../sdb1"), fake.File(QStringLiteral("by-uuid/12AB-34CD"))));

    CVolumes volumes;
    CVolumes::HostSources sources;
    sources.home = home;
    sources.mounts = fake.File(QStringLiteral("mounts"));
    sources.sysBlock = fake.File(QStringLiteral("sys"));
    sources.byLabel = fake.File(QStringLiteral("by-label"));
    sources.byUuid = fake.File(QStringLiteral("by-uuid"));
    sources.byId = fake.File(QStringLiteral("by-id"));
    ASSERT_TRUE(volumes.LoadHost(sources));
    EXPECT_FALSE(volumes.IsSandbox());

    const QList<CVolumes::Drive> drives = volumes.Drives();
    ASSERT_EQ(drives.size(), 4);
    EXPECT_EQ(drives[0].letter, QLatin1Char('C'));
    EXPECT_EQ(drives[0].type, DRIVE_FIXED);
    EXPECT_EQ(drives[0].root, home);
    EXPECT_EQ(drives[0].fileSystem, QStringLiteral("EXT4"));

    EXPECT_EQ(drives[1].letter, QLatin1Char('E'));
    EXPECT_EQ(drives[1].type, DRIVE_REMOVABLE);
    EXPECT_EQ(drives[1].root, QStringLiteral("/media/taro/MY CARD"));
    EXPECT_EQ(drives[1].label, QStringLiteral("MY CARD"));
    EXPECT_EQ(drives[1].serial, 0x12AB34CDu);
    EXPECT_EQ(drives[1].fileSystem, QStringLiteral("FAT32"));

    // An SD slot on the MMC bus counts as removable; the soldered eMMC does not.
    EXPECT_EQ(drives[2].letter, QLatin1Char('F'));
    EXPECT_EQ(drives[2].root, QStringLiteral("/media/taro/sd"));
    EXPECT_EQ(drives[2].label, QStringLiteral("sd")); // no by-label link: the mount point's name
    EXPECT_EQ(drives[2].fileSystem, QStringLiteral("exFAT"));

    EXPECT_EQ(drives[3].letter, QLatin1Char('G'));
    EXPECT_EQ(drives[3].root, QStringLiteral("/media/taro/usb"));

    // CD drives come later from the media engine, at the first free letter.
    EXPECT_EQ(volumes.AddCdDrive(QStringLiteral("/dev/sr0")), QLatin1Char('D'));
    EXPECT_EQ(volumes.AddCdDrive(QStringLiteral("/dev/sr1")), QLatin1Char('H'));
    EXPECT_EQ(volumes.DriveOf(QLatin1Char('D'))->type, DRIVE_CDROM);

    // Loaded again after the card in E: came out and another went in: the CD drives and the
    // cards still there keep their letters; the new card leaves E: to the card that had it.
    write(QStringLiteral("mounts"), "/dev/sda2 / ext4 rw 0 0\n"
                                    "/dev/sdc1 /media/taro/usb vfat rw 0 0\n"
                                    "/dev/mmcblk0p1 /media/taro/sd exfat rw 0 0\n"
                                    "/dev/sdd1 /media/taro/NEW vfat rw 0 0\n");
    write(QStringLiteral("sys/sdd/removable"), "1\n");
    ASSERT_TRUE(volumes.LoadHost(sources));
    QStringList table;
    for (const CVolumes::Drive& drive : volumes.Drives())
        table.append(QString(drive.letter) + QLatin1Char('=') +
                     (drive.device.isEmpty() ? drive.root : drive.device));
    EXPECT_EQ(table, (QStringList{QStringLiteral("C=") + home, QStringLiteral("D=/dev/sr0"),
                                  QStringLiteral("F=/dev/mmcblk0p1"), QStringLiteral("G=/dev/sdc1"),
                                  QStringLiteral("H=/dev/sr1"), QStringLiteral("I=/dev/sdd1")}));
}
