#pragma once
// A VARIANT that clears itself. It adds no data to VARIANT, so an array of CComVariant can serve as
// the argument block of DISPPARAMS.

#include "platform/com/Variant.h"

#include <QString>

class CComVariant : public VARIANT {
public:
    CComVariant() = default;
    CComVariant(const VARIANT& other);
    CComVariant(const CComVariant& other);
    CComVariant(CComVariant&& other) noexcept;
    explicit CComVariant(bool value); // VT_BOOL
    explicit CComVariant(LONG value); // VT_I4
    // VT_I2, or VT_BOOL when asked: CComVariant(VARIANT_TRUE, VT_BOOL).
    CComVariant(short value, VARTYPE type);
    explicit CComVariant(double value);        // VT_R8
    explicit CComVariant(const QString& text); // VT_BSTR
    explicit CComVariant(IDispatch* object);   // VT_DISPATCH, takes a reference
    explicit CComVariant(IUnknown* object);    // VT_UNKNOWN, takes a reference
    ~CComVariant();

    CComVariant& operator=(const CComVariant& other);
    CComVariant& operator=(CComVariant&& other) noexcept;

    HRESULT Clear() { return VariantClear(this); }
    HRESULT Copy(const VARIANT* source) { return VariantCopy(this, source); }
};

static_assert(sizeof(CComVariant) == sizeof(VARIANT), "CComVariant must stay layout-compatible");
