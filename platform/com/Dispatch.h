#pragma once
// Late-bound calls by member number: the event interface of the player control can be reached
// this way when its direct interface is not offered.

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

using DISPID = LONG;

// Arguments of a call, in reverse order: rgvarg[0] is the last argument of the member.
struct DISPPARAMS {
    VARIANTARG* rgvarg = nullptr;
    DISPID* rgdispidNamedArgs = nullptr;
    UINT cArgs = 0;
    UINT cNamedArgs = 0;
};

inline constexpr WORD DISPATCH_METHOD = 0x1;
inline constexpr WORD DISPATCH_PROPERTYGET = 0x2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;
inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;

// Type information and exception details are never produced here; they only appear in signatures.
class ITypeInfo;
struct EXCEPINFO;

class IDispatch : public IUnknown {
public:
    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) = 0;
    virtual HRESULT GetIDsOfNames(const IID& riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID member, const IID& riid, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argError) = 0;
};

OLLIVANE_DEFINE_IID(IDispatch, "{00020400-0000-0000-C000-000000000046}");
