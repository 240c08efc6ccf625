// Disc images in the shapes people keep them: each must be the same disc as one BIN image of the
// same music (table of contents, titles, every audio sample), and each kind of damage is refused
// with the user's file and line before anything is read.
#include "mediaengine/disc/DiscReader.h"
#include "tests/mediaengine/disc/AlbumImage.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/TestDiscImage.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

constexpr int kSector = 2352;

class JapaneseUser {
public:
    JapaneseUser() { QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan)); }
    ~JapaneseUser() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

struct Shape {
    const char* name;
    void (*apply)(TestDisc*);
};

const Shape kShapes[] = {
    {"one WAV per track, gaps at the end of the previous file",
     [](TestDisc* d) {
         d->audio = "wave";
         d->split = true;
     }},
    {"one WAV per track, gaps as PREGAP",
     [](TestDisc* d) {
         d->audio = "wave";
         d->split = true;
         d->gapsAs = "pregap";
     }},
    {"one FLAC file", [](TestDisc* d) { d->audio = "flac"; }},
    {"one FLAC per track, gaps as POSTGAP",
     [](TestDisc* d) {
         d->audio = "flac";
         d->split = true;
         d->gapsAs = "postgap";
     }},
    {"BIN with PREGAP", [](TestDisc* d) { d->gapsAs = "pregap"; }},
    {"sheet with a byte order mark", [](TestDisc* d) { d->bom = true; }},
    {"Shift_JIS sheet of WAV files",
     [](TestDisc* d) {
         d->encoding = "shift_jis";
         d->audio = "wave";
         d->split = true;
     }},
    {"names in capitals in a Windows subfolder",
     [](TestDisc* d) {
         d->audio = "wave";
         d->split = true;
         d->upperNames = true;
         d->folder = "Audio";
     }},
    {"single BIN with names in capitals", [](TestDisc* d) { d->upperNames = true; }},
    {"cdrdao TOC file", [](TestDisc* d) { d->format = "toc"; }},
    {"Nero image with CD-Text", [](TestDisc* d) { d->format = "nrg"; }},
    {"CD-Text file, Japanese block for a Japanese user",
     [](TestDisc* d) {
         d->cdTextFile = true;
         d->gapsAs = "postgap";
     }},
};

TEST(ImageShapes, EachShapeIsTheSameDiscAsOneBinImage) {
    const JapaneseUser japanese;
    CTempDir reference;
    QString error;
    const auto bin = CDiscReader::Open(CTestDiscImage::Make(reference.Path(), GappedAlbum(), &error), &error);
    ASSERT_TRUE(bin) << error.toStdString();
    const DiscInfo& expected = bin->Info();
    ASSERT_EQ(expected.tracks.size(), 3);
    EXPECT_EQ(expected.tracks[1].firstSector, 150 + 38);
    EXPECT_EQ(expected.tracks[2].firstSector, 150 + 38 + 112 + 75);
    const QByteArray expectedAudio = AllAudio(*bin);
    EXPECT_NE(expectedAudio.count('\0'), expectedAudio.size());

    for (const Shape& shape : kShapes) {
        SCOPED_TRACE(shape.name);
        CTempDir dir;
        TestDisc disc = GappedAlbum();
        shape.apply(&disc);
        const QString cue = CTestDiscImage::Make(dir.Path(), disc, &error);
        ASSERT_FALSE(cue.isEmpty()) << error.toStdString();
        const auto reader = CDiscReader::Open(cue, &error);
        ASSERT_TRUE(reader) << error.toStdString();
        ExpectSameDisc(*reader, expected, expectedAudio);
    }
}

TEST(ImageShapes, Latin1SheetsKeepTheirAccents) {
    // Bytes such as "ö" or "ñ" also form Shift_JIS characters of the user-defined area; a sheet of
    // European titles must not turn into those.
    CTempDir dir;
    TestDisc disc;
    disc.encoding = "latin-1";
    disc.album = QStringLiteral("Café Olé");
    disc.artist = QStringLiteral("Björk");
    disc.tracks = {{.seconds = 1, .title = QStringLiteral("Señor")},
                   {.seconds = 1, .title = QStringLiteral("Ångström")}};
    disc.audio = "wave";
    disc.split = true;
    QString error;
    const auto reader = CDiscReader::Open(CTestDiscImage::Make(dir.Path(), disc, &error), &error);
    ASSERT_TRUE(reader) << error.toStdString();
    EXPECT_EQ(reader->Info().album, disc.album);
    EXPECT_EQ(reader->Info().artist, disc.artist);
    EXPECT_EQ(reader->Info().tracks[0].title, disc.tracks[0].title);
    EXPECT_EQ(reader->Info().tracks[1].title, disc.tracks[1].title);
}

