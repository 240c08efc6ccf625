// The drives of the user's own machine, on fake mount tables, sysfs trees and /dev/disk folders:
// which mounts are cards, their labels, letters that stay with their devices across runs, the
// drive configuration file, a table that follows the mount table, and CD drives plugged in and
// pulled out while the program runs.

#include "platform/files/DriveConfig.h"
#include "platform/files/FileOps.h"
#include "platform/files/MountInfo.h"
#include "platform/files/VolumeLabel.h"
#include "platform/files/Volumes.h"
#include "platform/win/LastError.h"
#include "tests/platform/files/TestSandbox.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// A machine in a scratch folder: a home folder, a mount table, /sys/block and /dev/disk.
class CFakeMachine {
public:
    CFakeMachine() {
        QDir().mkpath(Home());
        for (const char* folder : {"by-label", "by-uuid", "by-id", "by-path", "sys", "dev"})
            QDir().mkpath(m_dir.File(QLatin1String(folder)));
    }

    QString Home() const { return m_dir.File(QStringLiteral("home/taro")); }
    QString File(const QString& name) const { return m_dir.File(name); }

    // A disk in sysfs: removable flag and, for the MMC bus, the card type.
    void Disk(const QString& disk, const char* removable, const char* mmcType = nullptr) {
        CTestSandbox::WriteFile(File(QStringLiteral("sys/%1/removable").arg(disk)), removable);
        if (mmcType)
            CTestSandbox::WriteFile(File(QStringLiteral("sys/%1/device/type").arg(disk)), mmcType);
    }
    // A /dev/disk/by-<kind> link named name that leads to the device.
    void Link(const char* kind, const QString& name, const QString& device) {
        ASSERT_TRUE(QFile::link(QStringLiteral("../../") + device,
                                File(QStringLiteral("by-%1/").arg(QLatin1String(kind)) + name)));
    }
    // A CD drive in sysfs with its device node (a plain file), maker and model, and its udev id
    // link when it has one. Without a node the drive cannot be opened.
    void CdDrive(const QString& name, const QString& id, bool node = true) {
        CTestSandbox::WriteFile(File(QStringLiteral("sys/%1/dev").arg(name)), "11:0\n");
        CTestSandbox::WriteFile(File(QStringLiteral("sys/%1/device/vendor").arg(name)), "TEAC    \n");
        CTestSandbox::WriteFile(File(QStringLiteral("sys/%1/device/model").arg(name)), "DV-W28S-V \n");
        if (node)
            CTestSandbox::WriteFile(File(QStringLiteral("dev/%1").arg(name)), "");
        if (!id.isEmpty())
            Link("id", id, name);
    }
    // The drive pulled out: udev removes its node and links, the kernel its sysfs folder.
    void Unplug(const QString& name) {
        QDir(File(QStringLiteral("sys/") + name)).removeRecursively();
        QFile::remove(File(QStringLiteral("dev/") + name));
        for (const char* kind : {"by-id", "by-path"}) {
            for (const QFileInfo& link :
                 QDir(File(QLatin1String(kind))).entryInfoList(QDir::System | QDir::Files)) {
                if (QFileInfo(link.symLinkTarget()).fileName() == name)
                    QFile::remove(link.filePath());
            }
        }
    }
    void Mounts(const QByteArray& text) { CTestSandbox::WriteFile(File(QStringLiteral("mountinfo")), text); }
    void Config(const QByteArray& text) {
        CTestSandbox::WriteFile(File(QStringLiteral("drives.conf")), text);
    }

    CVolumes::HostSources Sources() const {
        CVolumes::HostSources sources;
        sources.home = Home();
        sources.mounts = File(QStringLiteral("mountinfo"));
        sources.sysBlock = File(QStringLiteral("sys"));
        sources.byLabel = File(QStringLiteral("by-label"));
        sources.byUuid = File(QStringLiteral("by-uuid"));
        sources.byId = File(QStringLiteral("by-id"));
        sources.byPath = File(QStringLiteral("by-path"));
        sources.dev = File(QStringLiteral("dev"));
        sources.letters = File(QStringLiteral("drive-letters"));
        sources.config = File(QStringLiteral("drives.conf"));
        return sources;
    }

private:
    CTempDir m_dir;
};

