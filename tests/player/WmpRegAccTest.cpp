// The media player's preferences: the installation check, the backup file, our override and the
// restore that must give the user's values back whatever the backup file holds.
#include "player/WmpRegAcc.h"
#include "tests/support/PreferencesSnapshot.h"

#include "platform/Platform.h"
#include "platform/files/Volumes.h"
#include "platform/registry/Registry.h"
#include "platform/sandbox/Sandbox.h"
#include "tests/support/TempDir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <utility>

namespace {

const QString kPrefs = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences");
const QString kPattern0 = QStringLiteral("*TrackNumber;*SongTitle;Artist;Album;Genre;Bitrate");
const QString kPattern2 = QStringLiteral("*Artist;*Album;*SongTitle;TrackNumber;Genre;Bitrate");

QByteArray ReadHost(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteHost(const QString& path, const QByteArray& data) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(data), data.size());
}

// A machine with the demo layout: documents and music folders on C:, an in-memory registry.
struct SMachine {
    SMachine() {
        box = tmp.File(QStringLiteral("box"));
        ok = CSandbox::CreateDefault(box, nullptr) && volumes.LoadSandbox(box);
        services.registry = &registry;
        services.volumes = &volumes;
        scope = std::make_unique<CPlatformScope>(services);
    }
    CTempDir tmp;
    QString box;
    bool ok = false;
    CRegistry registry;
    CVolumes volumes;
    CPlatform services;
    std::unique_ptr<CPlatformScope> scope;
};

class WmpRegAccTest : public ::testing::Test {
protected:
    void SetUp() override { Fresh(); }
    // A new machine (for each case of a table).
    void Fresh() {
        m_machine.reset();
        m_machine = std::make_unique<SMachine>();
        ASSERT_TRUE(m_machine->ok);
    }

    CRegistry& Registry() { return m_machine->registry; }
    QString Box() const { return m_machine->box; }
    QString Documents(const QString& name = QString()) const {
        return Box() + QStringLiteral("/drives/C/Users/user/Documents/") + name;
    }
    QString Backup(int n) const {
        return Documents(QStringLiteral("WmpBackup%1.reg").arg(n, 2, 10, QLatin1Char('0')));
    }

    void Dword(const char* name, DWORD value) {
        Registry().SetDword(HKEY_CURRENT_USER, kPrefs, QLatin1String(name), value);
    }
    void Text(const char* name, const QString& text) {
        Registry().SetString(HKEY_CURRENT_USER, kPrefs, QLatin1String(name), text);
    }
    std::optional<DWORD> GetDword(const char* name) {
        return Registry().GetDword(HKEY_CURRENT_USER, kPrefs, QLatin1String(name));
    }
    std::optional<QString> GetText(const char* name) {
        return Registry().GetString(HKEY_CURRENT_USER, kPrefs, QLatin1String(name));
    }
    // Every value of the preferences key as "name|type|bytes" lines, in name order.
    std::string Snapshot() { return PreferencesSnapshot(Registry()); }

    // What a restore gives back of the full preferences below: all of it except "CDFirstCopyV10",
    // which no backup holds and which stays as the override set it.
    static std::string AfterRestore(std::string before) {
        const std::string firstCopy = "CDFirstCopyV10|4|01000000";
        const auto at = before.find(firstCopy);
        EXPECT_NE(at, std::string::npos);
        return at == std::string::npos ? before
                                       : before.replace(at, firstCopy.size(), "CDFirstCopyV10|4|00000000");
    }

    // A user's preferences with every value the program touches present.
    void FullUserPreferences() {
        Dword("ForceOnline", 0);
        Text("CDRecordPath", QStringLiteral("C:\\Users\\user\\Music\\取り込み"));
        Dword("CDRecordMode", 0);
        Dword("CDRecordMP3", 0);
        Dword("CDRecordDRM", 1);
        Dword("CDFirstCopyV10", 1);
        Dword("AutoCopyCD", 1);
        Dword("AutoEjectCD", 1);
        Dword("WMARecordRate", 128016);
        Dword("MP3RecordRate", 320000);
        Text("CDRecordFileDetail", QStringLiteral("*Album;*Artist;TrackNumber"));
        Text("CDRecordFileSeparator", QStringLiteral("・"));
        Dword("SilentAcquisition", 1);
        Dword("MetadataRetrieval", 0);
        Dword("AutoMetadataUpdate", 0);
        Dword("AutoRename", 0);
        Dword("AutoOrganize", 1);
        Text("UnrelatedSetting", QStringLiteral("left alone"));
    }

    std::unique_ptr<SMachine> m_machine;
};

