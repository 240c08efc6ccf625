#pragma once
// The program's pictures by resource number, and its icon.

#include "platform/win/WinTypes.h"

#include <QIcon>
#include <QImage>

inline constexpr UINT IDB_HEADER_LEFT = 140;   // 2 x 17
inline constexpr UINT IDB_HEADER_RIGHT = 141;  // 2 x 17
inline constexpr UINT IDB_HEADER_MIDDLE = 142; // 1 x 17

// A null image for an unknown number.
QImage LoadBitmap(UINT id);
QIcon LoadAppIcon();
