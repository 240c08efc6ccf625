#include "platform/container/AxWindow.h"

#include "platform/Platform.h"
#include "platform/com/ComObject.h"
#include "platform/container/AxHostWindow.h"
#include "platform/win/LastError.h"

#include <mutex>

namespace {
std::mutex g_classMutex;
QStringList g_classNames;
} // namespace

BOOL AtlAxWinInit() {
    {
        std::lock_guard lock(g_classMutex);
        if (g_classNames.isEmpty()) {
            g_classNames = QStringList{kAxWinClassName, kAxWinLicClassName};
        }
    }
    // Message numbers belong to the window table in force; registering again gives the same numbers.
    RegisterWindowMessage(kAtlGetHostMessage);
    RegisterWindowMessage(kAtlGetControlMessage);
    return TRUE;
}

QStringList AtlAxWinClassNames() {
    std::lock_guard lock(g_classMutex);
    return g_classNames;
}

namespace {
HRESULT AskWindow(HWND hwnd, const QString& messageName, IUnknown** answer) {
    if (!answer) {
        return E_POINTER;
    }
    *answer = nullptr;
    const UINT message = RegisterWindowMessage(messageName);
    if (message == 0 || !IsWindow(hwnd)) {
        return E_FAIL;
    }
    *answer = reinterpret_cast<IUnknown*>(SendMessage(hwnd, message, 0, 0));
    return *answer ? S_OK : E_FAIL;
}
} // namespace

HRESULT AtlAxGetHost(HWND hwnd, IUnknown** host) {
    return AskWindow(hwnd, kAtlGetHostMessage, host);
}

HRESULT AtlAxGetControl(HWND hwnd, IUnknown** control) {
    return AskWindow(hwnd, kAtlGetControlMessage, control);
}

CAxWindow::~CAxWindow() {
    DestroyWindow();
}

HWND CAxWindow::Create(HWND parent, const RECT& rect, const QString& title, DWORD style, DWORD /*exStyle*/,
                       UINT /*id*/, void* /*createParam*/) {
    AtlAxWinInit();
    CWindowTable* table = CPlatform::Current().windows;
    if (m_hWnd || m_hostObject) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_FUNCTION));
        return nullptr;
    }
    if (!table || !parent || !table->Exists(parent)) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_HANDLE));
        return nullptr;
    }
    CComObject<CAxHostWindow>* host = nullptr;
    if (FAILED(CComObject<CAxHostWindow>::CreateInstance(&host))) {
        SetLastError(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
        return nullptr;
    }
    ComPtr<IUnknown> hold(static_cast<IObjectWithSite*>(host));

    CWindowTable::Window window;
    window.title = title;
    window.className = kAxWinClassName;
    window.owner = parent;
    window.child = true;
    window.visible = (style & WS_VISIBLE) != 0;
    window.client = RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    window.proc = host;
    const HWND hwnd = table->Create(window);

    host->AttachWindow(hwnd, table);
    m_host = std::move(hold);
    m_hostObject = host;
    m_table = table;
    m_hWnd = hwnd;
    return hwnd;
}

BOOL CAxWindow::DestroyWindow() {
    if (!m_hWnd && !m_hostObject) {
        return FALSE;
    }
    BOOL destroyed = FALSE;
    // Only the table this window was made in knows it; after a test's platform scope has ended the
    // handle means nothing any more.
    if (m_table && m_table == CPlatform::Current().windows && m_table->Exists(m_hWnd)) {
        m_table->Destroy(m_hWnd);
        destroyed = TRUE;
    }
    if (m_hostObject) {
        m_hostObject->DetachWindow();
    }
    m_hostObject = nullptr;
    m_table = nullptr;
    m_hWnd = nullptr;
    m_host.Reset();
    return destroyed;
}

bool CAxWindow::IsWindow() const {
    return m_hWnd && ::IsWindow(m_hWnd);
}

HRESULT CAxWindow::QueryHost(const IID& riid, void** object) const {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    ComPtr<IUnknown> host;
    if (const HRESULT hr = AtlAxGetHost(m_hWnd, host.ReleaseAndGetAddressOf()); FAILED(hr)) {
        return hr;
    }
    // AtlAxGetHost handed over a reference: let the ComPtr own it.
    return host->QueryInterface(riid, object);
}

HRESULT CAxWindow::QueryControl(const IID& riid, void** object) const {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    ComPtr<IUnknown> control;
    if (const HRESULT hr = AtlAxGetControl(m_hWnd, control.ReleaseAndGetAddressOf()); FAILED(hr)) {
        return E_NOINTERFACE;
    }
    return control->QueryInterface(riid, object);
}

HRESULT CAxWindow::CreateControl(LPCOLESTR text, IStream* stream) const {
    ComPtr<IAxWinHostWindow> host;
    if (const HRESULT hr = QueryHost(&host); FAILED(hr)) {
        return hr;
    }
    return host->CreateControl(text, m_hWnd, stream);
}