TEST_F(WmpRegAccTest, InstallationAndVersionComeFromThePlayersSetupEntry) {
    struct Case {
        const char* what;
        std::optional<DWORD> isInstalled;
        std::optional<QString> version;
        bool installed;
        int version_;
    };
    const Case cases[] = {
        {"version 11", 1, QStringLiteral("11,0,5721,5145"), true, 11},
        {"version 10", 1, QStringLiteral("10,0,0,3646"), true, 10},
        {"version 9", 1, QStringLiteral("9,0,0,4503"), true, 9},
        {"15 characters fit the buffer", 1, QStringLiteral("12,0,7601,17514"), true, 12},
        {"16 characters do not", 1, QStringLiteral("12,0,7601,175140"), true, -1},
        {"no version text", 1, std::nullopt, true, -1},
        {"not installed", 0, QStringLiteral("11,0,5721,5145"), false, 11},
        {"no installed flag", std::nullopt, QStringLiteral("11,0,5721,5145"), false, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Registry().DeleteTree(HKEY_LOCAL_MACHINE, CWmpRegAcc::PlayerSetupKey());
        if (c.isInstalled) {
            Registry().SetDword(HKEY_LOCAL_MACHINE, CWmpRegAcc::PlayerSetupKey(),
                                QStringLiteral("IsInstalled"), *c.isInstalled);
        }
        if (c.version) {
            Registry().SetString(HKEY_LOCAL_MACHINE, CWmpRegAcc::PlayerSetupKey(), QStringLiteral("Version"),
                                 *c.version);
        }
        CWmpRegAcc regAcc;
        EXPECT_EQ(regAcc.IsPlayerInstalled(), c.installed);
        EXPECT_EQ(regAcc.GetPlayerVersion(), c.version_);
    }
    Registry().DeleteTree(HKEY_LOCAL_MACHINE, CWmpRegAcc::PlayerSetupKey());
    CWmpRegAcc regAcc;
    EXPECT_FALSE(regAcc.IsPlayerInstalled());
    EXPECT_EQ(regAcc.GetPlayerVersion(), -1);
    EXPECT_EQ(Registry().OpenHandleCount(), 0);
}

TEST_F(WmpRegAccTest, BackupFileHoldsThePresentValuesInRegistryEditorFormat) {
    Dword("ForceOnline", 0);
    Dword("CDRecordMP3", 0);
    Dword("CDRecordDRM", 1);
    Dword("AutoCopyCD", 1);
    Dword("AutoEjectCD", 0);
    // Of another type: reads as 0 and is saved as 0.
    Text("SilentAcquisition", QStringLiteral("1"));
    // AutoMetadataUpdate missing: reads as 0 and is saved as 0.
    Dword("AutoRename", 0xFFFFFFFF); // reads as -1, the mark of an absent value
    Dword("AutoOrganize", 1);
    Dword("CDRecordMode", 0);
    // MP3RecordRate missing: a rate of 0 is absent.
    Dword("WMARecordRate", 0x1f400);
    Dword("MetadataRetrieval", 2);
    Dword("CDFirstCopyV10", 1);                        // never saved
    Text("CDRecordPath", QStringLiteral("C:\\Music")); // never saved
    Text("CDRecordFileDetail", kPattern2);
    Text("CDRecordFileSeparator", QStringLiteral("・"));

    CWmpRegAcc regAcc;
    EXPECT_TRUE(regAcc.OverridePreferences());
    EXPECT_EQ(regAcc.BackupPath(), QStringLiteral("C:\\Users\\user\\Documents\\WmpBackup00.reg"));
    const QByteArray expected =
        "Windows Registry Editor Version 5.00\r\n"
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\MediaPlayer\\Preferences]\r\n"
        "; Ollivane backup 1\r\n"
        "\"ForceOnline\"=dword:00000000\r\n"
        "\"CDRecordMP3\"=dword:00000000\r\n"
        "\"CDRecordDRM\"=dword:00000001\r\n"
        "\"AutoCopyCD\"=dword:00000001\r\n"
        "\"AutoEjectCD\"=dword:00000000\r\n"
        "\"SilentAcquisition\"=dword:00000000\r\n"
        "\"AutoMetadataUpdate\"=dword:00000000\r\n"
        "\"AutoOrganize\"=dword:00000001\r\n"
        "\"CDRecordMode\"=dword:00000000\r\n"
        "\"WMARecordRate\"=dword:0001f400\r\n"
        "\"MetadataRetrieval\"=dword:00000002\r\n"
        "\"CDRecordFileDetail\"=\"*Artist;*Album;*SongTitle;TrackNumber;Genre;Bitrate\"\r\n"
        "\"CDRecordFileSeparator\"=\"\x81\x45\"\r\n";
    EXPECT_EQ(ReadHost(Backup(0)), expected);
}

