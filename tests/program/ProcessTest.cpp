// The whole program as a process on a sandbox: a job run unattended to its end, a job started by
// auto-sync and then the program ended by a signal, and a program killed outright at three points
// of a job (setting earlier rips aside, ripping, copying) and started again, which must find the
// user's earlier rips back and none of the job's rips left.
#include "platform/com/ComBSTR.h"
#include "platform/files/Volumes.h"
#include "platform/registry/Registry.h"
#include "tests/support/EnvironmentScope.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/MusicBrainzJson.h"
#include "tests/support/engine/EngineFixture.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <map>

namespace {

const QString kPrefs = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences");
const QString kSettings = QStringLiteral("Software\\Korvel\\Tessaly");

QString ProgramPath() {
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../ollivane"));
}

// Files below a folder, relative to it, with a digest of their bytes.
std::map<std::string, std::string> Digests(const QString& dir) {
    std::map<std::string, std::string> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            files[QDir(dir).relativeFilePath(path).toStdString()] =
                QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex().toStdString();
        }
    }
    return files;
}

class Program : public CEngineFixture {
protected:
    void SetUp() override {
        CEngineFixture::SetUp();
        ASSERT_TRUE(QFileInfo(ProgramPath()).isExecutable()) << "build the ollivane target first";
        m_sandbox->Registry().SetDword(HKEY_CURRENT_USER, kSettings, QStringLiteral("First"), 0);
        m_sandbox->Registry().SetDword(HKEY_CURRENT_USER, kSettings, QStringLiteral("AutoSync"), 0);
        // The user's own preferences, to be found again after every run.
        SetRipPreferences(QStringLiteral("C:\\Users\\user\\Music"), 192000,
                          QStringLiteral("*Album;*SongTitle"));
    }
    void TearDown() override {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
        CEngineFixture::TearDown();
    }

    void InsertDisc(int tracks) {
        TestDisc disc;
        disc.album = QStringLiteral("夏の記憶");
        disc.artist = QStringLiteral("山田花子");
        for (int i = 0; i < tracks; ++i) {
            disc.tracks.append({.seconds = 2, .title = QStringLiteral("曲その%1").arg(i + 1)});
        }
        Insert(QLatin1Char('D'), MakeDisc(disc));
        ASSERT_TRUE(m_sandbox->Volumes().SaveSandbox());
    }
    // The disc ripped into the library before the program runs: the user's earlier rips.
    void RipEarlierRips() {
        CreatePlayer();
        m_toc = Info(CdPlaylist(0).Get(), QStringLiteral("TOC"));
        ComPtr<IWMPCdromRip> rip;
        ASSERT_EQ(Drive(0).As(&rip), S_OK);
        ASSERT_EQ(rip->startRip(), S_OK);
        ASSERT_TRUE(WaitForRipEnd());
        m_loop.Pump();
        ReleasePlayer();
        m_loop.Pump();
        m_earlier = Digests(Music());
    }
    // The library's entries of the disc whose file exists; -1 when the library cannot be asked.
    long LibraryEntries() {
        CreatePlayer();
        ComPtr<IWMPPlaylist> album;
        long present = -1;
        if (SUCCEEDED(Library()->getByAttribute(CComBSTR(QStringLiteral("TOC")), CComBSTR(m_toc), &album)) &&
            album) {
            present = 0;
            for (long i = 0; i < Count(album.Get()); ++i) {
                CComBSTR url;
                if (SUCCEEDED(Item(album.Get(), i)->get_sourceURL(&url)) &&
                    QFileInfo::exists(Host(url.ToQString()))) {
                    ++present;
                }
            }
        }
        ReleasePlayer();
        m_loop.Pump();
        return present;
    }

    QString Music() const { return Host(QStringLiteral("C:\\Users\\user\\Music")); }
    QString Card() const { return Host(QStringLiteral("E:\\音声データ")); }
    QString WorkFolder() const { return Host(QStringLiteral("C:\\Users\\user\\Documents\\Orlen")); }
    std::optional<QString> Detail() const {
        CRegistry registry(m_dir + QStringLiteral("/registry/HKCU.reg"), QString());
        return registry.GetString(HKEY_CURRENT_USER, kPrefs, QStringLiteral("CDRecordFileDetail"));
    }

