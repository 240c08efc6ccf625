#pragma once
// Qt key events seen as the virtual-key codes of a WM_KEYDOWN, for the windows whose key rules are
// written in those terms.

#include "platform/win/WinTypes.h"

class QKeyEvent;

// The virtual key of a key press, or 0 for a key the program has no rule for.
UINT VirtualKeyOf(const QKeyEvent* event);