TEST(ImageShapes, CdTextFileGivesTheFirstBlockToOtherUsers) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    CTempDir dir;
    TestDisc disc = GappedAlbum();
    disc.cdTextFile = true;
    disc.audio = "flac";
    QString error;
    const auto reader = CDiscReader::Open(CTestDiscImage::Make(dir.Path(), disc, &error), &error);
    QLocale::setDefault(QLocale::c());
    ASSERT_TRUE(reader) << error.toStdString();
    EXPECT_EQ(reader->Info().album, QStringLiteral("Album"));
    EXPECT_EQ(reader->Info().artist, QStringLiteral("Artist"));
    EXPECT_EQ(reader->Info().tracks[2].title, QStringLiteral("Track 03"));
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A damaged copy of a good image: the sheet and its files as the generator wrote them, then changed.
struct Damage {
    const char* name;
    void (*shape)(TestDisc*);
    void (*damage)(const CTempDir&);
    const char* where;  // the start of the error: the sheet and its line
    const char* reason; // a part of the error text
};

void WaveSplit(TestDisc* d) {
    d->audio = "wave";
    d->split = true;
}

void ReplaceInSheet(const CTempDir& dir, const QByteArray& from, const QByteArray& to) {
    QByteArray sheet = ReadFile(dir.File("disc.cue"));
    ASSERT_TRUE(sheet.contains(from)) << sheet.toStdString();
    sheet.replace(from, to);
    WriteFile(dir.File("disc.cue"), sheet);
}

const Damage kDamages[] = {
    {"a WAV file missing", WaveSplit, [](const CTempDir& d) { QFile::remove(d.File("disc-02.wav")); },
     "disc.cue:11:", "disc-02.wav is missing"},
    {"a WAV file cut short", WaveSplit,
     [](const CTempDir& d) { QFile::resize(d.File("disc-01.wav"), 44 + kSector * 100); },
     "disc.cue:10:", "beyond the end of disc-01.wav"},
    {"a text file in place of a WAV", WaveSplit,
     [](const CTempDir& d) { WriteFile(d.File("disc-03.wav"), QByteArray(5000, 'x')); },
     "disc.cue:16:", "not a WAV or FLAC file"},
    {"a WAV of 48 kHz", [](TestDisc* d) { WaveSplit(d), d->rate = 48000; }, [](const CTempDir&) {},
     "disc.cue:3:", "48000 Hz"},
    {"a mono FLAC", [](TestDisc* d) { d->audio = "flac", d->channels = 1; }, [](const CTempDir&) {},
     "disc.cue:3:", "1 channels"},
    {"a FLAC file cut short", [](TestDisc* d) { d->audio = "flac"; },
     [](const CTempDir& d) { QFile::resize(d.File("disc.flac"), 300000); }, "disc.cue:3:", "truncated"},
    {"a file type that is no audio", WaveSplit,
     [](const CTempDir& d) { ReplaceInSheet(d, "\"disc-01.wav\" WAVE", "\"disc-01.wav\" MP3"); },
     "disc.cue:3:", "MP3"},
    {"a data track in a WAV file", WaveSplit,
     [](const CTempDir& d) { ReplaceInSheet(d, "TRACK 03 AUDIO", "TRACK 03 MODE1/2352"); },
     "disc.cue:13:", "data track"},
    {"seconds out of range", WaveSplit,
     [](const CTempDir& d) { ReplaceInSheet(d, "INDEX 00 00:02:00", "INDEX 00 00:62:00"); },
     "disc.cue:10:", "bad time"},
    {"a catalogue number of 12 digits", WaveSplit,
     [](const CTempDir& d) { ReplaceInSheet(d, "PERFORMER", "CATALOG 490000000000\r\nPERFORMER"); },
     "disc.cue:1:", "catalogue"},
    {"PREGAP after the INDEX", [](TestDisc* d) { d->gapsAs = "pregap"; },
     [](const CTempDir& d) {
         ReplaceInSheet(d, "    PREGAP 00:00:38\r\n    INDEX 01 00:02:00",
                        "    INDEX 01 00:02:00\r\n    PREGAP 00:00:38");
     },
     "disc.cue:11:", "PREGAP"},
    {"an unclosed quotation mark", WaveSplit,
     [](const CTempDir& d) { ReplaceInSheet(d, "TITLE \"春の風\"", "TITLE \"春の風"); },
     "disc.cue:5:", "quotation"},
    {"CD-Text file truncated", [](TestDisc* d) { d->cdTextFile = true; },
     [](const CTempDir& d) { QFile::resize(d.File("disc.cdt"), ReadFile(d.File("disc.cdt")).size() - 7); },
     "disc.cue:1:", "truncated"},
    {"CD-Text file with a bad CRC", [](TestDisc* d) { d->cdTextFile = true; },
     [](const CTempDir& d) {
         QByteArray cdt = ReadFile(d.File("disc.cdt"));
         cdt[4 + 18 * 2 + 6] = char(cdt[4 + 18 * 2 + 6] ^ 0x20);
         WriteFile(d.File("disc.cdt"), cdt);
     },
     "disc.cue:1:", "bad CRC"},
    {"CD-Text file missing", [](TestDisc* d) { d->cdTextFile = true; },
     [](const CTempDir& d) { QFile::remove(d.File("disc.cdt")); }, "disc.cue:1:", "disc.cdt is missing"},
};

