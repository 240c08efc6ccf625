// Saving a file-backed registry: atomic replacement, the writer lock shared with other processes,
// merging with what another writer saved, and failures that must not look like success.

#include "platform/registry/Registry.h"
#include "tests/platform/registry/RegistryTestSupport.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace regtest;

namespace {

const QString kKey = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences");

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(RegistryWriter, SavesLeaveNoTemporaryOrLockFileBehind) {
    CTempDir dir;
    CRegistry registry(dir.File(QStringLiteral("HKCU.reg")), dir.File(QStringLiteral("HKLM.reg")));
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(ERROR_SUCCESS, registry.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("V%1").arg(i), i));
    }
    ASSERT_EQ(ERROR_SUCCESS, registry.SetDword(HKEY_LOCAL_MACHINE, kKey, QStringLiteral("IsInstalled"), 1));
    ASSERT_EQ(ERROR_SUCCESS, registry.DeleteTree(HKEY_CURRENT_USER, QStringLiteral("Software\\Microsoft")));
    EXPECT_EQ((QStringList{QStringLiteral("HKCU.reg"), QStringLiteral("HKLM.reg")}),
              QDir(dir.Path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name));
}

TEST(RegistryWriter, AHeldLockMakesAChangeFailAndLeavesEverythingAsItWas) {
    CTempDir dir;
    const QString hive = dir.File(QStringLiteral("HKCU.reg"));
    CRegistry registry(hive, QString());
    ASSERT_EQ(ERROR_SUCCESS, registry.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("ForceOnline"), 0));
    const QByteArray before = ReadFile(hive);

    QLockFile otherWriter(hive + QStringLiteral(".lock"));
    ASSERT_TRUE(otherWriter.tryLock(0));
    registry.SetLockTimeout(150);
    CWarningCapture warnings;
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, registry.RegOpenKeyEx(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, &key));
    const DWORD one = 1;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ERROR_SHARING_VIOLATION,
              registry.RegSetValueEx(key, QStringLiteral("ForceOnline"), 0, REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&one), 4));
    EXPECT_GE(clock.elapsed(), 140);
    EXPECT_EQ(ERROR_SHARING_VIOLATION, registry.RegDeleteValue(key, QStringLiteral("ForceOnline")));
    EXPECT_EQ(0u, registry.GetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("ForceOnline")));
    EXPECT_EQ(before, ReadFile(hive));
    EXPECT_TRUE(warnings.Mentions(hive));

    otherWriter.unlock();
    EXPECT_EQ(ERROR_SUCCESS, registry.RegSetValueEx(key, QStringLiteral("ForceOnline"), 0, REG_DWORD,
                                                    reinterpret_cast<const BYTE*>(&one), 4));
    registry.RegCloseKey(key);
    EXPECT_EQ(1u,
              CRegistry(hive, QString()).GetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("ForceOnline")));
}

TEST(RegistryWriter, AChangeWaitsForAnotherWriterToFinish) {
    CTempDir dir;
    const QString hive = dir.File(QStringLiteral("HKCU.reg"));
    CRegistry registry(hive, QString());
    auto otherWriter = std::make_unique<QLockFile>(hive + QStringLiteral(".lock"));
    ASSERT_TRUE(otherWriter->tryLock(0));
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        otherWriter->unlock();
    });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ERROR_SUCCESS, registry.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("AutoCopyCD"), 0));
    EXPECT_GE(clock.elapsed(), 250);
    release.join();
    EXPECT_EQ(0u, CRegistry(hive, QString()).GetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("AutoCopyCD")));
}

TEST(RegistryWriter, TwoWritersOnOneHiveSeeAndKeepEachOthersChanges) {
    CTempDir dir;
    const QString hive = dir.File(QStringLiteral("HKCU.reg"));
    CRegistry first(hive, QString());
    CRegistry second(hive, QString());

    ASSERT_EQ(ERROR_SUCCESS, first.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("X"), 1));
    EXPECT_EQ(1u, second.GetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("X")))
        << "no reload needed to see it";
    ASSERT_EQ(ERROR_SUCCESS, second.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("Y"), 2));
    ASSERT_EQ(ERROR_SUCCESS, first.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("Z"), 3));
    ASSERT_EQ(ERROR_SUCCESS,
              first.SetDword(HKEY_CURRENT_USER, kKey + QStringLiteral("\\Sub"), QStringLiteral("S"), 4));
    ASSERT_EQ(ERROR_SUCCESS, second.DeleteTree(HKEY_CURRENT_USER, kKey + QStringLiteral("\\Sub")));
    EXPECT_FALSE(first.KeyExists(HKEY_CURRENT_USER, kKey + QStringLiteral("\\Sub")));

    CRegistry third(hive, QString());
    EXPECT_EQ((QStringList{QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")}),
              third.ValueNames(HKEY_CURRENT_USER, kKey));
}

TEST(RegistryWriter, ConcurrentWritersLoseNoChange) {
    CTempDir dir;
    const QString hive = dir.File(QStringLiteral("HKCU.reg"));
    constexpr int kWrites = 12;
    auto writer = [&](int id) {
        CRegistry registry(hive, QString());
        for (int i = 0; i < kWrites; ++i) {
            EXPECT_EQ(ERROR_SUCCESS,
                      registry.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("W%1_%2").arg(id).arg(i), i));
        }
    };
    std::thread a(writer, 0);
    std::thread b(writer, 1);
    a.join();
    b.join();
    EXPECT_EQ(2 * kWrites, CRegistry(hive, QString()).ValueNames(HKEY_CURRENT_USER, kKey).size());
}

