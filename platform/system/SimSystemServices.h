#pragma once
// The scripted operating system of tests and the demo: a chosen version record, mutexes held
// within this process (or forced to fail) or, with a lock folder, across the processes that share
// it (a sandbox run as a program), and a record of every folder the program opened.

#include "platform/system/LockFileMutexes.h"
#include "platform/system/SystemServices.h"

#include <QStringList>
#include <functional>
#include <map>
#include <memory>

class CSimSystemServices : public ISystemServices {
public:
    CSimSystemServices();

    BOOL GetVersionEx(OSVERSIONINFOEX* info) override;
    HANDLE CreateMutex(const QString& name) override;
    BOOL CloseHandle(HANDLE handle) override;
    BOOL BringMutexOwnerForward(const QString& name) override;
    void SetBringForwardHandler(std::function<void()> handler) override;
    std::intptr_t ShellOpen(const QString& winPath) override;
    void SetWaitCursor(bool wait) override;

    OSVERSIONINFOEX version;    // defaults to an NT 5.1 workstation
    DWORD forcedMutexError = 0; // 5: another user holds it (no handle); 183: another instance
    QStringList openedFolders;  // what ShellOpen was asked to show
    int waitCursorDepth = 0;
    bool IsMutexHeld(const QString& name) const;
    // From now on mutexes are lock files in `dir`, held across processes (the sandbox's folder).
    void SetLockFolder(const QString& dir);

    std::function<void()> bringForward; // what a later start would set off in this process
    int bringForwardRequests = 0;       // later starts that asked, when there is no lock folder

private:
    std::map<QString, int> m_mutexes; // name -> open handles
    std::map<std::uintptr_t, QString> m_handles;
    std::uintptr_t m_nextHandle = 0x100;
    std::unique_ptr<CLockFileMutexes> m_lockFiles;
};
