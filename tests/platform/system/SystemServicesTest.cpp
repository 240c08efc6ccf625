// The named mutex that keeps a second instance out, on the sandbox and on the host (lock files
// shared between processes), and the shell's "open" of a folder.
#include "platform/Platform.h"
#include "platform/files/Volumes.h"
#include "platform/system/HostSystemServices.h"
#include "platform/system/SimSystemServices.h"
#include "platform/win/LastError.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
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
