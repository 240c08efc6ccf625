// The program on this machine beside a stand-alone player on an X11 desktop: a player window that is
// open at the start keeps the program from starting and its preferences untouched; one that opens
// while the program runs is asked to close through the window manager. The program's own windows
// stay offscreen; the display (Xvfb) only holds the other program's window and the test, which plays
// the window manager.
#include "FreshUser.h"
#include "platform/registry/Registry.h"
#include "tests/support/TempDir.h"
#include "tests/support/X11TestClient.h"
#include "tests/support/XvfbServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QByteArray kPlayerTitle("Windows Media Player");

class HostPlayerWindow : public ::testing::Test {
protected:
    void SetUp() override {
        QString why;
        if (!m_server.Start(&why)) {
            GTEST_SKIP() << why.toStdString() << "; the player-window watch on X11 is not tested";
        }
        m_x = std::make_unique<CX11TestClient>(m_server.Display());
        ASSERT_TRUE(m_x->Connected());
    }
    void TearDown() override {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished(10000);
        }
    }

    void Start(const QStringList& arguments) {
        m_program.setProcessEnvironment(
            FreshUserEnvironment(m_work.Path(), QString::fromLatin1(m_server.Display())));
        m_program.setProcessChannelMode(QProcess::MergedChannels);
        m_program.start(
            QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../ollivane")),
            arguments);
        ASSERT_TRUE(m_program.waitForStarted(10000));
    }
    // Reads the program's output until it holds `text` or the program ends.
    bool WaitForOutput(const QString& text, int timeoutMs = 60000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!m_output.contains(text) && !deadline.hasExpired()) {
            m_program.waitForReadyRead(50);
            m_output += QString::fromUtf8(m_program.readAll());
            if (m_program.state() == QProcess::NotRunning) {
                m_output += QString::fromUtf8(m_program.readAll());
                break;
            }
        }
        return m_output.contains(text);
    }
    bool Ended(int timeoutMs = 60000) {
        const bool ended = m_program.waitForFinished(timeoutMs);
        m_output += QString::fromUtf8(m_program.readAll());
        return ended;
    }

    CXvfbServer m_server;
    std::unique_ptr<CX11TestClient> m_x;
    CTempDir m_work;
    QProcess m_program;
    QString m_output;
};

TEST_F(HostPlayerWindow, AnOpenPlayerWindowStopsTheStartAndLeavesThePreferencesAlone) {
    const xcb_window_t player = m_x->PublishWindow(kPlayerTitle);
    Start({QStringLiteral("--unattended")});
    ASSERT_TRUE(Ended()) << m_output.toStdString();
    EXPECT_TRUE(m_output.contains(QStringLiteral("Windows Media Playerが起動されていると")))
        << m_output.toStdString();
    EXPECT_NE(m_program.exitCode(), 0);
    // The player's preferences are as its first start made them: the run took none of them over.
    CRegistry registry(FreshUserHive(m_work.Path()), QString());
    const QString prefs = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences");
    EXPECT_EQ(registry.GetDword(HKEY_CURRENT_USER, prefs, QStringLiteral("ForceOnline")), 0u);
    EXPECT_EQ(registry.GetDword(HKEY_CURRENT_USER, prefs, QStringLiteral("MetadataRetrieval")), 0u);
    EXPECT_EQ(registry.GetString(HKEY_CURRENT_USER, prefs, QStringLiteral("CDRecordFileSeparator")),
              QStringLiteral(" "));
    EXPECT_TRUE(QDir(m_work.Path() + QStringLiteral("/home/Documents"))
                    .entryList({QStringLiteral("WmpBackup*")}, QDir::AllEntries | QDir::Hidden)
                    .isEmpty())
        << "no backup was taken";

    // Once the player is gone the same user starts normally.
    m_x->Destroy(player);
    m_x->Set32(m_x->Root(), m_x->Atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, {});
    m_x->Sync();
    m_output.clear();
    Start({QStringLiteral("--exit")});
    ASSERT_TRUE(Ended()) << m_output.toStdString();
    EXPECT_EQ(m_program.exitCode(), 0) << m_output.toStdString();
    EXPECT_TRUE(m_output.contains(QStringLiteral("main window: Ollivane"))) << m_output.toStdString();
}

TEST_F(HostPlayerWindow, APlayerWindowThatOpensLaterIsAskedToClose) {
    Start({QStringLiteral("--screenshot"), m_work.File(QStringLiteral("shown.png"))});
    ASSERT_TRUE(WaitForOutput(QStringLiteral("screenshot:"))) << m_output.toStdString();

    m_x->BecomeWindowManager();
    const xcb_window_t player = m_x->PublishWindow(kPlayerTitle);
    // The watch looks every three seconds.
    const auto messages = m_x->ClientMessages(1, 10000);
    ASSERT_EQ(messages.size(), 1u) << m_output.toStdString();
    EXPECT_EQ(messages[0].type, m_x->Atom("_NET_CLOSE_WINDOW"));
    EXPECT_EQ(messages[0].window, player);

    m_program.terminate();
    EXPECT_TRUE(Ended()) << m_output.toStdString();
}

} // namespace
