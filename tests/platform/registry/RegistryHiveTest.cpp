// The hive files behind a file-backed registry: what is written, what reads back, which encodings
// are understood, and how broken files are survived.

#include "platform/registry/HiveFile.h"
#include "platform/registry/Registry.h"
#include "tests/platform/registry/RegistryTestSupport.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringEncoder>
#include <gtest/gtest.h>
#include <random>

using namespace regtest;

namespace {

const QString kRoot = QStringLiteral("HKEY_CURRENT_USER");

void WriteFile(const QString& path, const QByteArray& bytes) {
    // Written as editors do (new file, then rename), so the registry sees a different file.
    QSaveFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    ASSERT_TRUE(file.commit());
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void DumpTree(const CRegKey& key, const QString& path, QStringList* out) {
    out->append(path);
    for (const SRegValue& v : key.Values()) {
        out->append(QStringLiteral("%1|%2|%3|%4")
                        .arg(path, v.name)
                        .arg(v.type)
                        .arg(QString::fromLatin1(v.data.toHex())));
    }
    for (const CRegKey& child : key.Children()) {
        DumpTree(child, path + u'\\' + child.Name(), out);
    }
}

QStringList DumpTree(const CRegKey& root) {
    QStringList out;
    DumpTree(root, root.Name(), &out);
    return out;
}

// A registry holding one of everything awkward: names and text with quotes, backslashes, brackets
// and Japanese, every type, data that cannot be plain text, long binary, an empty key.
void FillAwkward(CRegistry& r) {
    const QString app = QStringLiteral("Software\\Korvel\\アプリ \"引用\" [x]");
    r.SetString(HKEY_CURRENT_USER, app, QStringLiteral("Folder"),
                QStringLiteral("E:\\音声データ\\アルバム\\"));
    r.SetString(HKEY_CURRENT_USER, app, QStringLiteral("Quoted"), QStringLiteral("say \"hi\" \\\" \\\\"));
    r.SetString(HKEY_CURRENT_USER, app, QStringLiteral("Sep"), QStringLiteral(" "));
    r.SetString(HKEY_CURRENT_USER, app, QStringLiteral("Tabbed"), QStringLiteral("\tlead and trail\t"));
    r.SetString(HKEY_CURRENT_USER, app, QString(), QStringLiteral("既定の値"));
    r.SetString(HKEY_CURRENT_USER, app, QStringLiteral("@"), QStringLiteral("a value named @"));
    r.SetString(HKEY_CURRENT_USER, app, QStringLiteral("name \"with\" \\ = and :"), QStringLiteral("x"));
    r.SetDword(HKEY_CURRENT_USER, app, QStringLiteral("Max"), 0xFFFFFFFFu);
    r.SetDword(HKEY_CURRENT_USER, app, QStringLiteral("Zero"), 0);
    r.SetValue(HKEY_CURRENT_USER, app, QStringLiteral("TwoLines"), REG_SZ,
               Utf16z(QStringLiteral("one\r\ntwo")));
    r.SetValue(HKEY_CURRENT_USER, app, QStringLiteral("NoNul"), REG_SZ, QByteArray("a\0b\0", 4));
    r.SetValue(HKEY_CURRENT_USER, app, QStringLiteral("OddBytes"), REG_SZ, QByteArray("abc", 3));
    QByteArray loneSurrogate(4, '\0');
    loneSurrogate[1] = '\xD8';
    r.SetValue(HKEY_CURRENT_USER, app, QStringLiteral("Surrogate"), REG_SZ, loneSurrogate);
    r.SetValue(HKEY_CURRENT_USER, app, QStringLiteral("ShortDword"), REG_DWORD, QByteArray("\x01\x02", 2));
    QByteArray big;
    for (int i = 0; i < 300; ++i) {
        big.append(static_cast<char>(i * 7));
    }
    r.SetValue(HKEY_CURRENT_USER, app, QStringLiteral("Big"), REG_BINARY, big);
    r.SetValue(HKEY_CURRENT_USER, app, QStringLiteral("Empty"), REG_BINARY, QByteArray());
    r.SetValue(HKEY_CURRENT_USER, app, QStringLiteral("None"), REG_NONE, QByteArray("\x00", 1));
    r.SetValue(HKEY_CURRENT_USER, app, QStringLiteral("Multi"), 7,
               Utf16z(QStringLiteral("a")) + QByteArray(2, '\0'));
    r.SetValue(HKEY_CURRENT_USER, app, QStringLiteral("OddType"), 0x12345, QByteArray("zz", 2));
    r.SetDword(HKEY_CURRENT_USER, QStringLiteral("Software\\Tag]"), QStringLiteral("Bracket"), 5);
    HKEY empty = nullptr;
    r.RegCreateKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software\\Empty Key"), 0, QString(), 0, KEY_WRITE,
                     nullptr, &empty, nullptr);
    r.RegCloseKey(empty);
    r.SetDword(HKEY_LOCAL_MACHINE, QStringLiteral("Software\\Wow6432Node\\Korvel\\Tessaly\\"),
               QStringLiteral("AutoSync"), 1);
}

TEST(RegistryHive, EverythingWrittenReadsBackExactly) {
    CTempDir dir;
    const QString user = dir.File(QStringLiteral("user/HKCU.reg"));
    const QString machine = dir.File(QStringLiteral("machine/HKLM.reg"));
    CWarningCapture warnings;
    CRegistry memory;
    FillAwkward(memory);
    const QStringList written = Dump(memory);
    ASSERT_GT(written.size(), 25);

    CRegistry registry(user, machine);
    FillAwkward(registry);
    EXPECT_EQ(written, Dump(registry));
    CRegistry fresh(user, machine);
    EXPECT_EQ(written, Dump(fresh));
    registry.Reload();
    EXPECT_EQ(written, Dump(registry));
    EXPECT_TRUE(warnings.Messages().isEmpty()) << warnings.Messages().join(u'\n').toStdString();
}

TEST(RegistryHive, FileIsRegistryEditorTextInUtf8) {
    CTempDir dir;
    const QString user = dir.File(QStringLiteral("HKCU.reg"));
    CRegistry registry(user, QString());
    const QString key = QStringLiteral("Software\\Korvel\\Tessaly");
    registry.SetDword(HKEY_CURRENT_USER, key, QStringLiteral("First"), 0);
    registry.SetDword(HKEY_CURRENT_USER, key, QStringLiteral("Model"), 10);
    registry.SetString(HKEY_CURRENT_USER, key, QStringLiteral("Path"), QStringLiteral("C:\\Music\\\"a\""));
    registry.SetString(HKEY_CURRENT_USER, key, QString(), QStringLiteral("既定"));
    registry.SetValue(HKEY_CURRENT_USER, key, QStringLiteral("Bin"), REG_BINARY, QByteArray("\x01\xab", 2));
    registry.SetDword(HKEY_LOCAL_MACHINE, key, QStringLiteral("Model"), 1); // memory only

    const QByteArray expected = "Windows Registry Editor Version 5.00\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\Software]\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Korvel]\r\n"
                                "\r\n"
                                "[HKEY_CURRENT_USER\\Software\\Korvel\\Tessaly]\r\n"
                                "\"First\"=dword:00000000\r\n"
                                "\"Model\"=dword:0000000a\r\n"
                                "\"Path\"=\"C:\\\\Music\\\\\\\"a\\\"\"\r\n"
                                "@=\"\xe6\x97\xa2\xe5\xae\x9a\"\r\n"
                                "\"Bin\"=hex:01,ab\r\n"
                                "\r\n";
    EXPECT_EQ(expected, ReadFile(user));
    EXPECT_EQ(QStringList{QStringLiteral("HKCU.reg")},
              QDir(dir.Path()).entryList(QDir::Files | QDir::Hidden));
}

TEST(RegistryHive, ReadsUtf8AndUtf16WithTheirByteOrderMarks) {
    const QString text = QStringLiteral("Windows Registry Editor Version 5.00\n"
                                        "\n"
                                        "; written by hand\n"
                                        "[HKEY_CURRENT_USER\\Software\\Korvel\\Tessaly\\]\n"
                                        "\"Model\"=DWORD:0000000A\n"
                                        "\"Name\"=\"音声\"\n"
                                        "\"Long\"=hex:01,02,\\\n"
                                        "  03,04\n"
                                        "\"Expand\"=hex(2):25,00,00,00\n");
    QString crlf = text;
    crlf.replace(u'\n', QStringLiteral("\r\n"));
    QStringEncoder toUtf16(QStringConverter::Utf16LE);
    const struct {
        const char* label;
        QByteArray bytes;
    } cases[] = {
        {"UTF-8, LF", text.toUtf8()},
        {"UTF-8 with BOM, CRLF", "\xEF\xBB\xBF" + crlf.toUtf8()},
        {"UTF-16LE with BOM, CRLF", "\xFF\xFE" + QByteArray(toUtf16(crlf))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        CTempDir dir;
        WriteFile(dir.File(QStringLiteral("HKCU.reg")), c.bytes);
        CWarningCapture warnings;
        CRegistry registry(dir.File(QStringLiteral("HKCU.reg")), QString());
        const QString key = QStringLiteral("Software\\Korvel\\Tessaly");
        EXPECT_EQ(10u, registry.GetDword(HKEY_CURRENT_USER, key, QStringLiteral("Model")));
        EXPECT_EQ(QStringLiteral("音声"), registry.GetString(HKEY_CURRENT_USER, key, QStringLiteral("Name")));
        const auto binary = registry.GetValue(HKEY_CURRENT_USER, key, QStringLiteral("Long"));
        ASSERT_TRUE(binary.has_value());
        EXPECT_EQ(REG_BINARY, binary->type);
        EXPECT_EQ(QByteArray("\x01\x02\x03\x04", 4), binary->data);
        const auto expand = registry.GetValue(HKEY_CURRENT_USER, key, QStringLiteral("Expand"));
        ASSERT_TRUE(expand.has_value());
        EXPECT_EQ(2u, expand->type);
        EXPECT_EQ(QByteArray("%\0\0\0", 4), expand->data);
        EXPECT_TRUE(warnings.Messages().isEmpty()) << warnings.Messages().join(u'\n').toStdString();
    }
}

TEST(RegistryHive, CorruptHiveLoadsWhatIsValidAndNamesEverySkippedLine) {
    const QList<QByteArray> lines = {
        "Windows Registry Editor Version 5.00",        // 1
        "",                                            // 2
        "[HKEY_CURRENT_USER\\Software\\Good]",         // 3
        "\"A\"=dword:00000001",                        // 4
        "this is junk",                                // 5
        "\"B\"=\"truncated",                           // 6
        QByteArray("\x00\xff\xfe\x80garbage\x01", 12), // 7
        "\"C\"=dword:xyz",                             // 8
        "\"D\"=\"ok\"",                                // 9
        "[HKEY_CURRENT_USER\\Software\\Broken",        // 10
        "\"E\"=dword:00000002",                        // 11
        "[HKEY_LOCAL_MACHINE\\Software\\Other]",       // 12
        "\"F\"=dword:00000003",                        // 13
        "[HKEY_CURRENT_USER\\Software\\Good\\Sub]",    // 14
        "\"G\"=hex:01,02,\\",                          // 15
        "  03",                                        // 16
        "\"M\"=hex:05,\\",                             // 17 (cut off: the next line is a value)
        "\"N\"=dword:00000004",                        // 18
        "\"H\"=hex:zz",                                // 19
        "\"I\"=\"bad \\q escape\"",                    // 20
        "\"J\"=dword:123456789",                       // 21
        "[HKEY_CURRENT_USER\\Software\\\\Double]",     // 22
        "\"K\"=-",                                     // 23
        "\"L\"=hex:01,\\",                             // 24 (cut off at the end of the file)
    };
    CTempDir dir;
    const QString path = dir.File(QStringLiteral("HKCU.reg"));
    QByteArray bytes = lines.join('\n');
    WriteFile(path, bytes);

    CWarningCapture warnings;
    CRegistry registry(path, QString());
    EXPECT_EQ(1u,
              registry.GetDword(HKEY_CURRENT_USER, QStringLiteral("Software\\Good"), QStringLiteral("A")));
    EXPECT_EQ(QStringLiteral("ok"),
              registry.GetString(HKEY_CURRENT_USER, QStringLiteral("Software\\Good"), QStringLiteral("D")));
    EXPECT_EQ((QStringList{QStringLiteral("A"), QStringLiteral("D")}),
              registry.ValueNames(HKEY_CURRENT_USER, QStringLiteral("Software\\Good")));
    EXPECT_EQ(
        QByteArray("\x01\x02\x03", 3),
        registry.GetValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Good\\Sub"), QStringLiteral("G"))
            ->data);
    EXPECT_EQ((QStringList{QStringLiteral("G"), QStringLiteral("N")}),
              registry.ValueNames(HKEY_CURRENT_USER, QStringLiteral("Software\\Good\\Sub")));
    EXPECT_EQ(QStringList{QStringLiteral("Good")},
              registry.SubKeyNames(HKEY_CURRENT_USER, QStringLiteral("Software")));
    EXPECT_FALSE(registry.KeyExists(HKEY_LOCAL_MACHINE, QStringLiteral("Software")));

    for (int line : {5, 6, 7, 8, 10, 11, 12, 13, 17, 19, 20, 21, 22, 23, 24}) {
        EXPECT_TRUE(warnings.Mentions(QStringLiteral("%1:%2:").arg(path).arg(line))) << "line " << line;
    }
    for (int line : {1, 3, 4, 9, 14, 15, 16, 18}) {
        EXPECT_FALSE(warnings.Mentions(QStringLiteral("%1:%2:").arg(path).arg(line))) << "line " << line;
    }

    // The first save drops the unreadable lines from the hive but keeps the original beside it.
    ASSERT_EQ(ERROR_SUCCESS,
              registry.SetDword(HKEY_CURRENT_USER, QStringLiteral("Software\\Good"), QStringLiteral("A"), 7));
    EXPECT_EQ(bytes, ReadFile(path + QStringLiteral(".bad")));
    CRegistry reread(path, QString());
    EXPECT_EQ(Dump(registry), Dump(reread));
}

TEST(RegistryHive, MissingHeaderStillLoadsTheRest) {
    CWarningCapture warnings;
    const CRegKey root = CHiveFile::Parse("[HKEY_CURRENT_USER\\Software]\n\"A\"=dword:00000002\n", kRoot,
                                          QStringLiteral("hand.reg"));
    ASSERT_NE(nullptr, root.FindChild(QStringLiteral("Software")));
    EXPECT_NE(nullptr, root.FindChild(QStringLiteral("Software"))->FindValue(QStringLiteral("A")));
    EXPECT_TRUE(warnings.Mentions(QStringLiteral("hand.reg:1:")));
}

TEST(RegistryHive, EveryTruncationOfAHiveLoadsAPrefixOfIt) {
    const QByteArray full = [&] {
        CTempDir dir;
        CRegistry file(dir.File(QStringLiteral("HKCU.reg")), QString());
        FillAwkward(file);
        return ReadFile(dir.File(QStringLiteral("HKCU.reg")));
    }();
    ASSERT_GT(full.size(), 1000);
    const QStringList whole = DumpTree(CHiveFile::Parse(full, kRoot, QStringLiteral("full")));

    CWarningCapture quiet;
    for (qsizetype cut = 0; cut < full.size(); ++cut) {
        const QStringList part = DumpTree(CHiveFile::Parse(full.left(cut), kRoot, QStringLiteral("cut")));
        int foreign = 0;
        for (const QString& entry : part) {
            foreign += whole.contains(entry) ? 0 : 1;
        }
        // Only the line the cut falls in may read as something else (a shorter dword or hex list);
        // a cut at a line end leaves nothing that was not in the whole file.
        const bool atLineEnd = cut > 0 && full.at(cut - 1) == '\n';
        ASSERT_LE(foreign, atLineEnd ? 0 : 1) << "cut at " << cut;
    }
}

TEST(RegistryHive, WhateverLoadsFromGarbageSavesAndReloadsTheSame) {
    // Bytes weighted towards the characters the format is made of.
    const QByteArray alphabet =
        QByteArray("[]\"\\=@:,;\n\r -HKEY_CURRENT_USER hex(dword0123456789abcdefXYZ") +
        QByteArray("\x00\xff\xe3\x81\x82\xc0", 6);
    std::mt19937 random(20240611);
    CWarningCapture quiet;
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = round % 2
                               ? QByteArray("Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n")
                               : QByteArray();
        const int length = static_cast<int>(random() % 600);
        for (int i = 0; i < length; ++i) {
            bytes.append(alphabet.at(static_cast<qsizetype>(random() % alphabet.size())));
        }
        const CRegKey loaded = CHiveFile::Parse(bytes, kRoot, QStringLiteral("garbage"));
        const CRegKey again = CHiveFile::Parse(CHiveFile::Serialize(loaded), kRoot, QStringLiteral("again"));
        ASSERT_EQ(DumpTree(loaded), DumpTree(again))
            << "round " << round << ": " << bytes.toHex().toStdString();
    }
    EXPECT_FALSE(quiet.Messages().isEmpty());
}

TEST(RegistryHive, MissingFileIsAnEmptyRootAndOnlyAChangeCreatesIt) {
    CTempDir dir;
    const QString path = dir.File(QStringLiteral("not/yet/HKCU.reg"));
    CRegistry registry(path, QString());
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              registry.RegOpenKeyEx(HKEY_CURRENT_USER, QStringLiteral("Software"), 0, KEY_READ, &key));
    EXPECT_FALSE(registry.GetValue(HKEY_CURRENT_USER, QString(), QString()).has_value());
    EXPECT_FALSE(QFile::exists(dir.File(QStringLiteral("not"))));

