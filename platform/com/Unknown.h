#pragma once
// The root of every COM-style interface: identity, interface discovery and the reference count.
// Objects delete themselves when their count returns to zero; nobody deletes them through an
// interface pointer, hence the protected destructor.

#include "platform/com/Guid.h"
#include "platform/win/WinTypes.h"

class IUnknown {
public:
    // Answers S_OK with *object set and one reference taken, or E_NOINTERFACE with *object null.
    // A null object pointer answers E_POINTER.
    virtual HRESULT QueryInterface(const IID& riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};

OLLIVANE_DEFINE_IID(IUnknown, "{00000000-0000-0000-C000-000000000046}");