    void Launch(const QStringList& arguments, const QString& faults = QString()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (!faults.isEmpty()) {
            env.insert(QStringLiteral("OLLIVANE_TEST_FAULTS"), faults);
        }
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.setChildProcessModifier([] {
            ::signal(SIGHUP, SIG_DFL);
            ::signal(SIGINT, SIG_DFL);
            ::signal(SIGTERM, SIG_DFL);
        });
        m_output.clear();
        m_process.start(ProgramPath(), QStringList{QStringLiteral("--sandbox"), m_dir} + arguments);
        ASSERT_TRUE(m_process.waitForStarted(10000));
    }
    // Reads the program's output until `done` holds or the program ends; false after timeoutMs.
    bool WaitFor(const std::function<bool()>& done, int timeoutMs = 120000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!deadline.hasExpired()) {
            m_process.waitForReadyRead(50);
            m_output += QString::fromUtf8(m_process.readAll());
            if (done()) {
                return true;
            }
            if (m_process.state() == QProcess::NotRunning) {
                m_output += QString::fromUtf8(m_process.readAll());
                return done();
            }
        }
        return false;
    }
    bool Printed(const QString& text) {
        return WaitFor([&] { return m_output.contains(text); });
    }
    bool Finished(int timeoutMs = 120000) {
        const bool ended = WaitFor([&] { return m_process.state() == QProcess::NotRunning; }, timeoutMs);
        m_output += QString::fromUtf8(m_process.readAll());
        return ended;
    }
    void KillAt(const QString& faults, const std::function<bool()>& reached) {
        Launch({QStringLiteral("--unattended")}, faults);
        ASSERT_TRUE(WaitFor(reached)) << m_output.toStdString();
        ::kill(static_cast<pid_t>(m_process.processId()), SIGKILL);
        ASSERT_TRUE(Finished(10000));
        ASSERT_EQ(m_process.exitStatus(), QProcess::CrashExit);
    }
    // Started again (and ended at once): the earlier rips are back and the job left nothing.
    void StartAgainFindsEverythingInPlace() {
        Launch({QStringLiteral("--exit")});
        ASSERT_TRUE(Finished()) << m_output.toStdString();
        EXPECT_EQ(m_process.exitCode(), 0) << m_output.toStdString();
        // The earlier rips, each with its own bytes, in their places.
        std::map<std::string, std::string> music = Digests(Music());
        std::map<std::string, std::string> others;
        for (auto it = music.begin(); it != music.end();) {
            if (!m_earlier.count(it->first)) {
                others.insert(*it);
                it = music.erase(it);
            } else {
                ++it;
            }
        }
        EXPECT_EQ(music, m_earlier) << "the user's earlier rips";
        EXPECT_TRUE(others.empty()) << "left in the music folder: " << others.begin()->first;
        EXPECT_EQ(LibraryEntries(), long(m_earlier.size()));
        EXPECT_TRUE(!QFileInfo::exists(WorkFolder()) || QDir(WorkFolder()).isEmpty())
            << m_output.toStdString();
    }

    QProcess m_process;
    QString m_output;
    QString m_toc;
    std::map<std::string, std::string> m_earlier;
};

TEST_F(Program, AnUnattendedJobPutsTheTracksOnTheCardAndExitsZero) {
    InsertDisc(3);
    Launch({QStringLiteral("--unattended")});
    ASSERT_TRUE(Finished()) << m_output.toStdString();
    EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_process.exitCode(), 0) << m_output.toStdString();
    EXPECT_TRUE(m_output.contains(QStringLiteral("3 of 3 ticked tracks on the card: done")))
        << m_output.toStdString();
    EXPECT_EQ(Digests(Card()).size(), 3u);
    EXPECT_TRUE(Digests(Music()).empty());
    EXPECT_EQ(Detail(), QStringLiteral("*Album;*SongTitle")) << "the user's preferences are back";
}

// Nobody sees the window of an unattended run: what it waits for is printed within seconds and
// again while it waits, and once its time is up it ends with status 1 and that reason.
struct WaitCase {
    const char* name;
    bool disc;
    bool card;
    const char* reason;
};

