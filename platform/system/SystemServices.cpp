#include "platform/system/SystemServices.h"

#include "platform/Platform.h"
#include "platform/win/LastError.h"

namespace {
ISystemServices* System() {
    return CPlatform::Current().system;
}
} // namespace

BOOL GetVersionEx(OSVERSIONINFOEX* info) {
    if (!info || !System()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return System()->GetVersionEx(info);
}

HANDLE CreateMutex(void*, BOOL, const QString& name) {
    if (!System()) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return nullptr;
    }
    return System()->CreateMutex(name);
}

BOOL CloseHandle(HANDLE handle) {
    return System() && handle ? System()->CloseHandle(handle) : FALSE;
}

BOOL BringMutexOwnerForward(const QString& name) {
    return System() ? System()->BringMutexOwnerForward(name) : FALSE;
}

void SetBringForwardHandler(std::function<void()> handler) {
    if (System()) {
        System()->SetBringForwardHandler(std::move(handler));
    }
}

std::intptr_t ShellExecute(HWND, const QString& verb, const QString& file, const QString&, const QString&,
                           int) {
    // The program only ever opens folders; any other verb is refused like an unknown association.
    if (!System() || (verb != QStringLiteral("open") && !verb.isEmpty())) {
        return 31; // SE_ERR_NOASSOC
    }
    return System()->ShellOpen(file);
}

void BeginWaitCursor() {
    if (System()) {
        System()->SetWaitCursor(true);
    }
}

void EndWaitCursor() {
    if (System()) {
        System()->SetWaitCursor(false);
    }
}
