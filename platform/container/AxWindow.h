#pragma once
// The program's handle on a control host window (window class "AtlAxWin80"): it creates the child
// window together with its CAxHostWindow and reaches host and control through the window's
// registered messages, as ATL's CAxWindow does.
//
// Unlike ATL's wrapper, this object owns its window: deleting it destroys the window (when it still
// exists) and gives back the host, and with it the control. Destroying the parent window first is
// fine too; the host then lives on, without a window, until this object goes.

#include "platform/com/ComPtr.h"
#include "platform/container/AxWinHostWindow.h"
#include "platform/windows/WindowTable.h"

#include <QString>
#include <QStringList>

inline const QString kAxWinClassName = QStringLiteral("AtlAxWin80");
inline const QString kAxWinLicClassName = QStringLiteral("AtlAxWinLic80");
inline const QString kAtlGetHostMessage = QStringLiteral("WM_ATLGETHOST");
inline const QString kAtlGetControlMessage = QStringLiteral("WM_ATLGETCONTROL");

class CAxHostWindow;

class CAxWindow {
public:
    CAxWindow() = default;
    ~CAxWindow();
    CAxWindow(const CAxWindow&) = delete;
    CAxWindow& operator=(const CAxWindow&) = delete;

    // Creates the host window as a child of parent covering rect; visible only with WS_VISIBLE.
    // Returns null (and sets the last error) when parent is not a window, the window table is
    // missing, this object already has a window, or the host cannot be made.
    HWND Create(HWND parent, const RECT& rect, const QString& title = QString(), DWORD style = WS_CHILD,
                DWORD exStyle = 0, UINT id = 0, void* createParam = nullptr);
    // Destroys the window and lets the host and its control go. FALSE when there was no window.
    BOOL DestroyWindow();
    bool IsWindow() const;

    // The host's interface, asked through WM_ATLGETHOST.
    HRESULT QueryHost(const IID& riid, void** object) const;
    template <class Q> HRESULT QueryHost(ComPtr<Q>* target) const {
        return QueryInto(&CAxWindow::QueryHost, target);
    }
    template <class Q> HRESULT QueryHost(ComPtrRef<Q> target) const {
        return QueryHost(static_cast<ComPtr<Q>*>(target));
    }
    // The control's interface, asked through WM_ATLGETCONTROL.
    HRESULT QueryControl(const IID& riid, void** object) const;
    template <class Q> HRESULT QueryControl(ComPtr<Q>* target) const {
        return QueryInto(&CAxWindow::QueryControl, target);
    }
    template <class Q> HRESULT QueryControl(ComPtrRef<Q> target) const {
        return QueryControl(static_cast<ComPtr<Q>*>(target));
    }
    // Creates a control in this window by class-id text, through the host.
    HRESULT CreateControl(LPCOLESTR text, IStream* stream = nullptr) const;

    HWND m_hWnd = nullptr;

private:
    template <class Q>
    HRESULT QueryInto(HRESULT (CAxWindow::*query)(const IID&, void**) const, ComPtr<Q>* target) const {
        if (!target) {
            return E_POINTER;
        }
        void* out = nullptr;
        const HRESULT hr = (this->*query)(IidOf<Q>(), &out);
        target->Attach(SUCCEEDED(hr) ? static_cast<Q*>(out) : nullptr);
        return hr;
    }

    ComPtr<IUnknown> m_host;               // keeps the host alive as long as this object
    CAxHostWindow* m_hostObject = nullptr; // the same object, to detach it from its window
    CWindowTable* m_table = nullptr;
};

// Registers the host window classes and their messages; harmless to call again. Always TRUE.
BOOL AtlAxWinInit();
// The class names registered so far (empty before AtlAxWinInit).
QStringList AtlAxWinClassNames();
// The host or control of a host window, with one reference for the caller; E_FAIL when the window
// does not answer, E_POINTER for a null out argument.
HRESULT AtlAxGetHost(HWND hwnd, IUnknown** host);
HRESULT AtlAxGetControl(HWND hwnd, IUnknown** control);
