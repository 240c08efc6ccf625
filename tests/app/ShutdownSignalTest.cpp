// The program asked to end by a signal gives the media player's preferences back, as a closed
// window does. Runs the real program on a sandbox and signals the real process.
#include "platform/registry/Registry.h"
#include "platform/sandbox/Sandbox.h"
#include "tests/support/PreferencesSnapshot.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <map>

namespace {

const QString kPrefs = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences");

QString ProgramPath() {
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../ollivane"));
}

std::string DwordLine(const char* name, DWORD value) {
    QByteArray bytes(reinterpret_cast<const char*>(&value), 4);
    return std::string(name) + "|4|" + bytes.toHex().toStdString();
}

TEST(ShutdownSignal, PreferencesComeBackAfterTermIntOrHup) {
    ASSERT_TRUE(QFileInfo(ProgramPath()).isExecutable())
        << "build the ollivane target first: " << ProgramPath().toStdString();

    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        CTempDir tmp;
        const QString box = tmp.File(QStringLiteral("box"));
        ASSERT_TRUE(CSandbox::CreateDefault(box, nullptr));
        const QString hive = box + QStringLiteral("/registry/HKCU.reg");
        {
            // A user's own preferences with odd values, two missing ones and a long rip folder.
            CRegistry registry(hive, QString());
            registry.DeleteTree(HKEY_CURRENT_USER, kPrefs);
            auto dword = [&](const char* name, DWORD value) {
                registry.SetDword(HKEY_CURRENT_USER, kPrefs, QLatin1String(name), value);
            };
            dword("ForceOnline", 0);
            dword("CDRecordMode", 2);
            dword("CDRecordMP3", 0);
            dword("CDRecordDRM", 0xFFFFFFFF);
            dword("CDFirstCopyV10", 1);
            dword("AutoCopyCD", 1);
            dword("AutoEjectCD", 1);
            dword("WMARecordRate", 64000);
            dword("SilentAcquisition", 7);
            dword("MetadataRetrieval", 0);
            dword("AutoMetadataUpdate", 0);
            dword("AutoOrganize", 1);
            registry.SetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordPath"),
                               QStringLiteral("C:\\Users\\user\\Music\\") +
                                   QStringLiteral("とても長いフォルダ名").repeated(24));
            registry.SetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordFileDetail"),
                               QStringLiteral("*Album;*SongTitle;Artist"));
            registry.SetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordFileSeparator"),
                               QStringLiteral("・"));
        }
        const std::string before = PreferencesSnapshotOf(hive);

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.setChildProcessModifier([] {
            // The test may itself run with a signal ignored (nohup); the program must see it.
            ::signal(SIGHUP, SIG_DFL);
            ::signal(SIGINT, SIG_DFL);
            ::signal(SIGTERM, SIG_DFL);
        });
        program.start(ProgramPath(), {QStringLiteral("--sandbox"), box});
        ASSERT_TRUE(program.waitForStarted(10000));

        // Wait until the override is in the user's registry and the backup file is written.
        const QString backup = box + QStringLiteral("/drives/C/Users/user/Documents/WmpBackup00.reg");
        QDeadlineTimer deadline(60000);
        bool overridden = false;
        while (!deadline.hasExpired() && program.state() == QProcess::Running) {
            CRegistry registry(hive, QString());
            overridden =
                registry.GetDword(HKEY_CURRENT_USER, kPrefs, QStringLiteral("MP3RecordRate")) == 128000u &&
                QFileInfo(backup).size() > 0;
            if (overridden) {
                break;
            }
            QThread::msleep(50);
        }
        ASSERT_TRUE(overridden) << program.readAllStandardError().toStdString();

        ASSERT_EQ(::kill(static_cast<pid_t>(program.processId()), signalNumber), 0);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "an orderly end, not death by the signal";
        EXPECT_EQ(program.exitCode(), 128 + signalNumber);

        // Everything back but what no backup holds: "CDFirstCopyV10" stays 0; the missing
        // "AutoRename" was saved as 0; the missing "MP3RecordRate" keeps the run's rate.
        std::map<std::string, std::string> expected;
        for (const QString& line : QString::fromStdString(before).split(QLatin1Char('\n'))) {
            expected[line.section(QLatin1Char('|'), 0, 0).toStdString()] = line.toStdString();
        }
        expected["CDFirstCopyV10"] = DwordLine("CDFirstCopyV10", 0);
        expected["AutoRename"] = DwordLine("AutoRename", 0);
        expected["MP3RecordRate"] = DwordLine("MP3RecordRate", 128000);
        QStringList lines;
        for (const auto& [name, line] : expected) {
            lines << QString::fromStdString(line);
        }
        lines.sort(Qt::CaseInsensitive);
        EXPECT_EQ(PreferencesSnapshotOf(hive), lines.join(QLatin1Char('\n')).toStdString());
        EXPECT_TRUE(QDir(box + QStringLiteral("/drives/C/Users/user/Documents"))
                        .entryList({QStringLiteral("WmpBackup*")}, QDir::AllEntries | QDir::Hidden)
                        .isEmpty());
    }
}

} // namespace
