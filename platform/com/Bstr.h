#pragma once
// Automation strings: UTF-16 text with its byte length stored just before the first character and
// a terminating NUL after the last. The length, not the NUL, ends the text, so a BSTR can carry
// embedded NULs. A null BSTR is a valid empty string.

#include "platform/win/WinTypes.h"

#include <QString>

using OLECHAR = WCHAR;
using BSTR = OLECHAR*;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

// A new BSTR holding the QString's code units (embedded NULs included). Null when out of memory.
BSTR SysAllocString(const QString& text);
// A new BSTR from a NUL-terminated string; null for a null argument.
BSTR SysAllocString(const OLECHAR* text);
// A new BSTR of length code units, copied from text when it is not null (zero-filled otherwise).
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
// Length in code units, without the terminating NUL; 0 for a null BSTR.
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);
// The whole text of a BSTR, embedded NULs included; empty for a null BSTR.
QString BstrToQString(BSTR text);
