// The player's preferences come back whatever happens to the runs of the program: runs killed
// outright before a clean one, and two programs started on one sandbox; and on this machine (host
// mode) a user's first runs. Real processes.
#include "platform/registry/Registry.h"
#include "platform/sandbox/Sandbox.h"
#include "tests/program/FreshUser.h"
#include "tests/support/PreferencesSnapshot.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {

const QString kPrefs = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences");

QString ProgramPath() {
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../ollivane"));
}

class PreferencesProcess : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo(ProgramPath()).isExecutable()) << "build the ollivane target first";
        Fresh(QStringLiteral("box"));
    }
    // A new sandbox (for each case of a table).
    void Fresh(const QString& name) {
        m_box = m_tmp.File(name);
        ASSERT_TRUE(CSandbox::CreateDefault(m_box, nullptr));
        // A user's own preferences: odd values, missing ones, Japanese text and characters the
        // code page does not give back unchanged.
        CRegistry registry(Hive(), QString());
        registry.DeleteTree(HKEY_CURRENT_USER, kPrefs);
        auto dword = [&](const char* name, DWORD value) {
            registry.SetDword(HKEY_CURRENT_USER, kPrefs, QLatin1String(name), value);
        };
        dword("ForceOnline", 0);
        dword("CDRecordMode", 2);
        dword("CDRecordMP3", 0);
        dword("CDRecordDRM", 0xFFFFFFFF);
        dword("CDFirstCopyV10", 0);
        dword("AutoCopyCD", 1);
        dword("AutoEjectCD", 1);
        dword("WMARecordRate", 64000);
        dword("MP3RecordRate", 192000);
        dword("SilentAcquisition", 7);
        dword("MetadataRetrieval", 0);
        dword("AutoMetadataUpdate", 0);
        dword("AutoRename", 0);
        dword("AutoOrganize", 1);
        registry.SetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordPath"),
                           QStringLiteral("C:\\Users\\user\\Music\\取り込み〜"));
        registry.SetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordFileDetail"),
                           QStringLiteral("*Album;*SongTitle;Artist"));
        registry.SetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordFileSeparator"),
                           QStringLiteral("〜−—"));
        m_before = Preferences();
    }
    void TearDown() override {
        for (auto& process : m_processes) {
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(10000);
            }
        }
    }

    QString Hive() const { return m_box + QStringLiteral("/registry/HKCU.reg"); }
    QString Documents() const { return m_box + QStringLiteral("/drives/C/Users/user/Documents"); }
    QStringList Backups() const {
        return QDir(Documents()).entryList({QStringLiteral("WmpBackup*")}, QDir::AllEntries | QDir::Hidden);
    }
    // The preferences key as "name|type|bytes" lines in name order.
    std::string Preferences() const { return PreferencesSnapshotOf(Hive()); }

    QProcess& Launch(const QStringList& arguments = {}) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->setChildProcessModifier([] {
            ::signal(SIGHUP, SIG_DFL);
            ::signal(SIGINT, SIG_DFL);
            ::signal(SIGTERM, SIG_DFL);
        });
        process->start(ProgramPath(), QStringList{QStringLiteral("--sandbox"), m_box} + arguments);
        EXPECT_TRUE(process->waitForStarted(10000));
        m_processes.push_back(std::move(process));
        return *m_processes.back();
    }
    static bool WaitUntil(QProcess& process, const std::function<bool()>& done, int timeoutMs = 60000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            if (done()) {
                return true;
            }
            if (process.state() == QProcess::NotRunning) {
                return done();
            }
            process.waitForReadyRead(50);
        }
        return false;
    }
    // Our values are in the registry file and this run's backup file is written (after `since`).
    bool Overridden(const QDateTime& since) const {
        CRegistry registry(Hive(), QString());
        const QFileInfo backup(Documents() + QStringLiteral("/WmpBackup00.reg"));
        return registry.GetDword(HKEY_CURRENT_USER, kPrefs, QStringLiteral("MP3RecordRate")) == 128000u &&
               registry.GetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordFileSeparator")) ==
                   QStringLiteral(" ") &&
               backup.size() > 0 && backup.lastModified() >= since;
    }
    // Started, overridden the preferences, killed outright: its backup file and our values stay.
    void KilledRun() {
        // A leftover of an earlier killed run is marked old, so the new backup shows by its time.
        for (const QString& name : Backups()) {
            QFile file(QDir(Documents()).filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                         QFileDevice::FileModificationTime));
        }
        const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
        QProcess& run = Launch();
        ASSERT_TRUE(WaitUntil(run, [&] { return Overridden(since); })) << run.readAll().toStdString();
        ASSERT_EQ(::kill(static_cast<pid_t>(run.processId()), SIGKILL), 0);
        ASSERT_TRUE(run.waitForFinished(10000));
        ASSERT_NE(Preferences(), m_before) << "ours are left in place by the killed run";
        ASSERT_FALSE(Backups().isEmpty());
    }
    void EndsInOrder(QProcess& run, int signalNumber) {
        ASSERT_EQ(::kill(static_cast<pid_t>(run.processId()), signalNumber), 0);
        ASSERT_TRUE(run.waitForFinished(60000));
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(run.exitCode(), 128 + signalNumber) << run.readAll().toStdString();
    }

    CTempDir m_tmp;
    QString m_box;
    std::string m_before;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

