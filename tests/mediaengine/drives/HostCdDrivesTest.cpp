// The machine's CD drives put into the volume table at start-up, from a device list and a mount
// table that the test makes up.
#include "mediaengine/drives/HostCdDrives.h"
#include "platform/Platform.h"
#include "platform/files/Volumes.h"
#include "tests/mediaengine/drives/RootSearch.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

class HostCdDrives : public ::testing::Test {
protected:
    void SetUp() override {
        CVolumes::Drive home;
        home.letter = QLatin1Char('C');
        home.root = m_tmp.File(QStringLiteral("home"));
        QDir().mkpath(home.root);
        m_volumes.SetDrive(home);
        CVolumes::Drive card;
        card.letter = QLatin1Char('E');
        card.type = DRIVE_REMOVABLE;
        card.root = m_tmp.File(QStringLiteral("card"));
        QDir().mkpath(card.root);
        m_volumes.SetDrive(card);
        CPlatform services;
        services.volumes = &m_volumes;
        m_scope = std::make_unique<CPlatformScope>(services);

        // Device nodes are plain files here; "cdrom" is udev's link to the first drive.
        m_sr0 = Touch(QStringLiteral("dev/sr0"));
        m_sr1 = Touch(QStringLiteral("dev/sr1"));
        ASSERT_TRUE(QFile::link(m_sr0, m_tmp.File(QStringLiteral("dev/cdrom"))));
        m_sources.byLabel = m_tmp.File(QStringLiteral("by-label"));
        QDir().mkpath(m_sources.byLabel);
        m_sources.mounts = m_tmp.File(QStringLiteral("mounts"));
    }

    QString Touch(const QString& relative) {
        const QString path = m_tmp.File(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return path;
    }
    void WriteMounts(const QByteArray& text) {
        QFile file(m_sources.mounts);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    void Devices(const QStringList& devices) {
        m_sources.devices = [devices] { return devices; };
    }

    CTempDir m_tmp;
    CVolumes m_volumes;
    std::unique_ptr<CPlatformScope> m_scope;
    QString m_sr0;
    QString m_sr1;
    CHostCdDrives::Sources m_sources;
};

TEST_F(HostCdDrives, EachDriveOnceAtTheFreeLettersAMountedDataDiscWithItsFiles) {
    const QString point = m_tmp.File(QStringLiteral("media/user/PHOTOS 2009"));
    QDir().mkpath(point);
    Touch(QStringLiteral("media/user/PHOTOS 2009/IMG_0001.JPG"));
    ASSERT_TRUE(QFile::link(m_sr1, m_sources.byLabel + QStringLiteral("/PHOTOS\\x202009")));
    WriteMounts("/dev/sda2 / ext4 rw 0 0\n" + QFile::encodeName(m_sr1) + " " +
                QFile::encodeName(point).replace(" ", "\\040") + " iso9660 ro,nosuid,nodev 0 0\n");
    Devices({m_tmp.File(QStringLiteral("dev/cdrom")), m_sr0, m_sr1});

    const QList<QChar> letters = CHostCdDrives::AddTo(m_volumes, m_sources);
    ASSERT_EQ(letters, (QList<QChar>{QLatin1Char('D'), QLatin1Char('F')})) << "E: is the card's";

    const CVolumes::Drive d = *m_volumes.DriveOf(QLatin1Char('D'));
    EXPECT_EQ(d.type, UINT(DRIVE_CDROM));
    EXPECT_EQ(d.device, QFileInfo(m_sr0).canonicalFilePath()) << "the link and its drive are one drive";
    EXPECT_EQ(d.disc, QString());
    EXPECT_FALSE(d.present) << "the drive monitor looks for a disc";
    EXPECT_EQ(d.root, QString());
    EXPECT_EQ(GetDriveType(QStringLiteral("D:\\")), UINT(DRIVE_CDROM));
    EXPECT_EQ(SearchRoot(QLatin1Char('D')).error, DWORD(ERROR_NOT_READY));

    const CVolumes::Drive f = *m_volumes.DriveOf(QLatin1Char('F'));
    EXPECT_EQ(f.device, QFileInfo(m_sr1).canonicalFilePath());
    EXPECT_TRUE(f.present);
    EXPECT_EQ(f.root, point);
    EXPECT_EQ(f.label, QStringLiteral("PHOTOS 2009"));
    QString label;
    ASSERT_TRUE(GetVolumeInformation(QStringLiteral("F:\\"), &label, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(label, QStringLiteral("PHOTOS 2009"));
    EXPECT_EQ(SearchRoot(QLatin1Char('F')).names, QStringList{QStringLiteral("IMG_0001.JPG")});

    // Asked again (the table reloaded), nothing is listed twice.
    EXPECT_TRUE(CHostCdDrives::AddTo(m_volumes, m_sources).isEmpty());
    EXPECT_EQ(GetLogicalDrives(), DWORD((1u << 2) | (1u << 3) | (1u << 4) | (1u << 5)));
}

TEST_F(HostCdDrives, LabelFallsBackToTheMountFolderAndOnlyOpticalMountsCount) {
    const QString point = m_tmp.File(QStringLiteral("media/user/BACKUP"));
    QDir().mkpath(point);
    // sr0 mounted as something else is no data disc; sr1 has no udev label link.
    WriteMounts(QFile::encodeName(m_sr0) + " /mnt/odd ext4 rw 0 0\n" + QFile::encodeName(m_sr1) + " " +
                QFile::encodeName(point) + " udf ro 0 0\n");
    Devices({m_sr0, m_sr1});
    ASSERT_EQ(CHostCdDrives::AddTo(m_volumes, m_sources).size(), 2);
    EXPECT_EQ(m_volumes.DriveOf(QLatin1Char('D'))->root, QString());
    EXPECT_EQ(m_volumes.DriveOf(QLatin1Char('F'))->root, point);
    EXPECT_EQ(m_volumes.DriveOf(QLatin1Char('F'))->label, QStringLiteral("BACKUP"));
}

TEST_F(HostCdDrives, NoDrivesChangeNothing) {
    Devices({});
    EXPECT_TRUE(CHostCdDrives::AddTo(m_volumes, m_sources).isEmpty());
    EXPECT_EQ(GetLogicalDrives(), DWORD((1u << 2) | (1u << 4)));
}

} // namespace
