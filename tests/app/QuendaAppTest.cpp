// The application start: single instance, system and player checks, installer defaults, and the
// main window's run with the player's preferences taken over and given back.
#include "app/QuendaApp.h"

#include "controller/PreferenceSteps.h"
#include "controller/QuendaDlg.h"
#include "controller/SettingsStore.h"
#include "mediaengine/MediaEngine.h"
#include "platform/Platform.h"
#include "platform/container/ControlFactoryRegistration.h"
#include "platform/files/Volumes.h"
#include "platform/messages/QtMessageLoop.h"
#include "platform/messages/ScriptedModalService.h"
#include "platform/registry/Registry.h"
#include "platform/sandbox/Sandbox.h"
#include "platform/system/SimSystemServices.h"
#include "platform/win/LastError.h"
#include "platform/windows/WindowTable.h"
#include "player/WmpRegAcc.h"
#include "resources/StringTable.h"
#include "tests/support/TempDir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kPrefs = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences");
const QString kSettings = QStringLiteral("Software\\Korvel\\Tessaly");

// A mutex that cannot be made for a reason other than another user's copy.
class CNoMutexSystem : public CSimSystemServices {
public:
    HANDLE CreateMutex(const QString&) override {
        SetLastError(ERROR_INVALID_FUNCTION);
        return nullptr;
    }
};

// A demo machine with a player of version 11 and the user's own rip preferences.
class QuendaAppTest : public ::testing::Test {
protected:
    void SetUp() override { Build(std::make_unique<CSimSystemServices>()); }

    void Build(std::unique_ptr<CSimSystemServices> system) {
        m_engine.reset();
        m_scope.reset();
        m_system = std::move(system);
        m_box = m_tmp.File(QStringLiteral("box"));
        ASSERT_TRUE(CSandbox::CreateDefault(m_box, nullptr));
        ASSERT_TRUE(m_volumes.LoadSandbox(m_box));
        SetPlayer(1, QStringLiteral("11,0,5721,5145"));
        m_registry.SetDword(HKEY_CURRENT_USER, kPrefs, QStringLiteral("ForceOnline"), 0);
        m_registry.SetDword(HKEY_CURRENT_USER, kPrefs, QStringLiteral("MP3RecordRate"), 192000);
        m_registry.SetDword(HKEY_CURRENT_USER, kPrefs, QStringLiteral("AutoCopyCD"), 1);
        m_registry.SetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordFileDetail"),
                             QStringLiteral("*Album;*SongTitle"));
        m_services = CPlatform{.registry = &m_registry,
                               .volumes = &m_volumes,
                               .loop = &m_loop,
                               .windows = &m_windows,
                               .system = m_system.get(),
                               .modal = &m_modal};
        m_scope = std::make_unique<CPlatformScope>(m_services);
        // The player the main window hosts: the real engine, its library beside the sandbox.
        MediaEngineConfig engine;
        engine.engineDir = m_box + QStringLiteral("/engine");
        engine.backends = DefaultMediaEngineBackends();
        m_engine = std::make_unique<CControlFactoryRegistration>(QString::fromUtf16(kWmpPlayerClsidText),
                                                                 MediaEngineFactory(engine));
    }

    void SetPlayer(std::optional<DWORD> installed, std::optional<QString> version) {
        m_registry.DeleteTree(HKEY_LOCAL_MACHINE, CWmpRegAcc::PlayerSetupKey());
        if (installed) {
            m_registry.SetDword(HKEY_LOCAL_MACHINE, CWmpRegAcc::PlayerSetupKey(),
                                QStringLiteral("IsInstalled"), *installed);
        }
        if (version) {
            m_registry.SetString(HKEY_LOCAL_MACHINE, CWmpRegAcc::PlayerSetupKey(), QStringLiteral("Version"),
                                 *version);
        }
    }
    void SetOs(DWORD platform, DWORD major, DWORD minor) {
        m_system->version.dwPlatformId = platform;
        m_system->version.dwMajorVersion = major;
        m_system->version.dwMinorVersion = minor;
    }
    // The message boxes shown, as "text id/caption id/type" of the string table.
    std::vector<std::string> Boxes() const {
        std::vector<std::string> out;
        for (const auto& shown : m_modal.History()) {
            if (shown.name != QStringLiteral("MessageBox")) {
                continue;
            }
            UINT text = 0, caption = 0;
            for (UINT id : {500u, 501u, 700u, 701u, 702u, 1102u}) {
                text = LoadString(id) == shown.text ? id : text;
                caption = LoadString(id) == shown.caption ? id : caption;
            }
            out.push_back(std::to_string(text) + "/" + std::to_string(caption) + "/" +
                          std::to_string(shown.type));
        }
        return out;
    }
    bool MainWindowRan() const {
        for (const auto& shown : m_modal.History()) {
            if (shown.name == QStringLiteral("CQuendaDlg")) {
                return true;
            }
        }
        return false;
    }
    QString WriteLeftover(const QByteArray& content) {
        const QString file = m_box + QStringLiteral("/drives/C/Users/user/Documents/WmpBackup00.reg");
        QFile out(file);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly) && out.write(content) == content.size());
        return file;
    }
    void RunMainWindowClosingAtOnce() {
        m_modal.Answer(0); // really run the main window
        CQuendaApp app;
        app.SetMainWindowHook([](CQuendaDlg& dialog) {
            QTimer::singleShot(0, &dialog,
                               [&dialog] { ::SendMessage(dialog.Handle(), WM_COMMAND, IDC_CLOSE, 0); });
        });
        app.InitInstance();
        EXPECT_TRUE(MainWindowRan());
    }
    std::optional<DWORD> Pref(const char* name) {
        return m_registry.GetDword(HKEY_CURRENT_USER, kPrefs, QLatin1String(name));
    }

    CTempDir m_tmp;
    QString m_box;
    CRegistry m_registry;
    CVolumes m_volumes;
    CWindowTable m_windows;
    CQtMessageLoop m_loop;
    CScriptedModalService m_modal;
    std::unique_ptr<CSimSystemServices> m_system;
    std::unique_ptr<CControlFactoryRegistration> m_engine;
    CPlatform m_services;
    std::unique_ptr<CPlatformScope> m_scope;
};

