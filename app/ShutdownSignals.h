#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a call on the UI thread, so that a program asked to end by
// the session, a terminal or `kill` leaves its event loop and shuts down in order (giving the media
// player's preferences back) instead of dying where it stands. A signal that was ignored when the
// program started (nohup) stays ignored. One instance at a time.

#include <array>
#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

class CShutdownSignals {
public:
    using Handler = std::function<void(int signalNumber)>;

    explicit CShutdownSignals(Handler onSignal);
    // Puts the previous dispositions back.
    ~CShutdownSignals();
    CShutdownSignals(const CShutdownSignals&) = delete;
    CShutdownSignals& operator=(const CShutdownSignals&) = delete;

    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};
    // Whether the handlers are in place (false when another instance holds them or setup failed).
    bool Installed() const { return m_installed; }

private:
    static void OnSignal(int signalNumber);
    void Deliver();

    Handler m_onSignal;
    int m_fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::array<struct sigaction, 3> m_previous{};
    std::array<bool, 3> m_replaced{};
    bool m_installed = false;
};
