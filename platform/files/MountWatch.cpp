#include "platform/files/MountWatch.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

CMountWatch::CMountWatch(const QString& mountsFile, std::function<void()> look, int checkMs)
    : m_mountsFile(mountsFile), m_look(std::move(look)), m_checkMs(checkMs) {
    if (::pipe2(m_stopFds, O_CLOEXEC) != 0) {
        m_stopFds[0] = m_stopFds[1] = -1;
        return;
    }
    m_thread = std::thread([this] { Run(); });
}

CMountWatch::~CMountWatch() {
    if (m_stopFds[1] >= 0) {
        const char byte = 1;
        while (::write(m_stopFds[1], &byte, 1) < 0 && errno == EINTR) {
        }
    }
    if (m_thread.joinable())
        m_thread.join();
    for (int& fd : m_stopFds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void CMountWatch::Run() {
    const int table = ::open(QFile::encodeName(m_mountsFile).constData(), O_RDONLY | O_CLOEXEC);
    // The kernel flags a change only to a reader that has read the table once.
    char buffer[4096];
    while (table >= 0 && ::read(table, buffer, sizeof buffer) > 0) {
    }
    for (;;) {
        pollfd fds[2] = {{m_stopFds[0], POLLIN, 0}, {table, POLLPRI, 0}};
        const int ready = ::poll(fds, table >= 0 ? 2 : 1, m_checkMs);
        if (ready < 0 && errno != EINTR)
            break;
        if (fds[0].revents != 0)
            break;
        if (table >= 0 && (fds[1].revents & (POLLPRI | POLLERR)) != 0) {
            // Re-arm: the flag stays up until the table is read again from the start.
            ::lseek(table, 0, SEEK_SET);
            while (::read(table, buffer, sizeof buffer) > 0) {
            }
        }
        m_look();
    }
    if (table >= 0)
        ::close(table);
}
