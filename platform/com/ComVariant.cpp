#include "platform/com/ComVariant.h"

#include "platform/com/Dispatch.h"

#include <memory>

CComVariant::CComVariant(const VARIANT& other) {
    VariantCopy(this, &other);
}

CComVariant::CComVariant(const CComVariant& other) : VARIANT() {
    VariantCopy(this, &other);
}

CComVariant::CComVariant(CComVariant&& other) noexcept : VARIANT(static_cast<const VARIANT&>(other)) {
    static_cast<VARIANT&>(other) = VARIANT{};
}

CComVariant::CComVariant(bool value) {
    vt = VT_BOOL;
    boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

CComVariant::CComVariant(LONG value) {
    vt = VT_I4;
    lVal = value;
}

CComVariant::CComVariant(short value, VARTYPE type) {
    if (type == VT_BOOL) {
        vt = VT_BOOL;
        boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    } else {
        vt = VT_I2;
        iVal = value;
    }
}

CComVariant::CComVariant(double value) {
    vt = VT_R8;
    dblVal = value;
}

CComVariant::CComVariant(const QString& text) {
    vt = VT_BSTR;
    bstrVal = SysAllocString(text);
}

CComVariant::CComVariant(IDispatch* object) {
    vt = VT_DISPATCH;
    pdispVal = object;
    if (object) {
        object->AddRef();
    }
}

CComVariant::CComVariant(IUnknown* object) {
    vt = VT_UNKNOWN;
    punkVal = object;
    if (object) {
        object->AddRef();
    }
}

CComVariant::~CComVariant() {
    VariantClear(this);
}

CComVariant& CComVariant::operator=(const CComVariant& other) {
    VariantCopy(this, &other);
    return *this;
}

CComVariant& CComVariant::operator=(CComVariant&& other) noexcept {
    if (this != std::addressof(other)) {
        VariantClear(this);
        static_cast<VARIANT&>(*this) = static_cast<const VARIANT&>(other);
        static_cast<VARIANT&>(other) = VARIANT{};
    }
    return *this;
}
