// The demo machine: what a fresh sandbox holds, and that laying it out again keeps a user's changes.
#include "platform/sandbox/Sandbox.h"
#include "platform/Platform.h"
#include "platform/files/FileOps.h"
#include "platform/files/KnownFolders.h"
#include "platform/files/Volumes.h"
#include "platform/registry/Registry.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

TEST(Sandbox, DefaultLayoutIsAMachineWithACdDriveAnEmptyCardAndAPlayer) {
    CTempDir tmp;
    const QString dir = tmp.File(QStringLiteral("box"));
    QString error;
    ASSERT_TRUE(CSandbox::CreateDefault(dir, &error)) << error.toStdString();
    CSandbox sandbox(dir);
    ASSERT_TRUE(sandbox.Open(&error)) << error.toStdString();
    CPlatform services{.registry = &sandbox.Registry(), .volumes = &sandbox.Volumes()};
    CPlatformScope scope(services);

    EXPECT_EQ(GetDriveType(QStringLiteral("C:\\")), DRIVE_FIXED);
    EXPECT_EQ(GetDriveType(QStringLiteral("D:\\")), DRIVE_CDROM);
    EXPECT_EQ(GetDriveType(QStringLiteral("E:\\")), DRIVE_REMOVABLE);
    EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 3) | (1u << 4));

    QString label;
    ASSERT_TRUE(GetVolumeInformation(QStringLiteral("E:\\"), &label, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(label, QStringLiteral("SDCARD"));
    DWORD spc = 0, bps = 0, freeClusters = 0, total = 0;
    ASSERT_TRUE(GetDiskFreeSpace(QStringLiteral("E:\\"), &spc, &bps, &freeClusters, &total));
    EXPECT_EQ(quint64(total) * spc * bps, 256ull * 1024 * 1024);
    EXPECT_GT(freeClusters, total - 4) << "the card starts (nearly) empty";

    QString documents;
    ASSERT_EQ(SHGetFolderPath(nullptr, CSIDL_PERSONAL, nullptr, 0, &documents), S_OK);
    EXPECT_EQ(documents, QStringLiteral("C:\\Users\\user\\Documents"));
    EXPECT_TRUE(PathFileExists(documents));

    const QString player = QStringLiteral(
        "SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{6BF52A52-394A-11d3-B153-00C04F79FAA6}");
    EXPECT_EQ(sandbox.Registry().GetDword(HKEY_LOCAL_MACHINE, player, QStringLiteral("IsInstalled")), 1u);
    EXPECT_TRUE(sandbox.Registry()
                    .GetString(HKEY_LOCAL_MACHINE, player, QStringLiteral("Version"))
                    .value_or(QString())
                    .startsWith(QStringLiteral("11,")));
    EXPECT_TRUE(sandbox.Registry().GetDword(HKEY_CURRENT_USER,
                                            QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences"),
                                            QStringLiteral("MP3RecordRate")));
}

TEST(Sandbox, LayingOutAgainKeepsWhatTheUserChanged) {
    CTempDir tmp;
    const QString dir = tmp.File(QStringLiteral("box"));
    ASSERT_TRUE(CSandbox::CreateDefault(dir, nullptr));
    {
        QSettings ini(dir + QStringLiteral("/sandbox.ini"), QSettings::IniFormat);
        ini.setValue(QStringLiteral("drive_E/present"), false);
        ini.setValue(QStringLiteral("drive_E/label"), QStringLiteral("辞書カード"));
    }
    {
        CSandbox sandbox(dir);
        ASSERT_TRUE(sandbox.Open(nullptr));
        sandbox.Registry().SetDword(HKEY_CURRENT_USER, QStringLiteral("Software\\Korvel\\Tessaly"),
                                    QStringLiteral("Model"), 2);
    }
    ASSERT_TRUE(CSandbox::CreateDefault(dir, nullptr));
    CSandbox sandbox(dir);
    ASSERT_TRUE(sandbox.Open(nullptr));
    const auto card = sandbox.Volumes().DriveOf(QLatin1Char('E'));
    ASSERT_TRUE(card);
    EXPECT_FALSE(card->present);
    EXPECT_EQ(card->label, QStringLiteral("辞書カード"));
    EXPECT_EQ(sandbox.Registry().GetDword(HKEY_CURRENT_USER, QStringLiteral("Software\\Korvel\\Tessaly"),
                                          QStringLiteral("Model")),
              2u);
}

// A sandbox laid out before its demo disc existed (the program started before scripts/demo made
// the disc) gets the disc in D: once it is there; a D: the user emptied by hand stays empty.
TEST(Sandbox, TheDemoDiscMadeLaterGoesIntoAnEmptyDriveOnly) {
    CTempDir tmp;
    const QString dir = tmp.File(QStringLiteral("box"));
    ASSERT_TRUE(CSandbox::CreateDefault(dir, nullptr));
    {
        QSettings ini(dir + QStringLiteral("/sandbox.ini"), QSettings::IniFormat);
        EXPECT_EQ(ini.value(QStringLiteral("drive_D/disc")).toString(), QString());
        EXPECT_FALSE(ini.value(QStringLiteral("drive_D/present")).toBool());
    }
    QFile cue(dir + QStringLiteral("/discs/demo.cue"));
    ASSERT_TRUE(cue.open(QIODevice::WriteOnly));
    cue.close();
    ASSERT_TRUE(CSandbox::CreateDefault(dir, nullptr));
    {
        QSettings ini(dir + QStringLiteral("/sandbox.ini"), QSettings::IniFormat);
        EXPECT_EQ(ini.value(QStringLiteral("drive_D/disc")).toString(), QStringLiteral("discs/demo.cue"));
        EXPECT_TRUE(ini.value(QStringLiteral("drive_D/present")).toBool());
        ini.setValue(QStringLiteral("drive_D/present"), false); // taken out by the user
    }
    ASSERT_TRUE(CSandbox::CreateDefault(dir, nullptr));
    QSettings ini(dir + QStringLiteral("/sandbox.ini"), QSettings::IniFormat);
    EXPECT_FALSE(ini.value(QStringLiteral("drive_D/present")).toBool());
}

TEST(Sandbox, AnUnusableFolderIsReportedNotCrashedOn) {
    CTempDir tmp;
    QString error;
    CSandbox missing(tmp.File(QStringLiteral("nothing-here")));
    EXPECT_FALSE(missing.Open(&error));
    EXPECT_FALSE(error.isEmpty());
    // A plain file where the sandbox folder should be.
    QFile file(tmp.File(QStringLiteral("afile")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(CSandbox::CreateDefault(tmp.File(QStringLiteral("afile")), &error));
}

} // namespace
