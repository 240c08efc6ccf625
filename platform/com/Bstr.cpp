#include "platform/com/Bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {
// The byte count lives in the 4 bytes before the text; the block starts there.
DWORD* Header(BSTR text) {
    return reinterpret_cast<DWORD*>(reinterpret_cast<char*>(text) - sizeof(DWORD));
}
} // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    // Keep the byte count within 32 bits, as the header has no room for more.
    if (length > (std::numeric_limits<DWORD>::max() - sizeof(DWORD) - sizeof(OLECHAR)) / sizeof(OLECHAR)) {
        return nullptr;
    }
    const std::size_t bytes = std::size_t(length) * sizeof(OLECHAR);
    void* block = std::malloc(sizeof(DWORD) + bytes + sizeof(OLECHAR));
    if (!block) {
        return nullptr;
    }
    *static_cast<DWORD*>(block) = static_cast<DWORD>(bytes);
    BSTR result = reinterpret_cast<BSTR>(static_cast<char*>(block) + sizeof(DWORD));
    if (text) {
        std::memcpy(result, text, bytes);
    } else {
        std::memset(result, 0, bytes);
    }
    result[length] = 0;
    return result;
}

BSTR SysAllocString(const QString& text) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.utf16()), static_cast<UINT>(text.size()));
}

BSTR SysAllocString(const OLECHAR* text) {
    if (!text) {
        return nullptr;
    }
    UINT length = 0;
    while (text[length]) {
        ++length;
    }
    return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text) {
    if (text) {
        std::free(Header(text));
    }
}

UINT SysStringByteLen(BSTR text) {
    return text ? *Header(text) : 0;
}

UINT SysStringLen(BSTR text) {
    return SysStringByteLen(text) / sizeof(OLECHAR);
}

QString BstrToQString(BSTR text) {
    if (!text) {
        return QString();
    }
    return QString(reinterpret_cast<const QChar*>(text), static_cast<qsizetype>(SysStringLen(text)));
}
