#include "platform/registry/HiveLock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int kPollMs = 5;
}

CHiveLock::CHiveLock(QString path, int fd) : m_path(std::move(path)), m_fd(fd) {}

CHiveLock::~CHiveLock() {
    // Removed while still held, so whoever opened this file meanwhile sees it gone and tries again.
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
}

int CHiveLock::TryOnce(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    // The previous holder removes the file as it lets go; a lock on a removed file guards nothing.
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) != 0 || ::stat(path.constData(), &named) != 0 || held.st_ino != named.st_ino ||
        held.st_dev != named.st_dev) {
        ::close(fd);
        errno = EWOULDBLOCK;
        return -1;
    }
    return fd;
}

std::unique_ptr<CHiveLock> CHiveLock::Take(const QString& lockPath, int timeoutMs, EResult* result) {
    const QByteArray path = QFile::encodeName(lockPath);
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const int fd = TryOnce(path);
        if (fd >= 0) {
            *result = EResult::Taken;
            return std::unique_ptr<CHiveLock>(new CHiveLock(lockPath, fd));
        }
        if (errno != EWOULDBLOCK) {
            *result = EResult::Denied;
            return nullptr;
        }
        if (deadline.hasExpired()) {
            *result = EResult::Busy;
            return nullptr;
        }
        QThread::msleep(kPollMs);
    }
}