    EXPECT_EQ(ERROR_SUCCESS,
              registry.SetDword(HKEY_CURRENT_USER, QStringLiteral("Software"), QStringLiteral("X"), 1));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(path, registry.HivePath(HKEY_CURRENT_USER));
    EXPECT_TRUE(registry.HivePath(HKEY_LOCAL_MACHINE).isEmpty());
}

TEST(RegistryHive, HandEditIsSeenAtTheNextReadWithoutReload) {
    CTempDir dir;
    const QString path = dir.File(QStringLiteral("HKCU.reg"));
    CRegistry registry(path, QString());
    const QString key = QStringLiteral("Software\\Korvel\\Tessaly\\");
    ASSERT_EQ(ERROR_SUCCESS, registry.SetDword(HKEY_CURRENT_USER, key, QStringLiteral("AutoSync"), 0));
    HKEY handle = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, registry.RegOpenKeyEx(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle));

    WriteFile(path, "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\Korvel\\Tessaly]\n"
                    "\"AutoSync\"=\"on\"\n");
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS,
              registry.RegQueryValueEx(handle, QStringLiteral("AutoSync"), nullptr, &type, nullptr, &size));
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(6u, size);

    QFile::remove(path);
    EXPECT_EQ(ERROR_KEY_DELETED,
              registry.RegQueryValueEx(handle, QStringLiteral("AutoSync"), nullptr, &type, nullptr, &size));
    registry.RegCloseKey(handle);
}

} // namespace
