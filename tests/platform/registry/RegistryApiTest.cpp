// The Win32-style registry calls on an in-memory registry: paths, names, handles, access, sizes and
// the error codes the program's settings and preference code depends on.

#include "platform/Platform.h"
#include "platform/registry/Registry.h"
#include "tests/platform/registry/RegistryTestSupport.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace regtest;

namespace {

const QString kSettings = QStringLiteral("Software\\Korvel\\Tessaly\\");

class RegistryApi : public ::testing::Test {
protected:
    RegistryApi()
        : m_scope([this] {
              CPlatform services;
              services.registry = &registry;
              return services;
          }()) {}

    HKEY Create(HKEY parent, const QString& path, REGSAM sam = KEY_ALL_ACCESS, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyEx(parent, path, 0, QString(), REG_OPTION_NON_VOLATILE, sam,
                                                nullptr, &key, disposition));
        return key;
    }

    CRegistry registry;

private:
    CPlatformScope m_scope;
};

TEST_F(RegistryApi, CreateKeyExBuildsTheWholePathAndOpensItAfterwards) {
    DWORD disposition = 0;
    HKEY key = Create(HKEY_CURRENT_USER, kSettings, KEY_WRITE, &disposition);
    EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
    ASSERT_NE(nullptr, key);
    EXPECT_NE(HKEY_CURRENT_USER, key);
    EXPECT_NE(HKEY_LOCAL_MACHINE, key);
    EXPECT_TRUE(registry.KeyExists(HKEY_CURRENT_USER, QStringLiteral("Software")));
    EXPECT_TRUE(registry.KeyExists(HKEY_CURRENT_USER, QStringLiteral("Software\\Korvel")));
    EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, QStringLiteral("Software")));

    HKEY again = Create(HKEY_CURRENT_USER, kSettings, KEY_WRITE, &disposition);
    EXPECT_EQ(REG_OPENED_EXISTING_KEY, disposition);
    EXPECT_NE(key, again);

    // A handle is a parent for further calls.
    HKEY sub = Create(key, QStringLiteral("Sub\\Deeper"), KEY_WRITE, &disposition);
    EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
    HKEY deeper = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyEx(HKEY_CURRENT_USER, kSettings + QStringLiteral("Sub\\Deeper"), 0,
                                          KEY_READ, &deeper));
    HKEY viaHandle = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyEx(key, QStringLiteral("Sub"), 0, KEY_READ, &viaHandle));

    for (HKEY h : {key, again, sub, deeper, viaHandle}) {
        EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(h));
    }
    EXPECT_EQ(0, registry.OpenHandleCount());
}

TEST_F(RegistryApi, KeysAndValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
    HKEY key = Create(HKEY_CURRENT_USER, kSettings);
    const QByteArray one = Dword(1);
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueEx(key, QStringLiteral("Model"), 0, REG_DWORD, Ptr(one), 4));
    const QByteArray two = Dword(2);
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueEx(key, QStringLiteral("MODEL"), 0, REG_DWORD, Ptr(two), 4));
    RegCloseKey(key);

    HKEY read = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("SOFTWARE\\korvel\\TESSALY"), 0,
                                          KEY_READ, &read));
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueEx(read, QStringLiteral("model"), nullptr, &type,
                                             reinterpret_cast<BYTE*>(&value), &size));
    EXPECT_EQ(2u, value);
    RegCloseKey(read);

    DWORD disposition = 0;
    RegCloseKey(Create(HKEY_CURRENT_USER, QStringLiteral("SOFTWARE\\KORVEL"), KEY_WRITE, &disposition));
    EXPECT_EQ(REG_OPENED_EXISTING_KEY, disposition);
    EXPECT_EQ(QStringList{QStringLiteral("Korvel")},
              registry.SubKeyNames(HKEY_CURRENT_USER, QStringLiteral("software")));
    EXPECT_EQ(QStringList{QStringLiteral("Model")}, registry.ValueNames(HKEY_CURRENT_USER, kSettings));
}

