// cdrdao TOC files in the forms of cdrdao's manual: each is the same disc as the equivalent CUE
// image (table of contents, titles, every audio sample), the plain form reads as libcdio reads it,
// and a TOC that cannot be a disc is refused at its line.
#include "mediaengine/disc/CdrdaoToc.h"
#include "mediaengine/disc/DiscReader.h"
#include "mediaengine/disc/TocImageReader.h"
#include "tests/mediaengine/disc/AlbumImage.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/TestDiscImage.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

constexpr int kSector = 2352;

// The same music without the gaps: cdrdao's disc.raw (big-endian) holds the tracks end to end, at
// sectors 0, 150 and 262; disc-01.wav .. disc-03.wav hold one track each.
void MakeAudioFiles(const CTempDir& dir) {
    TestDisc raw = GappedAlbum();
    raw.format = "toc";
    for (TestTrack& track : raw.tracks) {
        track.gap = 0;
    }
    QString error;
    ASSERT_FALSE(CTestDiscImage::Make(dir.Path(), raw, &error).isEmpty()) << error.toStdString();
    TestDisc waves = GappedAlbum();
    waves.audio = "wave";
    waves.split = true;
    waves.gapsAs = "pregap";
    ASSERT_FALSE(CTestDiscImage::Make(dir.Path(), waves, &error, "waves").isEmpty()) << error.toStdString();
}

// A TOC with the album's CD-Text and the given statements for each track.
QByteArray TocText(const QList<QByteArray>& tracks) {
    QByteArray toc = "CD_DA\nCD_TEXT {\n  LANGUAGE_MAP { 0 : EN }\n"
                     "  LANGUAGE 0 { TITLE \"ひだまりの記憶\" PERFORMER \"青空楽団\" }\n}\n";
    const QList<QByteArray> texts = {"TITLE \"春の風\"", "TITLE \"夜明けのうた\" PERFORMER \"ゲスト\"",
                                     "TITLE \"雨上がりの街\""};
    for (int i = 0; i < tracks.size(); ++i) {
        toc += "\nTRACK AUDIO\nCD_TEXT { LANGUAGE 0 { " + texts.value(i) + " } }\n" + tracks[i] + "\n";
    }
    return toc;
}

