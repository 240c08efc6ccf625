#pragma once
// The message table of a window class: each row names a message (and, for WM_COMMAND and WM_TIMER,
// the control or timer id) and the member that handles it. A window's WindowProc looks its message
// up here, so one glance at the table shows everything the window reacts to.

#include "platform/win/WinTypes.h"

#include <cstddef>

template <class T> struct MessageMapEntry {
    UINT message;
    UINT_PTR id; // control id of WM_COMMAND, timer id of WM_TIMER; 0 matches any
    LRESULT (T::*handler)(WPARAM wParam, LPARAM lParam);
};

// Runs the first matching row; false when no row matches.
template <class T, std::size_t N>
bool RouteMessage(T* self, const MessageMapEntry<T> (&map)[N], UINT message, WPARAM wParam, LPARAM lParam,
                  LRESULT* result) {
    UINT_PTR id = 0;
    if (message == WM_COMMAND) {
        id = LOWORD(wParam);
    } else if (message == WM_TIMER) {
        id = wParam;
    }
    for (const MessageMapEntry<T>& entry : map) {
        if (entry.message == message && (entry.id == 0 || entry.id == id)) {
            const LRESULT r = (self->*entry.handler)(wParam, lParam);
            if (result) {
                *result = r;
            }
            return true;
        }
    }
    return false;
}
