#pragma once
// The control container's own interface: create a control by its class-id text inside the host
// window, or attach one made elsewhere, and ask the contained control for an interface.

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"
#include "platform/win/WinTypes.h"

// Initialisation data for a control; this container never reads any.
class IStream;

class IAxWinHostWindow : public IUnknown {
public:
    // text is a class id "{...}" (any case). REGDB_E_CLASSNOTREG when no factory is registered for
    // it; otherwise the factory's result. hwnd is the host's own window (or null for it).
    virtual HRESULT CreateControl(LPCOLESTR text, HWND hwnd, IStream* stream) = 0;
    virtual HRESULT AttachControl(IUnknown* control, HWND hwnd) = 0;
    // E_NOINTERFACE with *object null while no control is contained.
    virtual HRESULT QueryControl(const IID& riid, void** object) = 0;
};

OLLIVANE_DEFINE_IID(IAxWinHostWindow, "{B6EA2050-048A-11D1-82B9-00C04FB9942E}");
