#include "mediaengine/core/MediaText.h"

#include "platform/com/ComPtr.h"

#include <cmath>

QString CMediaText::Duration(double seconds) {
    // Whole seconds, cut as the program cuts a length it formats itself.
    const long long whole = seconds > 0 ? static_cast<long long>(std::floor(seconds)) : 0;
    return QStringLiteral("%1:%2")
        .arg(whole / 60, 2, 10, QLatin1Char('0'))
        .arg(whole % 60, 2, 10, QLatin1Char('0'));
}

HRESULT CMediaText::Identical(IEngineItem* self, IUnknown* other, VARIANT_BOOL* identical) {
    if (!identical) {
        return E_POINTER;
    }
    *identical = VARIANT_FALSE;
    if (!other) {
        return E_INVALIDARG;
    }
    ComPtr<IEngineItem> item;
    void* out = nullptr;
    if (SUCCEEDED(other->QueryInterface(IID_IEngineItem, &out)) && out) {
        item.Attach(static_cast<IEngineItem*>(out));
        if (item->IdentityKey() == self->IdentityKey()) {
            *identical = VARIANT_TRUE;
        }
    }
    return S_OK;
}
