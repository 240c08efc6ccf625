#pragma once
// The operating system of the product on Linux: it reports itself as a current NT system (so the
// program's version check accepts it), keeps named mutexes as lock files shared by all users (their
// owner answers a later start on a local socket), and opens folders in the desktop's file manager.

#include "platform/system/LockFileMutexes.h"
#include "platform/system/SystemServices.h"

#include <QString>
#include <functional>

class CHostSystemServices : public ISystemServices {
public:
    // `lockDir` holds the lock files; empty means the system's temporary folder.
    explicit CHostSystemServices(QString lockDir = {});
    ~CHostSystemServices() override;

    BOOL GetVersionEx(OSVERSIONINFOEX* info) override;
    HANDLE CreateMutex(const QString& name) override;
    BOOL CloseHandle(HANDLE handle) override;
    BOOL BringMutexOwnerForward(const QString& name) override;
    void SetBringForwardHandler(std::function<void()> handler) override;
    std::intptr_t ShellOpen(const QString& winPath) override;
    void SetWaitCursor(bool wait) override;

    // The cursor belongs to the widgets; the program's window layer installs how to show it.
    std::function<void(bool wait)> waitCursor;

    // Where a mutex's lock file lives (for tests and for a second instance looking for the first).
    QString LockPathOf(const QString& name) const { return m_mutexes.LockPathOf(name); }

private:
    CLockFileMutexes m_mutexes;
};
