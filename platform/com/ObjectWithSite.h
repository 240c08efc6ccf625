#pragma once
// An object that is told who hosts it: the control container takes the program's site this way and
// passes it on to the control.

#include "platform/com/Unknown.h"

class IObjectWithSite : public IUnknown {
public:
    // Keeps a reference on site (null drops the current one).
    virtual HRESULT SetSite(IUnknown* site) = 0;
    // The site queried for riid; E_FAIL with *site null when there is none.
    virtual HRESULT GetSite(const IID& riid, void** site) = 0;
};

OLLIVANE_DEFINE_IID(IObjectWithSite, "{FC4801A3-2BA9-11CF-A229-00AA003D7352}");
