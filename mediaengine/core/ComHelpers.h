#pragma once
// Small helpers every object of the engine uses: making an object with its first reference, and
// handing texts and objects out through out arguments.

#include "platform/com/Bstr.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"

#include <QString>
#include <atomic>
#include <utility>

// How many of the engine's objects are alive: tests check that nothing outlives the player.
inline std::atomic<int>& EngineObjectCount() {
    static std::atomic<int> count{0};
    return count;
}

// An engine object as MakeComObject makes it: counted while it lives.
template <class T> class CEngineObject : public T {
public:
    template <class... Args> explicit CEngineObject(Args&&... args) : T(std::forward<Args>(args)...) {
        ++EngineObjectCount();
    }
    ~CEngineObject() override { --EngineObjectCount(); }
};

// A new object of class T (wrapped for reference counting) with one reference, held by the result.
template <class T, class... Args> ComPtr<T> MakeComObject(Args&&... args) {
    return ComPtr<T>(new CComObject<CEngineObject<T>>(std::forward<Args>(args)...));
}

// S_OK with a new BSTR, E_POINTER for a null out argument, E_OUTOFMEMORY when it cannot be made.
inline HRESULT ReturnText(const QString& text, BSTR* out) {
    if (!out) {
        return E_POINTER;
    }
    *out = SysAllocString(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

// Hands one further reference on object out as interface I.
template <class I, class T> HRESULT ReturnObject(const ComPtr<T>& object, I** out) {
    if (!out) {
        return E_POINTER;
    }
    *out = object.Get();
    if (!*out) {
        return E_FAIL;
    }
    (*out)->AddRef();
    return S_OK;
}

// For a class with more than one IUnknown base: names its reference count once (the wrapper
// supplies it), so ComPtr<Class> and the class's own code can call AddRef and Release.
#define OLLIVANE_COUNTED                                                                                     \
    ULONG AddRef() override = 0;                                                                             \
    ULONG Release() override = 0;
