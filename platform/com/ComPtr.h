#pragma once
// Holds one reference on a COM-style object and gives it back when it goes. Taking the address
// (&ptr) hands out the slot for an out argument after releasing what it held, so a member can be
// refilled by a getter such as get_controls(&m_controls) without leaking the previous object.

#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"

#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>

template <class T> class ComPtr;

// What &ptr yields: converts to T** (and void**) for an out argument, or to ComPtr<T>* for As().
template <class T> class ComPtrRef {
public:
    explicit ComPtrRef(ComPtr<T>* owner) : m_owner(owner) {}
    operator ComPtr<T>*() const { return m_owner; }
    operator T**() const { return m_owner->ReleaseAndGetAddressOf(); }
    operator void**() const { return reinterpret_cast<void**>(m_owner->ReleaseAndGetAddressOf()); }
    T* operator*() const { return m_owner->Get(); }

private:
    ComPtr<T>* m_owner;
};

template <class T> class ComPtr {
public:
    using InterfaceType = T;

    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a reference of its own on p.
    ComPtr(T* p) : m_p(p) { InternalAddRef(); }
    ComPtr(const ComPtr& other) : m_p(other.m_p) { InternalAddRef(); }
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    template <class U>
    requires std::is_convertible_v<U*, T*> ComPtr(const ComPtr<U>& other) : m_p(other.Get()) {
        InternalAddRef();
    }
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other) {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    ComPtr& operator=(T* p) {
        ComPtr(p).Swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        Reset();
        return *this;
    }

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    ComPtrRef<T> operator&() { return ComPtrRef<T>(this); }
    // The slot itself, without releasing what it holds.
    T* const* GetAddressOf() const { return &m_p; }
    T** GetAddressOf() { return &m_p; }
    T** ReleaseAndGetAddressOf() {
        Reset();
        return &m_p;
    }

    // Gives back the reference held; returns the count the object reports (0 when empty).
    ULONG Reset() {
        T* old = std::exchange(m_p, nullptr);
        return old ? old->Release() : 0;
    }
    // Takes over a reference the caller already owns.
    void Attach(T* p) {
        if (m_p != p) {
            Reset();
        }
        m_p = p;
    }
    // Hands the reference over to the caller.
    T* Detach() { return std::exchange(m_p, nullptr); }
    void Swap(ComPtr& other) noexcept { std::swap(m_p, other.m_p); }

    // A further reference for an out argument.
    HRESULT CopyTo(T** out) const {
        if (!out) {
            return E_POINTER;
        }
        *out = m_p;
        InternalAddRef();
        return S_OK;
    }

    // QueryInterface for the interface of the target, with that interface's id.
    template <class U> HRESULT As(ComPtr<U>* target) const {
        if (!target) {
            return E_POINTER;
        }
        if (!m_p) {
            target->Reset();
            return E_POINTER;
        }
        void* out = nullptr;
        const HRESULT hr = m_p->QueryInterface(IidOf<U>(), &out);
        target->Attach(SUCCEEDED(hr) ? static_cast<U*>(out) : nullptr);
        return hr;
    }
    template <class U> HRESULT As(ComPtrRef<U> target) const { return As(static_cast<ComPtr<U>*>(target)); }
    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.m_p == b.m_p; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.m_p == nullptr; }
    friend bool operator==(const ComPtr& a, const T* b) { return a.m_p == b; }

private:
    void InternalAddRef() const {
        if (m_p) {
            m_p->AddRef();
        }
    }

    T* m_p = nullptr;
};