// "C=taro E=sdb1": per drive the letter and the name of the device, disc image or folder behind it.
std::string TableOf(const CVolumes& volumes) {
    QStringList table;
    for (const CVolumes::Drive& drive : volumes.Drives()) {
        const QString what = !drive.device.isEmpty() ? drive.device
                             : !drive.disc.isEmpty() ? drive.disc
                                                     : drive.root;
        table.append(QString(drive.letter) + QLatin1Char('=') + QFileInfo(what).fileName());
    }
    return table.join(QLatin1Char(' ')).toStdString();
}

// Collects the Qt warnings issued while it lives.
class CWarnings {
public:
    CWarnings() {
        s_messages = &m_messages;
        m_previous =
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
                if (type == QtWarningMsg)
                    s_messages->append(text);
            });
    }
    ~CWarnings() {
        qInstallMessageHandler(m_previous);
        s_messages = nullptr;
    }
    QStringList Messages() const { return m_messages; }

private:
    static inline QStringList* s_messages = nullptr;
    QStringList m_messages;
    QtMessageHandler m_previous = nullptr;
};

// The table once it is `wanted`, or as it is after five seconds.
std::string WaitForTable(const CVolumes& volumes, const std::string& wanted) {
    QElapsedTimer timer;
    timer.start();
    while (TableOf(volumes) != wanted && timer.elapsed() < 5000)
        QThread::msleep(10);
    return TableOf(volumes);
}

// mountinfo lines for a device mounted at a point, as the kernel writes them.
QByteArray Line(const char* device, const char* point, const char* type, const char* options = "rw,nosuid",
                const char* root = "/") {
    return QByteArray("40 25 8:17 ") + root + ' ' + point + ' ' + options + " shared:7 - " + type + ' ' +
           device + " rw,uid=1000\n";
}

} // namespace

TEST(HostDrives, CardsAreTheRemovableMountsOfTheMachine) {
    CFakeMachine machine;
    machine.Disk(QStringLiteral("sda"), "0");
    machine.Disk(QStringLiteral("sdb"), "1");            // USB card reader
    machine.Disk(QStringLiteral("mmcblk0"), "0", "SD");  // built-in SD slot
    machine.Disk(QStringLiteral("mmcblk1"), "0", "MMC"); // soldered eMMC
    machine.Disk(QStringLiteral("loop0"), "0");
    machine.Disk(QStringLiteral("sdc"), "1"); // read-only card
    machine.Link("uuid", QStringLiteral("12AB-34CD"), QStringLiteral("sdb1"));
    machine.Link("label", QStringLiteral("\\x83J\\x81[\\x83h"), QStringLiteral("sdb1")); // カード in CP932
    machine.Mounts(
        Line("/dev/sda2", "/", "ext4") + "\n garbage line\n" + Line("/dev/sdb1", "/media/taro/CARD", "vfat") +
        Line("/dev/sdb1", "/media/taro/bound", "vfat", "rw", "/Music") + // bind of a subfolder
        Line("/dev/mmcblk0p1", "/media/taro/sd\\040slot", "exfat") +
        Line("/dev/mmcblk1p2", "/mnt/emmc", "ext4") + Line("/dev/loop0", "/snap/core", "squashfs") +
        Line("/dev/sde1", "/media/taro/gone", "vfat") + // no longer in sysfs
        Line("/dev/sr0", "/media/taro/DISC", "iso9660") +
        Line("/dev/sdc1", "/media/taro/LOCKED", "vfat", "ro,nosuid") +
        Line("tmpfs", "/run/user/1000", "tmpfs"));

    CVolumes volumes;
    ASSERT_TRUE(volumes.LoadHost(machine.Sources()));
    EXPECT_EQ(TableOf(volumes), "C=taro E=sdb1 F=mmcblk0p1 G=sdc1");

    const auto card = volumes.DriveOf(QLatin1Char('E'));
    EXPECT_EQ(card->type, DRIVE_REMOVABLE);
    EXPECT_EQ(card->root, QStringLiteral("/media/taro/CARD"));
    EXPECT_EQ(card->label, QString::fromUtf8("カード"));
    EXPECT_EQ(card->serial, 0x12AB34CDu);
    EXPECT_EQ(card->fileSystem, QStringLiteral("FAT32"));
    const auto slot = volumes.DriveOf(QLatin1Char('F'));
    EXPECT_EQ(slot->root, QStringLiteral("/media/taro/sd slot"));
    EXPECT_EQ(slot->label, QStringLiteral("sd slot")); // no label link: the mount point's name
    EXPECT_EQ(slot->serial, 0u);
    EXPECT_FALSE(slot->readOnly);
    EXPECT_TRUE(volumes.DriveOf(QLatin1Char('G'))->readOnly);
    EXPECT_EQ(volumes.DriveOf(QLatin1Char('C'))->fileSystem, QStringLiteral("EXT4"));
}

