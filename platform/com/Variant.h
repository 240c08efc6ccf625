#pragma once
// The automation value: a type tag and a union. A VARIANT owns what it holds (a BSTR, a reference on
// an object), which VariantClear gives back; VariantCopy makes an independent copy.

#include "platform/com/Bstr.h"
#include "platform/win/WinTypes.h"

class IUnknown;
class IDispatch;

using VARTYPE = WORD;
using VARIANT_BOOL = short;
using SCODE = LONG;

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_NULL = 1;
inline constexpr VARTYPE VT_I2 = 2;
inline constexpr VARTYPE VT_I4 = 3;
inline constexpr VARTYPE VT_R8 = 5;
inline constexpr VARTYPE VT_BSTR = 8;
inline constexpr VARTYPE VT_DISPATCH = 9;
inline constexpr VARTYPE VT_ERROR = 10;
inline constexpr VARTYPE VT_BOOL = 11;
inline constexpr VARTYPE VT_UNKNOWN = 13;
inline constexpr VARTYPE VT_UI4 = 19;

struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    WORD wReserved1 = 0;
    WORD wReserved2 = 0;
    WORD wReserved3 = 0;
    union {
        LONGLONG llVal = 0;
        LONG lVal;            // VT_I4
        ULONG ulVal;          // VT_UI4
        short iVal;           // VT_I2
        VARIANT_BOOL boolVal; // VT_BOOL
        double dblVal;        // VT_R8
        BSTR bstrVal;         // VT_BSTR, owned
        IUnknown* punkVal;    // VT_UNKNOWN, one reference owned
        IDispatch* pdispVal;  // VT_DISPATCH, one reference owned
        SCODE scode;          // VT_ERROR
    };
};

using VARIANTARG = VARIANT;

inline constexpr bool IsVariantTypeKnown(VARTYPE vt) {
    switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R8:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UNKNOWN:
    case VT_UI4:
        return true;
    default:
        return false;
    }
}

void VariantInit(VARIANT* v);
// Frees a BSTR, releases an object, and leaves VT_EMPTY. DISP_E_BADVARTYPE (nothing changed) for a
// type this layer does not know, E_INVALIDARG for a null argument.
HRESULT VariantClear(VARIANT* v);
// Clears dest, then copies src into it: a BSTR is duplicated and an object gets a reference of its
// own. Copying a variant onto itself changes nothing.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