TEST_F(RegistryApi, QueryReportsTypeAndSizeInBytesAndReturnsTheStoredBytes) {
    struct Case {
        const char* label;
        QString name;
        DWORD type;
        QByteArray data;
        DWORD size;
    };
    const Case cases[] = {
        {"dword", QStringLiteral("First"), REG_DWORD, Dword(10), 4},
        {"text counts its NUL", QStringLiteral("Sep"), REG_SZ, Utf16z(QStringLiteral("abc")), 8},
        {"empty text is the NUL alone", QStringLiteral("Empty"), REG_SZ, Utf16z(QString()), 2},
        {"Japanese counts UTF-16 units", QStringLiteral("Folder"), REG_SZ,
         Utf16z(QStringLiteral("音声データ")), 12},
        {"text stored without NUL", QStringLiteral("Raw"), REG_SZ, QByteArray("a\0b", 3), 3},
        {"binary", QStringLiteral("Bin"), REG_BINARY, QByteArray("\x01\x00\xff", 3), 3},
        {"none, empty", QStringLiteral("Nothing"), REG_NONE, QByteArray(), 0},
        {"default value", QString(), REG_SZ, Utf16z(QStringLiteral("既定")), 6},
    };
    HKEY key = Create(HKEY_CURRENT_USER, kSettings);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueEx(key, c.name, 0, c.type, c.data.isEmpty() ? nullptr : Ptr(c.data), c.size));
        DWORD type = 0xDEAD;
        DWORD size = 0;
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueEx(key, c.name, nullptr, &type, nullptr, &size));
        EXPECT_EQ(c.type, type);
        EXPECT_EQ(c.size, size);

        QByteArray buffer(64, '\x55');
        size = static_cast<DWORD>(buffer.size());
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueEx(key, c.name, nullptr, nullptr,
                                                 reinterpret_cast<BYTE*>(buffer.data()), &size));
        EXPECT_EQ(c.size, size);
        EXPECT_EQ(c.data, buffer.left(size));
        EXPECT_EQ(QByteArray(64 - size, '\x55'), buffer.mid(size)) << "bytes after the value were touched";
    }
    RegCloseKey(key);
}

TEST_F(RegistryApi, TooSmallBufferAnswersMoreDataAndReadsNothing) {
    // A version text of 16 characters needs 34 bytes; a 32-byte buffer must not receive any of it.
    const QByteArray version = Utf16z(QStringLiteral("10.0.0.3646 Beta"));
    ASSERT_EQ(34, version.size());
    ASSERT_EQ(ERROR_SUCCESS, registry.SetValue(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Player"),
                                               QStringLiteral("Version"), REG_SZ, version));
    ASSERT_EQ(ERROR_SUCCESS, registry.SetDword(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Player"),
                                               QStringLiteral("IsInstalled"), 1));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyEx(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Player"), 0, KEY_READ, &key));

    QByteArray buffer(32, '\xCC');
    DWORD size = 32;
    DWORD type = 0;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueEx(key, QStringLiteral("Version"), nullptr, &type,
                                               reinterpret_cast<BYTE*>(buffer.data()), &size));
    EXPECT_EQ(34u, size);
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(QByteArray(32, '\xCC'), buffer);

    // One byte short of a dword is also too small.
    BYTE three[3] = {0xCC, 0xCC, 0xCC};
    size = 3;
    EXPECT_EQ(ERROR_MORE_DATA,
              RegQueryValueEx(key, QStringLiteral("IsInstalled"), nullptr, nullptr, three, &size));
    EXPECT_EQ(4u, size);
    EXPECT_EQ(0xCC, three[0]);

    // With room to spare the size comes back as the value's size.
    QByteArray big(40, '\0');
    size = 40;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueEx(key, QStringLiteral("Version"), nullptr, nullptr,
                                             reinterpret_cast<BYTE*>(big.data()), &size));
    EXPECT_EQ(34u, size);
    EXPECT_EQ(version, big.left(34));
    RegCloseKey(key);
}

TEST_F(RegistryApi, MissingKeysAndValuesAreFileNotFound) {
    HKEY key = reinterpret_cast<HKEY>(quintptr{0x1234});
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyEx(HKEY_CURRENT_USER, kSettings, 0, KEY_READ, &key));
    EXPECT_EQ(nullptr, key);

    key = Create(HKEY_CURRENT_USER, kSettings);
    DWORD size = 4;
    DWORD value = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueEx(key, QStringLiteral("First"), nullptr, nullptr,
                                                    reinterpret_cast<BYTE*>(&value), &size));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueEx(key, QString(), nullptr, nullptr, nullptr, &size))
        << "a key has no default value until one is set";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValue(key, QStringLiteral("First")));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKey(key, QStringLiteral("NoSuchKey")));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKey(HKEY_CURRENT_USER, QStringLiteral("NoSuch\\Deeper")));
    RegCloseKey(key);
}

