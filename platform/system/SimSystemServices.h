#pragma once
// The scripted operating system of tests and the demo: a chosen version record, mutexes held
// within this process (or forced to fail), and a record of every folder the program opened.

#include "platform/system/SystemServices.h"

#include <QStringList>
#include <map>

class CSimSystemServices : public ISystemServices {
public:
    CSimSystemServices();

    BOOL GetVersionEx(OSVERSIONINFOEX* info) override;
    HANDLE CreateMutex(const QString& name) override;
    BOOL CloseHandle(HANDLE handle) override;
    std::intptr_t ShellOpen(const QString& winPath) override;
    void SetWaitCursor(bool wait) override;

    OSVERSIONINFOEX version;    // defaults to an NT 5.1 workstation
    DWORD forcedMutexError = 0; // 5: another user holds it (no handle); 183: another instance
    QStringList openedFolders;  // what ShellOpen was asked to show
    int waitCursorDepth = 0;
    bool IsMutexHeld(const QString& name) const;

private:
    std::map<QString, int> m_mutexes; // name -> open handles
    std::map<std::uintptr_t, QString> m_handles;
    std::uintptr_t m_nextHandle = 0x100;
};
