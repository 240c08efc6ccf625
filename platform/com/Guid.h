#pragma once
// 128-bit identifiers of classes and interfaces, written in the usual registry text form
// "{6BF52A52-394A-11D3-B153-00C04F79FAA6}". Interface ids are compile-time constants so that
// ComPtr<T> and the interface tables can find the id of T without a registry.

#include "platform/win/WinTypes.h"

#include <QString>
#include <compare>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string_view>

struct GUID {
    DWORD Data1 = 0;
    WORD Data2 = 0;
    WORD Data3 = 0;
    BYTE Data4[8] = {};

    friend constexpr bool operator==(const GUID&, const GUID&) = default;
    friend constexpr std::strong_ordering operator<=>(const GUID& a, const GUID& b) {
        if (auto c = a.Data1 <=> b.Data1; c != 0) {
            return c;
        }
        if (auto c = a.Data2 <=> b.Data2; c != 0) {
            return c;
        }
        if (auto c = a.Data3 <=> b.Data3; c != 0) {
            return c;
        }
        for (int i = 0; i < 8; ++i) {
            if (auto c = a.Data4[i] <=> b.Data4[i]; c != 0) {
                return c;
            }
        }
        return std::strong_ordering::equal;
    }
};

using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using REFGUID = const GUID&;

inline constexpr GUID GUID_NULL{};
inline constexpr IID IID_NULL{};

namespace guid_detail {

constexpr int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

// Parses exactly "{8-4-4-4-12}" with hexadecimal digits of either case; nothing before or after.
template <class Char> constexpr std::optional<GUID> Parse(std::basic_string_view<Char> text) {
    if (text.size() != 38 || text.front() != Char('{') || text.back() != Char('}')) {
        return std::nullopt;
    }
    // Positions of the dashes inside the braces, and the byte order of the groups.
    constexpr std::size_t dashes[] = {9, 14, 19, 24};
    for (std::size_t d : dashes) {
        if (text[d] != Char('-')) {
            return std::nullopt;
        }
    }
    std::uint8_t bytes[16] = {};
    std::size_t byteIndex = 0;
    for (std::size_t i = 1; i < 37;) {
        if (i == 9 || i == 14 || i == 19 || i == 24) {
            ++i;
            continue;
        }
        const int hi = HexDigit(static_cast<char16_t>(text[i]));
        const int lo = HexDigit(static_cast<char16_t>(text[i + 1]));
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        bytes[byteIndex++] = static_cast<std::uint8_t>(hi * 16 + lo);
        i += 2;
    }
    if (byteIndex != 16) {
        return std::nullopt;
    }
    GUID g;
    g.Data1 = (DWORD(bytes[0]) << 24) | (DWORD(bytes[1]) << 16) | (DWORD(bytes[2]) << 8) | DWORD(bytes[3]);
    g.Data2 = static_cast<WORD>((bytes[4] << 8) | bytes[5]);
    g.Data3 = static_cast<WORD>((bytes[6] << 8) | bytes[7]);
    for (int i = 0; i < 8; ++i) {
        g.Data4[i] = bytes[8 + i];
    }
    return g;
}

} // namespace guid_detail

// A GUID from a literal, checked while compiling: a malformed literal does not build.
consteval GUID MakeGuid(const char* literal) {
    const auto parsed = guid_detail::Parse(std::string_view(literal));
    if (!parsed) {
        throw std::invalid_argument("malformed GUID literal");
    }
    return *parsed;
}

// Parses the registry text form, case-insensitively. Returns false (and leaves *out alone) for any
// other text, including surrounding blanks.
bool GuidFromString(const QString& text, GUID* out);
std::optional<GUID> GuidFromString(const QString& text);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, as StringFromGUID2 writes it.
QString GuidToString(const GUID& guid);

// The interface id of an interface type, the counterpart of __uuidof. Each interface binds its id
// once with OLLIVANE_DEFINE_IID next to its declaration.
template <class T> struct InterfaceId;

template <class T> constexpr const IID& IidOf() {
    return InterfaceId<T>::value;
}

// Declares the constant IID_<name> and binds it to the interface type <name>. Use at global scope.
#define OLLIVANE_DEFINE_IID(Interface, text)                                                                 \
    inline constexpr IID IID_##Interface = MakeGuid(text);                                                   \
    template <> struct InterfaceId<Interface> { static constexpr const IID& value = IID_##Interface; }

// Binds an interface type to an id constant defined elsewhere (a dispinterface's DIID_ name).
#define OLLIVANE_BIND_IID(Interface, constant)                                                               \
    template <> struct InterfaceId<Interface> { static constexpr const IID& value = constant; }