TEST_F(PreferencesProcess, KilledRunsLeaveNothingBehindOnceACleanRunHasEnded) {
    for (int killed : {1, 2}) {
        SCOPED_TRACE(killed);
        Fresh(QStringLiteral("killed%1").arg(killed));
        for (int i = 0; i < killed; ++i) {
            KilledRun();
        }
        QProcess& clean = Launch({QStringLiteral("--exit")});
        ASSERT_TRUE(clean.waitForFinished(120000));
        const std::string output = clean.readAll().toStdString();
        EXPECT_EQ(clean.exitCode(), 0) << output;
        EXPECT_EQ(Preferences(), m_before) << output;
        EXPECT_TRUE(Backups().isEmpty()) << Backups().join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(PreferencesProcess, ASecondProgramOnOneSandboxRaisesTheFirstAndTouchesNothing) {
    // The second start ends before the first; or the first is ended while the second starts.
    for (bool firstEndsAtOnce : {false, true}) {
        SCOPED_TRACE(firstEndsAtOnce);
        Fresh(firstEndsAtOnce ? QStringLiteral("first-ends") : QStringLiteral("second-ends"));
        QProcess& first = Launch();
        ASSERT_TRUE(WaitUntil(first, [&] { return Overridden(QDateTime::currentDateTime().addDays(-1)); }))
            << first.readAll().toStdString();
        QThread::msleep(500); // the first window runs its event loop
        QProcess& second = Launch();
        if (!firstEndsAtOnce) {
            ASSERT_TRUE(second.waitForFinished(30000));
            EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(second.exitCode(), 0) << second.readAll().toStdString();
            QString firstOutput;
            EXPECT_TRUE(WaitUntil(first, [&] {
                firstOutput += QString::fromUtf8(first.readAll());
                return firstOutput.contains(
                    QStringLiteral("a second start: the window is brought to the front"));
            })) << firstOutput.toStdString();
            EXPECT_EQ(Backups(), QStringList{QStringLiteral("WmpBackup00.reg")})
                << "the second backed up nothing";
            EXPECT_EQ(first.state(), QProcess::Running);
            EndsInOrder(first, SIGTERM);
        } else {
            EndsInOrder(first, SIGTERM);
            // Either the second gave up before the first ended, or it took over once the lock was
            // free: then it runs as a program of its own and is ended too.
            const bool tookOver =
                WaitUntil(second, [&] { return Overridden(QDateTime::currentDateTime().addDays(-1)); });
            if (tookOver && second.state() == QProcess::Running) {
                EndsInOrder(second, SIGTERM);
            } else {
                ASSERT_TRUE(second.state() == QProcess::NotRunning || second.waitForFinished(30000));
                EXPECT_EQ(second.exitCode(), 0) << second.readAll().toStdString();
            }
        }
        EXPECT_EQ(Preferences(), m_before);
        EXPECT_TRUE(Backups().isEmpty()) << Backups().join(QLatin1Char(' ')).toStdString();
    }
}

TEST(PreferencesOnTheHost, RunsLeaveThePlayersFirstStartPreferencesAsTheyFoundThem) {
    ASSERT_TRUE(QFileInfo(ProgramPath()).isExecutable()) << "build the ollivane target first";
    CTempDir user;
    const QString hive = FreshUserHive(user.Path());
    std::string firstStart;
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        QProcess program;
        program.setProcessEnvironment(FreshUserEnvironment(user.Path()));
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(ProgramPath(), {QStringLiteral("--exit")});
        ASSERT_TRUE(program.waitForFinished(120000));
        const std::string output = program.readAll().toStdString();
        ASSERT_EQ(program.exitCode(), 0) << output;
        EXPECT_TRUE(QDir(user.Path() + QStringLiteral("/home/Documents"))
                        .entryList({QStringLiteral("WmpBackup*")}, QDir::AllEntries | QDir::Hidden)
                        .isEmpty());
        if (run == 1) {
            // Every value a run borrows is there, as the player keeps it: none is the run's own
            // (lookups on, the renaming, the longer file naming), which would have stayed behind.
            CRegistry registry(hive, QString());
            for (const char* name :
                 {"ForceOnline", "CDRecordMode", "CDRecordMP3", "CDRecordDRM", "CDFirstCopyV10", "AutoCopyCD",
                  "AutoEjectCD", "SilentAcquisition", "MetadataRetrieval", "AutoMetadataUpdate", "AutoRename",
                  "AutoOrganize"}) {
                EXPECT_TRUE(registry.GetDword(HKEY_CURRENT_USER, kPrefs, QLatin1String(name))) << name;
            }
            EXPECT_EQ(registry.GetDword(HKEY_CURRENT_USER, kPrefs, QStringLiteral("ForceOnline")), 0u);
            EXPECT_EQ(registry.GetDword(HKEY_CURRENT_USER, kPrefs, QStringLiteral("MetadataRetrieval")), 0u);
            EXPECT_EQ(registry.GetDword(HKEY_CURRENT_USER, kPrefs, QStringLiteral("AutoRename")), 0u);
            EXPECT_EQ(registry.GetDword(HKEY_CURRENT_USER, kPrefs, QStringLiteral("MP3RecordRate")), 128000u);
            EXPECT_EQ(registry.GetDword(HKEY_CURRENT_USER, kPrefs, QStringLiteral("WMARecordRate")), 128000u);
            EXPECT_EQ(registry.GetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordFileDetail")),
                      QStringLiteral("*TrackNumber;*SongTitle;Artist;Album"));
            EXPECT_EQ(registry.GetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordFileSeparator")),
                      QStringLiteral(" "));
            EXPECT_FALSE(registry.GetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordPath"))
                             .value_or(QString())
                             .isEmpty());
            firstStart = PreferencesSnapshotOf(hive);
        } else {
            EXPECT_EQ(PreferencesSnapshotOf(hive), firstStart) << output;
        }
    }
}

} // namespace
