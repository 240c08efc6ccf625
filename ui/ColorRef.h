#pragma once
// COLORREF values (0x00BBGGRR, as the program's colour constants are written) and Qt colours.

#include "platform/win/WinTypes.h"

#include <QColor>

inline QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

inline COLORREF ToColorRef(const QColor& c) {
    return RGB(static_cast<BYTE>(c.red()), static_cast<BYTE>(c.green()), static_cast<BYTE>(c.blue()));
}
