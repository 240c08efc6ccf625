// What ollivane-rip accepts on its command line, and the one-line reasons for what it refuses.
#include "tools/rip/RipCommandLine.h"

#include <gtest/gtest.h>

namespace {

QStringList Args(const char* text) {
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

TEST(RipCommandLine, ReadsOptionsInAnyOrderAndBothSpellings) {
    RipToolOptions options;
    QString error;
    ASSERT_TRUE(CRipCommandLine::Parse(Args("--tracks 5,1-3 disc.cue --bitrate=192 out --encoders 1 --quiet"),
                                       &options, &error))
        << error.toStdString();
    EXPECT_EQ(options.source, QStringLiteral("disc.cue"));
    EXPECT_EQ(options.outDir, QStringLiteral("out"));
    EXPECT_EQ(options.tracks, (QList<int>{1, 2, 3, 5}));
    EXPECT_EQ(options.bitrateKbps, 192);
    EXPECT_EQ(options.encoders, 1);
    EXPECT_TRUE(options.quiet);

    // Defaults: every track, the preference's rate, one encoder per core.
    ASSERT_TRUE(CRipCommandLine::Parse(Args("/dev/sr0 out"), &options, &error));
    EXPECT_TRUE(options.tracks.isEmpty());
    EXPECT_EQ(options.bitrateKbps, 0);
    EXPECT_EQ(options.encoders, 0);
    EXPECT_FALSE(options.quiet);

    // After "--" a path may start with a dash.
    ASSERT_TRUE(CRipCommandLine::Parse(Args("-- -disc.cue -out"), &options, &error));
    EXPECT_EQ(options.source, QStringLiteral("-disc.cue"));
    EXPECT_EQ(options.outDir, QStringLiteral("-out"));

    // --help needs no paths.
    ASSERT_TRUE(CRipCommandLine::Parse(Args("--help"), &options, &error));
    EXPECT_TRUE(options.help);
}

TEST(RipCommandLine, TrackListsSortAndMergeRanges) {
    struct Case {
        const char* text;
        QList<int> tracks;
    };
    const Case cases[] = {
        {"1", {1}},   {"3-5", {3, 4, 5}}, {"1,3-5", {1, 3, 4, 5}}, {"5,1, 2-3 ,3", {1, 2, 3, 5}},
        {"99", {99}}, {"7-7", {7}},
    };
    for (const Case& c : cases) {
        QList<int> tracks;
        QString error;
        EXPECT_TRUE(CRipCommandLine::ParseTrackList(QString::fromUtf8(c.text), &tracks, &error)) << c.text;
        EXPECT_EQ(tracks, c.tracks) << c.text;
    }
}

TEST(RipCommandLine, RefusesBadInputWithOneLineReason) {
    const char* bad[] = {
        "",                                   // no paths
        "disc.cue",                           // no OUTDIR
        "disc.cue out extra",                 // one path too many
        "--frobnicate disc.cue out",          // unknown option
        "disc.cue out --tracks",              // option without its value
        "--quiet=yes disc.cue out",           // a switch with a value
        "--tracks 0 disc.cue out",            // tracks count from 1
        "--tracks 100 disc.cue out",          // a CD has at most 99
        "--tracks 5-3 disc.cue out",          // backwards range
        "--tracks 1,,2 disc.cue out",         // empty item
        "--tracks 1-2-3 disc.cue out",        // not a range
        "--tracks a disc.cue out",            // not a number
        "--tracks -1 disc.cue out",           // negative
        "--bitrate 127 disc.cue out",         // not an MP3 rate
        "--bitrate 128k disc.cue out",        // not a number
        "--bitrate 0 disc.cue out",           // not a rate
        "--encoders -1 disc.cue out",         // negative
        "--encoders 65 disc.cue out",         // absurd
        "--encoders two disc.cue out",        // not a number
        "--encoders 99999999999 disc.cue out" // overflow
    };
    for (const char* text : bad) {
        RipToolOptions options;
        QString error;
        EXPECT_FALSE(CRipCommandLine::Parse(Args(text), &options, &error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
        EXPECT_FALSE(error.contains(QLatin1Char('\n'))) << text;
    }
}
