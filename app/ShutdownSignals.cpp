#include "app/ShutdownSignals.h"

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The write end of the active instance's socket pair; only this may be touched in the handler.
std::atomic<int> g_writeFd{-1};
} // namespace

void CShutdownSignals::OnSignal(int signalNumber) {
    const int saved = errno;
    const int fd = g_writeFd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

CShutdownSignals::CShutdownSignals(Handler onSignal) : m_onSignal(std::move(onSignal)) {
    if (g_writeFd.load() >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, m_fds) != 0) {
        return;
    }
    ::fcntl(m_fds[0], F_SETFL, O_NONBLOCK);
    ::fcntl(m_fds[1], F_SETFL, O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(m_fds[1], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { Deliver(); });
    g_writeFd.store(m_fds[0]);

    struct sigaction action {};
    action.sa_handler = &CShutdownSignals::OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kSignals.size(); ++i) {
        struct sigaction previous {};
        if (::sigaction(kSignals[i], nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) {
            continue;
        }
        m_replaced[i] = ::sigaction(kSignals[i], &action, &m_previous[i]) == 0;
    }
    m_installed = true;
}

CShutdownSignals::~CShutdownSignals() {
    for (size_t i = 0; i < kSignals.size(); ++i) {
        if (m_replaced[i]) {
            ::sigaction(kSignals[i], &m_previous[i], nullptr);
        }
    }
    if (m_installed) {
        g_writeFd.store(-1);
    }
    m_notifier.reset();
    for (int fd : m_fds) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

void CShutdownSignals::Deliver() {
    unsigned char byte = 0;
    while (::read(m_fds[1], &byte, 1) == 1) {
        if (m_onSignal) {
            m_onSignal(byte);
        }
    }
}
