#include "platform/messages/MessageLoop.h"

#include "platform/Platform.h"
#include "platform/win/LastError.h"

namespace {
IMessageLoop* Loop() {
    return CPlatform::Current().loop;
}
} // namespace

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Loop()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return Loop()->PostMessage(hwnd, message, wParam, lParam);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, void* /*timerProc*/) {
    return Loop() ? Loop()->SetTimer(hwnd, id, elapseMs) : 0;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    return Loop() ? Loop()->KillTimer(hwnd, id) : FALSE;
}

void Sleep(DWORD ms) {
    if (Loop()) {
        Loop()->Sleep(ms);
    }
}

DWORD GetTickCount() {
    return Loop() ? Loop()->GetTickCount() : 0;
}
