// Titles arrive as bytes of an unknown character set, or as libcdio's ISO-8859-1 reading of them.
#include "mediaengine/disc/CdTextDecoder.h"

#include <QList>
#include <gtest/gtest.h>

namespace {

struct BytesCase {
    const char* name;
    QByteArray bytes;
    QString expected;
};

TEST(CdTextDecoder, DecodesUtf8ThenShiftJisThenLatin1) {
    const QString japanese = QStringLiteral("ソ表能アルバム 一曲目");
    const QList<BytesCase> cases = {
        {"utf-8", japanese.toUtf8(), japanese},
        // ソ and 表 end in 0x5C, the byte of a backslash.
        {"shift_jis",
         QByteArray("\x83\x5C\x95\x5C\x94\x5C\x83\x41\x83\x8B\x83\x6F\x83\x80 \x88\xEA\x8B\xC8\x96\xDA"),
         japanese},
        {"half-width katakana", QByteArray("\xB1\xB0\xC3\xA8\xBD\xC4"), QStringLiteral("ｱｰﾃｨｽﾄ")},
        {"latin-1", QByteArray("Caf\xE9 Noir"), QStringLiteral("Café Noir")},
        // Neither UTF-8 nor CP932: kept as Latin-1 rather than dropped.
        {"invalid bytes", QByteArray("\x80\xFF\xFE"), QString::fromLatin1("\x80\xFF\xFE")},
        {"truncated shift_jis", QByteArray("\x83\x41\x83"), QString::fromLatin1("\x83\x41\x83")},
        // An overlong "/" is no UTF-8 and must not become a path separator; in CP932 it is katakana.
        {"overlong utf-8", QByteArray("a\xC0\xAF"), QStringLiteral("aﾀｯ")},
        {"utf-8 surrogate", QByteArray("\xED\xA0\x80"), QString::fromLatin1("\xED\xA0\x80")},
        {"blanks trimmed", QByteArray("  title \r"), QStringLiteral("title")},
        {"empty", QByteArray(), QString()},
    };
    for (const BytesCase& c : cases) {
        EXPECT_EQ(CCdTextDecoder::FromBytes(c.bytes), c.expected) << c.name;
    }
}

TEST(CdTextDecoder, RecoversBytesFromLibcdioLatin1Reading) {
    // libcdio turns each byte of a CUE title into one ISO-8859-1 character, encoded as UTF-8.
    const QByteArray shiftJis("\x88\xEA\x8B\xC8\x96\xDA");
    EXPECT_EQ(CCdTextDecoder::FromLibcdio(QString::fromLatin1(shiftJis).toUtf8().constData()),
              QStringLiteral("一曲目"));
    const QByteArray utf8 = QStringLiteral("青空楽団").toUtf8();
    EXPECT_EQ(CCdTextDecoder::FromLibcdio(QString::fromLatin1(utf8).toUtf8().constData()),
              QStringLiteral("青空楽団"));
    // A drive whose CD-Text block says MS-JIS comes decoded already.
    EXPECT_EQ(CCdTextDecoder::FromLibcdio(QStringLiteral("夜明けのうた").toUtf8().constData()),
              QStringLiteral("夜明けのうた"));
    EXPECT_EQ(CCdTextDecoder::FromLibcdio("Plain ASCII"), QStringLiteral("Plain ASCII"));
    EXPECT_EQ(CCdTextDecoder::FromLibcdio(nullptr), QString());
    // Raw bytes from a libcdio without iconv.
    EXPECT_EQ(CCdTextDecoder::FromLibcdio(shiftJis.constData()), QStringLiteral("一曲目"));
}

} // namespace
