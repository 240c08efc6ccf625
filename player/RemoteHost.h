#pragma once
// The site the program gives the hidden player control. The control asks its site for remote
// media services; finding them with the service type "Remote" it runs inside the program and shows
// no user interface of its own. Created through CComObject<CRemoteHost>; holds no data.

#include "platform/com/ServiceProvider.h"
#include "platform/wmp/WmpRemote.h"

class CRemoteHost : public IServiceProvider, public IWMPRemoteMediaServices {
public:
    CRemoteHost();
    virtual ~CRemoteHost();

    // IServiceProvider, then IWMPRemoteMediaServices.
    HRESULT QueryInterface(const IID& riid, void** object) override;
    ULONG AddRef() override = 0;
    ULONG Release() override = 0;

    // Any service: the object's own interface, so the control finds the remote services whatever it
    // asks for. E_POINTER for a null out argument.
    HRESULT QueryService(const GUID& service, const IID& riid, void** object) override;

    // "Remote".
    HRESULT GetServiceType(BSTR* type) override;
    // The program's display name (string 1102); E_POINTER (and null) when the table lacks it.
    HRESULT GetApplicationName(BSTR* name) override;
    // No object for the player's scripts: both out arguments cleared, E_NOTIMPL.
    HRESULT GetScriptableObject(BSTR* name, IDispatch** object) override;
    // No skin: E_NOTIMPL, the argument left alone.
    HRESULT GetCustomUIMode(BSTR* skinFile) override;

    // Objects of this class alive in the process (tests check that shutdown frees them).
    static int LiveCount();
};
