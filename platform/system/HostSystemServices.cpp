#include "platform/system/HostSystemServices.h"

#include "platform/files/Volumes.h"
#include "platform/win/LastError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>

CHostSystemServices::CHostSystemServices(QString lockDir) : m_lockDir(std::move(lockDir)) {
    if (m_lockDir.isEmpty()) {
        m_lockDir = QDir::tempPath();
    }
}

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

QString CHostSystemServices::LockPathOf(const QString& name) const {
    // Mutex names carry backslashes and blanks; the file name is a digest of the name.
    const QByteArray digest =
        QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir(m_lockDir).filePath(
        QStringLiteral("ollivane-mutex-%1.lock").arg(QString::fromLatin1(digest)));
}

HANDLE CHostSystemServices::CreateMutex(const QString& name) {
    auto lock = std::make_unique<QLockFile>(LockPathOf(name));
    lock->setStaleLockTime(0); // a lock of a dead process is recognised by its pid, not by age
    m_nextHandle += 4;
    const auto handle = m_nextHandle;
    if (lock->tryLock(0)) {
        m_locks[handle] = std::move(lock);
        SetLastError(ERROR_SUCCESS);
        return reinterpret_cast<HANDLE>(handle);
    }
    if (lock->error() == QLockFile::LockFailedError) {
        m_locks[handle] = nullptr; // opened, but another process owns it
        SetLastError(ERROR_ALREADY_EXISTS);
        return reinterpret_cast<HANDLE>(handle);
    }
    // The lock file belongs to someone we may not touch (another user's instance).
    SetLastError(lock->error() == QLockFile::PermissionError ? ERROR_ACCESS_DENIED : ERROR_INVALID_FUNCTION);
    return nullptr;
}

BOOL CHostSystemServices::CloseHandle(HANDLE handle) {
    auto it = m_locks.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == m_locks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    m_locks.erase(it); // unlocks when this process owned it
    return TRUE;
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
