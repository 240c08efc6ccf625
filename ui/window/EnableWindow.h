#pragma once
// Enabling and disabling one of our windows by its handle, as EnableWindow does.

#include "platform/win/WinTypes.h"

// Returns TRUE when the window was disabled before the call (Win32's answer); FALSE otherwise or
// when the handle is not one of our windows.
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);
