#pragma once
// The control container behind an "AtlAxWin80" window. It holds the one control of its window and
// the site the program gave it, and hands that site to the control (through the control's
// IObjectWithSite) whenever either of them arrives. Its window answers the registered messages
// "WM_ATLGETHOST" and "WM_ATLGETCONTROL" with the host's and the control's IUnknown; as in ATL,
// each answer carries one reference that the receiver must Release.
//
// Created through CComObject<CAxHostWindow>; CAxWindow makes one per host window.

#include "platform/com/ComPtr.h"
#include "platform/com/ObjectWithSite.h"
#include "platform/container/AxWinHostWindow.h"
#include "platform/windows/WindowProc.h"

class CWindowTable;

class CAxHostWindow : public IObjectWithSite, public IAxWinHostWindow, public IWindowProc {
public:
    CAxHostWindow() = default;
    ~CAxHostWindow() override;

    // IUnknown: IObjectWithSite and IAxWinHostWindow, in that order.
    HRESULT QueryInterface(const IID& riid, void** object) override;

    // IObjectWithSite
    HRESULT SetSite(IUnknown* site) override;
    HRESULT GetSite(const IID& riid, void** site) override;

    // IAxWinHostWindow
    HRESULT CreateControl(LPCOLESTR text, HWND hwnd, IStream* stream) override;
    HRESULT AttachControl(IUnknown* control, HWND hwnd) override;
    HRESULT QueryControl(const IID& riid, void** object) override;

    // IWindowProc of the host window.
    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The window this host serves, and the window table that holds it (for the registered messages).
    void AttachWindow(HWND hwnd, CWindowTable* table);
    // The window is going away: the control is let go (its site taken back first).
    void DetachWindow();
    HWND Window() const { return m_hwnd; }

private:
    HRESULT CheckWindow(HWND hwnd) const;
    // Hands the current site to the control, when the control takes one.
    HRESULT GiveSite(IUnknown* control, IUnknown* site) const;
    HRESULT Contain(ComPtr<IUnknown> control);
    void ReleaseControl();

    ComPtr<IUnknown> m_site;
    ComPtr<IUnknown> m_control;
    HWND m_hwnd = nullptr;
    CWindowTable* m_table = nullptr;
};