class UnattendedWait : public Program, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(UnattendedWait, SaysWhatItWaitsForAndGivesUpWithItsReason) {
    if (GetParam().disc) {
        ASSERT_NO_FATAL_FAILURE(InsertDisc(1));
    }
    m_sandbox->Volumes().SetPresent(QLatin1Char('E'), GetParam().card);
    ASSERT_TRUE(m_sandbox->Volumes().SaveSandbox());
    const QString reason = QString::fromUtf8(GetParam().reason);
    Launch({QStringLiteral("--unattended"), QStringLiteral("--timeout"), QStringLiteral("12")});
    ASSERT_TRUE(WaitFor([&] { return m_output.contains(reason); }, 10000)) << m_output.toStdString();
    ASSERT_TRUE(Finished(40000)) << m_output.toStdString();
    EXPECT_GE(m_output.count(QStringLiteral("unattended: waiting after")), 2) << m_output.toStdString();
    EXPECT_TRUE(m_output.contains(QStringLiteral("giving up: ") + reason)) << m_output.toStdString();
    EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_process.exitCode(), 1);
    EXPECT_TRUE(Digests(Card()).empty());
}

INSTANTIATE_TEST_SUITE_P(Program, UnattendedWait,
                         ::testing::Values(WaitCase{"NoDisc", false, true, "no audio CD in D:"},
                                           WaitCase{"NoCard", true, false, "no card"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A disc without CD-Text is named by the metadata server before the job starts; with the server
// gone a disc keeps its numbered names and the job still finishes.
TEST_F(Program, AnUnattendedJobTakesTheNamesTheServerGaveAndFinishesWithoutTheServer) {
    const QStringList titles{QStringLiteral("見つけた一"), QStringLiteral("見つけた/二"),
                             QStringLiteral("見つけた三")};
    CLocalHttpServer server([&](const HttpRequest& request) {
        const QString id = request.path.section(QLatin1Char('/'), -1);
        return HttpAnswer{200,
                          MbAnswer(id, {{"rel", QStringLiteral("見つけたアルバム"),
                                         QStringLiteral("見つけた歌手"), "2000", "JP", "Jpan", id, titles}})};
    });
    const CEnvironmentScope musicBrainz("OLLIVANE_MUSICBRAINZ_URL", server.Root().toUtf8());
    auto insertPlainDisc = [this](double seconds) {
        TestDisc disc;
        disc.tracks = {{.seconds = seconds}, {.seconds = seconds}, {.seconds = seconds}};
        Insert(QLatin1Char('D'), MakeDisc(disc, QStringLiteral("plain%1").arg(seconds)));
        ASSERT_TRUE(m_sandbox->Volumes().SaveSandbox());
    };
    insertPlainDisc(2);
    Launch({QStringLiteral("--unattended")});
    ASSERT_TRUE(Finished()) << m_output.toStdString();
    EXPECT_EQ(m_process.exitCode(), 0) << m_output.toStdString();
    QStringList files;
    for (const auto& [file, digest] : Digests(Card())) {
        files << QString::fromStdString(file);
    }
    ASSERT_EQ(files.size(), 3) << m_output.toStdString();
    for (const QString& file : files) {
        EXPECT_TRUE(file.startsWith(QStringLiteral("見つけたアルバム/"))) << file.toStdString();
    }
    EXPECT_TRUE(files.join(QLatin1Char('|')).contains(QStringLiteral("見つけた一")));
    EXPECT_TRUE(files.join(QLatin1Char('|')).contains(QStringLiteral("見つけた三")));
    EXPECT_FALSE(server.Requests().isEmpty());

    // Another disc (its own id, so nothing is cached) with the server gone.
    server.Stop();
    QDir(Card()).removeRecursively();
    insertPlainDisc(3);
    Launch({QStringLiteral("--unattended")});
    ASSERT_TRUE(Finished()) << m_output.toStdString();
    EXPECT_EQ(m_process.exitCode(), 0) << m_output.toStdString();
    EXPECT_EQ(Digests(Card()).size(), 3u) << m_output.toStdString();
}

// With --exit nobody is there to answer a message: a refusal at start-up is printed, answered and
// ends the program with its status instead of waiting offscreen for ever.
TEST_F(Program, WithExitARefusalAtStartUpIsPrintedAndEndsTheProgram) {
    CRegistry machine(QString(), m_dir + QStringLiteral("/registry/HKLM.reg"));
    ASSERT_EQ(machine.SetDword(HKEY_LOCAL_MACHINE,
                               QStringLiteral("SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\"
                                              "{6BF52A52-394A-11d3-B153-00C04F79FAA6}"),
                               QStringLiteral("IsInstalled"), 0),
              ERROR_SUCCESS);
    Launch({QStringLiteral("--exit")});
    ASSERT_TRUE(Finished(60000)) << m_output.toStdString();
    EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_process.exitCode(), 1) << m_output.toStdString();
    EXPECT_TRUE(m_output.contains(QStringLiteral("message: ["))) << m_output.toStdString();
    EXPECT_FALSE(m_output.contains(QStringLiteral("main window:"))) << m_output.toStdString();
}

TEST_F(Program, AJobStartedByAutoSyncRunsToItsEndAndASignalThenEndsTheProgramInOrder) {
    InsertDisc(2);
    m_sandbox->Registry().SetDword(HKEY_CURRENT_USER, kSettings, QStringLiteral("AutoSync"), 1);
    Launch({});
    // The countdown runs out and the job starts and ends by itself; the hint to swap discs stays.
    ASSERT_TRUE(WaitFor([&] {
        return Digests(Card()).size() == 2 && Digests(Music()).empty() && !QFileInfo::exists(WorkFolder());
    })) << m_output.toStdString();
    QThread::msleep(500);
    ASSERT_EQ(m_process.state(), QProcess::Running);
    EXPECT_NE(Detail(), QStringLiteral("*Album;*SongTitle")) << "ours while it runs";
    ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
    ASSERT_TRUE(Finished(30000));
    EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_process.exitCode(), 128 + SIGTERM);
    EXPECT_EQ(Detail(), QStringLiteral("*Album;*SongTitle"));
}

TEST_F(Program, ASignalDuringTheRipStopsItCleansUpAndThenEnds) {
    InsertDisc(4);
    RipEarlierRips();
    Launch({QStringLiteral("--unattended")}, QStringLiteral("stall-rip=2"));
    // The earlier rips are in the work folder by now; the job's first rip shows in the music folder.
    ASSERT_TRUE(Printed(QStringLiteral("job: rip "))) << m_output.toStdString();
    ASSERT_TRUE(WaitFor([&] { return !Digests(Music()).empty(); })) << m_output.toStdString();
    ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
    ASSERT_TRUE(Finished(60000)) << m_output.toStdString();
    EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_process.exitCode(), 128 + SIGTERM) << m_output.toStdString();
    EXPECT_EQ(Detail(), QStringLiteral("*Album;*SongTitle"));
    EXPECT_EQ(Digests(Music()), m_earlier);
    EXPECT_EQ(LibraryEntries(), long(m_earlier.size()));
}

TEST_F(Program, KilledWhileSettingEarlierRipsAside) {
    InsertDisc(3);
    RipEarlierRips();
    KillAt(QStringLiteral("hold-copy=C:2"),
           [&] { return m_output.contains(QStringLiteral("fault: copy held on C: #2")); });
    StartAgainFindsEverythingInPlace();
}

TEST_F(Program, KilledWhileRipping) {
    InsertDisc(4);
    RipEarlierRips();
    // Tracks 1 and 2 ripped, the rip held inside track 3.
    KillAt(QStringLiteral("stall-rip=3"),
           [&] { return m_output.contains(QStringLiteral("job: rip ")) && Digests(Music()).size() >= 2; });
    StartAgainFindsEverythingInPlace();
}

TEST_F(Program, KilledWhileCopying) {
    InsertDisc(3);
    RipEarlierRips();
    KillAt(QStringLiteral("hold-copy=E:2"),
           [&] { return m_output.contains(QStringLiteral("fault: copy held on E: #2")); });
    StartAgainFindsEverythingInPlace();
}

} // namespace
