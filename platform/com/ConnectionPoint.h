#pragma once
// A connection point that a component embeds, one per event interface T. It shares the reference
// count of its owner (holding the point keeps the owner alive), keeps one reference on each advised
// sink, and lets the owner fire events to the sinks.
//
// A sink is asked for T; when T is a dispinterface (derives from IDispatch) a sink that only offers
// IDispatch is accepted too and is reached through ForEachDispatch.
//
// Firing works on a snapshot of the sinks: a sink may unadvise itself or another sink, or advise a
// new one, while it is being called. A sink unadvised during the round is not called afterwards, a
// sink advised during the round is called from the next round on, and every sink stays alive until
// its call has returned. The owner must hold a reference on itself while it fires.

#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoints.h"
#include "platform/com/Dispatch.h"

#include <algorithm>
#include <type_traits>
#include <utility>
#include <vector>

template <class T> class CConnectionPoint final : public IConnectionPoint {
public:
    static constexpr bool kDispatchSinks = std::is_base_of_v<IDispatch, T>;

    explicit CConnectionPoint(IConnectionPointContainer* owner) : m_owner(owner) {}
    ~CConnectionPoint() override { UnadviseAll(); }
    CConnectionPoint(const CConnectionPoint&) = delete;
    CConnectionPoint& operator=(const CConnectionPoint&) = delete;

    HRESULT QueryInterface(const IID& riid, void** object) override {
        if (!object) {
            return E_POINTER;
        }
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IConnectionPoint) {
            return E_NOINTERFACE;
        }
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return m_owner->AddRef(); }
    ULONG Release() override { return m_owner->Release(); }

    HRESULT GetConnectionInterface(IID* riid) override {
        if (!riid) {
            return E_POINTER;
        }
        *riid = IidOf<T>();
        return S_OK;
    }

    HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override {
        if (!container) {
            return E_POINTER;
        }
        *container = m_owner;
        m_owner->AddRef();
        return S_OK;
    }

    HRESULT Advise(IUnknown* sink, DWORD* cookie) override {
        if (!cookie) {
            return E_POINTER;
        }
        *cookie = 0;
        if (!sink) {
            return E_POINTER;
        }
        Entry entry;
        void* typed = nullptr;
        if (SUCCEEDED(sink->QueryInterface(IidOf<T>(), &typed)) && typed) {
            entry.typed.Attach(static_cast<T*>(typed));
        } else if constexpr (kDispatchSinks) {
            void* dispatch = nullptr;
            if (FAILED(sink->QueryInterface(IID_IDispatch, &dispatch)) || !dispatch) {
                return CONNECT_E_CANNOTCONNECT;
            }
            entry.dispatch.Attach(static_cast<IDispatch*>(dispatch));
        } else {
            return CONNECT_E_CANNOTCONNECT;
        }
        entry.cookie = NextCookie();
        *cookie = entry.cookie;
        m_sinks.push_back(std::move(entry));
        return S_OK;
    }

    HRESULT Unadvise(DWORD cookie) override {
        auto it = std::find_if(m_sinks.begin(), m_sinks.end(),
                               [cookie](const Entry& e) { return e.cookie == cookie; });
        if (cookie == 0 || it == m_sinks.end()) {
            return CONNECT_E_NOCONNECTION;
        }
        // Release only after the list is consistent again: the sink's destructor may call back.
        Entry gone = std::move(*it);
        m_sinks.erase(it);
        return S_OK;
    }

    HRESULT EnumConnections(IEnumConnections** connections) override {
        if (connections) {
            *connections = nullptr;
        }
        return E_NOTIMPL;
    }

    // Calls f(T*) for every sink advised with T.
    template <class F> void ForEachSink(F&& f) {
        const std::vector<Entry> snapshot = m_sinks;
        for (const Entry& e : snapshot) {
            if (e.typed && IsAdvised(e.cookie)) {
                f(e.typed.Get());
            }
        }
    }

    // Calls f(IDispatch*) for every sink of a dispinterface point, whichever way it was advised.
    template <class F>
    requires kDispatchSinks void ForEachDispatch(F&& f) {
        const std::vector<Entry> snapshot = m_sinks;
        for (const Entry& e : snapshot) {
            if (!IsAdvised(e.cookie)) {
                continue;
            }
            IDispatch* target = e.typed ? static_cast<IDispatch*>(e.typed.Get()) : e.dispatch.Get();
            f(target);
        }
    }

    bool IsAdvised(DWORD cookie) const {
        return std::any_of(m_sinks.begin(), m_sinks.end(),
                           [cookie](const Entry& e) { return e.cookie == cookie; });
    }
    std::size_t SinkCount() const { return m_sinks.size(); }

    // Drops every sink (the owner's shutdown).
    void UnadviseAll() {
        std::vector<Entry> gone;
        gone.swap(m_sinks);
    }

private:
    struct Entry {
        DWORD cookie = 0;
        ComPtr<T> typed;
        ComPtr<IDispatch> dispatch;
    };

    DWORD NextCookie() {
        if (++m_lastCookie == 0) {
            ++m_lastCookie; // 0 means "not advised" to every caller
        }
        return m_lastCookie;
    }

    IConnectionPointContainer* m_owner;
    std::vector<Entry> m_sinks;
    DWORD m_lastCookie = 0;
};
