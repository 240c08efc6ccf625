#pragma once
// The writer lock of one hive file: a kernel lock (flock) on a file beside the hive. The kernel lets
// go of it when its holder ends in any way, so a writer killed at any moment, even while it was
// taking the lock, never leaves the hive locked for the next program.

#include <QString>
#include <memory>

class CHiveLock {
public:
    enum class EResult { Taken, Busy, Denied };

    // Waits up to timeoutMs for the lock on lockPath. Null with *result Busy or Denied otherwise.
    static std::unique_ptr<CHiveLock> Take(const QString& lockPath, int timeoutMs, EResult* result);
    ~CHiveLock();
    CHiveLock(const CHiveLock&) = delete;
    CHiveLock& operator=(const CHiveLock&) = delete;

private:
    CHiveLock(QString path, int fd);
    // One attempt: the lock on the file that the path names now, or -1 (errno says why).
    static int TryOnce(const QByteArray& path);

    QString m_path;
    int m_fd = -1;
};
