// Names on the card, path splitting, drive labels and the time and size read-outs.

#include "ui/text/TextRules.h"

#include "platform/Platform.h"
#include "platform/files/Volumes.h"

#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <memory>

namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

const char* const kBox = "\u25A1";

} // namespace

TEST(TextRules, CleanNameKeepsLengthAndReplacesWhatThePlayerCannotShow) {
    struct Case {
        QString text;
        QString expected;
    };
    const QString thirty = U("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ");
    const Case cases[] = {
        {QString(), QString()},
        {U("音声データ ｱｲｳ 100%"), U("音声データ ｱｲｳ 100%")},
        // Syntax characters of file names stay: this is no file-name check.
        {U("\\/:*?\"<>|"), U("\\/:*?\"<>|")},
        {thirty, thirty.left(26)},
        // U+8541 (蕁) cannot start a name but may follow its first character.
        {U("\u8541\u8541"), U("□\u8541")},
        {U("a\u8541"), U("a\u8541")},
        // NEC circled digit, accented Latin, control characters, anywhere.
        {U("\u2460x\u2460"), U("□x□")},
        {U("Caf\u00E9"), U("Caf□")},
        {U("a\tb\nc\x7F"), U("a□b□c□")},
        // JIS and code page 932 forms of the wave dash both stay.
        {U("\u301C\uFF5E"), U("\u301C\uFF5E")},
        // A character outside the basic plane is two code units, and two boxes.
        {U("x\U0001F3B5y"), U("x□□y")},
        {U("\u25A1\u25A1"), U("□□")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CleanName(c.text), c.expected) << c.text.toStdString();

    // Lone surrogates, leading and trailing, and one cut in half by the 26-unit limit.
    const QString lone = QString(QChar(0xD800)) + QChar(u'a') + QChar(0xDC00);
    EXPECT_EQ(CleanName(lone), U("□a□"));
    const QString cutPair = QString(25, QLatin1Char('x')) + U("\U0001F3B5");
    EXPECT_EQ(CleanName(cutPair), QString(25, QLatin1Char('x')) + U(kBox));

    EXPECT_EQ(CleanTitle(U("E:\\音声データ\\\u2460 一番目の曲.mp3")), U("□ 一番目の曲"));
    EXPECT_EQ(CleanTitle(QStringLiteral("C:\\x\\") + thirty + QStringLiteral(".mp3")), thirty.left(26));
}

TEST(TextRules, PathSplitting) {
    struct Case {
        const char* path;
        const char* fileName;
        const char* title;
        const char* extension;
        const char* folder;     // FolderOf(path, true)
        const char* folderName; // FolderOf(path, false)
    };
    const Case cases[] = {
        {"C:\\Music\\Artist\\Album\\01 Track.mp3", "01 Track.mp3", "01 Track", "mp3",
         "C:\\Music\\Artist\\Album", "Album"},
        {"C:\\Music\\Artist\\Album", "Album", "Album", "", "C:\\Music\\Artist", "Artist"},
        {"C:\\file.txt", "file.txt", "file", "txt", "C:", "C:"},
        {"a.b.wma", "a.b.wma", "a.b", "wma", "a.b.wma", "a.b.wma"},
        {".wma", ".wma", ".wma", "", ".wma", ".wma"},
        {"name.", "name.", "name", "", "name.", "name."},
        {"C:\\dir\\.hidden", ".hidden", ".hidden", "hidden", "C:\\dir", "dir"},
        // The extension is taken from the whole path, even when the dot is in a folder name.
        {"C:\\dir.v2\\track", "track", "track", "v2\\track", "C:\\dir.v2", "dir.v2"},
        // A separator only at position 0 does not split.
        {"\\file.txt", "\\file.txt", "\\file", "txt", "\\file.txt", "\\file.txt"},
        {"\\\\server\\x.mp3", "x.mp3", "x", "mp3", "\\\\server", "server"},
        {"\\\\x.mp3", "x.mp3", "x", "mp3", "", ""},
        {"C:\\a\\\\b.mp3", "b.mp3", "b", "mp3", "", ""},
        {"C:\\", "", "", "", "", ""},
        {"C:\\Music\\", "", "", "", "", ""},
        {"\\", "\\", "\\", "", "\\", "\\"},
        {"\\\\\\", "", "", "", "", ""},
        {"", "", "", "", "", ""},
        {".", ".", ".", "", ".", "."},
    };
    for (const Case& c : cases) {
        const QString path = U(c.path);
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FileNameOf(path), U(c.fileName));
        EXPECT_EQ(FileTitle(path), U(c.title));
        EXPECT_EQ(ExtensionOf(path), U(c.extension));
        EXPECT_EQ(FolderOf(path, true), U(c.folder));
        EXPECT_EQ(FolderOf(path, false), U(c.folderName));
    }
}

