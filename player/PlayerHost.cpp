#include "player/PlayerHost.h"

#include "platform/com/ComObject.h"
#include "platform/com/ObjectWithSite.h"
#include "platform/container/AxWinHostWindow.h"
#include "platform/windows/WindowTable.h"

#include <new>

CPlayerHost::CPlayerHost() = default;

CPlayerHost::~CPlayerHost() {
    ShutdownPlayer();
}

bool CPlayerHost::CreatePlayer(HWND mainWindow) {
    HRESULT hr = CreateHostAndControl(mainWindow);
    // Creating the control may have brought up the stand-alone player's window.
    ClosePlayerWindow();
    if (SUCCEEDED(hr)) {
        hr = TakePlayerReferences();
    }
    m_lastResult = hr;
    return SUCCEEDED(hr);
}

HRESULT CPlayerHost::CreateHostAndControl(HWND mainWindow) {
    if (m_hostWindow) {
        return E_UNEXPECTED; // one player per main window
    }
    AtlAxWinInit();
    m_hostWindow.reset(new (std::nothrow) CAxWindow());
    if (!m_hostWindow) {
        return E_OUTOFMEMORY;
    }
    RECT client{};
    GetClientRect(mainWindow, &client);
    m_hostWindow->Create(mainWindow, client, QString(), WS_CHILD | WS_CLIPCHILDREN, WS_EX_TOPMOST, 0,
                         nullptr);
    if (!m_hostWindow->IsWindow()) {
        return E_FAIL;
    }
    ComPtr<IObjectWithSite> hostSite;
    if (FAILED(m_hostWindow->QueryHost(&hostSite)) || !hostSite) {
        return E_FAIL;
    }
    CComObject<CRemoteHost>* remoteHost = nullptr;
    if (const HRESULT hr = CComObject<CRemoteHost>::CreateInstance(&remoteHost); FAILED(hr)) {
        return hr;
    }
    if (!remoteHost) {
        return E_POINTER;
    }
    m_remoteHost = remoteHost;
    // From here on the control, once made, sees itself hosted remotely.
    if (const HRESULT hr = hostSite->SetSite(static_cast<IWMPRemoteMediaServices*>(remoteHost)); FAILED(hr)) {
        return hr;
    }
    ComPtr<IAxWinHostWindow> host;
    if (FAILED(m_hostWindow->QueryHost(&host)) || !host) {
        return E_FAIL;
    }
    return host->CreateControl(reinterpret_cast<LPCOLESTR>(kWmpPlayerClsidText), m_hostWindow->m_hWnd,
                               nullptr);
}

HRESULT CPlayerHost::TakePlayerReferences() {
    m_player = nullptr;
    if (FAILED(m_hostWindow->QueryControl(&m_player)) || !m_player) {
        return E_FAIL;
    }
    // Only whether the player answers matters here; the player context reads the version itself.
    BSTR version = nullptr;
    const HRESULT hr = m_player->get_versionInfo(&version);
    SysFreeString(version);
    if (FAILED(hr)) {
        return hr;
    }
    m_controls = nullptr;
    if (const HRESULT got = m_player->get_controls(&m_controls); FAILED(got) || !m_controls) {
        return FAILED(got) ? got : E_FAIL;
    }
    return S_OK;
}

bool CPlayerHost::ConnectPlayerEvents(HWND target) {
    if (m_eventPoint) {
        return false; // connected already
    }
    CComObject<CWMPEventDispatch>* created = nullptr;
    HRESULT hr = CComObject<CWMPEventDispatch>::CreateInstance(&created);
    ComPtr<CComObject<CWMPEventDispatch>> sink(created);
    if (FAILED(hr) || !sink || !m_player) {
        m_lastResult = FAILED(hr) ? hr : E_FAIL;
        return false;
    }
    sink->SetTargetWindow(target);
    ComPtr<IConnectionPointContainer> container;
    hr = m_player.As(&container);
    if (SUCCEEDED(hr)) {
        hr = container->FindConnectionPoint(IID_IWMPEvents2, &m_eventPoint);
        if (FAILED(hr)) {
            hr = container->FindConnectionPoint(DIID__WMPOCXEvents, &m_eventPoint);
        }
    }
    if (SUCCEEDED(hr) && m_eventPoint) {
        DWORD cookie = 0;
        hr = m_eventPoint->Advise(static_cast<IWMPEvents2*>(sink.Get()), &cookie);
        m_adviseCookie = SUCCEEDED(hr) ? cookie : 0;
    } else if (SUCCEEDED(hr)) {
        hr = E_FAIL;
    }
    m_lastResult = hr;
    if (FAILED(hr)) {
        sink->SetTargetWindow(nullptr);
        m_eventPoint = nullptr;
        m_adviseCookie = 0;
        return false;
    }
    m_sink = std::move(sink);
    return true;
}

bool CPlayerHost::OnPlayStateChange(long newState) {
    if ((newState != wmppsPlaying && newState != wmppsReady) || !m_controls) {
        return false;
    }
    m_controls->stop();
    return true;
}

void CPlayerHost::ShutdownPlayer(const std::function<void()>& releaseUsers) {
    // A late event must not reach a window that is going away.
    if (m_sink) {
        m_sink->SetTargetWindow(nullptr);
    }
    if (m_eventPoint) {
        if (m_adviseCookie != 0) {
            m_eventPoint->Unadvise(m_adviseCookie);
        }
        m_eventPoint = nullptr;
    }
    m_adviseCookie = 0;
    m_sink = nullptr;
    if (releaseUsers) {
        releaseUsers();
    }
    if (m_player) {
        m_player->close();
    }
    m_controls = nullptr;
    m_player = nullptr;
    m_remoteHost = nullptr;
    // The host gives back the control and the site with its window.
    m_hostWindow.reset();
}
