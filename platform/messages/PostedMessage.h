#pragma once
// One entry of a window's posted-message queue.

#include "platform/win/WinTypes.h"

struct PostedMessage {
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