TEST_F(WmpRegAccTest, LongStringsAreReadWholeSoTheyComeBack) {
    // Longer than the usual 1023-byte read: still the user's values, which our override replaces.
    FullUserPreferences();
    const QString separator(600, QLatin1Char('s'));
    const QString folder = QStringLiteral("C:\\Users\\user\\Music\\") + QString(600, QLatin1Char('p'));
    Text("CDRecordFileSeparator", separator);
    Text("CDRecordPath", folder);
    const std::string before = Snapshot();
    CWmpRegAcc regAcc;
    regAcc.OverridePreferences();
    EXPECT_TRUE(
        ReadHost(Backup(0)).contains("\"CDRecordFileSeparator\"=\"" + separator.toLatin1() + "\"\r\n"));
    EXPECT_EQ(regAcc.RecordPath(), folder) << "the user's own rip folder is kept";
    EXPECT_EQ(GetText("CDRecordFileSeparator"), QStringLiteral(" "));
    regAcc.RestorePreferences();
    EXPECT_EQ(Snapshot(), AfterRestore(before));
}

TEST_F(WmpRegAccTest, OverrideWritesOurRipSettingsAndLeavesTheOthersAsRead) {
    FullUserPreferences();
    Text("CDRecordFileDetail", kPattern2);
    CWmpRegAcc regAcc;
    EXPECT_TRUE(regAcc.OverridePreferences());

    EXPECT_EQ(GetDword("ForceOnline"), 1u);
    EXPECT_EQ(GetDword("CDRecordMode"), 1u);
    EXPECT_EQ(GetDword("CDRecordMP3"), 1u);
    EXPECT_EQ(GetDword("CDFirstCopyV10"), 0u);
    EXPECT_EQ(GetDword("AutoCopyCD"), 0u);
    EXPECT_EQ(GetDword("AutoEjectCD"), 0u);
    EXPECT_EQ(GetText("CDRecordFileDetail"), kPattern2);
    EXPECT_EQ(GetText("CDRecordFileSeparator"), QStringLiteral(" "));
    EXPECT_EQ(GetDword("MP3RecordRate"), 128000u);
    EXPECT_EQ(GetDword("MetadataRetrieval"), 3u);
    EXPECT_EQ(GetDword("AutoMetadataUpdate"), 1u);
    EXPECT_EQ(GetDword("AutoRename"), 1u);
    EXPECT_EQ(GetDword("AutoOrganize"), 0u);
    EXPECT_EQ(GetText("CDRecordPath"), QStringLiteral("C:\\Users\\user\\Music\\取り込み"));
    EXPECT_EQ(GetDword("CDRecordDRM"), 1u);
    EXPECT_EQ(GetDword("WMARecordRate"), 128016u);
    EXPECT_EQ(GetDword("SilentAcquisition"), 1u);
    EXPECT_EQ(regAcc.Mp3RecordRate(), 128000);
    EXPECT_EQ(Registry().OpenHandleCount(), 0);
}

TEST_F(WmpRegAccTest, OnlyAnExactNamingPatternSurvivesTheOverride) {
    const struct {
        std::optional<QString> stored;
        QString after;
    } cases[] = {
        {kPattern0, kPattern0},
        {QStringLiteral("*SongTitle;TrackNumber;Artist;Album;Genre;Bitrate"),
         QStringLiteral("*SongTitle;TrackNumber;Artist;Album;Genre;Bitrate")},
        {kPattern2, kPattern2},
        {QStringLiteral("*artist;*Album;*SongTitle;TrackNumber;Genre;Bitrate"), kPattern0},
        {kPattern2 + QLatin1Char(' '), kPattern0},
        {std::nullopt, kPattern0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.value_or(QStringLiteral("(missing)")).toStdString());
        Registry().DeleteTree(HKEY_CURRENT_USER, kPrefs);
        Dword("ForceOnline", 0);
        if (c.stored) {
            Text("CDRecordFileDetail", *c.stored);
        }
        CWmpRegAcc regAcc;
        regAcc.OverridePreferences();
        EXPECT_EQ(GetText("CDRecordFileDetail"), c.after);
        regAcc.RestorePreferences();
    }
}

TEST_F(WmpRegAccTest, FileDetailTypeChoosesThePattern) {
    const std::pair<int, QString> cases[] = {
        {0, kPattern0},  {1, QStringLiteral("*SongTitle;TrackNumber;Artist;Album;Genre;Bitrate")},
        {2, kPattern2},  {3, kPattern0},
        {-1, kPattern0},
    };
    for (const auto& [type, pattern] : cases) {
        CWmpRegAcc regAcc;
        regAcc.SetFileDetailType(type);
        EXPECT_EQ(regAcc.FileDetail(), pattern) << type;
    }
}

