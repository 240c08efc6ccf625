#pragma once
// The reference-counted wrapper around a COM-style class T. The count is single-threaded (objects
// live on the UI thread) and starts at 0: whoever creates the object takes the first reference.
// T supplies QueryInterface (see InterfaceTable.h); CComObject supplies AddRef and Release and
// deletes the object when the count returns to 0. A T with `HRESULT FinalConstruct()` gets it called
// after construction; a failure there destroys the object and is returned by CreateInstance. A T with
// `void FinalRelease()` gets it called when the count reaches 0, while the object is still whole:
// that is the place to let go of anything that may call back into the object (its destructor runs
// after the COM part is gone).

#include "platform/win/WinTypes.h"

#include <new>
#include <utility>

template <class T> class CComObject final : public T {
public:
    template <class... Args> explicit CComObject(Args&&... args) : T(std::forward<Args>(args)...) {}

    ULONG AddRef() override { return ++m_ref; }

    ULONG Release() override {
        if (m_ref == 0) {
            return 0; // released more often than referenced: never free twice
        }
        if (--m_ref == 0) {
            // References taken and given back while FinalRelease runs must not free it again.
            m_ref = kDestroying;
            if constexpr (requires(T & t) { t.FinalRelease(); }) {
                this->FinalRelease();
            }
            delete this;
            return 0;
        }
        return m_ref;
    }

    static HRESULT CreateInstance(CComObject<T>** out) {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        auto* object = new (std::nothrow) CComObject<T>();
        if (!object) {
            return E_OUTOFMEMORY;
        }
        if constexpr (requires(T & t) { t.FinalConstruct(); }) {
            // Keep the object alive while FinalConstruct hands itself around.
            object->m_ref = 1;
            const HRESULT hr = object->FinalConstruct();
            --object->m_ref; // back to what others took; no deletion at 0 here
            if (FAILED(hr)) {
                object->m_ref = kDestroying;
                delete object;
                return hr;
            }
        }
        *out = object;
        return S_OK;
    }

private:
    static constexpr ULONG kDestroying = 0x40000000u;
    ULONG m_ref = 0;
};
