#pragma once
// Named mutexes held across processes: one lock file per name in a folder, taken with flock. The
// kernel drops such a lock when its process ends, however it ends, so a killed run never keeps a
// later start out. The owner of a mutex also listens on a local socket: a later start cannot see
// this process's windows, so it asks through the socket for the window to come forward.

#include "platform/win/WinTypes.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class QLocalServer;

class CLockFileMutexes {
public:
    explicit CLockFileMutexes(QString lockDir);
    ~CLockFileMutexes();
    CLockFileMutexes(const CLockFileMutexes&) = delete;
    CLockFileMutexes& operator=(const CLockFileMutexes&) = delete;

    // A handle with the last error 0 (owned now), ERROR_ALREADY_EXISTS (another process of this
    // user owns it); no handle with ERROR_ACCESS_DENIED (another user's process owns it) or another
    // error (no lock can be taken here at all).
    HANDLE CreateMutex(const QString& name);
    BOOL CloseHandle(HANDLE handle);
    // Asks the process that owns the mutex to bring its window forward; TRUE when it answered.
    BOOL BringOwnerForward(const QString& name, int timeoutMs);
    // What this process does when a later start asks it to come forward.
    void SetBringForwardHandler(std::function<void()> handler) { m_bringForward = std::move(handler); }

    QString LockPathOf(const QString& name) const;
    // The local socket of the mutex's owner: per user and per lock folder, so that two sandboxes,
    // or two users, never answer for each other.
    QString SocketNameOf(const QString& name) const;

private:
    struct SMutex {
        int fd = -1;
        std::unique_ptr<QLocalServer> server; // only while this process owns the mutex
    };
    void Listen(SMutex& mutex, const QString& name);

    QString m_lockDir;
    std::map<std::uintptr_t, SMutex> m_mutexes;
    std::uintptr_t m_nextHandle = 0x100;
    std::function<void()> m_bringForward;
};