TEST_F(WmpRegAccTest, EmptyRecordPathBecomesTheMusicFolderEvenWhenItIsMissing) {
    Dword("ForceOnline", 0);
    ASSERT_TRUE(QDir(Box() + QStringLiteral("/drives/C/Users/user/Music")).removeRecursively());
    CWmpRegAcc regAcc;
    regAcc.OverridePreferences();
    EXPECT_EQ(GetText("CDRecordPath"), QStringLiteral("C:\\Users\\user\\Music"));
    EXPECT_TRUE(QFileInfo(Box() + QStringLiteral("/drives/C/Users/user/Music")).isDir());
}

TEST_F(WmpRegAccTest, RestoreGivesBackTheUsersValuesAndDeletesTheBackup) {
    FullUserPreferences();
    const std::string before = Snapshot();
    CWmpRegAcc regAcc;
    regAcc.OverridePreferences();
    ASSERT_NE(Snapshot(), before);
    regAcc.RestorePreferences();

    // The one value the backup never holds stays as the override set it.
    EXPECT_EQ(Snapshot(), AfterRestore(before));
    EXPECT_FALSE(QFile::exists(Backup(0)));
    EXPECT_TRUE(regAcc.BackupPath().isEmpty());
    EXPECT_EQ(Registry().OpenHandleCount(), 0);
}

TEST_F(WmpRegAccTest, MissingValuesComeBackAsZeroOrKeepTheRunsRate) {
    Dword("ForceOnline", 1);
    Dword("CDRecordDRM", 1);
    CWmpRegAcc regAcc;
    regAcc.OverridePreferences();
    regAcc.RestorePreferences();
    // A missing double word was saved as 0; a missing rate was not saved at all.
    EXPECT_EQ(GetDword("AutoRename"), 0u);
    EXPECT_EQ(GetDword("CDRecordMode"), 0u);
    EXPECT_EQ(GetDword("MP3RecordRate"), 128000u);
    EXPECT_EQ(GetDword("WMARecordRate"), 0u);
    EXPECT_EQ(GetDword("CDRecordDRM"), 1u);
    EXPECT_EQ(GetDword("ForceOnline"), 1u);
}

TEST_F(WmpRegAccTest, WithoutForceOnlineTheOtherValuesAreStillSavedAndGivenBack) {
    FullUserPreferences();
    HKEY key = nullptr;
    ASSERT_EQ(Registry().RegOpenKeyEx(HKEY_CURRENT_USER, kPrefs, 0, KEY_WRITE, &key), ERROR_SUCCESS);
    Registry().RegDeleteValue(key, QStringLiteral("ForceOnline"));
    Registry().RegCloseKey(key);

    CWmpRegAcc regAcc;
    EXPECT_FALSE(regAcc.ReadPreferences());
    regAcc.OverridePreferences();
    EXPECT_EQ(GetDword("AutoCopyCD"), 0u);
    regAcc.RestorePreferences();
    EXPECT_EQ(GetDword("AutoCopyCD"), 1u);
    EXPECT_EQ(GetDword("AutoOrganize"), 1u);
    EXPECT_EQ(GetText("CDRecordFileSeparator"), QStringLiteral("・"));
    EXPECT_EQ(GetDword("ForceOnline"), 0u) << "a missing ForceOnline is saved as 0";
}

TEST_F(WmpRegAccTest, WithoutAPreferencesKeyOnlyOurValuesAreWritten) {
    CWmpRegAcc regAcc;
    EXPECT_TRUE(regAcc.OverridePreferences());
    EXPECT_EQ(GetDword("ForceOnline"), 1u);
    EXPECT_EQ(GetDword("MP3RecordRate"), 128000u);
    // Nothing was read for these, so no placeholder is written in their place.
    EXPECT_FALSE(GetDword("CDRecordDRM"));
    EXPECT_FALSE(GetDword("WMARecordRate"));
    EXPECT_FALSE(GetDword("SilentAcquisition"));
    EXPECT_EQ(ReadHost(Backup(0)),
              QByteArray("Windows Registry Editor Version 5.00\r\n"
                         "[HKEY_CURRENT_USER\\Software\\Microsoft\\MediaPlayer\\Preferences]\r\n"
                         "; Ollivane backup 1\r\n"));
    regAcc.RestorePreferences();
    EXPECT_FALSE(QFile::exists(Backup(0)));
}