TEST(ImageShapes, DamagedImagesAreRefusedNamingTheSheetAndLine) {
    for (const Damage& c : kDamages) {
        SCOPED_TRACE(c.name);
        CTempDir dir;
        TestDisc disc = GappedAlbum();
        c.shape(&disc);
        QString error;
        const QString cue = CTestDiscImage::Make(dir.Path(), disc, &error);
        ASSERT_FALSE(cue.isEmpty()) << error.toStdString();
        c.damage(dir);
        EXPECT_FALSE(CDiscReader::Open(cue, &error));
        EXPECT_TRUE(error.startsWith(dir.File(QString::fromUtf8(c.where)))) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
    }
}

TEST(ImageShapes, ErrorsNameTheUsersFilesNotTemporaryOnes) {
    // libcdio is given a sheet with a byte order mark or an unfitting name under a temporary name;
    // what goes wrong must still point at the user's sheet.
    CTempDir dir;
    TestDisc disc = GappedAlbum();
    disc.bom = true;
    const QString cue = CTestDiscImage::Make(dir.Path(), disc, nullptr, "アルバム");
    ASSERT_FALSE(cue.isEmpty());
    ASSERT_TRUE(QFile::resize(dir.File("アルバム.bin"), kSector * 200));
    QString error;
    EXPECT_FALSE(CDiscReader::Open(cue, &error));
    EXPECT_TRUE(error.startsWith(cue)) << error.toStdString();
    EXPECT_TRUE(error.contains("short")) << error.toStdString();
    EXPECT_EQ(error.count(QDir::tempPath()), error.count(dir.Path())) << error.toStdString();
}

TEST(ImageShapes, IndexesGoingBackwardsAreRefusedAtTheirLine) {
    CTempDir dir;
    const QString cue = CTestDiscImage::Make(dir.Path(), GappedAlbum());
    ASSERT_FALSE(cue.isEmpty());
    QByteArray sheet = ReadFile(cue);
    sheet.replace("INDEX 01 00:05:00", "INDEX 01 00:01:00");
    WriteFile(cue, sheet);
    QString error;
    EXPECT_FALSE(CDiscReader::Open(cue, &error));
    EXPECT_TRUE(error.startsWith(cue + QStringLiteral(":15:"))) << error.toStdString();
}

void ReplaceInToc(const CTempDir& dir, const char* from, const char* to) {
    QByteArray toc = ReadFile(dir.File("disc.toc"));
    toc.replace(from, to);
    WriteFile(dir.File("disc.toc"), toc);
}

