// The program on this machine (host mode) with a drive configuration file: a size-limited real
// file system (a tmpfs) as the card and a generated disc image as the CD drive. The whole job runs
// by auto-sync; the card holds whole files and its free space is counted as a sandbox quota is.

#include "platform/Platform.h"
#include "platform/files/Volumes.h"
#include "platform/registry/Registry.h"
#include "tests/program/FreshUser.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/TestDiscImage.h"
#include "tests/support/engine/TestMp3.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <gtest/gtest.h>

namespace {

constexpr quint64 kCardBytes = 8u << 20;

QString ProgramPath() {
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../ollivane"));
}

QStringList FilesBelow(const QString& dir) {
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    return files;
}

class HostDrivesProcess : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo(ProgramPath()).isExecutable()) << "build the ollivane target first";
        m_card = m_work.File(QStringLiteral("card"));
        QDir().mkpath(m_card);
        // A real file system of the card's size; only where this machine lets the test mount one.
        m_mounted = QProcess::execute(QStringLiteral("mount"),
                                      {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                       QStringLiteral("size=%1").arg(kCardBytes), QStringLiteral("tmpfs"),
                                       m_card}) == 0;
    }
    void TearDown() override {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished(10000);
        }
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_card});
    }

    QString User() const { return m_work.File(QStringLiteral("user")); }
    QString Home() const { return User() + QStringLiteral("/home"); }

    CTempDir m_work;
    QString m_card;
    bool m_mounted = false;
    QProcess m_program;
};

TEST_F(HostDrivesProcess, AutoSyncFillsACardOfTheConfigurationFile) {
    if (!m_mounted)
        GTEST_SKIP() << "mounting a tmpfs is not permitted on this machine; the host-mode job on a "
                        "size-limited file system was not run";
    TestDisc disc;
    disc.album = QStringLiteral("夏の記憶");
    disc.artist = QStringLiteral("山田花子");
    for (int i = 0; i < 3; ++i)
        disc.tracks.append({.seconds = 2, .title = QStringLiteral("曲その%1").arg(i + 1)});
    QString error;
    const QString image = CTestDiscImage::Make(m_work.File(QStringLiteral("discs")), disc, &error);
    ASSERT_FALSE(image.isEmpty()) << error.toStdString();

    const QProcessEnvironment env = FreshUserEnvironment(User());
    QDir().mkpath(Home() + QStringLiteral("/.config/ollivane"));
    QFile config(Home() + QStringLiteral("/.config/ollivane/drives.conf"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("card \"%1\" label=SDCARD size=%2\ncd \"%3\"\n")
                     .arg(m_card)
                     .arg(kCardBytes)
                     .arg(image)
                     .toUtf8());
    config.close();

    // A first start makes the user's hive; then auto-sync is switched on as the user would.
    m_program.setProcessEnvironment(env);
    m_program.setProcessChannelMode(QProcess::MergedChannels);
    m_program.start(ProgramPath(), {QStringLiteral("--exit")});
    ASSERT_TRUE(m_program.waitForFinished(60000));
    ASSERT_EQ(m_program.exitCode(), 0) << m_program.readAll().toStdString();
    {
        CRegistry registry(FreshUserHive(User()), QString());
        const QString settings = QStringLiteral("Software\\Korvel\\Tessaly");
        ASSERT_EQ(registry.SetDword(HKEY_CURRENT_USER, settings, QStringLiteral("AutoSync"), 1),
                  ERROR_SUCCESS);
    }

    m_program.start(ProgramPath(), {});
    ASSERT_TRUE(m_program.waitForStarted());
    const QString album = m_card + QString::fromUtf8("/音声データ/夏の記憶");
    QDeadlineTimer deadline(120000);
    while (!deadline.hasExpired() && FilesBelow(album).size() < 3)
        QThread::msleep(100);
    // The job ends with the clean-up: the rips leave the music folder.
    while (!deadline.hasExpired() && !FilesBelow(Home() + QStringLiteral("/Music")).isEmpty())
        QThread::msleep(100);
    QThread::msleep(500);
    ASSERT_EQ(m_program.state(), QProcess::Running) << m_program.readAll().toStdString();
    ::kill(static_cast<pid_t>(m_program.processId()), SIGTERM);
    ASSERT_TRUE(m_program.waitForFinished(30000));
    const std::string output = m_program.readAll().toStdString();
    EXPECT_EQ(m_program.exitCode(), 128 + SIGTERM) << output;

    const QStringList files = FilesBelow(album);
    ASSERT_EQ(files.size(), 3) << output;
    quint64 used = 2 * CVolumes::kClusterBytes; // the two folders
    for (const QString& file : files) {
        const Mp3Facts facts = CTestMp3::Read(file);
        EXPECT_EQ(facts.bitrateKbps, 128) << file.toStdString();
        EXPECT_GE(facts.lengthMs, 2000) << file.toStdString();
        EXPECT_EQ(facts.album, disc.album);
        used += CVolumes::ClusterRounded(quint64(QFileInfo(file).size()));
    }
    EXPECT_TRUE(FilesBelow(Home() + QStringLiteral("/Music")).isEmpty()) << output;

    // The same configuration read again: the card's free space is its size less whole clusters.
    CVolumes volumes;
    CVolumes::HostSources sources;
    sources.home = Home();
    sources.config = Home() + QStringLiteral("/.config/ollivane/drives.conf");
    ASSERT_TRUE(volumes.LoadHost(sources));
    CPlatform services = CPlatform::Current();
    services.volumes = &volumes;
    CPlatformScope scope(services);
    ULONGLONG freeBytes = 0;
    ULONGLONG total = 0;
    ASSERT_TRUE(GetDiskFreeSpaceEx(QStringLiteral("E:\\"), &freeBytes, &total, nullptr));
    EXPECT_EQ(total, kCardBytes);
    EXPECT_EQ(freeBytes, kCardBytes - used);
}

} // namespace
