// The named mutex that keeps a second instance out, on the sandbox and on the host (lock files
// shared between processes), and the shell's "open" of a folder.
#include "platform/Platform.h"
#include "platform/files/Volumes.h"
#include "platform/system/HostSystemServices.h"
#include "platform/system/SimSystemServices.h"
#include "platform/win/LastError.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

const QString kMutex = QStringLiteral("Global\\Global MUTEX for a test");

TEST(SimSystem, MutexOutcomesFollowTheScript) {
    CSimSystemServices sim;
    CPlatform services{.system = &sim};
    CPlatformScope scope(services);

    HANDLE first = CreateMutex(nullptr, TRUE, kMutex);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    HANDLE second = CreateMutex(nullptr, TRUE, kMutex);
    EXPECT_NE(second, nullptr) << "an existing mutex still gives a handle";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(CloseHandle(second));
    EXPECT_TRUE(CloseHandle(first));
    EXPECT_FALSE(sim.IsMutexHeld(kMutex));
    EXPECT_FALSE(CloseHandle(first)) << "a handle closes once";

    sim.forcedMutexError = ERROR_ACCESS_DENIED;
    EXPECT_EQ(CreateMutex(nullptr, TRUE, kMutex), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

// The mutex is asked for by a second process: this test binary again, running only the probe below.
TEST(HostSystem, ASecondProcessSeesTheMutexAsExistingUntilTheFirstCloses) {
    CTempDir tmp;
    CHostSystemServices host(tmp.Path());
    CPlatform services{.system = &host};
    CPlatformScope scope(services);

    HANDLE mine = CreateMutex(nullptr, TRUE, kMutex);
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_TRUE(QFile::exists(host.LockPathOf(kMutex)));

    // Another process asks for the same mutex through this very binary.
    auto askFromOtherProcess = [&]() {
        QProcess other;
        other.setProgram(QCoreApplication::applicationFilePath());
        other.setArguments({QStringLiteral("--gtest_filter=HostSystem.DISABLED_ChildProcessProbe"),
                            QStringLiteral("--gtest_also_run_disabled_tests")});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("OLLIVANE_PROBE_LOCK_DIR"), tmp.Path());
        other.setProcessEnvironment(env);
        other.start();
        EXPECT_TRUE(other.waitForFinished(30000));
        return QString::fromUtf8(other.readAllStandardOutput());
    };
    EXPECT_TRUE(askFromOtherProcess().contains(QStringLiteral("probe: 183")));
    EXPECT_TRUE(CloseHandle(mine));
    EXPECT_TRUE(askFromOtherProcess().contains(QStringLiteral("probe: 0")));
}

// Runs only as the child of the test above (disabled in a normal run).
TEST(HostSystem, DISABLED_ChildProcessProbe) {
    const QString dir = qEnvironmentVariable("OLLIVANE_PROBE_LOCK_DIR");
    ASSERT_FALSE(dir.isEmpty());
    CHostSystemServices host(dir);
    CPlatform services{.system = &host};
    CPlatformScope scope(services);
    HANDLE h = CreateMutex(nullptr, TRUE, kMutex);
    std::printf("probe: %u\n", static_cast<unsigned>(GetLastError()));
    std::fflush(stdout);
    if (h) {
        CloseHandle(h);
    }
}

// Runs this binary again as a probe (disabled in a normal run) in `mode` on the lock folder `dir`.
class CProbe {
public:
    CProbe(const QString& mode, const QString& dir) {
        m_process.setProgram(QCoreApplication::applicationFilePath());
        m_process.setArguments({QStringLiteral("--gtest_filter=HostSystem.DISABLED_LockProbe"),
                                QStringLiteral("--gtest_also_run_disabled_tests")});
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("OLLIVANE_PROBE_LOCK_DIR"), dir);
        env.insert(QStringLiteral("OLLIVANE_PROBE_MODE"), mode);
        m_process.setProcessEnvironment(env);
        m_process.start();
    }
    ~CProbe() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }
    // Output so far, the Qt event loop of this process running meanwhile (the owner answers from it).
    QString WaitFor(const QString& text, int timeoutMs = 30000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!m_output.contains(text) && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            m_process.waitForReadyRead(10);
            m_output += QString::fromUtf8(m_process.readAllStandardOutput());
            if (m_process.state() == QProcess::NotRunning) {
                m_output += QString::fromUtf8(m_process.readAllStandardOutput());
                break;
            }
        }
        return m_output;
    }
    QProcess& Process() { return m_process; }

private:
    QProcess m_process;
    QString m_output;
};