TEST_F(RegistryApi, HandlesCarryTheAccessTheyWereOpenedWith) {
    RegCloseKey(Create(HKEY_CURRENT_USER, kSettings));
    const QByteArray one = Dword(1);
    struct Case {
        const char* label;
        REGSAM sam;
        LONG query;
        LONG set;
    };
    const Case cases[] = {
        {"read", KEY_READ, ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED},
        {"read, 64-bit view flag ignored", KEY_READ | KEY_WOW64_64KEY, ERROR_FILE_NOT_FOUND,
         ERROR_ACCESS_DENIED},
        {"write cannot query", KEY_WRITE, ERROR_ACCESS_DENIED, ERROR_SUCCESS},
        {"write, 32-bit view flag ignored", KEY_WRITE | KEY_WOW64_32KEY, ERROR_ACCESS_DENIED, ERROR_SUCCESS},
        {"all", KEY_ALL_ACCESS, ERROR_FILE_NOT_FOUND, ERROR_SUCCESS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyEx(HKEY_CURRENT_USER, kSettings, 0, c.sam, &key));
        DWORD size = 0;
        EXPECT_EQ(c.query, RegQueryValueEx(key, QStringLiteral("Never"), nullptr, nullptr, nullptr, &size));
        EXPECT_EQ(c.set, RegSetValueEx(key, QStringLiteral("Written"), 0, REG_DWORD, Ptr(one), 4));
        EXPECT_EQ(c.set, RegDeleteValue(key, QStringLiteral("Written")));
        RegCloseKey(key);
    }
    EXPECT_EQ(0, registry.OpenHandleCount());
}

TEST_F(RegistryApi, InvalidHandlesAreRefused) {
    HKEY key = Create(HKEY_CURRENT_USER, kSettings);
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    DWORD size = 0;
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueEx(key, QString(), nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key)) << "closed twice";

    const HKEY classesRoot = reinterpret_cast<HKEY>(quintptr{0x80000000u});
    HKEY out = nullptr;
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyEx(classesRoot, QStringLiteral("Software"), 0, KEY_READ, &out));

    CRegistry other;
    HKEY foreign = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, other.RegCreateKeyEx(HKEY_CURRENT_USER, kSettings, 0, QString(), 0, KEY_READ,
                                                  nullptr, &foreign, nullptr));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueEx(foreign, QString(), nullptr, nullptr, nullptr, &size))
        << "a handle of another registry";
    other.RegCloseKey(foreign);

    CPlatformScope none{CPlatform{}};
    out = reinterpret_cast<HKEY>(quintptr{0x1234});
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyEx(HKEY_CURRENT_USER, kSettings, 0, KEY_READ, &out));
    EXPECT_EQ(nullptr, out);
    const QByteArray one = Dword(1);
    EXPECT_EQ(ERROR_INVALID_HANDLE,
              RegSetValueEx(HKEY_CURRENT_USER, QStringLiteral("X"), 0, REG_DWORD, Ptr(one), 4));
}

TEST_F(RegistryApi, Wow6432NodeIsAnOrdinaryPathWhateverTheViewFlag) {
    ASSERT_EQ(ERROR_SUCCESS,
              registry.SetDword(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Korvel\\Tessaly"),
                                QStringLiteral("Model"), 1));
    ASSERT_EQ(ERROR_SUCCESS, registry.SetDword(HKEY_LOCAL_MACHINE,
                                               QStringLiteral("Software\\Wow6432Node\\Korvel\\Tessaly\\"),
                                               QStringLiteral("Model"), 2));
    struct Case {
        QString path;
        REGSAM view;
        DWORD model;
    };
    const Case cases[] = {
        {QStringLiteral("Software\\Korvel\\Tessaly\\"), KEY_WOW64_64KEY, 1},
        {QStringLiteral("Software\\Korvel\\Tessaly\\"), KEY_WOW64_32KEY, 1},
        {QStringLiteral("Software\\Wow6432Node\\Korvel\\Tessaly\\"), 0, 2},
        {QStringLiteral("Software\\Wow6432Node\\Korvel\\Tessaly\\"), KEY_WOW64_64KEY, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyEx(HKEY_LOCAL_MACHINE, c.path, 0, KEY_READ | c.view, &key));
        DWORD value = 0;
        DWORD size = 4;
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueEx(key, QStringLiteral("Model"), nullptr, nullptr,
                                                 reinterpret_cast<BYTE*>(&value), &size));
        EXPECT_EQ(c.model, value);
        RegCloseKey(key);
    }
}

