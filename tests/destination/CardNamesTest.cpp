// Names on the card: what disc data may not do to a path (climb out, vanish, hold characters FAT
// refuses), and the 260-unit limit of a whole path.
#include "destination/CardNames.h"

#include <gtest/gtest.h>

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

TEST(CardNames, NamesAreMadeValidForTheCard) {
    struct Case {
        QString name;
        QString valid;
    } cases[] = {
        {QString(), U("□")},
        {QStringLiteral("."), U("□")},
        {QStringLiteral(".."), U("□□")},
        {QStringLiteral("..."), U("□□□")},
        {QStringLiteral("Album."), U("Album□")},
        {QStringLiteral("Album . "), U("Album□□□")},
        {QStringLiteral(" Album"), QStringLiteral(" Album")},
        {QStringLiteral(".hidden"), QStringLiteral(".hidden")},
        {QStringLiteral("a\\b/c:d*e?f\"g<h>i|j"), U("a□b□c□d□e□f□g□h□i□j")},
        {QString(QChar(0x01)) + QStringLiteral("x") + QChar(0x7F), U("□x□")},
        {U("夏の記憶"), U("夏の記憶")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CardName(c.name), c.valid) << c.name.toStdString();
}

TEST(CardNames, AlbumFolderIsCleanedThenMadeValid) {
    EXPECT_EQ(CardAlbumFolder(QStringLiteral("E:"), QStringLiteral("..")), U("E:\\音声データ\\□□"));
    EXPECT_EQ(CardAlbumFolder(QStringLiteral("E:"), QString()), U("E:\\音声データ\\□"));
    EXPECT_EQ(CardAlbumFolder(QStringLiteral("E:"), U("123456789012345678901234567890")),
              U("E:\\音声データ\\12345678901234567890123456"));
    EXPECT_EQ(CardAlbumFolder(QStringLiteral("F:"), U("caf\u00e9")), U("F:\\音声データ\\caf□"));
}

TEST(CardNames, FilePathsStayInsideTheAlbumFolderAndWithin260Units) {
    const QString folder = U("E:\\音声データ\\A"); // 10 units; the file name follows a "\"
    QString target;
    ASSERT_TRUE(CardFilePath(folder, QStringLiteral("C:\\Music\\X\\A\\01 Song.mp3"), &target));
    EXPECT_EQ(target, U("E:\\音声データ\\A\\01 Song.mp3"));
    ASSERT_TRUE(CardFilePath(folder, QStringLiteral("C:\\Music\\X\\A\\noext"), &target));
    EXPECT_EQ(target, U("E:\\音声データ\\A\\noext"));
    ASSERT_TRUE(CardFilePath(folder, QStringLiteral("C:\\Music\\Mr. X\\A\\01 Song"), &target));
    EXPECT_EQ(target, U("E:\\音声データ\\A\\01 Song. X□A□01 Song")) << "the extension cannot add a folder";

    // "f." and an extension: 11 + 2 + n units.
    const QString fits = QStringLiteral("C:\\f.") + QString(246, QLatin1Char('e'));
    ASSERT_TRUE(CardFilePath(folder, fits, &target));
    EXPECT_EQ(target.size(), 259);
    EXPECT_FALSE(CardFilePath(folder, fits + QLatin1Char('e'), &target))
        << "260 units leave no room for the end";
    EXPECT_EQ(target.size(), 259) << "untouched on failure";

    // A folder that is not an album folder of the card's audio folder is refused.
    EXPECT_FALSE(CardFilePath(QStringLiteral("E:\\other\\A"), QStringLiteral("C:\\a.mp3"), &target));
    EXPECT_FALSE(CardFilePath(U("E:\\音声データ\\A\\B"), QStringLiteral("C:\\a.mp3"), &target));
    EXPECT_FALSE(CardFilePath(U("E:\\音声データ\\.."), QStringLiteral("C:\\a.mp3"), &target));
}

} // namespace