TEST(HostSystem, AnOwnerThatWasKilledNeverKeepsALaterStartOut) {
    CTempDir tmp;
    CProbe owner(QStringLiteral("hold"), tmp.Path());
    ASSERT_TRUE(owner.WaitFor(QStringLiteral("probe: holds")).contains(QStringLiteral("probe: holds")));

    CHostSystemServices host(tmp.Path());
    CPlatform services{.system = &host};
    CPlatformScope scope(services);
    HANDLE seen = CreateMutex(nullptr, TRUE, kMutex);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(seen);

    ASSERT_EQ(::kill(static_cast<pid_t>(owner.Process().processId()), SIGKILL), 0);
    ASSERT_TRUE(owner.Process().waitForFinished(10000));
    ASSERT_TRUE(QFile::exists(host.LockPathOf(kMutex))) << "the lock file itself stays";
    HANDLE mine = CreateMutex(nullptr, TRUE, kMutex);
    EXPECT_NE(mine, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_TRUE(CloseHandle(mine));
}

TEST(HostSystem, ALaterStartAsksTheOwnerToComeForward) {
    CTempDir tmp;
    CHostSystemServices host(tmp.Path());
    CPlatform services{.system = &host};
    CPlatformScope scope(services);
    int asked = 0;
    SetBringForwardHandler([&asked] { ++asked; });
    HANDLE mine = CreateMutex(nullptr, TRUE, kMutex);
    ASSERT_NE(mine, nullptr);

    CProbe later(QStringLiteral("forward"), tmp.Path());
    EXPECT_TRUE(
        later.WaitFor(QStringLiteral("probe: forward 1")).contains(QStringLiteral("probe: forward 1")));
    EXPECT_EQ(asked, 1);

    // Nobody owns it any more: the later start gets no answer and carries on.
    EXPECT_TRUE(CloseHandle(mine));
    CProbe alone(QStringLiteral("forward"), tmp.Path());
    EXPECT_TRUE(
        alone.WaitFor(QStringLiteral("probe: forward 0")).contains(QStringLiteral("probe: forward 0")));
    EXPECT_EQ(asked, 1);
}

// Runs only as the child of the tests above (disabled in a normal run).
TEST(HostSystem, DISABLED_LockProbe) {
    const QString dir = qEnvironmentVariable("OLLIVANE_PROBE_LOCK_DIR");
    ASSERT_FALSE(dir.isEmpty());
    CHostSystemServices host(dir);
    CPlatform services{.system = &host};
    CPlatformScope scope(services);
    if (qEnvironmentVariable("OLLIVANE_PROBE_MODE") == QStringLiteral("hold")) {
        HANDLE h = CreateMutex(nullptr, TRUE, kMutex);
        std::printf("probe: %s\n", h && GetLastError() == 0 ? "holds" : "does not hold");
        std::fflush(stdout);
        QThread::sleep(60); // until killed
        return;
    }
    std::printf("probe: forward %d\n", BringMutexOwnerForward(kMutex));
    std::fflush(stdout);
}

TEST(SimSystem, WithALockFolderTheMutexHoldsAcrossServiceSets) {
    // Two programs on one sandbox each have their own services; the folder is what they share.
    CTempDir tmp;
    CSimSystemServices first;
    CSimSystemServices second;
    first.SetLockFolder(tmp.Path());
    second.SetLockFolder(tmp.Path());
    HANDLE held = first.CreateMutex(kMutex);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(GetLastError(), 0u);
    HANDLE seen = second.CreateMutex(kMutex);
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(second.CloseHandle(seen));
    EXPECT_TRUE(first.CloseHandle(held));
    HANDLE now = second.CreateMutex(kMutex);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_TRUE(second.CloseHandle(now));
}

TEST(HostSystem, ReportsACurrentNtWorkstation) {
    CHostSystemServices host;
    OSVERSIONINFOEX info;
    ASSERT_TRUE(host.GetVersionEx(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_GE(info.dwMajorVersion, 6u);
}

TEST(SimSystem, ShellOpenIsRecordedAndOtherVerbsRefused) {
    CSimSystemServices sim;
    CPlatform services{.system = &sim};
    CPlatformScope scope(services);
    EXPECT_GT(ShellExecute(nullptr, QStringLiteral("open"), QStringLiteral("E:\\"), {}, {}, 1), 32);
    EXPECT_LE(ShellExecute(nullptr, QStringLiteral("print"), QStringLiteral("E:\\"), {}, {}, 1), 32);
    EXPECT_EQ(sim.openedFolders, QStringList{QStringLiteral("E:\\")});
    BeginWaitCursor();
    BeginWaitCursor();
    EndWaitCursor();
    EXPECT_EQ(sim.waitCursorDepth, 1);
}

} // namespace
