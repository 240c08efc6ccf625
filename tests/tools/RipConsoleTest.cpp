// What the rip tool prints: a line per event into a log, one rewritten line on a terminal, nothing
// but failures when quiet, and a summary whose figures add up.
#include "tools/rip/RipConsole.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace {

// A stream that collects what is written to it.
class CCapture {
public:
    CCapture() : m_file(open_memstream(&m_buffer, &m_size)) {}
    ~CCapture() {
        std::fclose(m_file);
        std::free(m_buffer);
    }
    FILE* File() const { return m_file; }
    QString Text() {
        std::fflush(m_file);
        return QString::fromUtf8(m_buffer, qsizetype(m_size));
    }

private:
    char* m_buffer = nullptr;
    size_t m_size = 0;
    FILE* m_file;
};

// Three tracks: 10 s, 20 s and 10 s of audio.
QList<RipConsoleTrack> Tracks() {
    return {{2, QStringLiteral("春の風"), 750},
            {3, QStringLiteral("夜明けのうた"), 1500},
            {5, QStringLiteral("またあした"), 750}};
}

} // namespace

TEST(RipConsole, LinesModeWritesOneLinePerStartAndEndAndASummary) {
    CCapture out;
    CCapture err;
    qint64 now = 0;
    CRipConsole console(out.File(), err.File(), CRipConsole::Style::Lines, Tracks(), [&now] { return now; });
    console.Progress(2, 0);
    console.Progress(2, 50); // no line of its own
    now = 1000;
    console.Done(2, QStringLiteral("/out/a/b/02 春の風.mp3"), 2'000'000);
    console.Progress(3, 0);
    console.Failed(3, QStringLiteral("sector 900 cannot be read"));
    console.Progress(5, 0);
    now = 4000;
    console.Done(5, QStringLiteral("/out/a/b/05 またあした.mp3"), 1'500'000);
    console.Tick(); // nothing in a log
    const CRipConsole::Summary summary = console.Finish(false);

    const QStringList lines = out.Text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8) << out.Text().toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("[1/3] track 2 started: 春の風"));
    EXPECT_EQ(lines[1], QStringLiteral("[1/3] track 2 ripped: /out/a/b/02 春の風.mp3 (2.0 MB, 0:01)"));
    EXPECT_EQ(lines[2], QStringLiteral("[2/3] track 3 started: 夜明けのうた"));
    EXPECT_EQ(lines[3], QStringLiteral("[2/3] track 3 failed: sector 900 cannot be read"));
    EXPECT_EQ(lines[4], QStringLiteral("[3/3] track 5 started: またあした"));
    EXPECT_EQ(lines[5], QStringLiteral("[3/3] track 5 ripped: /out/a/b/05 またあした.mp3 (1.5 MB, 0:04)"));
    // 20 s of audio ripped in 4 s.
    EXPECT_EQ(lines[6],
              QStringLiteral("done: 2 of 3 tracks ripped, 1 failed; 3.5 MB in 4.0 s (5.0x real time)"));
    EXPECT_EQ(lines[7], QStringLiteral("  track 3 failed: sector 900 cannot be read"));
    EXPECT_FALSE(out.Text().contains(QLatin1Char('\r')));
    EXPECT_TRUE(err.Text().isEmpty());

    EXPECT_EQ(summary.requested, 3);
    EXPECT_EQ(summary.ripped, 2);
    EXPECT_EQ(summary.bytes, 3'500'000);
    EXPECT_DOUBLE_EQ(summary.audioSeconds, 20.0);
    EXPECT_EQ(summary.failures.keys(), QList<int>{3});
}

TEST(RipConsole, LiveModeRewritesOneLineWithTrackAndOverallPercent) {
    CCapture out;
    CCapture err;
    qint64 now = 0;
    CRipConsole console(out.File(), err.File(), CRipConsole::Style::Live, Tracks(), [&now] { return now; });
    console.Progress(2, 0);
    console.Progress(2, 40);
    now = 65'000;
    console.Tick();
    const QString text = out.Text();
    // The last state on screen: track 1 of 3 at 40 %, which is 10 % of the 40 s of audio.
    const QString last = text.section(QStringLiteral("\r\033[K"), -1);
    EXPECT_EQ(last, QStringLiteral("track 1/3 (2)  40%  overall  10%  1:05"));
    EXPECT_FALSE(text.contains(QLatin1Char('\n')));

    console.Done(2, QStringLiteral("x.mp3"), 1000);
    console.Progress(3, 50);
    EXPECT_EQ(out.Text().section(QStringLiteral("\r\033[K"), -1),
              QStringLiteral("track 2/3 (3)  50%  overall  50%  1:05"));

    // A failure stays on screen as a line of its own; the live line comes back below it.
    console.Failed(3, QStringLiteral("the disc cannot be read"));
    EXPECT_TRUE(
        out.Text().contains(QStringLiteral("\r\033[K[2/3] track 3 failed: the disc cannot be read\n")));

    // Track 5 never reported: the rip ended early. The summary replaces the live line.
    console.Finish(false);
    const QString end = out.Text();
    EXPECT_TRUE(
        end.endsWith(QStringLiteral("\r\033[Kdone: 1 of 3 tracks ripped, 2 failed; 0.0 MB in 65.0 s (0.2x "
                                    "real time)\n"
                                    "  track 3 failed: the disc cannot be read\n"
                                    "  track 5 failed: not ripped: the rip ended early\n")))
        << end.toStdString();
}

TEST(RipConsole, QuietModePrintsOnlyFailuresOnTheErrorStream) {
    CCapture out;
    CCapture err;
    CRipConsole console(out.File(), err.File(), CRipConsole::Style::Quiet, Tracks(), [] { return 0; });
    console.Progress(2, 0);
    console.Done(2, QStringLiteral("x.mp3"), 1000);
    console.Failed(3, QStringLiteral("no space left on the device"));
    console.Stopping();
    console.Finish(false);
    EXPECT_TRUE(out.Text().isEmpty()) << out.Text().toStdString();
    EXPECT_EQ(err.Text(), QStringLiteral("ollivane-rip: [2/3] track 3 failed: no space left on the device\n"
                                         "ollivane-rip: track 5 failed: not ripped: the rip ended early\n"));
}

TEST(RipConsole, AStoppedRipDoesNotCountUnreachedTracksAsFailed) {
    CCapture out;
    CCapture err;
    CRipConsole console(out.File(), err.File(), CRipConsole::Style::Lines, Tracks(), [] { return 2000; });
    console.Progress(2, 10);
    console.Stopping();
    const CRipConsole::Summary summary = console.Finish(true);
    EXPECT_TRUE(summary.stopped);
    EXPECT_EQ(summary.ripped, 0);
    EXPECT_TRUE(summary.failures.isEmpty());
    EXPECT_TRUE(out.Text().contains(QStringLiteral("stopping: the track being ripped is discarded\n")));
    EXPECT_TRUE(out.Text().contains(QStringLiteral("interrupted: 0 of 3 tracks ripped, 0 failed;")));
}
