#include "platform/system/SimSystemServices.h"

#include "platform/win/LastError.h"

CSimSystemServices::CSimSystemServices() {
    version.dwMajorVersion = 5;
    version.dwMinorVersion = 1;
    version.dwBuildNumber = 2600;
    version.dwPlatformId = VER_PLATFORM_WIN32_NT;
    version.szCSDVersion = QStringLiteral("Service Pack 3");
    version.wServicePackMajor = 3;
    version.wProductType = VER_NT_WORKSTATION;
}

BOOL CSimSystemServices::GetVersionEx(OSVERSIONINFOEX* info) {
    const DWORD size = info->dwOSVersionInfoSize;
    *info = version;
    info->dwOSVersionInfoSize = size;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

HANDLE CSimSystemServices::CreateMutex(const QString& name) {
    if (forcedMutexError == static_cast<DWORD>(ERROR_ACCESS_DENIED)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (m_lockFiles && forcedMutexError == 0) {
        return m_lockFiles->CreateMutex(name);
    }
    const bool exists = forcedMutexError == static_cast<DWORD>(ERROR_ALREADY_EXISTS) || m_mutexes[name] > 0;
    ++m_mutexes[name];
    m_nextHandle += 4;
    m_handles[m_nextHandle] = name;
    SetLastError(exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return reinterpret_cast<HANDLE>(m_nextHandle);
}

BOOL CSimSystemServices::CloseHandle(HANDLE handle) {
    auto it = m_handles.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == m_handles.end() && m_lockFiles) {
        return m_lockFiles->CloseHandle(handle);
    }
    if (it == m_handles.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (--m_mutexes[it->second] <= 0) {
        m_mutexes.erase(it->second);
    }
    m_handles.erase(it);
    return TRUE;
}

bool CSimSystemServices::IsMutexHeld(const QString& name) const {
    auto it = m_mutexes.find(name);
    return it != m_mutexes.end() && it->second > 0;
}

void CSimSystemServices::SetLockFolder(const QString& dir) {
    m_lockFiles = std::make_unique<CLockFileMutexes>(dir);
    m_lockFiles->SetBringForwardHandler([this] {
        if (bringForward) {
            bringForward();
        }
    });
}

BOOL CSimSystemServices::BringMutexOwnerForward(const QString& name) {
    if (m_lockFiles) {
        return m_lockFiles->BringOwnerForward(name, 3000);
    }
    ++bringForwardRequests;
    return FALSE;
}

void CSimSystemServices::SetBringForwardHandler(std::function<void()> handler) {
    bringForward = std::move(handler);
}

std::intptr_t CSimSystemServices::ShellOpen(const QString& winPath) {
    openedFolders << winPath;
    return 42;
}

void CSimSystemServices::SetWaitCursor(bool wait) {
    waitCursorDepth += wait ? 1 : -1;
}
