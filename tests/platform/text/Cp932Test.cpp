// The one CP932 codec: what decodes, what does not, and what it writes, including the characters
// Microsoft added to Shift_JIS (circled numbers), which FAT labels and CD-Text of Japanese discs use.
#include "platform/text/Cp932.h"

#include <gtest/gtest.h>

namespace {

struct DecodeCase {
    const char* name;
    QByteArray bytes;
    bool valid;
    QString strict;  // what Decode gives when valid
    QString lenient; // what DecodeLenient gives
};

TEST(Cp932, DecodesStrictlyOrMarksWhatIsNotCp932) {
    const QString bad(QChar(0xFFFD));
    const DecodeCase cases[] = {
        {"Japanese", QByteArray("\x93\xfa\x96\x7b\x8c\xea"), true, QStringLiteral("日本語"),
         QStringLiteral("日本語")},
        {"MicrosoftAdditions", QByteArray("\x87\x40\x87\x41"), true, QStringLiteral("①②"),
         QStringLiteral("①②")},
        {"Empty", QByteArray(), true, QString(), QString()},
        {"CutOffLeadByte", QByteArray("A\x82"), false, QString(), QStringLiteral("A") + bad},
        {"UndefinedByteInside", QByteArray("\x93\xfa\xff\x96\x7b"), false, QString(),
         QStringLiteral("日") + bad + QStringLiteral("本")},
    };
    for (const DecodeCase& c : cases) {
        QString text = QStringLiteral("unchanged");
        EXPECT_EQ(CCp932::Decode(c.bytes, &text), c.valid) << c.name;
        if (c.valid) {
            EXPECT_EQ(text, c.strict) << c.name;
        } else {
            EXPECT_EQ(text, QStringLiteral("unchanged")) << c.name;
        }
        EXPECT_EQ(CCp932::DecodeLenient(c.bytes), c.lenient) << c.name;
    }
}

TEST(Cp932, EncodesWhatItCanAndRefusesTheRest) {
    EXPECT_EQ(CCp932::Encode(QStringLiteral("日本語①")), QByteArray("\x93\xfa\x96\x7b\x8c\xea\x87\x40"));
    EXPECT_EQ(CCp932::Encode(QString()), QByteArray());
    EXPECT_EQ(CCp932::Encode(QStringLiteral("歌😀")), std::nullopt) << "no form in CP932";
    EXPECT_EQ(CCp932::Encode(QStringLiteral("Ä")), std::nullopt);
}

} // namespace
