#include "platform/com/Variant.h"

#include "platform/com/Dispatch.h"

void VariantInit(VARIANT* v) {
    if (v) {
        *v = VARIANT{};
    }
}

HRESULT VariantClear(VARIANT* v) {
    if (!v) {
        return E_INVALIDARG;
    }
    if (!IsVariantTypeKnown(v->vt)) {
        return DISP_E_BADVARTYPE;
    }
    // Take the value out first: releasing an object may run code that looks at this variant again.
    const VARIANT old = *v;
    *v = VARIANT{};
    switch (old.vt) {
    case VT_BSTR:
        SysFreeString(old.bstrVal);
        break;
    case VT_UNKNOWN:
        if (old.punkVal) {
            old.punkVal->Release();
        }
        break;
    case VT_DISPATCH:
        if (old.pdispVal) {
            old.pdispVal->Release();
        }
        break;
    default:
        break;
    }
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (!dest || !src) {
        return E_INVALIDARG;
    }
    if (dest == src) {
        return S_OK;
    }
    if (!IsVariantTypeKnown(src->vt)) {
        return DISP_E_BADVARTYPE;
    }
    // Build the copy before touching dest, so a failed allocation leaves dest as it was.
    VARIANT copy = *src;
    switch (src->vt) {
    case VT_BSTR:
        if (src->bstrVal) {
            copy.bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
            if (!copy.bstrVal) {
                return E_OUTOFMEMORY;
            }
        }
        break;
    case VT_UNKNOWN:
        if (copy.punkVal) {
            copy.punkVal->AddRef();
        }
        break;
    case VT_DISPATCH:
        if (copy.pdispVal) {
            copy.pdispVal->AddRef();
        }
        break;
    default:
        break;
    }
    const HRESULT hr = VariantClear(dest);
    if (FAILED(hr)) {
        VariantClear(&copy);
        return hr;
    }
    *dest = copy;
    return S_OK;
}
