#pragma once
// What a window of ours answers: every message that reaches a window goes through its WindowProc,
// the one table-driven entry point of each window class.

#include "platform/win/WinTypes.h"

class IWindowProc {
public:
    virtual ~IWindowProc() = default;
    virtual LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};
