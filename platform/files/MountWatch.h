#pragma once
// Wakes a callback on a thread of its own when the mount table may have changed: at once when the
// kernel flags /proc/self/mountinfo (POLLPRI), and every checkMs anyway for what it does not flag
// (a configured folder that appears, a table file that is not a /proc file). The window thread
// never waits on it.

#include <QString>

#include <functional>
#include <thread>

class CMountWatch {
public:
    static constexpr int kCheckMs = 2000;

    CMountWatch(const QString& mountsFile, std::function<void()> look, int checkMs = kCheckMs);
    ~CMountWatch(); // stops and joins
    CMountWatch(const CMountWatch&) = delete;
    CMountWatch& operator=(const CMountWatch&) = delete;

private:
    void Run();

    const QString m_mountsFile;
    const std::function<void()> m_look;
    const int m_checkMs;
    int m_stopFds[2] = {-1, -1};
    std::thread m_thread;
};
