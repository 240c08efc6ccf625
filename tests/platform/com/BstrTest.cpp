// BSTRs and CComBSTR: the length prefix carries the text, NULs and all.
#include "platform/com/Bstr.h"
#include "platform/com/ComBSTR.h"

#include <gtest/gtest.h>

namespace {

TEST(BstrTest, TextSurvivesTheRoundTripWhateverItHolds) {
    const QString cases[] = {
        QString(),
        QStringLiteral("abc"),
        QStringLiteral("音声データ\\アルバム情報なし"),
        QStringLiteral("ｱｰﾃｨｽﾄ情報なし"),
        QString::fromUtf16(u"a\0b\0", 4),       // embedded and trailing NULs
        QString::fromUtf16(u"\U0001D11E clef"), // a surrogate pair counts two code units
    };
    for (const QString& text : cases) {
        SCOPED_TRACE(text.toStdString());
        BSTR b = SysAllocString(text);
        ASSERT_NE(b, nullptr) << "even the empty string is a real BSTR";
        EXPECT_EQ(SysStringLen(b), static_cast<UINT>(text.size()));
        EXPECT_EQ(SysStringByteLen(b), static_cast<UINT>(text.size() * 2));
        EXPECT_EQ(b[text.size()], 0) << "terminated after the last code unit";
        EXPECT_EQ(BstrToQString(b), text);
        SysFreeString(b);
    }
}

TEST(BstrTest, NullIsTheEmptyStringAndCStringsStopAtTheirNul) {
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_TRUE(BstrToQString(nullptr).isEmpty());
    SysFreeString(nullptr);
    EXPECT_EQ(SysAllocString(static_cast<const OLECHAR*>(nullptr)), nullptr);

    BSTR cut = SysAllocString(u"ab\0cd");
    EXPECT_EQ(SysStringLen(cut), 2u);
    SysFreeString(cut);

    BSTR zeros = SysAllocStringLen(nullptr, 3);
    ASSERT_NE(zeros, nullptr);
    EXPECT_EQ(BstrToQString(zeros), QString(3, QChar(0)));
    SysFreeString(zeros);
}

TEST(BstrTest, ComBstrOwnsOneIndependentCopy) {
    const QString japanese = QStringLiteral("ドライブにディスクがありません");
    CComBSTR a(japanese);
    CComBSTR b = a;
    EXPECT_NE(a.m_str, b.m_str);
    EXPECT_EQ(b.ToQString(), japanese);
    EXPECT_EQ(b.Length(), static_cast<UINT>(japanese.size()));

    CComBSTR c = std::move(a);
    EXPECT_TRUE(a.IsNull());
    EXPECT_TRUE(c == japanese);

    BSTR copy = c.Copy();
    EXPECT_NE(copy, c.m_str);
    EXPECT_EQ(BstrToQString(copy), japanese);
    SysFreeString(copy);

    BSTR taken = c.Detach();
    EXPECT_TRUE(c.IsNull());
    c.Attach(taken); // c frees it again
    EXPECT_EQ(c.ToQString(), japanese);
}

// A getter in the player's style: always writes a fresh string into the out argument.
HRESULT GetName(BSTR* out) {
    *out = SysAllocString(QStringLiteral("新しい名前"));
    return S_OK;
}

TEST(BstrTest, AnOutArgumentFreesWhatTheComBstrHeldBefore) {
    CComBSTR name(QStringLiteral("old"));
    BSTR* slot = &name;
    EXPECT_EQ(*slot, nullptr) << "the previous text is freed before the slot is handed out";
    ASSERT_EQ(GetName(&name), S_OK);
    ASSERT_EQ(GetName(&name), S_OK); // a leak here shows up under the leak checker
    EXPECT_EQ(name.ToQString(), QStringLiteral("新しい名前"));
}

} // namespace
