// The program as a user installs it: `cmake --install` into a scratch prefix puts the programs, the
// desktop entry, the icons and the machine-wide hive in their XDG places, and the installed program
// then starts on this machine (host mode) for a user who never ran it, shows its main window and
// ends by itself. Every file the program writes lands in the scratch folder; the picture of the
// window goes into the build tree.
#include "FreshUser.h"
#include "platform/registry/Registry.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TempDir.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

QByteArray Digest(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1)
                                          : QByteArray();
}

class Installed : public ::testing::Test {
protected:
    void SetUp() override {
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(OLLIVANE_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(OLLIVANE_BUILD_DIR),
                       QStringLiteral("--prefix"), Prefix()});
        ASSERT_TRUE(install.waitForFinished(120000));
        ASSERT_EQ(install.exitCode(), 0) << install.readAll().constData();
    }

    QString Prefix() const { return m_work.File(QStringLiteral("prefix")); }

    CTempDir m_work;
};

TEST_F(Installed, EverythingLandsInItsXdgPlace) {
    for (const char* file : {"bin/ollivane", "bin/ollivane-rip"}) {
        EXPECT_TRUE(QFileInfo(Prefix() + QLatin1Char('/') + QLatin1String(file)).isExecutable()) << file;
    }
    EXPECT_EQ(Digest(Prefix() + QStringLiteral("/share/ollivane/HKEY_LOCAL_MACHINE.reg")),
              Digest(QStringLiteral(OLLIVANE_SOURCE_DIR "/resources/hive/HKEY_LOCAL_MACHINE.reg")));
    for (const int size : {16, 32, 64}) {
        const QImage icon(Prefix() +
                          QStringLiteral("/share/icons/hicolor/%1x%1/apps/ollivane.png").arg(size));
        EXPECT_EQ(icon.size(), QSize(size, size));
        EXPECT_TRUE(icon.hasAlphaChannel()) << "the icon's corners are transparent";
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
        EXPECT_GT(ColourCount(icon), 8);
    }

    const QString desktopFile = Prefix() + QStringLiteral("/share/applications/ollivane.desktop");
    QSettings entry(desktopFile, QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    EXPECT_EQ(entry.value(QStringLiteral("Type")).toString(), QStringLiteral("Application"));
    EXPECT_EQ(entry.value(QStringLiteral("Exec")).toString(), QStringLiteral("ollivane"));
    EXPECT_EQ(entry.value(QStringLiteral("Icon")).toString(), QStringLiteral("ollivane"));
    for (const char* key : {"Name", "Name[ja]", "Comment", "Comment[ja]"}) {
        EXPECT_FALSE(entry.value(QLatin1String(key)).toString().isEmpty()) << key;
    }
    EXPECT_TRUE(entry.value(QStringLiteral("Comment[ja]")).toString().contains(QStringLiteral("SD カード")));
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (!validator.isEmpty()) {
        QProcess validate;
        validate.setProcessChannelMode(QProcess::MergedChannels);
        validate.start(validator, {desktopFile});
        ASSERT_TRUE(validate.waitForFinished(30000));
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().constData();
    }
}

TEST_F(Installed, TheProgramStartsOnThisMachineForANewUserAndShowsItsWindow) {
    const QString machineHive = Prefix() + QStringLiteral("/share/ollivane/HKEY_LOCAL_MACHINE.reg");
    const QByteArray machineHiveBefore = Digest(machineHive);
    const QString picture = ScreenshotDir() + QStringLiteral("/installed-host-mode.png");
    QFile::remove(picture);

    QProcess program;
    program.setProcessEnvironment(FreshUserEnvironment(m_work.File(QStringLiteral("user"))));
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(Prefix() + QStringLiteral("/bin/ollivane"),
                  {QStringLiteral("--screenshot"), picture, QStringLiteral("--exit")});
    ASSERT_TRUE(program.waitForFinished(60000)) << "a start-up message waits for an answer";
    const QString output = QString::fromUtf8(program.readAll());
    ASSERT_EQ(program.exitStatus(), QProcess::NormalExit) << output.toStdString();
    ASSERT_EQ(program.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("main window: Ollivane"))) << output.toStdString();

    const QImage shot(picture);
    ASSERT_FALSE(shot.isNull()) << "no picture at " << picture.toStdString();
    EXPECT_GE(shot.width(), 400);
    EXPECT_GE(shot.height(), 300);
    EXPECT_GT(ColourCount(shot), 64) << "a drawn window, not an empty frame";

    // The first start made the user's hive from nothing, with the installer defaults; the machine's
    // hive was only read.
    const QString userHive = FreshUserHive(m_work.File(QStringLiteral("user")));
    ASSERT_TRUE(QFile::exists(userHive));
    CRegistry registry(userHive, QString());
    const QString settings = QStringLiteral("Software\\Korvel\\Tessaly");
    EXPECT_EQ(registry.GetDword(HKEY_CURRENT_USER, settings, QStringLiteral("First")), 0u);
    EXPECT_EQ(registry.GetDword(HKEY_CURRENT_USER, settings, QStringLiteral("Model")), 0u);
    EXPECT_EQ(registry.GetDword(HKEY_CURRENT_USER, settings, QStringLiteral("AutoSync")), 0u);
    EXPECT_EQ(Digest(machineHive), machineHiveBefore);
    EXPECT_FALSE(QFile::exists(machineHive + QStringLiteral(".lock")));
}

} // namespace
