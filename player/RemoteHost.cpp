#include "player/RemoteHost.h"

#include "platform/com/InterfaceTable.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <new>

namespace {
int g_live = 0;
} // namespace

CRemoteHost::CRemoteHost() {
    ++g_live;
}

CRemoteHost::~CRemoteHost() {
    --g_live;
}

int CRemoteHost::LiveCount() {
    return g_live;
}

HRESULT CRemoteHost::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IServiceProvider>(),
                             ComInterface<IWMPRemoteMediaServices>());
}

HRESULT CRemoteHost::QueryService(const GUID& /*service*/, const IID& riid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    return QueryInterface(riid, object);
}

HRESULT CRemoteHost::GetServiceType(BSTR* type) {
    if (!type) {
        return E_POINTER;
    }
    *type = SysAllocString(QStringLiteral("Remote"));
    return *type ? S_OK : E_POINTER;
}

HRESULT CRemoteHost::GetApplicationName(BSTR* name) {
    if (!name) {
        return E_POINTER;
    }
    *name = nullptr;
    QString text;
    if (!LoadString(IDS_APP_TITLE, text)) {
        return E_POINTER;
    }
    *name = SysAllocString(text);
    if (!*name) {
        throw std::bad_alloc();
    }
    return S_OK;
}

HRESULT CRemoteHost::GetScriptableObject(BSTR* name, IDispatch** object) {
    if (name) {
        *name = nullptr;
    }
    if (object) {
        *object = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT CRemoteHost::GetCustomUIMode(BSTR* /*skinFile*/) {
    return E_NOTIMPL;
}
