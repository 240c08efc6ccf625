// The machine-wide hive that ships with the program, and where the host looks for both hives.
#include "RegistryTestSupport.h"
#include "platform/registry/HiveFile.h"
#include "platform/registry/Registry.h"
#include "tests/support/EnvironmentScope.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kShippedHive = QStringLiteral(OLLIVANE_SOURCE_DIR "/resources/hive/HKEY_LOCAL_MACHINE.reg");

void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(ShippedHive, HoldsThePlayersInstallationEntryAndTheInstallerDefaultsAndNothingElse) {
    QFile file(kShippedHive);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    int skipped = -1;
    CHiveFile::Parse(file.readAll(), QStringLiteral("HKEY_LOCAL_MACHINE"), kShippedHive, &skipped);
    EXPECT_EQ(skipped, 0) << "every line of the shipped hive must be understood";

    CRegistry registry(QString(), kShippedHive);
    const QString player = QStringLiteral(
        "SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{6BF52A52-394A-11d3-B153-00C04F79FAA6}");
    EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, player, QStringLiteral("IsInstalled")), 1u);
    const auto version = registry.GetString(HKEY_LOCAL_MACHINE, player, QStringLiteral("Version"));
    ASSERT_TRUE(version.has_value());
    EXPECT_GE(version->section(u',', 0, 0).toInt(), 10) << "start-up refuses a player older than 10";
    // The installer key is read as it is spelt in the program; key names compare without case.
    const QString installer = QStringLiteral("Software\\Korvel\\Tessaly\\");
    EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, installer, QStringLiteral("Model")), 0u);
    EXPECT_EQ(registry.GetDword(HKEY_LOCAL_MACHINE, installer, QStringLiteral("AutoSync")), 0u);
    QStringList all;
    regtest::DumpKey(registry, HKEY_LOCAL_MACHINE, QString(), &all);
    EXPECT_EQ(all.filter(QStringLiteral("|")).size(), 4) << all.join(QLatin1Char('\n')).toStdString();
}

TEST(ShippedHive, TheMachineHiveIsFoundInstalledOrInTheBuildTree) {
    const CEnvironmentScope noOverride("OLLIVANE_HKLM_HIVE", QByteArray());
    struct Case {
        const char* name;
        QStringList existing; // hives present below the scratch folder
        QString expected;
    };
    const QString installed = QStringLiteral("prefix/share/ollivane/HKEY_LOCAL_MACHINE.reg");
    const QString buildTree = QStringLiteral("prefix/bin/share/ollivane/HKEY_LOCAL_MACHINE.reg");
    const Case cases[] = {
        {"installed", {installed}, installed},
        {"build tree", {buildTree}, buildTree},
        {"both: the installed one", {installed, buildTree}, installed},
        {"none: the installed place", {}, installed},
    };
    for (const Case& c : cases) {
        CTempDir dir;
        for (const QString& hive : c.existing) {
            Touch(dir.File(hive));
        }
        EXPECT_EQ(CRegistry::DefaultHivePath(HKEY_LOCAL_MACHINE, dir.File(QStringLiteral("prefix/bin"))),
                  dir.File(c.expected))
            << c.name;
    }
    const CEnvironmentScope override("OLLIVANE_HKLM_HIVE", QByteArray("/somewhere/machine.reg"));
    EXPECT_EQ(CRegistry::DefaultHivePath(HKEY_LOCAL_MACHINE, QStringLiteral("/usr/bin")),
              QStringLiteral("/somewhere/machine.reg"));
}

TEST(ShippedHive, TheUserHiveIsCreatedInTheConfigurationFolderAtTheFirstChange) {
    CTempDir dir;
    const CEnvironmentScope noOverride("OLLIVANE_HKCU_HIVE", QByteArray());
    const CEnvironmentScope config("XDG_CONFIG_HOME", dir.File(QStringLiteral("config")).toUtf8());
    const QString hive = CRegistry::DefaultHivePath(HKEY_CURRENT_USER, QStringLiteral("/usr/bin"));
    EXPECT_EQ(hive, dir.File(QStringLiteral("config/ollivane/HKEY_CURRENT_USER.reg")));

    CRegistry registry(hive, kShippedHive);
    EXPECT_FALSE(QFile::exists(hive)) << "reading creates nothing";
    EXPECT_EQ(registry.SetDword(HKEY_CURRENT_USER, QStringLiteral("Software\\Korvel\\Tessaly\\"),
                                QStringLiteral("First"), 0),
              ERROR_SUCCESS);
    CRegistry again(hive, kShippedHive);
    EXPECT_EQ(again.GetDword(HKEY_CURRENT_USER, QStringLiteral("Software\\Korvel\\Tessaly"),
                             QStringLiteral("First")),
              0u);
}

} // namespace