TEST_F(WmpRegAccTest, BackupTakesTheFirstEmptyOrNewFileAndNeverTouchesOthers) {
    FullUserPreferences();
    WriteHost(Backup(0), "an earlier run's backup");
    {
        CWmpRegAcc regAcc;
        regAcc.OverridePreferences();
        EXPECT_EQ(regAcc.BackupPath(), QStringLiteral("C:\\Users\\user\\Documents\\WmpBackup01.reg"));
        EXPECT_TRUE(ReadHost(Backup(1)).startsWith("Windows Registry Editor Version 5.00\r\n"));
        regAcc.RestorePreferences();
        EXPECT_FALSE(QFile::exists(Backup(1)));
        EXPECT_EQ(ReadHost(Backup(0)), QByteArray("an earlier run's backup"));
    }
    WriteHost(Backup(1), "x");
    WriteHost(Backup(2), "y");
    WriteHost(Backup(3), "");
    {
        CWmpRegAcc regAcc;
        regAcc.OverridePreferences();
        EXPECT_EQ(regAcc.BackupPath(), QStringLiteral("C:\\Users\\user\\Documents\\WmpBackup03.reg"));
        EXPECT_FALSE(ReadHost(Backup(3)).isEmpty());
        regAcc.RestorePreferences();
        EXPECT_FALSE(QFile::exists(Backup(3)));
        EXPECT_FALSE(QFile::exists(Backup(4)));
    }
}

