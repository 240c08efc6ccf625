#include "platform/container/ControlFactories.h"

#include "platform/com/Guid.h"

#include <utility>

CControlFactories& CControlFactories::Instance() {
    static CControlFactories instance;
    return instance;
}

QString CControlFactories::Key(const QString& clsidText) {
    GUID guid;
    return GuidFromString(clsidText, &guid) ? GuidToString(guid) : clsidText;
}

ControlFactory CControlFactories::Register(const QString& clsidText, ControlFactory factory) {
    std::lock_guard lock(m_mutex);
    const QString key = Key(clsidText);
    ControlFactory previous;
    if (auto it = m_factories.find(key); it != m_factories.end()) {
        previous = std::move(it->second);
        m_factories.erase(it);
    }
    if (factory) {
        m_factories.emplace(key, std::move(factory));
    }
    return previous;
}

bool CControlFactories::IsRegistered(const QString& clsidText) const {
    std::lock_guard lock(m_mutex);
    return m_factories.count(Key(clsidText)) != 0;
}

HRESULT CControlFactories::Create(const QString& clsidText, IUnknown** control) const {
    if (!control) {
        return E_POINTER;
    }
    *control = nullptr;
    ControlFactory factory;
    {
        // Run the factory outside the lock: making a control may register or create others.
        std::lock_guard lock(m_mutex);
        auto it = m_factories.find(Key(clsidText));
        if (it == m_factories.end()) {
            return REGDB_E_CLASSNOTREG;
        }
        factory = it->second;
    }
    IUnknown* made = nullptr;
    const HRESULT hr = factory(&made);
    if (FAILED(hr)) {
        if (made) {
            made->Release();
        }
        return hr;
    }
    if (!made) {
        return E_FAIL;
    }
    *control = made;
    return hr;
}

void RegisterControlFactory(const QString& clsidText, ControlFactory factory) {
    CControlFactories::Instance().Register(clsidText, std::move(factory));
}

void UnregisterControlFactory(const QString& clsidText) {
    CControlFactories::Instance().Register(clsidText, ControlFactory());
}