// A writer killed outright leaves its lock file, in whatever state it had reached: made but still
// empty, half written, or naming a process that now is another, live one. None holds up the next.
TEST(RegistryWriter, ALockFileLeftByAKilledWriterDoesNotHoldUpTheNext) {
    const QByteArray thisProcess = QByteArray::number(QCoreApplication::applicationPid()) + "\n" +
                                   QCoreApplication::applicationFilePath().toUtf8() + "\n";
    for (const QByteArray& left : {QByteArray(), QByteArray("4"), thisProcess}) {
        SCOPED_TRACE(left.toStdString());
        CTempDir dir;
        const QString hive = dir.File(QStringLiteral("HKCU.reg"));
        QFile lockFile(hive + QStringLiteral(".lock"));
        ASSERT_TRUE(lockFile.open(QIODevice::WriteOnly));
        ASSERT_EQ(lockFile.write(left), left.size());
        lockFile.close();
        CRegistry registry(hive, QString());
        registry.SetLockTimeout(2000);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(ERROR_SUCCESS, registry.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("AutoCopyCD"), 0));
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_FALSE(QFile::exists(hive + QStringLiteral(".lock")));
    }
}

// The same with a real process that is killed while it holds the lock.
TEST(RegistryWriter, AWriterKilledWhileHoldingTheLockDoesNotHoldUpTheNext) {
    CTempDir dir;
    const QString hive = dir.File(QStringLiteral("HKCU.reg"));
    const QByteArray lockPath = QFile::encodeName(hive + QStringLiteral(".lock"));
    int ready[2] = {-1, -1};
    ASSERT_EQ(0, ::pipe(ready));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only async-signal-safe calls after a fork: the lock as the writer takes it, by hand.
        const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        const char byte = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 1 : 0;
        (void)!::write(ready[1], &byte, 1);
        for (;;) {
            ::pause();
        }
    }
    char byte = 0;
    ASSERT_EQ(1, ::read(ready[0], &byte, 1));
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_EQ(1, byte);
    CRegistry registry(hive, QString());
    registry.SetLockTimeout(150);
    CWarningCapture warnings;
    EXPECT_EQ(ERROR_SHARING_VIOLATION, registry.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("A"), 1))
        << "held while the writer lives";
    ASSERT_EQ(0, ::kill(child, SIGKILL));
    ASSERT_EQ(child, ::waitpid(child, nullptr, 0));
    EXPECT_EQ(ERROR_SUCCESS, registry.SetDword(HKEY_CURRENT_USER, kKey, QStringLiteral("A"), 1));
}

TEST(RegistryWriter, AFailedSaveIsReportedAndNotKeptInMemory) {
    CTempDir dir;
    // The machine hive cannot be written: its folder is a regular file.
    QFile blocker(dir.File(QStringLiteral("blocked")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    // The user hive cannot be written over: its path is a folder.
    ASSERT_TRUE(QDir(dir.Path()).mkpath(QStringLiteral("HKCU.reg")));

    CWarningCapture warnings;
    CRegistry registry(dir.File(QStringLiteral("HKCU.reg")), dir.File(QStringLiteral("blocked/HKLM.reg")));
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        SCOPED_TRACE(root == HKEY_CURRENT_USER ? "user" : "machine");
        HKEY key = nullptr;
        DWORD disposition = 0;
        EXPECT_NE(ERROR_SUCCESS, registry.RegCreateKeyEx(root, kKey, 0, QString(), 0, KEY_WRITE, nullptr,
                                                         &key, &disposition));
        EXPECT_EQ(nullptr, key);
        EXPECT_NE(ERROR_SUCCESS, registry.SetDword(root, QString(), QStringLiteral("Model"), 1));
        EXPECT_FALSE(registry.KeyExists(root, QStringLiteral("Software")));
        EXPECT_FALSE(registry.GetValue(root, QString(), QStringLiteral("Model")).has_value());
    }
    EXPECT_EQ(0, registry.OpenHandleCount());
}

} // namespace
