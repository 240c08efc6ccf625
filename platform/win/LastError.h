#pragma once
// The per-thread last-error code of the Win32 calls our platform layer stands in for.

#include "platform/win/WinTypes.h"

DWORD GetLastError();
void SetLastError(DWORD error);
