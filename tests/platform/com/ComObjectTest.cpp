// Reference counting of CComObject and the interface tables that answer QueryInterface.
#include "ComTestObjects.h"

#include "platform/com/ComPtr.h"
#include "platform/wmp/WmpPlayer.h"

#include <gtest/gtest.h>

namespace {

TEST(ComObjectTest, CountStartsAtZeroAndTheLastReleaseDestroys) {
    EXPECT_EQ(CComObject<CFooBar>::CreateInstance(nullptr), E_POINTER);

    CComObject<CFooBar>* object = nullptr;
    ASSERT_EQ(CComObject<CFooBar>::CreateInstance(&object), S_OK);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(CFooBar::live, 1);
    EXPECT_EQ(object->AddRef(), 1u) << "the creator takes the first reference";
    EXPECT_EQ(object->AddRef(), 2u);
    EXPECT_EQ(object->Release(), 1u);
    EXPECT_EQ(CFooBar::live, 1);
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_EQ(CFooBar::live, 0);
}

TEST(ComObjectTest, QueryInterfaceAnswersOnlyTheTableAndIUnknown) {
    CComObject<CFooBar>* object = NewFooBar();
    ASSERT_NE(object, nullptr);
    ITestFoo* foo = object;

    struct Case {
        const IID* iid;
        HRESULT expected;
    };
    const Case cases[] = {
        {&IID_ITestFoo, S_OK},           {&IID_ITestBar, S_OK},
        {&IID_IUnknown, S_OK},           {&IID_ITestNever, E_NOINTERFACE},
        {&IID_IDispatch, E_NOINTERFACE}, {&GUID_NULL, E_NOINTERFACE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(GuidToString(*c.iid).toStdString());
        void* out = reinterpret_cast<void*>(0x1); // must be overwritten either way
        const ULONG before = RefCount(foo);
        EXPECT_EQ(foo->QueryInterface(*c.iid, &out), c.expected);
        if (c.expected == S_OK) {
            ASSERT_NE(out, nullptr);
            EXPECT_EQ(RefCount(foo), before + 1) << "a successful query hands out a reference";
            static_cast<IUnknown*>(out)->Release();
        } else {
            EXPECT_EQ(out, nullptr);
            EXPECT_EQ(RefCount(foo), before);
        }
    }
    EXPECT_EQ(foo->QueryInterface(IID_ITestFoo, nullptr), E_POINTER);
    object->Release();
    EXPECT_EQ(CFooBar::live, 0);
}

TEST(ComObjectTest, InterfacesAtOtherOffsetsWorkAndShareOneIdentity) {
    ComPtr<ITestFoo> foo;
    foo.Attach(NewFooBar());
    ComPtr<ITestBar> bar;
    ASSERT_EQ(foo.As(&bar), S_OK);
    // ITestBar is the second base: a wrong cast would call Foo through the Bar slot.
    EXPECT_EQ(bar->Bar(), 2);
    ComPtr<ITestFoo> fooAgain;
    ASSERT_EQ(bar.As(&fooAgain), S_OK);
    EXPECT_EQ(fooAgain->Foo(), 1);
    EXPECT_EQ(fooAgain.Get(), foo.Get());

    ComPtr<IUnknown> fromFoo;
    ComPtr<IUnknown> fromBar;
    ASSERT_EQ(foo.As(&fromFoo), S_OK);
    ASSERT_EQ(bar.As(&fromBar), S_OK);
    EXPECT_EQ(fromFoo.Get(), fromBar.Get()) << "IUnknown is the object's identity";
}

// An object whose clean-up briefly references itself again must still be freed exactly once.
class CSelfTouching : public ITestFoo {
public:
    static inline int destructions = 0;
    ~CSelfTouching() override { ++destructions; }
    void FinalRelease() {
        ComPtr<ITestFoo> self(this);
        self.Reset();
    }
    HRESULT QueryInterface(const IID& riid, void** object) override {
        return ComQueryInterface(this, riid, object, ComInterface<ITestFoo>());
    }
    int Foo() override { return 0; }
};

TEST(ComObjectTest, ReferencesTakenDuringDestructionDoNotFreeTwice) {
    CComObject<CSelfTouching>* object = nullptr;
    ASSERT_EQ(CComObject<CSelfTouching>::CreateInstance(&object), S_OK);
    object->AddRef();
    object->Release();
    EXPECT_EQ(CSelfTouching::destructions, 1);
}

class CFailsToConstruct : public ITestFoo {
public:
    static inline int live = 0;
    CFailsToConstruct() { ++live; }
    ~CFailsToConstruct() override { --live; }
    HRESULT FinalConstruct() {
        // Handing itself around during construction must not destroy it early.
        ComPtr<ITestFoo> self(this);
        return E_OUTOFMEMORY;
    }
    HRESULT QueryInterface(const IID& riid, void** object) override {
        return ComQueryInterface(this, riid, object, ComInterface<ITestFoo>());
    }
    int Foo() override { return 0; }
};

TEST(ComObjectTest, AFailedFinalConstructIsReportedAndFreesTheObject) {
    CComObject<CFailsToConstruct>* object = reinterpret_cast<CComObject<CFailsToConstruct>*>(0x1);
    EXPECT_EQ(CComObject<CFailsToConstruct>::CreateInstance(&object), E_OUTOFMEMORY);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CFailsToConstruct::live, 0);
}

// The media engine implements IWMPPlayer and IWMPPlayer4 on one object, so IWMPCore, IDispatch and
// IUnknown are each inherited twice. The table must still answer each id with a usable pointer.
class CTwoPlayers : public IWMPPlayer, public IWMPPlayer4 {
public:
    HRESULT QueryInterface(const IID& riid, void** object) override {
        return ComQueryInterface(this, riid, object, ComInterface<IWMPPlayer>(), ComInterface<IWMPPlayer4>(),
                                 ComInterfaceVia<IWMPCore, IWMPPlayer>(),
                                 ComInterfaceVia<IWMPCore3, IWMPPlayer4>(),
                                 ComInterfaceVia<IDispatch, IWMPPlayer>());
    }
    HRESULT GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(const IID&, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, const IID&, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT close() override {
        ++closes;
        return S_OK;
    }
    HRESULT get_controls(IWMPControls**) override { return E_NOTIMPL; }
    HRESULT get_mediaCollection(IWMPMediaCollection**) override { return E_NOTIMPL; }
    HRESULT get_playlistCollection(IWMPPlaylistCollection**) override { return E_NOTIMPL; }
    HRESULT get_versionInfo(BSTR* version) override {
        *version = SysAllocString(QStringLiteral("11.0.5721.5145"));
        return S_OK;
    }
    HRESULT get_cdromCollection(IWMPCdromCollection**) override { return E_NOTIMPL; }
    HRESULT newMedia(BSTR, IWMPMedia**) override { return E_NOTIMPL; }

    int closes = 0;
};

TEST(ComObjectTest, AnObjectInheritingABaseTwiceAnswersEveryInterfaceUsably) {
    CComObject<CTwoPlayers>* object = nullptr;
    ASSERT_EQ(CComObject<CTwoPlayers>::CreateInstance(&object), S_OK);
    ComPtr<IWMPPlayer> player(object);

    ComPtr<IWMPPlayer4> player4;
    ComPtr<IWMPCore> core;
    ComPtr<IWMPCore3> core3;
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(player.As(&player4), S_OK);
    ASSERT_EQ(player4.As(&core), S_OK);
    ASSERT_EQ(player.As(&core3), S_OK);
    ASSERT_EQ(core3.As(&dispatch), S_OK);

    core->close();
    player4->close();
    EXPECT_EQ(object->closes, 2);
    UINT count = 99;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);

    ComPtr<IUnknown> a;
    ComPtr<IUnknown> b;
    ASSERT_EQ(player4.As(&a), S_OK);
    ASSERT_EQ(dispatch.As(&b), S_OK);
    EXPECT_EQ(a.Get(), b.Get());
    EXPECT_EQ(RefCount(a.Get()), 7u); // player, player4, core, core3, dispatch, a, b
}

} // namespace
