#include "platform/system/HostSystemServices.h"

#include "platform/files/Volumes.h"
#include "platform/win/LastError.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>

namespace {
// The first instance answers from its event loop; one that is busy starting up may not.
constexpr int kBringForwardTimeoutMs = 3000;
} // namespace

CHostSystemServices::CHostSystemServices(QString lockDir)
    : m_mutexes(lockDir.isEmpty() ? QDir::tempPath() : lockDir) {}

CHostSystemServices::~CHostSystemServices() = default;

BOOL CHostSystemServices::GetVersionEx(OSVERSIONINFOEX* info) {
    const DWORD size = info->dwOSVersionInfoSize;
    *info = OSVERSIONINFOEX{};
    info->dwOSVersionInfoSize = size;
    // A current desktop system: NT 6.1 workstation.
    info->dwMajorVersion = 6;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 7601;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    info->szCSDVersion = QSysInfo::prettyProductName();
    info->wProductType = VER_NT_WORKSTATION;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

HANDLE CHostSystemServices::CreateMutex(const QString& name) {
    return m_mutexes.CreateMutex(name);
}

BOOL CHostSystemServices::CloseHandle(HANDLE handle) {
    return m_mutexes.CloseHandle(handle);
}

BOOL CHostSystemServices::BringMutexOwnerForward(const QString& name) {
    return m_mutexes.BringOwnerForward(name, kBringForwardTimeoutMs);
}

void CHostSystemServices::SetBringForwardHandler(std::function<void()> handler) {
    m_mutexes.SetBringForwardHandler(std::move(handler));
}

std::intptr_t CHostSystemServices::ShellOpen(const QString& winPath) {
    QString host;
    if (ToHostPath(winPath, &host) != ERROR_SUCCESS || !QFileInfo(host).isDir()) {
        return 2; // SE_ERR_FNF
    }
    // The desktop's own opener; it returns at once and the file manager lives on by itself.
    return QProcess::startDetached(QStringLiteral("xdg-open"), {host}) ? 42 : 31;
}

void CHostSystemServices::SetWaitCursor(bool wait) {
    if (waitCursor) {
        waitCursor(wait);
    }
}