TEST(HostDrives, AReadOnlyCardCanBeReadButNotWritten) {
    CFakeMachine machine;
    machine.Disk(QStringLiteral("sdb"), "1");
    const QString point = machine.File(QStringLiteral("media/LOCKED"));
    QDir().mkpath(point);
    CTestSandbox::WriteFile(point + QStringLiteral("/a.mp3"), "mp3");
    machine.Mounts(Line("/dev/sdb1", QFile::encodeName(point).constData(), "vfat", "ro"));

    CVolumes volumes;
    ASSERT_TRUE(volumes.LoadHost(machine.Sources()));
    CPlatform services = CPlatform::Current();
    services.volumes = &volumes;
    CPlatformScope scope(services);

    DWORD flags = 0;
    ASSERT_TRUE(GetVolumeInformation(QStringLiteral("E:\\"), nullptr, nullptr, nullptr, &flags, nullptr));
    EXPECT_TRUE(flags & FILE_READ_ONLY_VOLUME);
    EXPECT_TRUE(PathFileExists(QStringLiteral("E:\\a.mp3")));
    EXPECT_FALSE(CreateDirectory(QStringLiteral("E:\\音声データ"), nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFile(QStringLiteral("E:\\a.mp3")));
    EXPECT_TRUE(QFile::exists(point + QStringLiteral("/a.mp3")));
}

TEST(HostDrives, LabelsDecodeAsTheFileSystemStoresThem) {
    struct Case {
        QByteArray bytes;
        const char* type;
        const char* expected;
    };
    const Case cases[] = {
        {"MY CARD    ", "vfat", "MY CARD"},             // FAT pads with blanks
        {"\x83\x4A\x81\x5B\x83\x68", "vfat", "カード"}, // CP932
        {"\xE9\x9F\xB3\xE6\xA5\xBD", "vfat", "音楽"},   // written as UTF-8 by Linux tools
        {"\xE9\x9F\xB3\xE6\xA5\xBD", "exfat", "音楽"},
        {"\x83\x4A\x81\x5B\x83\x68", "ext4",
         "\xEF\xBF\xBD"
         "J\xEF\xBF\xBD[\xEF\xBF\xBD"
         "h"},                                // not FAT: no code page
        {"AB\x81", "vfat", "AB\xEF\xBF\xBD"}, // a lead byte without its trail byte
        {"", "vfat", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CVolumeLabel::Decode(c.bytes, QLatin1String(c.type)), QString::fromUtf8(c.expected))
            << c.bytes.toHex().constData() << ' ' << c.type;
}

TEST(HostDrives, MountTableLinesAreReadInBothFormats) {
    const QList<CMountInfo::Mount> mounts = CMountInfo::Parse(
        "36 25 8:17 / /media/a\\040b rw,relatime shared:1 master:2 - vfat /dev/sdb1 rw\n"
        "37 25 8:18 / /media/c rw - vfat /dev/sdb2 ro,uid=1\n" // read-only file system under a rw mount
        "38 25 8:19 /sub /mnt/bind ro - ext4 /dev/sdb3 rw\n"
        "/dev/sdc1 /media/old vfat ro,nosuid 0 0\n"
        "39 25 8:20 / /x rw -\n" // cut short
        "\n");
    ASSERT_EQ(mounts.size(), 4);
    EXPECT_EQ(mounts[0].point, QStringLiteral("/media/a b"));
    EXPECT_EQ(mounts[0].device, QStringLiteral("/dev/sdb1"));
    EXPECT_EQ(mounts[0].type, QStringLiteral("vfat"));
    EXPECT_FALSE(mounts[0].readOnly);
    EXPECT_TRUE(mounts[1].readOnly);
    EXPECT_EQ(mounts[2].root, QStringLiteral("/sub"));
    EXPECT_TRUE(mounts[2].readOnly);
    EXPECT_EQ(mounts[3].device, QStringLiteral("/dev/sdc1"));
    EXPECT_EQ(mounts[3].root, QStringLiteral("/"));
    EXPECT_TRUE(mounts[3].readOnly);
}

TEST(HostDrives, EachDeviceKeepsItsLetterAcrossRuns) {
    CFakeMachine machine;
    machine.Disk(QStringLiteral("sdb"), "1");
    machine.Disk(QStringLiteral("sdc"), "1");
    machine.Disk(QStringLiteral("sdd"), "1");
    machine.Link("uuid", QStringLiteral("1111-AAAA"), QStringLiteral("sdb1"));
    machine.Link("id", QStringLiteral("wwn-0x5000"), QStringLiteral("sdc1"));
    machine.Link("id", QStringLiteral("usb-Reader_SD_000123-0:0-part1"), QStringLiteral("sdc1"));
    machine.Link("uuid", QStringLiteral("3333-CCCC"), QStringLiteral("sdd1"));
    const QByteArray first = Line("/dev/sdb1", "/media/taro/ONE", "vfat");
    const QByteArray second = Line("/dev/sdc1", "/media/taro/TWO", "vfat");
    const QByteArray third = Line("/dev/sdd1", "/media/taro/THREE", "vfat");

    {
        machine.Mounts(first + second);
        CVolumes volumes;
        ASSERT_TRUE(volumes.LoadHost(machine.Sources()));
        EXPECT_EQ(TableOf(volumes), "C=taro E=sdb1 F=sdc1");
    }
    {
        // Next run: only the second card, listed first, and a new one. The second keeps F:, and
        // the new card leaves E: to the first, which is away.
        machine.Mounts(third + second);
        CVolumes volumes;
        ASSERT_TRUE(volumes.LoadHost(machine.Sources()));
        EXPECT_EQ(TableOf(volumes), "C=taro F=sdc1 G=sdd1");
    }
    {
        machine.Mounts(third + first);
        CVolumes volumes;
        ASSERT_TRUE(volumes.LoadHost(machine.Sources()));
        EXPECT_EQ(TableOf(volumes), "C=taro E=sdb1 G=sdd1");
    }
    // A damaged letters file is no reason not to start: its lines are forgotten.
    CTestSandbox::WriteFile(machine.File(QStringLiteral("drive-letters")), "\x01\x02\nZZ nonsense\nE\n");
    machine.Mounts(second);
    CVolumes volumes;
    ASSERT_TRUE(volumes.LoadHost(machine.Sources()));
    EXPECT_EQ(TableOf(volumes), "C=taro E=sdc1");
}

TEST(HostDrives, ConfigurationAddsFoldersAsCardsAndImagesAsCdDrives) {
    CFakeMachine machine;
    QDir().mkpath(machine.Home() + QStringLiteral("/phone/Music"));
    CTestSandbox::WriteFile(machine.File(QStringLiteral("discs/album one.cue")), "FILE x.bin BINARY\n");
    machine.Config("# my drives\n"
                   "card ~/phone/Music label=\"MY PHONE\" size=2M\n"
                   "cd \"discs/album one.cue\" letter=H   # relative to this file\n"
                   "\n"
                   "floppy /x\n"
                   "card\n"
                   "card /tmp size=lots\n"
                   "card /tmp letter=C\n"
                   "card /tmp colour=red\n"
                   "card \"/tmp\n"
                   "cd ~/phone\n"
                   "card ~/later\n");

    CVolumes volumes;
    ASSERT_TRUE(volumes.LoadHost(machine.Sources()));
    const QString file = machine.File(QStringLiteral("drives.conf"));
    QStringList lines;
    for (const QString& warning : volumes.HostWarnings()) {
        ASSERT_TRUE(warning.startsWith(file + QLatin1Char(':'))) << warning.toStdString();
        lines.append(warning.mid(file.size() + 1).section(QLatin1Char(':'), 0, 0));
    }
    EXPECT_EQ(lines.join(QLatin1Char(' ')).toStdString(), "5 6 7 8 9 10 11 12");
    EXPECT_TRUE(volumes.HostWarnings().last().contains(QStringLiteral("does not exist")));

    EXPECT_EQ(TableOf(volumes), "C=taro E=Music F=later H=album one.cue");
    const auto card = volumes.DriveOf(QLatin1Char('E'));
    EXPECT_EQ(card->type, DRIVE_REMOVABLE);
    EXPECT_EQ(card->label, QStringLiteral("MY PHONE"));
    EXPECT_EQ(card->capacity, std::optional<quint64>(2u << 20));
    EXPECT_TRUE(card->present);
    EXPECT_FALSE(volumes.DriveOf(QLatin1Char('F'))->present); // the missing folder: a pulled card
    const auto cd = volumes.DriveOf(QLatin1Char('H'));
    EXPECT_EQ(cd->type, DRIVE_CDROM);
    EXPECT_EQ(cd->disc, machine.File(QStringLiteral("discs/album one.cue")));
    EXPECT_TRUE(cd->root.isEmpty());

    // The size limit is the card's capacity, counted the way a sandbox quota is.
    CPlatform services = CPlatform::Current();
    services.volumes = &volumes;
    CPlatformScope scope(services);
    CTestSandbox::WriteFile(machine.Home() + QStringLiteral("/phone/Music/a.mp3"), QByteArray(5000, 'x'));
    ULONGLONG freeBytes = 0;
    ULONGLONG total = 0;
    ASSERT_TRUE(GetDiskFreeSpaceEx(QStringLiteral("E:\\"), &freeBytes, &total, nullptr));
    EXPECT_EQ(total, 2u << 20);
    EXPECT_EQ(freeBytes, (2u << 20) - 2 * CVolumes::kClusterBytes);

    // The folder appears: the card is in.
    QDir().mkpath(machine.Home() + QStringLiteral("/later"));
    EXPECT_TRUE(volumes.RefreshHost());
    EXPECT_TRUE(volumes.DriveOf(QLatin1Char('F'))->present);
    EXPECT_FALSE(volumes.RefreshHost());
}

TEST(HostDrives, TheTableFollowsTheMountTable) {
    CFakeMachine machine;
    machine.Disk(QStringLiteral("sdb"), "1");
    machine.Link("uuid", QStringLiteral("1111-AAAA"), QStringLiteral("sdb1"));
    machine.Mounts(Line("/dev/sda1", "/", "ext4"));
    CVolumes volumes;
    ASSERT_TRUE(volumes.LoadHost(machine.Sources()));
    // A CD drive the media engine added stays through every reload.
    ASSERT_EQ(volumes.AddCdDrive(QStringLiteral("/dev/sr0")), QLatin1Char('D'));
    volumes.FollowHost(20);

    const auto waitFor = [&](const std::string& wanted) { return WaitForTable(volumes, wanted); };
    const std::string without = "C=taro D=sr0";
    const std::string with = "C=taro D=sr0 E=sdb1";
    machine.Mounts(Line("/dev/sda1", "/", "ext4") + Line("/dev/sdb1", "/media/taro/CARD", "vfat"));
    EXPECT_EQ(waitFor(with), with);
    machine.Mounts(Line("/dev/sda1", "/", "ext4"));
    EXPECT_EQ(waitFor(without), without);
    machine.Mounts(Line("/dev/sdb1", "/media/taro/CARD", "vfat") + Line("/dev/sda1", "/", "ext4"));
    EXPECT_EQ(waitFor(with), with);
}

TEST(HostDrives, TheKernelsFlagOnTheMountTableWakesTheWatchAtOnce) {
    // The real /proc/self/mountinfo, watched with a timer far longer than the test: only the
    // kernel's flag can bring the change in time. A configured card whose folder gets a read-only
    // file system mounted on it becomes a read-only card.
    CFakeMachine machine;
    const QString card = machine.File(QStringLiteral("card"));
    QDir().mkpath(card);
    machine.Config("card " + QFile::encodeName(card) + '\n');
    CVolumes::HostSources sources = machine.Sources();
    sources.mounts = QStringLiteral("/proc/self/mountinfo");
    auto volumes = std::make_unique<CVolumes>();
    ASSERT_TRUE(volumes->LoadHost(sources));
    volumes->FollowHost(600000);
    ASSERT_FALSE(volumes->DriveOf(QLatin1Char('E'))->readOnly);
    QThread::msleep(100); // the watch has read the table once

    if (QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("ro"), QStringLiteral("tmpfs"), card}) != 0)
        GTEST_SKIP() << "mounting a tmpfs is not permitted on this machine; the kernel's flag was not tried";
    QElapsedTimer timer;
    timer.start();
    while (!volumes->DriveOf(QLatin1Char('E'))->readOnly && timer.elapsed() < 5000)
        QThread::msleep(10);
    EXPECT_TRUE(volumes->DriveOf(QLatin1Char('E'))->readOnly);
    EXPECT_EQ(volumes->DriveOf(QLatin1Char('E'))->fileSystem, QStringLiteral("TMPFS"));
    EXPECT_EQ(QProcess::execute(QStringLiteral("umount"), {card}), 0);
    // A table that goes away takes the watch's thread with it, long timer or not.
    timer.restart();
    volumes.reset();
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST(HostDrives, CdDrivesKeepTheirLettersAcrossPlugsAndRuns) {
    CFakeMachine machine;
    machine.Disk(QStringLiteral("sdb"), "1");
    machine.Link("uuid", QStringLiteral("1111-AAAA"), QStringLiteral("sdb1"));
    machine.Mounts(Line("/dev/sdb1", "/media/taro/CARD", "vfat"));
    machine.CdDrive(QStringLiteral("sr0"), QStringLiteral("usb-TEAC_DV-W28S-V_0123456789-0:0"));
    {
        CVolumes volumes;
        ASSERT_TRUE(volumes.LoadHost(machine.Sources()));
        EXPECT_EQ(TableOf(volumes), "C=taro D=sr0 E=sdb1");
        const auto cd = volumes.DriveOf(QLatin1Char('D'));
        EXPECT_EQ(cd->type, UINT(DRIVE_CDROM));
        EXPECT_EQ(cd->device, machine.File(QStringLiteral("dev/sr0")));
        EXPECT_FALSE(cd->present) << "the media engine's monitor looks for a disc";

        // A second drive, known only by its port, comes while the program runs.
        machine.CdDrive(QStringLiteral("sr1"), QString());
        machine.Link("path", QStringLiteral("pci-0000:00:14.0-usb-0:2:1.0-scsi-0:0:0:0"),
                     QStringLiteral("sr1"));
        EXPECT_TRUE(volumes.RefreshHost());
        EXPECT_EQ(TableOf(volumes), "C=taro D=sr0 E=sdb1 F=sr1");
    }
    // The next run: the first drive is plugged in again and comes up as sr1, the second is away,
    // a third one is new. Each known drive gets its own letter back; the new one a free one.
    machine.Unplug(QStringLiteral("sr0"));
    machine.Unplug(QStringLiteral("sr1"));
    machine.CdDrive(QStringLiteral("sr1"), QStringLiteral("usb-TEAC_DV-W28S-V_0123456789-0:0"));
    machine.CdDrive(QStringLiteral("sr2"), QStringLiteral("ata-HL-DT-ST_DVDRAM_GH24NSD1_K1"));
    CVolumes volumes;
    ASSERT_TRUE(volumes.LoadHost(machine.Sources()));
    EXPECT_EQ(TableOf(volumes), "C=taro D=sr1 E=sdb1 G=sr2") << "F: stays free for the drive that is away";
    QFile letters(machine.File(QStringLiteral("drive-letters")));
    ASSERT_TRUE(letters.open(QIODevice::ReadOnly));
    const QByteArray remembered = letters.readAll();
    EXPECT_TRUE(remembered.contains("D id:usb-TEAC_DV-W28S-V_0123456789-0:0\n")) << remembered.toStdString();
    EXPECT_TRUE(remembered.contains("F path:pci-0000:00:14.0-usb-0:2:1.0-scsi-0:0:0:0\n"))
        << remembered.toStdString();
    EXPECT_TRUE(remembered.contains("E uuid:1111-AAAA\n")) << remembered.toStdString();
}

TEST(HostDrives, CdDrivesComeAndGoWhileTheTableFollowsTheMachine) {
    CFakeMachine machine;
    machine.Mounts(Line("/dev/sda1", "/", "ext4"));
    CVolumes volumes;
    ASSERT_TRUE(volumes.LoadHost(machine.Sources()));
    volumes.FollowHost(20);
    const auto waitFor = [&](const std::string& wanted) { return WaitForTable(volumes, wanted); };
    EXPECT_EQ(TableOf(volumes), "C=taro");
    const QString id = QStringLiteral("usb-TEAC_DV-W28S-V_0123456789-0:0");
    machine.CdDrive(QStringLiteral("sr0"), id);
    ASSERT_EQ(waitFor("C=taro D=sr0"), "C=taro D=sr0");

    // What the media engine says of the disc stands through looks that change other drives.
    const QString sr0 = machine.File(QStringLiteral("dev/sr0"));
    ASSERT_TRUE(volumes.SetCdDriveMedium(QLatin1Char('D'), sr0, true, QString(), QStringLiteral("Audio CD")));
    machine.CdDrive(QStringLiteral("sr1"), QStringLiteral("usb-Other_Drive_42-0:0"));
    ASSERT_EQ(waitFor("C=taro D=sr0 E=sr1"), "C=taro D=sr0 E=sr1");
    EXPECT_TRUE(volumes.DriveOf(QLatin1Char('D'))->present);
    EXPECT_EQ(volumes.DriveOf(QLatin1Char('D'))->label, QStringLiteral("Audio CD"));

    // Pulled out: gone from the table, and news of its disc that was on its way changes nothing.
    machine.Unplug(QStringLiteral("sr0"));
    ASSERT_EQ(waitFor("C=taro E=sr1"), "C=taro E=sr1");
    EXPECT_FALSE(volumes.SetCdDriveMedium(QLatin1Char('D'), sr0, true, QString(), QString()));
    EXPECT_EQ(TableOf(volumes), "C=taro E=sr1");

    // Plugged in again into another port, it comes up as sr2: the same drive, the same letter, the
    // disc not known yet.
    machine.CdDrive(QStringLiteral("sr2"), id);
    ASSERT_EQ(waitFor("C=taro D=sr2 E=sr1"), "C=taro D=sr2 E=sr1");
    EXPECT_FALSE(volumes.DriveOf(QLatin1Char('D'))->present);
}

TEST(HostDrives, ACdDriveThatCannotBeOpenedIsListedNotReadyAndToldOnce) {
    CFakeMachine machine;
    machine.Mounts(Line("/dev/sda1", "/", "ext4"));
    // No node to open (as a node the user may not read), and a drive caught half gone: its sysfs
    // folder without its device number.
    machine.CdDrive(QStringLiteral("sr0"), QStringLiteral("usb-TEAC_DV-W28S-V_0123456789-0:0"), false);
    QDir().mkpath(machine.File(QStringLiteral("sys/sr1/device")));
    CWarnings warnings;
    CVolumes volumes;
    ASSERT_TRUE(volumes.LoadHost(machine.Sources()));
    EXPECT_EQ(TableOf(volumes), "C=taro D=sr0");
    EXPECT_FALSE(volumes.DriveOf(QLatin1Char('D'))->present);
    EXPECT_FALSE(volumes.RefreshHost());
    const QStringList told = warnings.Messages().filter(QStringLiteral("sr0"));
    ASSERT_EQ(told.size(), 1) << warnings.Messages().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(told.first().contains(QStringLiteral("not ready"))) << told.first().toStdString();

    // Given a node it can open, the drive is news to the watch.
    const QByteArray before = CHostDrives(machine.Sources()).Fingerprint();
    CTestSandbox::WriteFile(machine.File(QStringLiteral("dev/sr0")), "");
    EXPECT_NE(CHostDrives(machine.Sources()).Fingerprint(), before);
}
