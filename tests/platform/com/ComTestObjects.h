#pragma once
// Small COM-style objects shared by the runtime and container tests: they count how many of them
// are alive, so a test can see exactly when the last reference let one go.

#include "platform/com/ComObject.h"
#include "platform/com/InterfaceTable.h"
#include "platform/com/Unknown.h"

class ITestFoo : public IUnknown {
public:
    virtual int Foo() = 0;
};
class ITestBar : public IUnknown {
public:
    virtual int Bar() = 0;
};
class ITestNever : public IUnknown {};

OLLIVANE_DEFINE_IID(ITestFoo, "{A0000001-0000-4000-8000-000000000001}");
OLLIVANE_DEFINE_IID(ITestBar, "{A0000001-0000-4000-8000-000000000002}");
OLLIVANE_DEFINE_IID(ITestNever, "{A0000001-0000-4000-8000-000000000003}");

// The reference count an object reports, read without changing it.
inline ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

class CFooBar : public ITestFoo, public ITestBar {
public:
    static inline int live = 0;
    CFooBar() { ++live; }
    ~CFooBar() override { --live; }

    HRESULT QueryInterface(const IID& riid, void** object) override {
        return ComQueryInterface(this, riid, object, ComInterface<ITestFoo>(), ComInterface<ITestBar>());
    }
    int Foo() override { return 1; }
    int Bar() override { return 2; }
};

// Makes a CFooBar and takes the creator's first reference.
inline CComObject<CFooBar>* NewFooBar() {
    CComObject<CFooBar>* object = nullptr;
    if (FAILED(CComObject<CFooBar>::CreateInstance(&object))) {
        return nullptr;
    }
    object->AddRef();
    return object;
}
