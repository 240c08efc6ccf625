#pragma once
// Operating-system facilities the program asks for: the OS version record, the named mutex that
// keeps a second instance out, the shell's "open" of a folder, and the wait cursor.

#include "platform/win/WinTypes.h"

#include <QString>
#include <functional>

struct OSVERSIONINFOEX {
    DWORD dwOSVersionInfoSize = sizeof(OSVERSIONINFOEX);
    DWORD dwMajorVersion = 0;
    DWORD dwMinorVersion = 0;
    DWORD dwBuildNumber = 0;
    DWORD dwPlatformId = 0;
    QString szCSDVersion;
    WORD wServicePackMajor = 0;
    WORD wServicePackMinor = 0;
    WORD wSuiteMask = 0;
    BYTE wProductType = 0;
};

inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
inline constexpr BYTE VER_NT_WORKSTATION = 1;
inline constexpr BYTE VER_NT_SERVER = 3;

class ISystemServices {
public:
    virtual ~ISystemServices() = default;
    virtual BOOL GetVersionEx(OSVERSIONINFOEX* info) = 0;
    // Returns a handle or null; sets the last error to ERROR_ALREADY_EXISTS (with a handle) when
    // another process holds the mutex, ERROR_ACCESS_DENIED (no handle) when it cannot be opened.
    virtual HANDLE CreateMutex(const QString& name) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
    // A later start cannot find this process's windows by title (windows are per process here):
    // it asks the process that owns the named mutex to bring its window forward. TRUE when that
    // process answered.
    virtual BOOL BringMutexOwnerForward(const QString& name) = 0;
    // What this process does when a later start asks it to come forward.
    virtual void SetBringForwardHandler(std::function<void()> handler) = 0;
    // Shell "open" of a folder (shows it in the file manager). Returns > 32 on success.
    virtual std::intptr_t ShellOpen(const QString& winPath) = 0;
    virtual void SetWaitCursor(bool wait) = 0;
};

BOOL GetVersionEx(OSVERSIONINFOEX* info);
HANDLE CreateMutex(void* security, BOOL initialOwner, const QString& name);
BOOL CloseHandle(HANDLE handle);
BOOL BringMutexOwnerForward(const QString& name);
void SetBringForwardHandler(std::function<void()> handler);
// The hourglass while the program is busy; calls nest.
void BeginWaitCursor();
void EndWaitCursor();
std::intptr_t ShellExecute(HWND hwnd, const QString& verb, const QString& file, const QString& params,
                           const QString& dir, int show);
