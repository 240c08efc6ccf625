// VARIANTs own what they hold: clearing gives it back, copying duplicates it.
#include "ComTestObjects.h"

#include "platform/com/ComVariant.h"
#include "platform/com/Dispatch.h"

#include <gtest/gtest.h>

namespace {

TEST(VariantTest, ClearGivesBackObjectsAndStringsAndLeavesEmpty) {
    CComObject<CFooBar>* object = NewFooBar();
    IUnknown* unknown = static_cast<ITestFoo*>(object);

    VARIANT v;
    VariantInit(&v);
    v.vt = VT_UNKNOWN;
    v.punkVal = unknown;
    unknown->AddRef();
    EXPECT_EQ(RefCount(unknown), 2u);
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
    EXPECT_EQ(RefCount(unknown), 1u);

    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(QStringLiteral("解放される")); // freed by the clear, or the leak checker tells
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);

    v.vt = 0x7FFF; // a type this layer does not know is left alone
    v.lVal = 42;
    EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
    EXPECT_EQ(v.vt, 0x7FFF);
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);

    object->Release();
    EXPECT_EQ(CFooBar::live, 0);
}

TEST(VariantTest, CopyDuplicatesStringsAndReferencesAndReleasesTheOldTarget) {
    CComObject<CFooBar>* first = NewFooBar();
    CComObject<CFooBar>* second = NewFooBar();
    {
        CComVariant text(QStringLiteral("アルバム"));
        CComVariant copy;
        ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
        EXPECT_EQ(copy.vt, VT_BSTR);
        EXPECT_NE(copy.bstrVal, text.bstrVal);
        EXPECT_EQ(BstrToQString(copy.bstrVal), QStringLiteral("アルバム"));

        CComVariant holder(static_cast<IUnknown*>(static_cast<ITestFoo*>(first)));
        EXPECT_EQ(RefCount(static_cast<ITestFoo*>(first)), 2u);
        CComVariant other(static_cast<IUnknown*>(static_cast<ITestFoo*>(second)));
        ASSERT_EQ(VariantCopy(&holder, &other), S_OK);
        EXPECT_EQ(RefCount(static_cast<ITestFoo*>(first)), 1u) << "the target's old object was released";
        EXPECT_EQ(RefCount(static_cast<ITestFoo*>(second)), 3u);

        EXPECT_EQ(VariantCopy(&holder, &holder), S_OK) << "copying onto itself changes nothing";
        EXPECT_EQ(RefCount(static_cast<ITestFoo*>(second)), 3u);
    }
    EXPECT_EQ(RefCount(static_cast<ITestFoo*>(second)), 1u);
    first->Release();
    second->Release();
    EXPECT_EQ(CFooBar::live, 0);
}

TEST(VariantTest, ComVariantKindsMatchTheirConstructors) {
    EXPECT_EQ(CComVariant(LONG(7)).vt, VT_I4);
    EXPECT_EQ(CComVariant(2.5).vt, VT_R8);
    const CComVariant flag(VARIANT_TRUE, VT_BOOL);
    EXPECT_EQ(flag.vt, VT_BOOL);
    EXPECT_EQ(flag.boolVal, VARIANT_TRUE);
    EXPECT_EQ(CComVariant(true).boolVal, VARIANT_TRUE);
    EXPECT_EQ(CComVariant(short(-1), VT_I2).iVal, -1);

    CComVariant moved(QStringLiteral("x"));
    CComVariant target(std::move(moved));
    EXPECT_EQ(moved.vt, VT_EMPTY);
    EXPECT_EQ(BstrToQString(target.bstrVal), QStringLiteral("x"));
}

} // namespace