TEST_F(RegistryApi, DeleteKeyTakesOnlyLeavesAndStalesHandlesToTheDeletedKey) {
    HKEY leaf = Create(HKEY_CURRENT_USER, QStringLiteral("Software\\Korvel\\Tessaly"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Korvel")));
    EXPECT_TRUE(registry.KeyExists(HKEY_CURRENT_USER, QStringLiteral("Software\\Korvel\\Tessaly")));

    ASSERT_EQ(ERROR_SUCCESS, RegDeleteKey(HKEY_CURRENT_USER, QStringLiteral("software\\korvel\\tessaly\\")));
    DWORD size = 0;
    const QByteArray one = Dword(1);
    HKEY child = nullptr;
    EXPECT_EQ(ERROR_KEY_DELETED,
              RegQueryValueEx(leaf, QStringLiteral("First"), nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_KEY_DELETED, RegSetValueEx(leaf, QStringLiteral("First"), 0, REG_DWORD, Ptr(one), 4));
    EXPECT_EQ(ERROR_KEY_DELETED, RegCreateKeyEx(leaf, QStringLiteral("Child"), 0, QString(), 0, KEY_WRITE,
                                                nullptr, &child, nullptr));
    EXPECT_FALSE(registry.KeyExists(HKEY_CURRENT_USER, QStringLiteral("Software\\Korvel\\Tessaly")));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(leaf));

    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKey(HKEY_CURRENT_USER, QStringLiteral("Software\\Korvel")));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKey(HKEY_CURRENT_USER, QString())) << "a root stays";
}

TEST_F(RegistryApi, MalformedPathsNamesAndArgumentsChangeNothing) {
    const QStringList badPaths = {QStringLiteral("\\Software"), QStringLiteral("Software\\\\Korvel"),
                                  QStringLiteral("Soft\nware"), QStringLiteral("\\"), QString(256, u'k')};
    for (const QString& path : badPaths) {
        SCOPED_TRACE(path.toStdString());
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_BAD_PATHNAME, RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, QString(), 0, KEY_WRITE,
                                                     nullptr, &key, nullptr));
        EXPECT_EQ(ERROR_BAD_PATHNAME, RegOpenKeyEx(HKEY_CURRENT_USER, path, 0, KEY_READ, &key));
    }
    EXPECT_TRUE(registry.SubKeyNames(HKEY_CURRENT_USER, QString()).isEmpty());

    HKEY key = Create(HKEY_CURRENT_USER, kSettings);
    const QByteArray one = Dword(1);
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegSetValueEx(key, QStringLiteral("Two\nLines"), 0, REG_DWORD, Ptr(one), 4));
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegSetValueEx(key, QStringLiteral("Model"), 1, REG_DWORD, Ptr(one), 4));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegSetValueEx(key, QStringLiteral("Model"), 0, REG_DWORD, nullptr, 4));
    DWORD reserved = 0;
    DWORD value = 0;
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegQueryValueEx(key, QStringLiteral("Model"), &reserved, nullptr, nullptr, nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryValueEx(key, QStringLiteral("Model"), nullptr, nullptr,
                                                       reinterpret_cast<BYTE*>(&value), nullptr));
    EXPECT_TRUE(registry.ValueNames(HKEY_CURRENT_USER, kSettings).isEmpty());
    RegCloseKey(key);
}

TEST_F(RegistryApi, ConcurrentCallersKeepTheTreeConsistent) {
    constexpr int kRounds = 300;
    auto worker = [](int id) {
        const QString path = QStringLiteral("Software\\Worker%1").arg(id);
        for (int i = 0; i < kRounds; ++i) {
            HKEY key = nullptr;
            if (RegCreateKeyEx(HKEY_CURRENT_USER, path, 0, QString(), 0, KEY_ALL_ACCESS, nullptr, &key,
                               nullptr)) {
                ADD_FAILURE() << "create failed";
                return;
            }
            const DWORD value = static_cast<DWORD>(i);
            RegSetValueEx(key, QStringLiteral("V%1").arg(i), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&value), 4);
            RegSetValueEx(key, QStringLiteral("Last"), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          4);
            DWORD back = 0;
            DWORD size = 4;
            EXPECT_EQ(ERROR_SUCCESS, RegQueryValueEx(key, QStringLiteral("Last"), nullptr, nullptr,
                                                     reinterpret_cast<BYTE*>(&back), &size));
            EXPECT_EQ(value, back);
            RegCloseKey(key);
        }
    };
    std::vector<std::thread> threads;
    for (int id = 0; id < 2; ++id) {
        threads.emplace_back(worker, id);
    }
    for (std::thread& t : threads) {
        t.join();
    }
    for (int id = 0; id < 2; ++id) {
        EXPECT_EQ(
            kRounds + 1,
            registry.ValueNames(HKEY_CURRENT_USER, QStringLiteral("Software\\Worker%1").arg(id)).size());
    }
    EXPECT_EQ(0, registry.OpenHandleCount());
}

} // namespace