QString WriteToc(const CTempDir& dir, const QByteArray& text) {
    QFile file(dir.File("forms.toc"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    return file.fileName();
}

struct Form {
    const char* name;
    QList<QByteArray> tracks;
    int silentFrom = 0; // sectors of the reference's audio that the form leaves silent
    int silentTo = 0;
};

const Form kForms[] = {
    {"SILENCE, then START",
     {"FILE \"disc.raw\" 0 00:02:00", "SILENCE 00:00:38\nSTART\nFILE \"disc.raw\" 00:02:00 00:01:37",
      "SILENCE 00:01:00\nSTART\nAUDIOFILE \"disc.raw\" 00:03:37 00:01:00"}},
    {"PREGAP, and a file taken to its end",
     {"FILE \"disc.raw\" 0 00:02:00", "PREGAP 00:00:38\nFILE \"disc.raw\" 00:02:00 00:01:37",
      "PREGAP 0:1:0\nFILE \"disc.raw\" 00:03:37"}},
    {"ZERO with START at a time, lengths in samples",
     {"FILE \"disc.raw\" 0 88200", "ZERO 22344\nFILE \"disc.raw\" 88200 65856\nSTART 00:00:38",
      "ZERO AUDIO 00:01:00\nSTART\nFILE \"disc.raw\" 154056 0"}},
    {"a track cut inside a sector",
     {"FILE \"disc.raw\" 0 1000\nFILE \"disc.raw\" 1000 87200",
      "SILENCE 00:00:38\nSTART\nFILE \"disc.raw\" 00:02:00 00:01:37\nINDEX 00:01:00",
      "SILENCE 00:01:00\nSTART\nFILE \"disc.raw\" 00:03:37 00:01:00"}},
    {"DATAFILE with byte offsets in audio tracks",
     {"DATAFILE \"disc.raw\" 00:02:00", "PREGAP 00:00:38\nDATAFILE \"disc.raw\" #352800 00:01:37",
      "PREGAP 00:01:00\nDATAFILE \"disc.raw\" #616224 // length in bytes: 176400"}},
    {"silence at the end of the track before",
     {"FILE \"disc.raw\" 0 00:02:00\nSILENCE 00:00:38",
      "FILE \"disc.raw\" 00:02:00 00:01:37\nSILENCE 00:01:00", "FILE \"disc.raw\" 00:03:37 00:01:00"}},
    {"one WAV file per track",
     {"FILE \"waves-01.wav\" 0", "PREGAP 00:00:38\nFILE \"waves-02.wav\" 0",
      "PREGAP 00:01:00\nAUDIOFILE \"WAVES-03.WAV\" 0"}},
    {"silence inside a track",
     {"FILE \"disc.raw\" 0 00:01:00\nSILENCE 00:00:10\nFILE \"disc.raw\" 00:01:10 00:00:65",
      "PREGAP 00:00:38\nFILE \"disc.raw\" 00:02:00 00:01:37",
      "PREGAP 00:01:00\nFILE \"disc.raw\" 00:03:37 00:01:00"},
     75,
     85},
};

TEST(TocForms, EachFormIsTheSameDiscAsItsCueImage) {
    CTempDir reference;
    TestDisc sheet = GappedAlbum();
    sheet.gapsAs = "pregap";
    QString error;
    const auto cue = CDiscReader::Open(CTestDiscImage::Make(reference.Path(), sheet, &error), &error);
    ASSERT_TRUE(cue) << error.toStdString();
    const DiscInfo& expected = cue->Info();
    ASSERT_EQ(expected.tracks[2].firstSector, 150 + 38 + 112 + 75);
    const QByteArray expectedAudio = AllAudio(*cue);
    CTempDir dir;
    MakeAudioFiles(dir);

    for (const Form& form : kForms) {
        SCOPED_TRACE(form.name);
        const QString toc = WriteToc(dir, TocText(form.tracks));
        const auto reader = CDiscReader::Open(toc, &error);
        ASSERT_TRUE(reader) << error.toStdString();
        QByteArray audio = expectedAudio;
        audio.replace(form.silentFrom * kSector, (form.silentTo - form.silentFrom) * kSector,
                      QByteArray((form.silentTo - form.silentFrom) * kSector, '\0'));
        ExpectSameDisc(*reader, expected, audio);
    }
}

TEST(TocForms, ThePlainFormReadsAsLibcdioReadsIt) {
    // Every track one stretch of one raw file with START: libcdio reads it. The layout of the other
    // forms must agree with it on the same file.
    CTempDir dir;
    QString error;
    const QString path = CTestDiscImage::Make(
        dir.Path(),
        [] {
            TestDisc disc = GappedAlbum();
            disc.format = "toc";
            return disc;
        }(),
        &error);
    ASSERT_FALSE(path.isEmpty()) << error.toStdString();
    CCdrdaoToc toc;
    ASSERT_TRUE(toc.Load(path, &error)) << error.toStdString();
    ASSERT_TRUE(toc.LibcdioReads());
    const auto libcdio = CDiscReader::Open(path, &error);
    ASSERT_TRUE(libcdio) << error.toStdString();
    const auto laid = CTocImageReader::Open(toc, &error);
    ASSERT_TRUE(laid) << error.toStdString();
    ExpectSameDisc(*laid, libcdio->Info(), AllAudio(*libcdio));
}

TEST(TocForms, OnlyThePlainFormIsLeftToLibcdio) {
    CTempDir dir;
    MakeAudioFiles(dir);
    QString error;
    for (const Form& form : kForms) {
        SCOPED_TRACE(form.name);
        CCdrdaoToc toc;
        ASSERT_TRUE(toc.Load(WriteToc(dir, TocText(form.tracks)), &error)) << error.toStdString();
        EXPECT_FALSE(toc.LibcdioReads());
    }
}

int LineOf(const QByteArray& text, const QByteArray& statement) {
    return int(text.left(text.indexOf(statement)).count('\n')) + 1;
}

TEST(TocForms, TocsThatCannotBeADiscAreRefusedAtTheirLine) {
    struct Case {
        const char* name;
        QList<QByteArray> tracks;
        QByteArray at; // the statement the error names
        const char* reason;
    };
    const Case cases[] = {
        {"silence longer than a disc",
         {"FILE \"disc.raw\" 0 00:02:00", "SILENCE 99:59:00\nSTART\nFILE \"disc.raw\" 00:02:00 00:01:37"},
         "SILENCE",
         "longer than a CD can be"},
        {"a data file longer than a disc",
         {"FILE \"disc.raw\" 0 00:02:00", "DATAFILE \"huge.raw\""},
         "DATAFILE",
         "longer than a CD can be"},
        {"a data file taking more than it holds",
         {"DATAFILE \"disc.raw\" #616224 00:01:01"},
         "DATAFILE",
         "shorter than the audio taken"},
        {"a WAV file taking more than it holds",
         {"FILE \"waves-03.wav\" 00:00:10 00:01:00"},
         "FILE",
         "short"},
        {"a WAV file missing", {"FILE \"waves-04.wav\" 0"}, "FILE", "waves-04.wav is missing"},
        {"START past the track's end",
         {"FILE \"disc.raw\" 0 00:02:00\nSTART 00:02:00"},
         "START",
         "after its START"},
        {"PREGAP after the audio", {"FILE \"disc.raw\" 0 00:02:00\nPREGAP 00:00:10"}, "PREGAP", "PREGAP"},
        {"a track without audio",
         {"ISRC \"JPXXX0000001\"", "FILE \"disc.raw\" 0"},
         "TRACK AUDIO",
         "no sectors"},
        {"a length that is no time", {"SILENCE 00:61:00"}, "SILENCE", "needs a length"},
        {"a pipe", {"FIFO \"/tmp/pipe\" 00:01:00"}, "FIFO", "pipe"},
        {"a name not closed", {"FILE \"disc.raw 0"}, "FILE", "not closed"},
    };
    CTempDir dir;
    MakeAudioFiles(dir);
    QFile huge(dir.File("huge.raw"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(460000) * kSector)); // sparse: no disk space taken
    huge.close();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray text = TocText(c.tracks);
        const QString toc = WriteToc(dir, text);
        QString error;
        EXPECT_FALSE(CDiscReader::Open(toc, &error));
        const QString where = QStringLiteral("%1:%2: ").arg(toc).arg(LineOf(text, c.at));
        EXPECT_TRUE(error.startsWith(where)) << error.toStdString() << " / " << where.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
    }
}

} // namespace