TEST(TextRules, TrackTime) {
    struct Case {
        uint32_t seconds;
        const char* text;
    };
    const Case cases[] = {
        {0, "00:00"},      {59, "00:59"},     {60, "01:00"},       {3599, "59:59"},
        {3600, "1:00:00"}, {3661, "1:01:01"}, {36061, "10:01:01"}, {UINT32_MAX, "1193046:28:15"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatTrackTime(c.seconds), U(c.text)) << c.seconds;
}

// Megabytes are rounded to single precision before they are compared or printed, and the printed
// value is lowered by half a unit of its last digit, which mostly cuts instead of rounding.
TEST(TextRules, SizeFromBytes) {
    constexpr uint64_t MB = 1024 * 1024;
    struct Case {
        uint64_t bytes;
        const char* text;
    };
    const Case cases[] = {
        {0, "0 バイト"},
        {1, "約 0 KB"},
        {1000, "約 0 KB"},
        {1024, "約 1 KB"},
        {1022976, "約 999 KB"},
        {MB - 1, "約 1023 KB"},
        {MB, "約 0.99 MB"},
        // 1.495 and 4.995 lie just above their decimal halves in binary, so they round up.
        {MB + MB / 2, "約 1.50 MB"},
        {5 * MB, "約 5.00 MB"},
        {5 * MB + 1, "約 5.00 MB"},
        {10 * MB - 1, "約 9.99 MB"},
        {10 * MB, "約  9.9 MB"},
        // 10 MB + 1 byte is a float just above 10; lowered by 0.05 it rounds up to 10.0.
        {10 * MB + 1, "約 10.0 MB"},
        {99 * MB + MB / 2, "約 99.5 MB"},
        {104000000, "約 99.1 MB"},
        {104857599, "約 100 MB"},
        {100 * MB, "約 100 MB"},
        {4294967295ull, "約 4096 MB"},
        {4294967296ull, "約 4096 MB"},
        {UINT64_MAX, "約 17592186044416 MB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSizeBytes(c.bytes), U(c.text)) << c.bytes;
}

TEST(TextRules, SizeFromClusters) {
    constexpr uint32_t kMax = UINT32_MAX;
    struct Case {
        uint32_t clusters;
        uint32_t sectorsPerCluster;
        uint32_t bytesPerSector;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, 0, "-- MB"},
        {5, 0, 0, "-- MB"},
        {0, 8, 512, "0 バイト"},
        {7, 0, 512, "0 バイト"},
        {1, 1, 1, "約 0 KB"},
        {1, 8, 512, "約 4 KB"},
        {256, 8, 512, "約 0.99 MB"},
        {2560, 8, 512, "約  9.9 MB"},
        {25600, 8, 512, "約 100 MB"},
        {244000, 8, 512, "約 953 MB"},
        // Products beyond 32 bits: 4 GiB, 16 TiB less a cluster, and the largest of all.
        {1048576, 8, 512, "約 4096 MB"},
        {kMax, 1, 1, "約 4096 MB"},
        {kMax, 8, 512, "約 16777216 MB"},
        {kMax, kMax, kMax, "約 75557863725914323419136 MB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSize(c.clusters, c.sectorsPerCluster, c.bytesPerSector), U(c.text))
            << c.clusters << " x " << c.sectorsPerCluster << " x " << c.bytesPerSector;
}

TEST(TextRules, Megabytes) {
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0.0, "-- MB"},           {-0.0, "-- MB"},      {0.4, "約    0 MB"},   {1.0, "約    1 MB"},
        {4.5, "約    4 MB"},      {5.5, "約    6 MB"},  {650.7, "約  651 MB"}, {9999.4, "約 9999 MB"},
        {12345.6, "約 12346 MB"}, {-3.0, "約   -3 MB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatMegabytes(c.value), U(c.text)) << c.value;
    // The widest double still gives its whole number.
    const QString widest = FormatMegabytes(std::numeric_limits<double>::max());
    EXPECT_TRUE(widest.startsWith(U("約 17976931348623157"))) << widest.toStdString();
    EXPECT_EQ(widest.size(), 2 + 309 + 3);
}

namespace {

class CDrivesFixture {
public:
    CDrivesFixture() {
        Add('C', DRIVE_FIXED, QString());
        Add('D', DRIVE_CDROM, QString());
        Add('E', DRIVE_REMOVABLE, QString());
        Add('F', DRIVE_REMOVABLE, U("SDカード"));
        Add('G', DRIVE_REMOVABLE, U("PULLED"), false);
        Add('H', DRIVE_CDROM, QStringLiteral("Audio CD"));
        Add('I', DRIVE_REMOVABLE, QString(300, QLatin1Char('L')));
        CPlatform services;
        services.volumes = &m_volumes;
        m_scope = std::make_unique<CPlatformScope>(services);
    }

private:
    void Add(char letter, UINT type, const QString& label, bool present = true) {
        CVolumes::Drive drive;
        drive.letter = QLatin1Char(letter);
        drive.type = type;
        drive.label = label;
        drive.present = present;
        m_volumes.SetDrive(drive);
    }

    CVolumes m_volumes;
    std::unique_ptr<CPlatformScope> m_scope;
};

} // namespace

TEST(TextRules, DriveLabelEndsInTheLetterAndNamesUnlabelledDrives) {
    CDrivesFixture drives;
    struct Case {
        char letter;
        QString label;
    };
    const Case cases[] = {
        {'C', U("CD ドライブ (C:)")},
        {'D', U("CD ドライブ (D:)")},
        {'E', U("リムーバブル ディスク (E:)")},
        {'F', U("SDカード (F:)")},
        // A card slot without a card has no volume to read a label from.
        {'G', U("リムーバブル ディスク (G:)")},
        {'H', U("Audio CD (H:)")},
        {'I', QString(259, QLatin1Char('L')) + U(" (I:)")},
        // A letter without a drive.
        {'Z', U("CD ドライブ (Z:)")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DriveLabel(QLatin1Char(c.letter)), c.label) << c.letter;
}

TEST(TextRules, DriveLabelWithoutADriveTable) {
    CPlatform none;
    CPlatformScope scope(none);
    EXPECT_EQ(DriveLabel(QLatin1Char('E')), U("CD ドライブ (E:)"));
}

namespace {

class CFakeText : public ITextControl {
public:
    QString GetText() const override { return text; }
    void SetText(const QString& value) override {
        text = value;
        ++sets;
    }
    QString text;
    int sets = 0;
};

} // namespace

TEST(TextRules, SetTextIfChangedWritesOnlyChanges) {
    CFakeText control;
    control.text = U("約 12.3 MB");
    EXPECT_FALSE(SetTextIfChanged(&control, U("約 12.3 MB")));
    EXPECT_EQ(control.sets, 0);
    EXPECT_TRUE(SetTextIfChanged(&control, U("約 12.4 MB")));
    EXPECT_EQ(control.sets, 1);
    EXPECT_EQ(control.text, U("約 12.4 MB"));
    EXPECT_TRUE(SetTextIfChanged(&control, QString()));
    EXPECT_FALSE(SetTextIfChanged(&control, QString()));
    EXPECT_EQ(control.sets, 2);
    EXPECT_FALSE(SetTextIfChanged(nullptr, U("x")));
}
