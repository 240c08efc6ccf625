#pragma once
// What the program's remote host answers to the control: the control asks its site for this
// service and, finding it, runs "remoted" inside the program without any window of its own.

#include "platform/com/Bstr.h"
#include "platform/com/Dispatch.h"
#include "platform/wmp/WmpIds.h"

class IWMPRemoteMediaServices : public IUnknown {
public:
    // "Remote" for a control hosted in remote mode.
    virtual HRESULT GetServiceType(BSTR* type) = 0;
    virtual HRESULT GetApplicationName(BSTR* name) = 0;
    virtual HRESULT GetScriptableObject(BSTR* name, IDispatch** object) = 0;
    virtual HRESULT GetCustomUIMode(BSTR* skinFile) = 0;
};

OLLIVANE_DEFINE_IID(IWMPRemoteMediaServices, OLLIVANE_IID_IWMPRemoteMediaServices);
