#include "platform/container/AxHostWindow.h"

#include "platform/Platform.h"
#include "platform/com/InterfaceTable.h"
#include "platform/container/AxWindow.h"
#include "platform/container/ControlFactories.h"
#include "platform/windows/WindowTable.h"

#include <utility>

CAxHostWindow::~CAxHostWindow() {
    ReleaseControl();
}

HRESULT CAxHostWindow::QueryInterface(const IID& riid, void** object) {
    return ComQueryInterface(this, riid, object, ComInterface<IObjectWithSite>(),
                             ComInterface<IAxWinHostWindow>());
}

HRESULT CAxHostWindow::SetSite(IUnknown* site) {
    m_site = site;
    // A control that is already there learns of the new site at once.
    return m_control ? GiveSite(m_control.Get(), site) : S_OK;
}

HRESULT CAxHostWindow::GetSite(const IID& riid, void** site) {
    if (!site) {
        return E_POINTER;
    }
    *site = nullptr;
    if (!m_site) {
        return E_FAIL;
    }
    return m_site->QueryInterface(riid, site);
}

HRESULT CAxHostWindow::CheckWindow(HWND hwnd) const {
    // One host serves one window; a control cannot be placed in somebody else's.
    return hwnd && m_hwnd && hwnd != m_hwnd ? E_INVALIDARG : S_OK;
}

HRESULT CAxHostWindow::CreateControl(LPCOLESTR text, HWND hwnd, IStream* /*stream*/) {
    if (!text) {
        return E_POINTER;
    }
    if (const HRESULT hr = CheckWindow(hwnd); FAILED(hr)) {
        return hr;
    }
    ComPtr<IUnknown> control;
    const HRESULT hr = CControlFactories::Instance().Create(QString::fromUtf16(text), &control);
    if (FAILED(hr)) {
        return hr;
    }
    return Contain(std::move(control));
}

HRESULT CAxHostWindow::AttachControl(IUnknown* control, HWND hwnd) {
    if (!control) {
        return E_POINTER;
    }
    if (const HRESULT hr = CheckWindow(hwnd); FAILED(hr)) {
        return hr;
    }
    return Contain(ComPtr<IUnknown>(control));
}

HRESULT CAxHostWindow::QueryControl(const IID& riid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    return m_control ? m_control->QueryInterface(riid, object) : E_NOINTERFACE;
}

HRESULT CAxHostWindow::GiveSite(IUnknown* control, IUnknown* site) const {
    ComPtr<IObjectWithSite> withSite;
    if (FAILED(ComPtr<IUnknown>(control).As(&withSite))) {
        return S_OK; // a control that takes no site simply runs without one
    }
    return withSite->SetSite(site);
}

HRESULT CAxHostWindow::Contain(ComPtr<IUnknown> control) {
    if (control == m_control) {
        return S_OK;
    }
    // The control must see its site from the start; one that refuses it is not kept, since it
    // would run as if nobody hosted it.
    if (m_site) {
        if (const HRESULT hr = GiveSite(control.Get(), m_site.Get()); FAILED(hr)) {
            return hr;
        }
    }
    ReleaseControl();
    m_control = std::move(control);
    return S_OK;
}

void CAxHostWindow::ReleaseControl() {
    ComPtr<IUnknown> control = std::move(m_control);
    if (control && m_site) {
        GiveSite(control.Get(), nullptr);
    }
}

LRESULT CAxHostWindow::WindowProc(HWND /*hwnd*/, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    CWindowTable* table = m_table ? m_table : CPlatform::Current().windows;
    if (!table) {
        return 0;
    }
    if (message == table->RegisterMessage(kAtlGetHostMessage)) {
        void* host = nullptr;
        QueryInterface(IID_IUnknown, &host);
        return reinterpret_cast<LRESULT>(static_cast<IUnknown*>(host));
    }
    if (message == table->RegisterMessage(kAtlGetControlMessage)) {
        if (!m_control) {
            return 0;
        }
        m_control->AddRef();
        return reinterpret_cast<LRESULT>(m_control.Get());
    }
    if (message == WM_DESTROY) {
        ReleaseControl();
    }
    return 0;
}

void CAxHostWindow::AttachWindow(HWND hwnd, CWindowTable* table) {
    m_hwnd = hwnd;
    m_table = table;
}

void CAxHostWindow::DetachWindow() {
    ReleaseControl();
    m_hwnd = nullptr;
    m_table = nullptr;
}
