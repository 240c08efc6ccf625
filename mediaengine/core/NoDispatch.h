#pragma once
// The engine's objects are reached by direct calls only; their IDispatch part answers nothing.

#include "platform/com/Dispatch.h"
#include "platform/com/InterfaceTable.h"

#define OLLIVANE_NO_DISPATCH                                                                                 \
    HRESULT GetTypeInfoCount(UINT* count) override {                                                         \
        if (count) {                                                                                         \
            *count = 0;                                                                                      \
        }                                                                                                    \
        return E_NOTIMPL;                                                                                    \
    }                                                                                                        \
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override {                                             \
        if (info) {                                                                                          \
            *info = nullptr;                                                                                 \
        }                                                                                                    \
        return E_NOTIMPL;                                                                                    \
    }                                                                                                        \
    HRESULT GetIDsOfNames(const IID&, LPOLESTR*, UINT, LCID, DISPID*) override {                             \
        return E_NOTIMPL;                                                                                    \
    }                                                                                                        \
    HRESULT Invoke(DISPID, const IID&, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {      \
        return E_NOTIMPL;                                                                                    \
    }
