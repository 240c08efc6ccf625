// Faults a test sets on copies: a hold before a file or inside one, a copy that fails with a chosen
// error part way, a card pulled between files or inside one. Whatever strikes, the target keeps no
// partial file and an existing file of the same name stays as it was.
#include "platform/files/CopyFaults.h"

#include "platform/files/FileOps.h"
#include "platform/files/VolumeFlush.h"
#include "platform/messages/VirtualMessageLoop.h"
#include "platform/thread/WorkerThread.h"
#include "platform/win/LastError.h"
#include "tests/platform/files/TestSandbox.h"

#include <QDir>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class CopyFaults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox.Loaded());
        sandbox.Volumes().SetCapacity(QLatin1Char('E'), std::nullopt);
        CPlatform services = CPlatform::Current();
        services.loop = &loop;
        scope = std::make_unique<CPlatformScope>(services);
        for (int i = 1; i <= 3; ++i)
            CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/C/%1.mp3").arg(i)),
                                    QByteArray(100000, char('0' + i)));
    }
    static BOOL Copy(int i) {
        return CopyFile(QStringLiteral("C:\\%1.mp3").arg(i), QStringLiteral("E:\\%1.mp3").arg(i), FALSE);
    }
    QStringList Card() const {
        return QDir(sandbox.Host(QStringLiteral("drives/E"))).entryList(QDir::Files | QDir::Hidden);
    }

    CTestSandbox sandbox;
    CVirtualMessageLoop loop;
    std::unique_ptr<CPlatformScope> scope;
};

TEST_F(CopyFaults, FailuresStrikeTheChosenCopyAndLeaveNoPartialFile) {
    const QByteArray before(500, 'x');
    CTestSandbox::WriteFile(sandbox.Host(QStringLiteral("drives/E/2.mp3")), before);
    CCopyFaults faults;
    faults.FailCopy(QLatin1Char('E'), 2, ERROR_DISK_FULL, 60000);
    faults.FailCopy(QLatin1Char('E'), 3, ERROR_WRITE_FAULT);
    EXPECT_TRUE(Copy(1));
    EXPECT_FALSE(Copy(2));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
    EXPECT_FALSE(Copy(3));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_WRITE_FAULT));
    EXPECT_EQ(faults.Copies(QLatin1Char('e')), 3);
    EXPECT_EQ(Card(), (QStringList{QStringLiteral("1.mp3"), QStringLiteral("2.mp3")}));
    EXPECT_EQ(CTestSandbox::ReadFile(sandbox.Host(QStringLiteral("drives/E/2.mp3"))), before);
    // Copies onto another drive are counted apart and strike nothing.
    EXPECT_TRUE(CopyFile(QStringLiteral("C:\\3.mp3"), QStringLiteral("C:\\copy.mp3"), TRUE));
    EXPECT_EQ(faults.Copies(QLatin1Char('C')), 1);
    EXPECT_TRUE(Copy(3)) << "a fault strikes once";
}

TEST_F(CopyFaults, APulledCardFailsThisCopyAndTheNextAndKeepsNoPartialFile) {
    {
        CCopyFaults faults;
        faults.PullCard(QLatin1Char('E'), 2, 4096);
        EXPECT_TRUE(Copy(1));
        EXPECT_FALSE(Copy(2));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
        EXPECT_FALSE(Copy(3));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
        EXPECT_FALSE(FlushVolumeBuffers(QStringLiteral("E:\\")));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
    }
    sandbox.Volumes().SetPresent(QLatin1Char('E'), true);
    EXPECT_EQ(Card(), QStringList{QStringLiteral("1.mp3")});
    EXPECT_TRUE(FlushVolumeBuffers(QStringLiteral("E:")));

    CCopyFaults between;
    between.PullCard(QLatin1Char('E'), 1);
    EXPECT_FALSE(Copy(3));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_READY));
    EXPECT_FALSE(sandbox.Volumes().DriveOf(QLatin1Char('E'))->present);
}

TEST_F(CopyFaults, AHeldCopyWaitsForReleaseOrForTheClock) {
    CCopyFaults faults;
    faults.HoldBefore(QLatin1Char('E'), 1);
    faults.HoldAt(QLatin1Char('E'), 2, 50000, 500);
    std::atomic<int> done{0};
    std::thread worker([&] {
        Copy(1);
        ++done;
        Copy(2);
        ++done;
    });
    ASSERT_TRUE(faults.WaitUntilHeld(QLatin1Char('E'), 1));
    EXPECT_EQ(done.load(), 0);
    EXPECT_TRUE(Card().isEmpty()) << "held before the copy opened anything";
    faults.Release();
    // Held inside the second file: half of it is written, under a temporary name only.
    ASSERT_TRUE(faults.WaitUntilHeld(QLatin1Char('e'), 2));
    EXPECT_EQ(done.load(), 1);
    QStringList card = Card();
    EXPECT_EQ(card.size(), 2);
    EXPECT_TRUE(card.contains(QStringLiteral("1.mp3")));
    EXPECT_FALSE(card.contains(QStringLiteral("2.mp3")));
    loop.Advance(400);
    CWorkerThread::WakeParked();
    EXPECT_TRUE(faults.IsHeld()) << "the clock is not there yet";
    loop.Advance(100);
    CWorkerThread::WakeParked();
    worker.join();
    EXPECT_EQ(done.load(), 2);
    EXPECT_EQ(Card(), (QStringList{QStringLiteral("1.mp3"), QStringLiteral("2.mp3")}));
    EXPECT_EQ(CTestSandbox::ReadFile(sandbox.Host(QStringLiteral("drives/E/2.mp3"))),
              QByteArray(100000, '2'));
}

} // namespace
