#pragma once
// Helpers shared by the engine's media items: the duration text and the identity comparison.

#include "mediaengine/core/EngineItem.h"
#include "platform/com/Variant.h"

#include <QString>

class CMediaText {
public:
    // "mm:ss" of the whole seconds (minutes grow past 59), the way the player writes a length.
    static QString Duration(double seconds);
    // VARIANT_TRUE when other stands for the same track, entry, file or playlist as self.
    static HRESULT Identical(IEngineItem* self, IUnknown* other, VARIANT_BOOL* identical);
};