TEST(QuendaAppOsClass, VersionRecordsMapToTheirClass) {
    struct Case {
        DWORD platform, major, minor, build;
        const char* servicePack;
        int32_t osClass;
    };
    const Case cases[] = {
        {1, 4, 10, 0x040A0000 | 1998, "", 6},
        {1, 4, 10, 0x040A0000 | 2222, " A ", 7},
        {1, 4, 90, 0x045A0000 | 3000, "", 8},
        {1, 4, 0, 950, "", 0},
        {1, 5, 0, 0x040A0000, "", 0},
        {2, 4, 0, 1381, "", 0},
        {2, 5, 0, 2195, "", 9},
        {2, 5, 1, 2600, "", 10},
        {2, 5, 2, 3790, "", 11},
        {2, 5, 3, 0, "", 255},
        {2, 6, 1, 7601, "", 255},
        {2, 10, 0, 19045, "", 255},
        {0, 5, 1, 2600, "", 0},
        {3, 5, 1, 2600, "", 0},
    };
    for (const Case& c : cases) {
        OSVERSIONINFOEX info;
        info.dwPlatformId = c.platform;
        info.dwMajorVersion = c.major;
        info.dwMinorVersion = c.minor;
        info.dwBuildNumber = c.build;
        info.szCSDVersion = QString::fromLatin1(c.servicePack);
        EXPECT_EQ(CQuendaApp::OsClassOf(info), c.osClass)
            << c.platform << " " << c.major << "." << c.minor << " build " << std::hex << c.build;
    }
    for (int32_t accepted : {10, 11, 255}) {
        EXPECT_TRUE(CQuendaApp::IsSupportedOsClass(accepted));
    }
    for (int32_t refused : {0, 6, 7, 8, 9, 12}) {
        EXPECT_FALSE(CQuendaApp::IsSupportedOsClass(refused));
    }
}