TEST(ImageShapes, DamagedTocFilesAreRefusedNamingTheTocFile) {
    struct Case {
        const char* name;
        void (*damage)(const CTempDir&);
        const char* reason;
    };
    const Case cases[] = {
        {"audio file missing", [](const CTempDir& d) { QFile::remove(d.File("disc.raw")); },
         ":17: the file disc.raw"},
        {"audio file cut short", [](const CTempDir& d) { QFile::resize(d.File("disc.raw"), kSector * 200); },
         ":26: disc.raw is shorter"},
        {"PREGAP after the track's audio",
         [](const CTempDir& d) { ReplaceInToc(d, "START 00:00:38", "PREGAP 00:00:38"); }, "PREGAP"},
        // libcdio puts the track before the disc's start, or its minutes overflow.
        {"start that is no time",
         [](const CTempDir& d) { ReplaceInToc(d, "\"disc.raw\" 00:00:00", "\"disc.raw\" 00:00:#0"); },
         ":17: after the file name"},
        {"start of a hundred million minutes",
         [](const CTempDir& d) { ReplaceInToc(d, "\"disc.raw\" 00:00:00", "\"disc.raw\" 99999999:00:00"); },
         ":17: after the file name"},
        // libcdio divides by the mode's sector size, which is 0 without a mode: the process dies.
        {"track without its mode", [](const CTempDir& d) { ReplaceInToc(d, "TRACK AUDIO", "TRACK"); },
         "a TRACK line needs its mode"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempDir dir;
        TestDisc disc = GappedAlbum();
        disc.format = "toc";
        QString error;
        const QString toc = CTestDiscImage::Make(dir.Path(), disc, &error);
        ASSERT_FALSE(toc.isEmpty()) << error.toStdString();
        c.damage(dir);
        EXPECT_FALSE(CDiscReader::Open(toc, &error));
        EXPECT_TRUE(error.startsWith(toc)) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
        EXPECT_EQ(error.count(QDir::tempPath()), error.count(dir.Path())) << error.toStdString();
    }
}

TEST(ImageShapes, DamagedNeroImagesAreRefusedWithoutReachingLibcdio) {
    // libcdio asserts, ending the process, on much of this.
    struct Case {
        const char* name;
        void (*damage)(QByteArray* nrg, qsizetype footer);
        const char* reason;
    };
    const Case cases[] = {
        {"cut short", [](QByteArray* nrg, qsizetype) { nrg->chop(5000); }, "cut short"},
        {"description outside the file",
         [](QByteArray* nrg, qsizetype) { (*nrg)[nrg->size() - 5] = char(0x7F); }, "outside the file"},
        {"a chunk longer than the description",
         [](QByteArray* nrg, qsizetype footer) { (*nrg)[footer + 4] = char(0x40); }, "runs past the end"},
        {"track list not starting at the lead-in",
         [](QByteArray* nrg, qsizetype footer) { (*nrg)[footer + 8 + 7] = 0; }, "lead-in"},
        {"no end", [](QByteArray* nrg, qsizetype) { nrg->replace("END!", "ENDX"); }, "no end"},
        // libcdio frees its CD-Text twice when it cannot read it.
        {"CD-Text without its size information",
         [](QByteArray* nrg, qsizetype footer) {
             const qsizetype text = nrg->indexOf("CDTX", footer) + 8;
             const qsizetype end = text + qFromBigEndian<quint32>(nrg->constData() + text - 4);
             for (qsizetype pack = text; pack < end; pack += 18) {
                 if (uchar(nrg->at(pack)) == 0x8F && nrg->at(pack + 1) == 1) {
                     (*nrg)[pack + 11] = 0;
                 }
             }
         },
         "CD-Text is damaged"},
        {"CD-Text without a single pack",
         [](QByteArray* nrg, qsizetype footer) {
             const qsizetype text = nrg->indexOf("CDTX", footer) + 8;
             const quint32 length = qFromBigEndian<quint32>(nrg->constData() + text - 4);
             nrg->replace(text - 4, 4 + length, QByteArray(4, '\0'));
         },
         "CD-Text is damaged"},
        // A TAO track list besides the DAO one: libcdio asserts.
        {"two track lists",
         [](QByteArray* nrg, qsizetype footer) {
             nrg->insert(nrg->indexOf("END!", footer), QByteArray("ETNF\0\0\0\0", 8));
         },
         "describes its tracks twice"},
        // The track list of a second session: libcdio asserts.
        {"two DAO track lists",
         [](QByteArray* nrg, qsizetype footer) {
             const quint32 length = qFromBigEndian<quint32>(nrg->constData() + footer + 4);
             nrg->insert(nrg->indexOf("END!", footer), nrg->mid(footer, 8 + length));
         },
         "describes its tracks twice"},
    };
    CTempDir original;
    TestDisc disc = GappedAlbum();
    disc.format = "nrg";
    QString error;
    const QString made = CTestDiscImage::Make(original.Path(), disc, &error);
    ASSERT_FALSE(made.isEmpty()) << error.toStdString();
    const QByteArray good = ReadFile(made);
    const qsizetype footer = qsizetype(qFromBigEndian<quint64>(good.constData() + good.size() - 8));
    ASSERT_EQ(good.mid(footer, 4), QByteArray("CUEX"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempDir dir;
        QByteArray nrg = good;
        c.damage(&nrg, footer);
        WriteFile(dir.File("disc.nrg"), nrg);
        EXPECT_FALSE(CDiscReader::Open(dir.File("disc.nrg"), &error));
        EXPECT_TRUE(error.startsWith(dir.File("disc.nrg"))) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
    }
}

} // namespace