TEST_F(WmpRegAccTest, WhenNoBackupFileCanBeWrittenTheValuesStillComeBack) {
    struct Case {
        const char* what;
        std::function<void()> block;
    };
    const Case cases[] = {
        {"all ten files taken",
         [&] {
             for (int n = 0; n <= 9; ++n) {
                 WriteHost(Backup(n), "taken");
             }
         }},
        {"names held by folders",
         [&] {
             for (int n = 0; n <= 9; ++n) {
                 QDir().mkpath(Backup(n));
             }
         }},
        {"documents folder is a file",
         [&] {
             QDir(Documents()).removeRecursively();
             WriteHost(Box() + QStringLiteral("/drives/C/Users/user/Documents"), "not a folder");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        FullUserPreferences();
        const std::string before = Snapshot();
        c.block();
        CWmpRegAcc regAcc;
        EXPECT_TRUE(regAcc.OverridePreferences());
        EXPECT_TRUE(regAcc.BackupPath().isEmpty());
        EXPECT_EQ(GetDword("AutoCopyCD"), 0u);
        regAcc.RestorePreferences();
        EXPECT_EQ(Snapshot(), AfterRestore(before));
        if (QFileInfo(Backup(0)).isFile()) {
            EXPECT_EQ(ReadHost(Backup(0)), QByteArray("taken"));
        }
    }
}

// What a restore does with a backup file that was changed behind the program's back.
TEST_F(WmpRegAccTest, RestoreReadsOnlyWellFormedLinesOfTheBackupFile) {
    const QByteArray header = "Windows Registry Editor Version 5.00\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Microsoft\\MediaPlayer\\Preferences]\r\n";
    QByteArray junk(4096, '\0');
    for (int i = 0; i < junk.size(); ++i) {
        junk[i] = static_cast<char>((i * 7919) & 0xFF);
    }
    const QByteArray blank99 = QByteArray("\r\n").repeated(98);
    struct Case {
        const char* what;
        QByteArray content;
        DWORD autoRename; // 1 is the override's value: nothing restored
    };
    const Case cases[] = {
        {"well formed", header + "\"AutoRename\"=dword:00000007\r\n", 7},
        {"ffffffff", header + "\"AutoRename\"=dword:ffffffff\r\n", 0xFFFFFFFF},
        {"upper-case hex", header + "\"AutoRename\"=dword:0000ABCD\r\n", 0xABCD},
        {"line feeds only",
         "Windows Registry Editor Version 5.00\n"
         "[HKEY_CURRENT_USER\\Software\\Microsoft\\MediaPlayer\\Preferences]\n"
         "\"AutoRename\"=dword:00000007\n",
         7},
        {"wrong first line", "REGEDIT4\r\n" + header + "\"AutoRename\"=dword:00000007\r\n", 1},
        {"key line of another case",
         "Windows Registry Editor Version "
         "5.00\r\n[HKEY_CURRENT_USER\\software\\microsoft\\mediaplayer\\preferences]\r\n"
         "\"AutoRename\"=dword:00000007\r\n",
         1},
        {"blank line inside the header",
         "Windows Registry Editor Version 5.00\r\n\r\n"
         "[HKEY_CURRENT_USER\\Software\\Microsoft\\MediaPlayer\\Preferences]\r\n\"AutoRename\"=dword:"
         "00000007\r\n",
         1},
        {"binary junk", junk, 1},
        {"junk after the header", header + junk + "\r\n\"AutoRename\"=dword:00000007\r\n", 7},
        {"a line of 100,000 characters",
         header + QByteArray(100000, 'x') + "\r\n\"AutoRename\"=dword:00000007\r\n", 7},
        {"dword of non-hex data", header + "\"AutoRename\"=dword:0000000g\r\n", 1},
        {"dword without data", header + "\"AutoRename\"=dword:\r\n", 1},
        {"dword of nine digits", header + "\"AutoRename\"=dword:000000007\r\n", 1},
        {"name without a type", header + "\"AutoRename\"\r\n\"AutoOrganize\"=dword:00000005\r\n", 1},
        {"the 100th read is restored", header + blank99 + "\"AutoRename\"=dword:00000007\r\n", 7},
        {"the 101st read is not", header + blank99 + "\r\n\"AutoRename\"=dword:00000007\r\n", 1},
        {"empty file", "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        FullUserPreferences();
        CWmpRegAcc regAcc;
        regAcc.OverridePreferences();
        ASSERT_EQ(GetDword("AutoRename"), 1u);
        WriteHost(Backup(0), c.content);
        regAcc.RestorePreferences();
        EXPECT_EQ(GetDword("AutoRename"), c.autoRename);
        EXPECT_FALSE(QFile::exists(Backup(0)));
        EXPECT_EQ(Registry().OpenHandleCount(), 0);
    }
}

TEST_F(WmpRegAccTest, RestoredStringsKeepEveryCharacter) {
    const QByteArray header = "Windows Registry Editor Version 5.00\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Microsoft\\MediaPlayer\\Preferences]\r\n";
    const struct {
        QByteArray line;
        QString text;
    } cases[] = {
        {"\"CDRecordFileSeparator\"=\"-\"", QStringLiteral("-")},
        {"\"CDRecordFileSeparator\"=\"\x81\x45\"", QStringLiteral("・")},
        {"\"CDRecordFileSeparator\"=\"a:b=c\"\"", QStringLiteral("a:b=c\"")},
        // Not of the "name"="text" form: the tokens after the name give the text.
        {"\"CDRecordFileSeparator\"=_", QStringLiteral("_")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        Fresh();
        FullUserPreferences();
        CWmpRegAcc regAcc;
        regAcc.OverridePreferences();
        WriteHost(Backup(0), header + c.line + "\r\n");
        regAcc.RestorePreferences();
        EXPECT_EQ(GetText("CDRecordFileSeparator"), c.text);
    }
}

TEST_F(WmpRegAccTest, TextOutsideTheCodePageSurvivesTheRoundTrip) {
    FullUserPreferences();
    const QString separator = QStringLiteral("🎵");
    Text("CDRecordFileSeparator", separator);
    CWmpRegAcc regAcc;
    regAcc.OverridePreferences();
    EXPECT_TRUE(ReadHost(Backup(0)).contains("\"CDRecordFileSeparator\"=hex(1):3c,d8,b5,df,00,00\r\n"));
    regAcc.RestorePreferences();
    EXPECT_EQ(GetText("CDRecordFileSeparator"), separator);
}

TEST_F(WmpRegAccTest, EveryTextComesBackExactlyThroughTheBackupFile) {
    // The bytes of a REG_SZ as the registry holds them; `back` is the text the user sees.
    auto utf16 = [](const QString& text, bool withNul) {
        QByteArray bytes(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        return withNul ? bytes + QByteArray(2, '\0') : bytes;
    };
    const QString long511(511, QLatin1Char('x'));
    const struct {
        const char* what;
        QByteArray stored;
        QString back;
        bool codePage; // written to the backup as code-page text (else as hex(1))
    } cases[] = {
        {"Japanese that the code page holds", utf16(QStringLiteral("・区切り"), true),
         QStringLiteral("・区切り"), true},
        {"wave dash U+301C", utf16(QStringLiteral("〜"), true), QStringLiteral("〜"), false},
        {"minus sign U+2212", utf16(QStringLiteral("−"), true), QStringLiteral("−"), false},
        {"em dash U+2014", utf16(QStringLiteral("—"), true), QStringLiteral("—"), false},
        {"fullwidth tilde U+FF5E", utf16(QStringLiteral("～"), true), QStringLiteral("～"), true},
        {"outside the code page", utf16(QStringLiteral("🎵é"), true), QStringLiteral("🎵é"), false},
        {"a line break", utf16(QStringLiteral("a\r\nb\nc"), true), QStringLiteral("a\r\nb\nc"), false},
        {"quotes and separators", utf16(QStringLiteral("a\"=:b\""), true), QStringLiteral("a\"=:b\""), true},
        {"1022 bytes, no NUL", utf16(long511, false), long511, true},
        {"1023 bytes, no NUL", utf16(long511, false) + "y", long511, true},
        {"a NUL inside", utf16(QStringLiteral("ab"), true) + utf16(QStringLiteral("cd"), true),
         QStringLiteral("ab"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        FullUserPreferences();
        ASSERT_EQ(Registry().SetValue(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordFileSeparator"),
                                      REG_SZ, c.stored),
                  ERROR_SUCCESS);
        CWmpRegAcc regAcc;
        regAcc.OverridePreferences();
        const QByteArray backup = ReadHost(Backup(0));
        EXPECT_EQ(backup.contains("\"CDRecordFileSeparator\"=hex(1):"), !c.codePage) << backup.toStdString();
        regAcc.RestorePreferences();
        EXPECT_EQ(GetText("CDRecordFileSeparator"), c.back);
    }
}

TEST_F(WmpRegAccTest, ASecondRestoreChangesNothing) {
    FullUserPreferences();
    CWmpRegAcc regAcc;
    regAcc.OverridePreferences();
    regAcc.RestorePreferences();
    Dword("AutoRename", 9); // changed by the user after the run gave the values back
    regAcc.RestorePreferences();
    EXPECT_EQ(GetDword("AutoRename"), 9u);
}

} // namespace

// Backups left by runs that were killed before they gave the preferences back.
class LeftoverBackupsTest : public WmpRegAccTest {
protected:
    static QByteArray BackupText(DWORD autoRename) {
        return "Windows Registry Editor Version 5.00\r\n"
               "[HKEY_CURRENT_USER\\Software\\Microsoft\\MediaPlayer\\Preferences]\r\n"
               "\"AutoRename\"=dword:" +
               QByteArray::number(autoRename, 16).rightJustified(8, '0') + "\r\n";
    }
    void WriteAged(int n, const QByteArray& content, int secondsAgo) {
        WriteHost(Backup(n), content);
        QFile file(Backup(n));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo),
                                     QFileDevice::FileModificationTime));
    }
    QStringList Stayed(const QStringList& winPaths) {
        QStringList names;
        for (const QString& path : winPaths) {
            names << path.section(QLatin1Char('\\'), -1);
        }
        return names;
    }
};

TEST_F(LeftoverBackupsTest, OldestIsAppliedLastAndEachAppliedFileGoes) {
    // Run 1 saved the user's 7 to 03 and was killed; run 2 found our 1 and saved it to 00 (reused,
    // empty) and was killed too: the numbers do not tell the order, the times do.
    Dword("AutoRename", 1);
    WriteAged(3, BackupText(7), 120);
    WriteAged(0, BackupText(1), 60);
    CWmpRegAcc regAcc;
    EXPECT_TRUE(regAcc.RestoreLeftoverBackups().isEmpty());
    EXPECT_EQ(GetDword("AutoRename"), 7u);
    EXPECT_FALSE(QFile::exists(Backup(0)));
    EXPECT_FALSE(QFile::exists(Backup(3)));

    // Equal times: the higher number was taken later.
    Fresh();
    const QDateTime when = QDateTime::currentDateTime().addSecs(-30);
    for (const auto& [n, value] : {std::pair{0, 7u}, std::pair{1, 1u}}) {
        WriteHost(Backup(n), BackupText(value));
        QFile file(Backup(n));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
    }
    CWmpRegAcc again;
    again.RestoreLeftoverBackups();
    EXPECT_EQ(GetDword("AutoRename"), 7u);
}

TEST_F(LeftoverBackupsTest, TheRunsOwnNumbersOrderTheirBackupsAndOlderFilesComeFirst) {
    // Each run's backup carries a number one above those already in the folder, as the third line.
    Dword("AutoRename", 7);
    {
        CWmpRegAcc first; // killed after its override
        first.OverridePreferences();
        CWmpRegAcc second;
        second.OverridePreferences();
        ASSERT_EQ(second.BackupPath().section(QLatin1Char('\\'), -1), QStringLiteral("WmpBackup01.reg"));
    }
    EXPECT_EQ(ReadHost(Backup(0)).split('\n').value(2), QByteArray("; Ollivane backup 1\r"));
    EXPECT_EQ(ReadHost(Backup(1)).split('\n').value(2), QByteArray("; Ollivane backup 2\r"));
    // A copy of the folder made the second run's file the older one; the numbers still tell.
    WriteAged(0, ReadHost(Backup(0)), 10);
    WriteAged(1, ReadHost(Backup(1)), 600);
    CWmpRegAcc start;
    EXPECT_TRUE(start.RestoreLeftoverBackups().isEmpty());
    EXPECT_EQ(GetDword("AutoRename"), 7u);

    // A file of a run from before the numbers (the user's 7) came before every numbered one (our
    // 1), however new its time.
    Fresh();
    WriteAged(5, BackupText(7), 10);
    Dword("AutoRename", 1);
    {
        CWmpRegAcc killed;
        killed.OverridePreferences();
        ASSERT_EQ(killed.BackupPath().section(QLatin1Char('\\'), -1), QStringLiteral("WmpBackup00.reg"));
    }
    WriteAged(0, ReadHost(Backup(0)), 600);
    CWmpRegAcc again;
    EXPECT_TRUE(again.RestoreLeftoverBackups().isEmpty());
    EXPECT_EQ(GetDword("AutoRename"), 7u);
    EXPECT_FALSE(QFile::exists(Backup(0)));
    EXPECT_FALSE(QFile::exists(Backup(5)));
}

TEST_F(LeftoverBackupsTest, WhatHappensToEachKindOfLeftover) {
    const QByteArray header = "Windows Registry Editor Version 5.00\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Microsoft\\MediaPlayer\\Preferences]\r\n";
    QByteArray utf16;
    for (QChar c : QString::fromLatin1(BackupText(7))) {
        utf16.append(static_cast<char>(c.unicode() & 0xFF)).append('\0');
    }
    const struct {
        const char* what;
        QByteArray content;
        bool stays;
        DWORD autoRename; // after the restore (1 before it)
    } cases[] = {
        {"a backup", BackupText(7), false, 7},
        {"empty: never written, reused by the next backup", QByteArray(), true, 1},
        {"truncated inside a line", header + "\"AutoRename\"=dword:00000007\r\n\"AutoOrg", false, 7},
        {"truncated inside the header", "Windows Registry Edi", true, 1},
        {"not a backup: a user's own file", "my shopping list\r\nmilk\r\n", true, 1},
        {"another encoding (UTF-16)", "\xFF\xFE" + utf16, true, 1},
        {"lines the restore refuses", header + "\"AutoRename\"=dword:zz\r\n\"AutoRename\"\r\n", false, 1},
        {"another key named inside",
         header + "[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n\"AutoRename\"=dword:7\r\n", false, 7},
        {"a comment, as the registry editor writes them",
         header + "; written by hand: \"x\"=1\r\n\"AutoRename\"=dword:00000007\r\n", false, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        Dword("AutoRename", 1);
        WriteHost(Backup(0), c.content);
        CWmpRegAcc regAcc;
        const QStringList stayed = Stayed(regAcc.RestoreLeftoverBackups());
        EXPECT_EQ(QFile::exists(Backup(0)), c.stays);
        if (c.stays) {
            EXPECT_EQ(ReadHost(Backup(0)), c.content) << "left exactly as it was";
        }
        // An empty file is no leftover and is not reported.
        EXPECT_EQ(stayed.contains(QStringLiteral("WmpBackup00.reg")), c.stays && !c.content.isEmpty());
        EXPECT_EQ(GetDword("AutoRename"), c.autoRename);
        EXPECT_FALSE(Registry().GetValue(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Other"),
                                         QStringLiteral("AutoRename")));
        EXPECT_FALSE(Registry().GetValue(HKEY_CURRENT_USER, kPrefs, QStringLiteral("; written by hand")))
            << "a comment holds no value";
        EXPECT_EQ(Registry().OpenHandleCount(), 0);

        // The run then backs up to the next free number (a leftover that stayed is skipped) and
        // gives the values back at its end.
        regAcc.OverridePreferences();
        EXPECT_EQ(regAcc.BackupPath().section(QLatin1Char('\\'), -1),
                  c.stays && !c.content.isEmpty() ? QStringLiteral("WmpBackup01.reg")
                                                  : QStringLiteral("WmpBackup00.reg"));
        regAcc.RestorePreferences();
        EXPECT_EQ(GetDword("AutoRename"), c.autoRename);
    }
}

TEST_F(LeftoverBackupsTest, AnUnreadableLeftoverStaysAndIsNamed) {
    WriteHost(Backup(0), BackupText(7));
    ASSERT_TRUE(QDir().mkpath(Backup(1))) << "a folder of that name cannot be read as a file";
    WriteHost(Backup(2), BackupText(7));
    ASSERT_TRUE(QFile::setPermissions(Backup(2), QFileDevice::Permissions()));
    const bool permissionsHold = !QFile(Backup(2)).open(QIODevice::ReadOnly); // not for root
    Dword("AutoRename", 1);
    CWmpRegAcc regAcc;
    QStringList expected{QStringLiteral("WmpBackup01.reg")};
    if (permissionsHold) {
        expected << QStringLiteral("WmpBackup02.reg");
    }
    QStringList stayed = Stayed(regAcc.RestoreLeftoverBackups());
    stayed.sort();
    EXPECT_EQ(stayed, expected);
    EXPECT_EQ(GetDword("AutoRename"), 7u) << "the readable one was applied";
    EXPECT_FALSE(QFile::exists(Backup(0)));
    EXPECT_TRUE(QFileInfo(Backup(1)).isDir());
    EXPECT_EQ(QFile::exists(Backup(2)), permissionsHold);
    QFile::setPermissions(Backup(2), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