TEST_F(QuendaAppTest, AnotherUsersCopyShowsMessage700Only) {
    m_system->forcedMutexError = ERROR_ACCESS_DENIED;
    CQuendaApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(Boxes(), std::vector<std::string>{"700/500/16"});
    EXPECT_FALSE(MainWindowRan());
    EXPECT_EQ(app.ExitCode(), 1);
}

TEST_F(QuendaAppTest, ASecondStartRaisesTheFirstWindowSilently) {
    CWindowTable::Window first;
    first.title = LoadString(1102);
    first.visible = true;
    const HWND firstWindow = m_windows.Create(first);
    CWindowTable::Window other;
    other.title = QStringLiteral("Other");
    m_windows.BringToFront(m_windows.Create(other));

    ASSERT_NE(CreateMutex(nullptr, TRUE, CQuendaApp::MutexName()), nullptr); // the first instance
    CQuendaApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(m_modal.History().empty());
    EXPECT_EQ(m_windows.Foreground(), firstWindow);
    EXPECT_EQ(app.ExitCode(), 0);
    EXPECT_EQ(m_system->bringForwardRequests, 0);

    // Without the first window's title to find (it lives in another process), its owner is asked;
    // still silent.
    m_windows.Destroy(firstWindow);
    CQuendaApp again;
    EXPECT_FALSE(again.InitInstance());
    EXPECT_TRUE(m_modal.History().empty());
    EXPECT_EQ(m_system->bringForwardRequests, 1);
}

// A backup left by a run that ended without giving the preferences back.
const QByteArray kLeftover = "Windows Registry Editor Version 5.00\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Microsoft\\MediaPlayer\\Preferences]\r\n"
                             "\"AutoCopyCD\"=dword:00000005\r\n";

TEST_F(QuendaAppTest, ARunHoldingTheMutexGivesBackLeftoverBackupsFirst) {
    const QString file = WriteLeftover(kLeftover);
    RunMainWindowClosingAtOnce();
    EXPECT_EQ(Pref("AutoCopyCD"), 5u) << "the leftover's value, backed up and given back";
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(QuendaAppTest, ALeftoverThatCannotBeDeletedIsGivenBackOnce) {
    const QString file = WriteLeftover(kLeftover);
    // The documents folder's drive refuses to delete anything (a folder the user may not write).
    auto writable = [this](bool on) {
        std::optional<CVolumes::Drive> c = m_volumes.DriveOf(QLatin1Char('C'));
        ASSERT_TRUE(c);
        c->readOnly = !on;
        ASSERT_TRUE(m_volumes.SetDrive(*c));
    };
    writable(false);
    RunMainWindowClosingAtOnce();
    EXPECT_EQ(Pref("AutoCopyCD"), 5u) << "given back at this start";
    EXPECT_TRUE(QFile::exists(file));

    // The user changes the value; the next starts leave it as it is.
    m_registry.SetDword(HKEY_CURRENT_USER, kPrefs, QStringLiteral("AutoCopyCD"), 9);
    for (int start = 0; start < 2; ++start) {
        m_modal.Clear();
        RunMainWindowClosingAtOnce();
        EXPECT_EQ(Pref("AutoCopyCD"), 9u) << "start " << start;
        EXPECT_EQ(Pref("MP3RecordRate"), 192000u);
    }

    // Once the files can go, they go, and nothing of them stays in the registry.
    writable(true);
    m_modal.Clear();
    RunMainWindowClosingAtOnce();
    EXPECT_EQ(Pref("AutoCopyCD"), 9u);
    EXPECT_TRUE(QDir(m_box + QStringLiteral("/drives/C/Users/user/Documents"))
                    .entryList({QStringLiteral("WmpBackup*")}, QDir::AllEntries | QDir::Hidden)
                    .isEmpty());
    HKEY key = nullptr;
    EXPECT_NE(
        RegOpenKeyEx(HKEY_CURRENT_USER, kSettings + QStringLiteral("\\AppliedBackups"), 0, KEY_READ, &key),
        ERROR_SUCCESS);
}

TEST_F(QuendaAppTest, LeftoversComeBackInTheOrderOfTheirRunsAfterACopyOfTheFolder) {
    // Two runs killed one after the other: the first backed up the user's values, the second ours.
    for (int run = 0; run < 2; ++run) {
        CWmpRegAcc killed;
        killed.OverridePreferences();
    }
    ASSERT_EQ(Pref("AutoCopyCD"), 0u);
    // Copied to a new folder and back: the second run's file is now the older one.
    const QString documents = m_box + QStringLiteral("/drives/C/Users/user/Documents/");
    for (const auto& [name, age] : {std::pair{"WmpBackup00.reg", 10}, std::pair{"WmpBackup01.reg", 600}}) {
        QFile copy(documents + QLatin1String(name));
        ASSERT_TRUE(copy.open(QIODevice::ReadWrite));
        ASSERT_TRUE(
            copy.setFileTime(QDateTime::currentDateTime().addSecs(-age), QFileDevice::FileModificationTime));
    }
    RunMainWindowClosingAtOnce();
    EXPECT_EQ(Pref("AutoCopyCD"), 1u);
    EXPECT_EQ(Pref("MP3RecordRate"), 192000u);
    EXPECT_EQ(m_registry.GetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordFileDetail")),
              QStringLiteral("*Album;*SongTitle"));
    EXPECT_FALSE(QFile::exists(documents + QStringLiteral("WmpBackup00.reg")));
    EXPECT_FALSE(QFile::exists(documents + QStringLiteral("WmpBackup01.reg")));
}

TEST_F(QuendaAppTest, ARunWithoutTheMutexLeavesLeftoverBackupsAlone) {
    // Another run may be alive and own that file.
    Build(std::make_unique<CNoMutexSystem>());
    const QString file = WriteLeftover(kLeftover);
    RunMainWindowClosingAtOnce();
    EXPECT_EQ(Pref("AutoCopyCD"), 1u);
    QFile in(file);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), kLeftover);
}

