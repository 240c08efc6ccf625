// GUID text: the registry form, read in any case, written in upper case, nothing else accepted.
#include "platform/com/Guid.h"

#include <gtest/gtest.h>

namespace {

TEST(GuidTest, ParsesAnyCaseAndFormatsUpperCase) {
    GUID g;
    ASSERT_TRUE(GuidFromString(QStringLiteral("{6bf52a52-394a-11d3-b153-00c04f79faa6}"), &g));
    EXPECT_EQ(g.Data1, 0x6BF52A52u);
    EXPECT_EQ(g.Data2, 0x394A);
    EXPECT_EQ(g.Data3, 0x11D3);
    const BYTE tail[8] = {0xB1, 0x53, 0x00, 0xC0, 0x4F, 0x79, 0xFA, 0xA6};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(g.Data4[i], tail[i]) << i;
    }
    EXPECT_EQ(GuidToString(g), QStringLiteral("{6BF52A52-394A-11D3-B153-00C04F79FAA6}"));
    EXPECT_EQ(GuidFromString(QStringLiteral("{6BF52A52-394A-11d3-B153-00C04F79FAA6}")), g);
    constexpr GUID compiled = MakeGuid("{6BF52A52-394A-11d3-B153-00C04F79FAA6}");
    EXPECT_EQ(compiled, g);
}

TEST(GuidTest, RejectsMalformedTextAndLeavesTheTargetAlone) {
    const QString bad[] = {
        QString(),
        QStringLiteral("6BF52A52-394A-11D3-B153-00C04F79FAA6"),    // no braces
        QStringLiteral("{6BF52A52-394A-11D3-B153-00C04F79FAA}"),   // one digit short
        QStringLiteral("{6BF52A52-394A-11D3-B153-00C04F79FAA6 }"), // blank inside
        QStringLiteral(" {6BF52A52-394A-11D3-B153-00C04F79FAA6}"), // blank outside
        QStringLiteral("{6BF52A52394A-11D3-B153-00C04F79FAA6-}"),  // dash out of place
        QStringLiteral("{6BF52A5G-394A-11D3-B153-00C04F79FAA6}"),  // not hexadecimal
        QStringLiteral("{６BF52A52-394A-11D3-B153-00C04F79FAA6}"), // full-width digit
    };
    for (const QString& text : bad) {
        SCOPED_TRACE(text.toStdString());
        GUID g = MakeGuid("{01234567-89AB-CDEF-0123-456789ABCDEF}");
        EXPECT_FALSE(GuidFromString(text, &g));
        EXPECT_EQ(g, MakeGuid("{01234567-89AB-CDEF-0123-456789ABCDEF}"));
    }
}

TEST(GuidTest, OrderingComparesFieldsInTurn) {
    const GUID a = MakeGuid("{00000001-0000-0000-0000-000000000000}");
    const GUID b = MakeGuid("{00000000-FFFF-FFFF-FFFF-FFFFFFFFFFFF}");
    const GUID c = MakeGuid("{00000000-FFFF-FFFF-FFFF-FFFFFFFFFFFE}");
    EXPECT_LT(b, a) << "Data1 decides first";
    EXPECT_LT(c, b) << "the last byte decides last";
    EXPECT_NE(a, b);
    EXPECT_EQ(a, a);
}

} // namespace
