#pragma once
// Lets a hosted control ask its site for services; the player control finds the program's remote
// host this way.

#include "platform/com/Unknown.h"

class IServiceProvider : public IUnknown {
public:
    virtual HRESULT QueryService(const GUID& service, const IID& riid, void** object) = 0;
};

OLLIVANE_DEFINE_IID(IServiceProvider, "{6D5140C1-7436-11CE-8034-00AA006009FA}");
