#pragma once
// Owns one BSTR and frees it when it goes. Converts to and from QString so the program can keep its
// text in QStrings and hand BSTRs to the player only at the call.

#include "platform/com/Bstr.h"

#include <QString>

class CComBSTR {
public:
    CComBSTR() = default;
    CComBSTR(const QString& text);
    CComBSTR(const OLECHAR* text);
    CComBSTR(const CComBSTR& other);
    CComBSTR(CComBSTR&& other) noexcept;
    ~CComBSTR();

    CComBSTR& operator=(const CComBSTR& other);
    CComBSTR& operator=(CComBSTR&& other) noexcept;
    CComBSTR& operator=(const QString& text);

    operator BSTR() const { return m_str; }
    // For an out argument: frees the current text first, so a reused CComBSTR does not leak.
    BSTR* operator&();

    UINT Length() const { return SysStringLen(m_str); }
    bool IsEmpty() const { return Length() == 0; }
    // True when the last allocation failed or nothing was ever assigned.
    bool IsNull() const { return m_str == nullptr; }
    QString ToQString() const { return BstrToQString(m_str); }
    // A new BSTR with the same text, owned by the caller.
    BSTR Copy() const;
    // Gives up ownership without freeing.
    BSTR Detach();
    // Takes ownership of text, freeing the current one.
    void Attach(BSTR text);
    void Empty();

    friend bool operator==(const CComBSTR& a, const QString& b) { return a.ToQString() == b; }

    BSTR m_str = nullptr;
};
