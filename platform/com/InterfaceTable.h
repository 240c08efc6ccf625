#pragma once
// The interface table of a COM-style class: its QueryInterface lists, in order, the interfaces it
// answers, and this helper answers exactly those plus IUnknown.
//
//   HRESULT QueryInterface(const IID& riid, void** object) override {
//       return ComQueryInterface(this, riid, object, ComInterface<IServiceProvider>(),
//                                ComInterface<IWMPRemoteMediaServices>());
//   }
//
// ComInterfaceVia<Q, V>() answers Q's id with the Q part of the object's V base; it serves a class
// that derives from Q more than once (IDispatch through a dispinterface, IWMPCore through IWMPPlayer).
// IUnknown is answered with the first entry's IUnknown, so every interface of the object gives the
// same identity.

#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"

#include <type_traits>

template <class Q, class V> struct ComEntry {
    static_assert(std::is_base_of_v<Q, V>, "an interface is reached through a base that implements it");
};

template <class I> constexpr ComEntry<I, I> ComInterface() {
    return {};
}

template <class Q, class V> constexpr ComEntry<Q, V> ComInterfaceVia() {
    return {};
}

template <class T, class Q0, class V0, class... Q, class... V>
HRESULT ComQueryInterface(T* self, const IID& riid, void** object, ComEntry<Q0, V0>, ComEntry<Q, V>... rest) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    IUnknown* found = nullptr;
    if (riid == IID_IUnknown) {
        IUnknown* identity = static_cast<Q0*>(static_cast<V0*>(self));
        found = identity;
        *object = identity;
    } else {
        auto tryEntry = [&]<class QI, class VI>(ComEntry<QI, VI>) {
            if (!found && riid == IidOf<QI>()) {
                QI* answer = static_cast<QI*>(static_cast<VI*>(self));
                found = answer;
                *object = answer;
            }
        };
        tryEntry(ComEntry<Q0, V0>{});
        (tryEntry(rest), ...);
    }
    if (!found) {
        return E_NOINTERFACE;
    }
    found->AddRef();
    return S_OK;
}
