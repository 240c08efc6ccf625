// ComPtr: one reference per holder, handed over or given back at the right moments.
#include "ComTestObjects.h"

#include "platform/com/ComPtr.h"

#include <gtest/gtest.h>
#include <utility>

namespace {

// A getter in the style of the player's interfaces: hands out a new reference on a new object.
HRESULT MakeFoo(ITestFoo** out) {
    *out = NewFooBar();
    return *out ? S_OK : E_OUTOFMEMORY;
}

TEST(ComPtrTest, CopiesTakeReferencesMovesHandThemOver) {
    ITestFoo* raw = NewFooBar();
    {
        ComPtr<ITestFoo> a(raw); // a reference of its own
        EXPECT_EQ(RefCount(raw), 2u);
        ComPtr<ITestFoo> b = a;
        EXPECT_EQ(RefCount(raw), 3u);
        ComPtr<ITestFoo> c = std::move(b);
        EXPECT_FALSE(b);
        EXPECT_EQ(RefCount(raw), 3u);
        c = c; // self-assignment keeps the reference
        EXPECT_EQ(RefCount(raw), 3u);
        a = nullptr;
        EXPECT_EQ(RefCount(raw), 2u);
        ComPtr<IUnknown> widened = c; // to a base interface
        EXPECT_EQ(RefCount(raw), 3u);
    }
    EXPECT_EQ(RefCount(raw), 1u);
    raw->Release();
    EXPECT_EQ(CFooBar::live, 0);
}

TEST(ComPtrTest, AddressOfReleasesTheOldObjectBeforeAGetterRefillsIt) {
    ComPtr<ITestFoo> foo;
    ASSERT_EQ(MakeFoo(&foo), S_OK);
    EXPECT_EQ(CFooBar::live, 1);
    EXPECT_EQ(RefCount(foo.Get()), 1u) << "the getter's reference is adopted, not doubled";
    ASSERT_EQ(MakeFoo(&foo), S_OK);
    EXPECT_EQ(CFooBar::live, 1) << "the first object was let go";
    foo.Reset();
    EXPECT_EQ(CFooBar::live, 0);
}

TEST(ComPtrTest, AttachDetachAndCopyToMoveOwnershipExactly) {
    ComPtr<ITestFoo> foo;
    foo.Attach(NewFooBar());
    EXPECT_EQ(RefCount(foo.Get()), 1u);

    ITestFoo* copy = nullptr;
    ASSERT_EQ(foo.CopyTo(&copy), S_OK);
    EXPECT_EQ(RefCount(copy), 2u);
    copy->Release();
    EXPECT_EQ(foo.CopyTo(nullptr), E_POINTER);

    ITestFoo* detached = foo.Detach();
    EXPECT_FALSE(foo);
    EXPECT_EQ(RefCount(detached), 1u);
    detached->Release();
    EXPECT_EQ(CFooBar::live, 0);
}

TEST(ComPtrTest, AsQueriesWithTheTargetsIdAndEmptiesItOnFailure) {
    ComPtr<ITestFoo> foo;
    foo.Attach(NewFooBar());

    ComPtr<ITestBar> bar;
    EXPECT_EQ(foo.As(&bar), S_OK);
    EXPECT_EQ(bar->Bar(), 2);

    ComPtr<ITestNever> never;
    EXPECT_EQ(foo.As(&never), E_NOINTERFACE);
    EXPECT_FALSE(never);

    // A failed query on a target that held something lets go of it.
    ComPtr<ITestBar> held = bar;
    ComPtr<ITestFoo> empty;
    EXPECT_EQ(empty.As(&held), E_POINTER);
    EXPECT_FALSE(held);

    foo.Reset();
    EXPECT_EQ(CFooBar::live, 1) << "bar still holds the object";
    bar.Reset();
    EXPECT_EQ(CFooBar::live, 0);
}

} // namespace