TEST_F(QuendaAppTest, WithoutAMutexTheProgramStillRuns) {
    Build(std::make_unique<CNoMutexSystem>());
    CQuendaApp app;
    app.InitInstance();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(MainWindowRan());
}

TEST_F(QuendaAppTest, UnsupportedSystemsAndOldPlayersAreRefused) {
    struct Case {
        const char* what;
        DWORD major, minor;
        std::optional<DWORD> installed;
        std::optional<QString> version;
        std::vector<std::string> boxes;
    };
    const Case cases[] = {
        {"NT 5.0", 5, 0, 1, QStringLiteral("11,0"), {"701/1102/16"}},
        {"NT 6.1", 6, 1, 1, QStringLiteral("11,0"), {}},
        {"NT 5.2 with player 10", 5, 2, 1, QStringLiteral("10,0,0,3646"), {}},
        {"player 9", 5, 1, 1, QStringLiteral("9,0,0,4503"), {"702/1102/16"}},
        {"no version", 5, 1, 1, std::nullopt, {"702/1102/16"}},
        {"version too long", 5, 1, 1, QStringLiteral("11,0,5721,5145,1"), {"702/1102/16"}},
        {"not installed", 5, 1, 0, QStringLiteral("11,0"), {"702/1102/16"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_modal.Clear();
        SetOs(VER_PLATFORM_WIN32_NT, c.major, c.minor);
        SetPlayer(c.installed, c.version);
        CQuendaApp app;
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(Boxes(), c.boxes);
        EXPECT_EQ(MainWindowRan(), c.boxes.empty());
        EXPECT_EQ(app.ExitCode(), c.boxes.empty() ? 0 : 1);
        EXPECT_FALSE(m_system->IsMutexHeld(CQuendaApp::MutexName()));
        EXPECT_EQ(m_system->waitCursorDepth, 0);
        EXPECT_EQ(m_registry.OpenHandleCount(), 0);
    }
}

TEST_F(QuendaAppTest, InstallerDefaultsComeFromTheKeyOfTheSystemsView) {
    const QString normal = QStringLiteral("Software\\Korvel\\Tessaly");
    const QString wow = QStringLiteral("Software\\Wow6432Node\\Korvel\\Tessaly");
    m_registry.SetDword(HKEY_LOCAL_MACHINE, normal, QStringLiteral("Model"), 1);
    m_registry.SetDword(HKEY_LOCAL_MACHINE, normal, QStringLiteral("AutoSync"), 1);
    m_registry.SetDword(HKEY_LOCAL_MACHINE, wow, QStringLiteral("Model"), 2);
    const struct {
        DWORD minor;
        int32_t model, autoSync;
    } cases[] = {{1, 1, 1}, {2, 2, 0}};
    for (const auto& c : cases) {
        SetOs(VER_PLATFORM_WIN32_NT, 5, c.minor);
        CQuendaApp app;
        app.InitInstance();
        EXPECT_EQ(app.InstallerModelDefault(), c.model) << c.minor;
        EXPECT_EQ(app.InstallerAutoSyncDefault(), c.autoSync) << c.minor;
    }
    m_registry.DeleteTree(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Korvel"));
    SetOs(VER_PLATFORM_WIN32_NT, 5, 1);
    CQuendaApp app;
    app.InitInstance();
    EXPECT_EQ(app.InstallerModelDefault(), 0);
    EXPECT_EQ(app.InstallerAutoSyncDefault(), 0);
}

TEST_F(QuendaAppTest, TheMainWindowRunsWithOurPreferencesAndGivesTheUsersBack) {
    m_registry.SetDword(HKEY_LOCAL_MACHINE, kSettings, QStringLiteral("Model"), 2);
    m_registry.SetDword(HKEY_LOCAL_MACHINE, kSettings, QStringLiteral("AutoSync"), 1);
    const auto before = m_registry.ValueNames(HKEY_CURRENT_USER, kPrefs);
    m_modal.Answer(0); // really run the main window

    bool mutexHeld = false;
    std::optional<DWORD> rateDuringRun;
    std::optional<QString> namingDuringRun;
    std::optional<DWORD> firstDuringRun;
    CQuendaApp app;
    app.SetMainWindowHook([&](CQuendaDlg& dialog) {
        mutexHeld = m_system->IsMutexHeld(CQuendaApp::MutexName());
        QTimer::singleShot(0, &dialog, [&] {
            rateDuringRun = Pref("MP3RecordRate");
            namingDuringRun =
                m_registry.GetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordFileDetail"));
            firstDuringRun = m_registry.GetDword(HKEY_CURRENT_USER, kSettings, QStringLiteral("First"));
            ::SendMessage(dialog.Handle(), WM_COMMAND, IDC_CLOSE, 0);
        });
    });
    EXPECT_FALSE(app.InitInstance());

    EXPECT_TRUE(mutexHeld);
    EXPECT_EQ(rateDuringRun, 128000u);
    EXPECT_EQ(namingDuringRun, CWmpRegAcc::FileDetailPattern(2)) << "the naming of model 2";
    EXPECT_EQ(firstDuringRun, 0u);
    EXPECT_EQ(m_registry.GetDword(HKEY_CURRENT_USER, kSettings, QStringLiteral("Model")), 2u);
    EXPECT_EQ(m_registry.GetDword(HKEY_CURRENT_USER, kSettings, QStringLiteral("AutoSync")), 1u);

    EXPECT_EQ(Pref("MP3RecordRate"), 192000u);
    EXPECT_EQ(Pref("AutoCopyCD"), 1u);
    EXPECT_EQ(Pref("ForceOnline"), 0u);
    EXPECT_EQ(m_registry.GetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordFileDetail")),
              QStringLiteral("*Album;*SongTitle"));
    EXPECT_FALSE(QFile::exists(m_box + QStringLiteral("/drives/C/Users/user/Documents/WmpBackup00.reg")));
    EXPECT_FALSE(m_system->IsMutexHeld(CQuendaApp::MutexName()));
    EXPECT_EQ(app.ExitCode(), 0);
    EXPECT_EQ(m_registry.OpenHandleCount(), 0);
}

TEST_F(QuendaAppTest, ThePlayerModelChoosesTheFileNaming) {
    const struct {
        const char* what;
        std::function<void()> model;
        QString naming;
    } cases[] = {
        {"model 1", [&] { m_registry.SetDword(HKEY_CURRENT_USER, kSettings, QStringLiteral("Model"), 1); },
         CWmpRegAcc::FileDetailPattern(1)},
        {"model 2", [&] { m_registry.SetDword(HKEY_CURRENT_USER, kSettings, QStringLiteral("Model"), 2); },
         CWmpRegAcc::FileDetailPattern(2)},
        {"model 3", [&] { m_registry.SetDword(HKEY_CURRENT_USER, kSettings, QStringLiteral("Model"), 3); },
         CWmpRegAcc::FileDetailPattern(0)},
        {"model as text",
         [&] {
             m_registry.SetString(HKEY_CURRENT_USER, kSettings, QStringLiteral("Model"), QStringLiteral("2"));
         },
         CWmpRegAcc::FileDetailPattern(0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_registry.SetDword(HKEY_CURRENT_USER, kSettings, QStringLiteral("First"), 0);
        c.model();
        CWmpRegAcc regAcc;
        CSettingsStore settings;
        TakeOverPlayerPreferences(regAcc, settings, 2, 0);
        EXPECT_EQ(m_registry.GetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordFileDetail")),
                  c.naming);
        GiveBackPlayerPreferences(regAcc);
        EXPECT_EQ(m_registry.GetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordFileDetail")),
                  QStringLiteral("*Album;*SongTitle"));
    }
    EXPECT_EQ(FileDetailTypeForModel(1), 1);
    EXPECT_EQ(FileDetailTypeForModel(2), 2);
    EXPECT_EQ(FileDetailTypeForModel(0), 0);
    EXPECT_EQ(FileDetailTypeForModel(-2), 0);
}

// Remembers the player's rate at the moment the single-instance lock goes.
class CLockWatch : public CSimSystemServices {
public:
    CRegistry* registry = nullptr;
    std::optional<DWORD> rateWhenReleased;
    BOOL CloseHandle(HANDLE handle) override {
        if (IsMutexHeld(CQuendaApp::MutexName())) {
            rateWhenReleased = registry->GetDword(HKEY_CURRENT_USER, kPrefs, QStringLiteral("MP3RecordRate"));
        }
        return CSimSystemServices::CloseHandle(handle);
    }
};

TEST_F(QuendaAppTest, ASecondStartCanOnlyTakeOverOnceThePreferencesAreBack) {
    auto watch = std::make_unique<CLockWatch>();
    CLockWatch* lock = watch.get();
    lock->registry = &m_registry;
    Build(std::move(watch));
    m_modal.Answer(0);
    CQuendaApp app;
    app.SetMainWindowHook([](CQuendaDlg& dialog) {
        QTimer::singleShot(0, &dialog,
                           [&dialog] { ::SendMessage(dialog.Handle(), WM_COMMAND, IDC_CLOSE, 0); });
    });
    app.InitInstance();
    ASSERT_TRUE(MainWindowRan());
    EXPECT_EQ(lock->rateWhenReleased, 192000u) << "the user's rate, not the run's 128000";
}

TEST_F(QuendaAppTest, ASignalDuringTheRunEndsItInOrder) {
    m_modal.Answer(0);
    CQuendaApp app;
    bool endRequested = false;
    app.SetMainWindowHook([&](CQuendaDlg& dialog) {
        QTimer::singleShot(0, &dialog, [] { ::raise(SIGTERM); });
        QTimer::singleShot(2000, &dialog, [&dialog, &endRequested] {
            endRequested = dialog.IsEndRequested();
            ::SendMessage(dialog.Handle(), WM_COMMAND, IDC_CLOSE, 0); // a watchdog, should the signal be lost
        });
    });
    app.InitInstance();
    EXPECT_FALSE(endRequested) << "ended by the signal before the watchdog";
    EXPECT_EQ(app.ExitCode(), 128 + SIGTERM);
    EXPECT_EQ(Pref("MP3RecordRate"), 192000u);
    EXPECT_FALSE(m_system->IsMutexHeld(CQuendaApp::MutexName()));
}

} // namespace
