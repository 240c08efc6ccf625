// The settings store: fresh and cached reads with their type rules, and the first-run defaults.
#include "controller/SettingsStore.h"

#include "platform/Platform.h"
#include "platform/registry/Registry.h"
#include "tests/support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString kKey = QStringLiteral("Software\\Korvel\\Tessaly");

class SettingsStoreTest : public ::testing::Test {
protected:
    SettingsStoreTest() : m_scope(CPlatform{.registry = &m_registry}) {}
    CRegistry m_registry;
    CPlatformScope m_scope;
};

TEST_F(SettingsStoreTest, FreshReadsFollowTheRegistryAndKeepTheCacheWhenItIsGone) {
    CSettingsStore settings;
    EXPECT_EQ(settings.Model(true), 0) << "no key yet";
    m_registry.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("Model"), 2);
    m_registry.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("AutoSync"), 1);
    EXPECT_EQ(settings.Model(false), 0) << "a cached read does not look at the registry";
    EXPECT_EQ(settings.Model(true), 2);
    EXPECT_EQ(settings.AutoSync(true), 1);

    m_registry.DeleteTree(HKEY_CURRENT_USER, QStringLiteral("Software\\Korvel"));
    EXPECT_EQ(settings.Model(true), 2);
    EXPECT_EQ(settings.AutoSync(true), 1);

    // A value of another type: the model reads as 0, the auto-sync switch as on.
    m_registry.SetString(HKEY_CURRENT_USER, kKey, QStringLiteral("Model"), QStringLiteral("2"));
    m_registry.SetString(HKEY_CURRENT_USER, kKey, QStringLiteral("AutoSync"), QStringLiteral("0"));
    EXPECT_EQ(settings.Model(true), 0);
    EXPECT_EQ(settings.AutoSync(true), 1);
    EXPECT_EQ(settings.Model(false), 0);
    EXPECT_EQ(m_registry.OpenHandleCount(), 0);
}

TEST_F(SettingsStoreTest, FirstRunStoresTheInstallerDefaultsOnce) {
    CSettingsStore settings;
    settings.SetDefaults(2, 1);
    EXPECT_EQ(settings.Model(false), 0) << "setting the defaults touches neither cache nor registry";
    EXPECT_FALSE(m_registry.KeyExists(HKEY_CURRENT_USER, kKey));

    EXPECT_TRUE(settings.CheckFirstRun());
    EXPECT_EQ(m_registry.GetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("First")), 0u);
    EXPECT_EQ(m_registry.GetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("Model")), 2u);
    EXPECT_EQ(m_registry.GetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("AutoSync")), 1u);
    EXPECT_EQ(settings.Model(false), 2);
    EXPECT_EQ(settings.AutoSync(false), 1);

    // Later runs leave what the user stored alone.
    m_registry.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("Model"), 0);
    CSettingsStore later;
    later.SetDefaults(2, 1);
    EXPECT_FALSE(later.CheckFirstRun());
    EXPECT_EQ(m_registry.GetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("Model")), 0u);
    EXPECT_EQ(m_registry.OpenHandleCount(), 0);
}

TEST_F(SettingsStoreTest, AnyFirstMarkerButADwordZeroMeansAFirstRun) {
    const struct {
        const char* what;
        std::function<void(CRegistry&)> marker;
    } cases[] = {
        {"no marker", [](CRegistry& r) { r.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("Model"), 1); }},
        {"marker 1", [](CRegistry& r) { r.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("First"), 1); }},
        {"marker of another type",
         [](CRegistry& r) {
             r.SetString(HKEY_CURRENT_USER, kKey, QStringLiteral("First"), QStringLiteral("0"));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_registry.DeleteTree(HKEY_CURRENT_USER, QStringLiteral("Software\\Korvel"));
        m_registry.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("AutoSync"), 1);
        c.marker(m_registry);
        CSettingsStore settings; // no installer defaults: 0 and 0
        EXPECT_TRUE(settings.CheckFirstRun());
        EXPECT_EQ(m_registry.GetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("First")), 0u);
        EXPECT_EQ(m_registry.GetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("Model")), 0u);
        EXPECT_EQ(m_registry.GetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("AutoSync")), 0u);
    }
}

TEST(SettingsStoreUnwritable, AKeyThatCannotBeCreatedIsAFirstRunEveryTime) {
    // The hive's folder is blocked by a file, so no change can be saved.
    CTempDir tmp;
    QFile blocker(tmp.File(QStringLiteral("blocked")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CRegistry registry(tmp.File(QStringLiteral("blocked/HKCU.reg")), QString());
    CPlatformScope scope(CPlatform{.registry = &registry});
    CSettingsStore settings;
    settings.SetDefaults(2, 1);
    EXPECT_TRUE(settings.CheckFirstRun());
    EXPECT_TRUE(settings.CheckFirstRun());
    EXPECT_EQ(settings.Model(false), 0) << "a failed write leaves the cache";
    EXPECT_FALSE(registry.KeyExists(HKEY_CURRENT_USER, kKey));
}

} // namespace
