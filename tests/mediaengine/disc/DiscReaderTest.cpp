// Opening CUE/BIN images through libcdio: table of contents, titles, audio, and what bad images do.
#include "mediaengine/disc/DiscReader.h"
#include "mediaengine/disc/CdioDiscReader.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/TestDiscImage.h"

#include <QFile>
#include <QList>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <utility>
#include <vector>

namespace {

constexpr int kSector = 2352;

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

TestDisc ThreeTracks(const QString& encoding) {
    TestDisc disc;
    disc.album = QStringLiteral("ソ表能アルバム");
    disc.artist = QStringLiteral("青空楽団");
    disc.encoding = encoding;
    disc.tracks = {{.seconds = 2, .title = QStringLiteral("一曲目")},
                   {.seconds = 1.5, .title = QStringLiteral("二曲目"), .performer = QStringLiteral("ゲスト")},
                   {.seconds = 1}};
    return disc;
}

TEST(DiscReader, ReadsLayoutAndJapaneseTitlesInUtf8AndShiftJis) {
    for (const QString& encoding : {QStringLiteral("utf-8"), QStringLiteral("shift_jis")}) {
        SCOPED_TRACE(encoding.toStdString());
        CTempDir dir;
        QString error;
        const QString cue = CTestDiscImage::Make(dir.Path(), ThreeTracks(encoding), &error);
        ASSERT_FALSE(cue.isEmpty()) << error.toStdString();
        const auto reader = CDiscReader::Open(cue, &error);
        ASSERT_TRUE(reader) << error.toStdString();
        const DiscInfo& info = reader->Info();
        EXPECT_EQ(info.album, QStringLiteral("ソ表能アルバム"));
        EXPECT_EQ(info.artist, QStringLiteral("青空楽団"));
        ASSERT_EQ(info.tracks.size(), 3);
        const int starts[] = {0, 150, 262};
        const int counts[] = {150, 112, 75};
        const QString titles[] = {QStringLiteral("一曲目"), QStringLiteral("二曲目"), QString()};
        const QString artists[] = {QString(), QStringLiteral("ゲスト"), QString()};
        for (int i = 0; i < 3; ++i) {
            const DiscTrack& track = info.tracks[i];
            EXPECT_EQ(track.number, i + 1);
            EXPECT_TRUE(track.audio);
            EXPECT_EQ(track.firstSector, starts[i]);
            EXPECT_EQ(track.sectorCount, counts[i]);
            EXPECT_EQ(track.title, titles[i]);
            EXPECT_EQ(track.artist, artists[i]);
        }
        EXPECT_DOUBLE_EQ(info.tracks[0].Seconds(), 2.0);
        // Count, starts and lead-out, each as sector + 150 in hexadecimal.
        EXPECT_EQ(info.toc, QStringLiteral("3+96+12C+19C+1E7"));
    }
}

TEST(DiscReader, DiscWithoutAlbumDataHasEmptyTitles) {
    CTempDir dir;
    TestDisc disc;
    disc.tracks = {{.seconds = 1}, {.seconds = 1}};
    const auto reader = CDiscReader::Open(CTestDiscImage::Make(dir.Path(), disc), nullptr);
    ASSERT_TRUE(reader);
    EXPECT_TRUE(reader->Info().album.isEmpty());
    EXPECT_TRUE(reader->Info().artist.isEmpty());
    EXPECT_TRUE(reader->Info().tracks[0].title.isEmpty());
}

TEST(DiscReader, TocTellsDiscsApartAndRecognisesTheSameDisc) {
    CTempDir dir;
    TestDisc a;
    a.tracks = {{.seconds = 1}, {.seconds = 2}};
    TestDisc b;
    b.tracks = {{.seconds = 2}, {.seconds = 1}};
    const auto first = CDiscReader::Open(CTestDiscImage::Make(dir.Path(), a, nullptr, "a"), nullptr);
    const auto again = CDiscReader::Open(CTestDiscImage::Make(dir.Path(), a, nullptr, "a2"), nullptr);
    const auto other = CDiscReader::Open(CTestDiscImage::Make(dir.Path(), b, nullptr, "b"), nullptr);
    ASSERT_TRUE(first && again && other);
    EXPECT_EQ(first->Info().toc, again->Info().toc);
    EXPECT_NE(first->Info().toc, other->Info().toc);
}

// An image is read directly in the product and through paranoia as a drive is; both must give the
// image's samples, little-endian, whichever byte order the image keeps.
struct ReadingCase {
    const char* name;
    CCdioDiscReader::ImageReading reading;
    bool bigEndianImage;
};
const ReadingCase kReadings[] = {
    {"direct", CCdioDiscReader::ImageReading::Direct, false},
    {"through paranoia", CCdioDiscReader::ImageReading::Verified, false},
    {"direct, big-endian image", CCdioDiscReader::ImageReading::Direct, true},
    {"through paranoia, big-endian image", CCdioDiscReader::ImageReading::Verified, true},
};

// The image of ThreeTracks, or the same samples in a big-endian ("MOTOROLA") BIN.
QString MakeImage(const CTempDir& dir, bool bigEndian) {
    const QString cue = CTestDiscImage::Make(dir.Path(), ThreeTracks("utf-8"));
    if (!bigEndian) {
        return cue;
    }
    QByteArray swapped = ReadFile(dir.File("disc.bin"));
    for (qsizetype i = 0; i + 1 < swapped.size(); i += 2) {
        std::swap(swapped[i], swapped[i + 1]);
    }
    WriteFile(dir.File("swapped.bin"), swapped);
    QByteArray sheet = ReadFile(cue);
    sheet.replace("FILE \"disc.bin\" BINARY", "FILE \"swapped.bin\" MOTOROLA");
    WriteFile(dir.File("swapped.cue"), sheet);
    return dir.File("swapped.cue");
}

TEST(DiscReader, AudioSectorsAreTheImageBytes) {
    for (const ReadingCase& c : kReadings) {
        SCOPED_TRACE(c.name);
        CTempDir dir;
        const QString cue = MakeImage(dir, c.bigEndianImage);
        const QByteArray bin = ReadFile(dir.File("disc.bin"));
        QString error;
        const auto reader = CCdioDiscReader::OpenImage(cue, &error, c.reading);
        ASSERT_TRUE(reader) << error.toStdString();
        QByteArray pcm;
        // Sequential reads, a read across a track boundary, a jump back, the very last sector.
        const QList<QPair<int, int>> reads = {{0, 40}, {40, 110}, {140, 30}, {5, 3}, {336, 1}};
        for (const auto& [first, count] : reads) {
            ASSERT_TRUE(reader->ReadSectors(first, count, &pcm)) << first;
            ASSERT_EQ(pcm.size(), count * kSector);
            EXPECT_TRUE(pcm == bin.mid(first * kSector, count * kSector)) << "sectors from " << first;
        }
        // The synthesized audio is not silence, so the comparison means something.
        EXPECT_NE(bin.count('\0'), bin.size());

        EXPECT_FALSE(reader->ReadSectors(330, 10, &pcm)); // past the lead-out
        EXPECT_TRUE(pcm.isEmpty());
        EXPECT_FALSE(reader->LastReadError().isEmpty());
        EXPECT_FALSE(reader->ReadSectors(-1, 2, &pcm));
    }
    // What the product opens an image with.
    CTempDir dir;
    const QString cue = MakeImage(dir, false);
    const auto reader = CDiscReader::Open(cue, nullptr);
    QByteArray pcm;
    ASSERT_TRUE(reader && reader->ReadSectors(10, 20, &pcm));
    EXPECT_TRUE(pcm == ReadFile(dir.File("disc.bin")).mid(10 * kSector, 20 * kSector));
}

TEST(DiscReader, SectorsLostWhileTheDiscIsOpenFailAsOnAScratchedDisc) {
    // The image loses its end after it was opened (a damaged copy, a medium failing under it):
    // the sectors that are gone fail with a reason naming the first of them, the ones before still
    // read, nothing hangs.
    CTempDir dir;
    const QString cue = MakeImage(dir, false);
    const auto reader = CDiscReader::Open(cue, nullptr);
    ASSERT_TRUE(reader);
    ASSERT_TRUE(QFile::resize(dir.File("disc.bin"), qint64(kSector) * 220));
    QByteArray pcm;
    EXPECT_TRUE(reader->ReadSectors(100, 50, &pcm));
    EXPECT_FALSE(reader->ReadSectors(200, 25, &pcm));
    EXPECT_EQ(reader->LastReadError(), QStringLiteral("sector 220 cannot be read"));
    EXPECT_TRUE(pcm.isEmpty());
    EXPECT_FALSE(reader->ReadSectors(225, 25, &pcm));
    EXPECT_TRUE(reader->ReadSectors(0, 25, &pcm)) << "what is left still reads";
    EXPECT_TRUE(pcm == ReadFile(dir.File("disc.bin")).left(25 * kSector));
}

TEST(DiscReader, DataTrackInTheMiddleIsListedButNotRead) {
    CTempDir dir;
    TestDisc disc;
    disc.tracks = {{.seconds = 1, .title = QStringLiteral("前")},
                   {.seconds = 1, .data = true},
                   {.seconds = 1, .title = QStringLiteral("後")}};
    QString error;
    const auto reader = CDiscReader::Open(CTestDiscImage::Make(dir.Path(), disc), &error);
    ASSERT_TRUE(reader) << error.toStdString();
    const DiscInfo& info = reader->Info();
    ASSERT_EQ(info.tracks.size(), 3);
    EXPECT_TRUE(info.tracks[0].audio);
    EXPECT_FALSE(info.tracks[1].audio);
    EXPECT_TRUE(info.tracks[2].audio);
    EXPECT_EQ(info.tracks[2].firstSector, 150);
    EXPECT_EQ(info.tracks[2].title, QStringLiteral("後"));
    QByteArray pcm;
    EXPECT_FALSE(reader->ReadSectors(75, 10, &pcm));
    EXPECT_FALSE(reader->ReadSectors(70, 10, &pcm)); // audio running into data
    EXPECT_TRUE(reader->ReadSectors(150, 75, &pcm));
    EXPECT_TRUE(pcm == ReadFile(dir.File("disc.bin")).mid(150 * kSector, 75 * kSector));
}

TEST(DiscReader, NinetyNineTracksOpenAHundredAreRefused) {
    CTempDir dir;
    TestDisc disc;
    for (int i = 0; i < 99; ++i) {
        disc.tracks.append(TestTrack{.sectors = 4, .title = QStringLiteral("曲%1").arg(i + 1)});
    }
    QString error;
    const auto reader = CDiscReader::Open(CTestDiscImage::Make(dir.Path(), disc, &error, "t99"), &error);
    ASSERT_TRUE(reader) << error.toStdString();
    ASSERT_EQ(reader->Info().tracks.size(), 99);
    EXPECT_EQ(reader->Info().tracks[98].number, 99);
    EXPECT_EQ(reader->Info().tracks[98].firstSector, 98 * 4);
    EXPECT_EQ(reader->Info().tracks[98].title, QStringLiteral("曲99"));

    disc.tracks.append(TestTrack{.sectors = 4});
    const QString cue = CTestDiscImage::Make(dir.Path(), disc, &error, "t100");
    ASSERT_FALSE(cue.isEmpty()) << error.toStdString();
    EXPECT_FALSE(CDiscReader::Open(cue, &error));
    EXPECT_TRUE(error.contains("99")) << error.toStdString();
}

TEST(DiscReader, FindsTheBinTheSheetNamesWhateverTheSheetIsCalled) {
    CTempDir dir;
    const QString cue = CTestDiscImage::Make(dir.Path(), ThreeTracks("utf-8"));
    // libcdio alone would look for "アルバム (初回盤).bin" and "upper.BIN".
    ASSERT_TRUE(QFile::copy(cue, dir.File("アルバム (初回盤).cue")));
    ASSERT_TRUE(QFile::copy(cue, dir.File("upper.CUE")));
    for (const QString& name : {QStringLiteral("アルバム (初回盤).cue"), QStringLiteral("upper.CUE")}) {
        QString error;
        const auto reader = CDiscReader::Open(dir.File(name), &error);
        ASSERT_TRUE(reader) << error.toStdString();
        EXPECT_EQ(reader->Info().tracks.size(), 3);
        QByteArray pcm;
        EXPECT_TRUE(reader->ReadSectors(150, 2, &pcm));
    }
}

TEST(DiscReader, InvalidTitleBytesGiveTextNotACrash) {
    CTempDir dir;
    ASSERT_FALSE(CTestDiscImage::Make(dir.Path(), ThreeTracks("utf-8")).isEmpty());
    WriteFile(dir.File("disc.cue"),
              QByteArray("TITLE \"\x80\xFF\xFE\"\r\nPERFORMER \"\x83\"\r\nFILE \"disc.bin\" BINARY\r\n"
                         "  TRACK 01 AUDIO\r\n    TITLE \"ok \x88\xEA\"\r\n    INDEX 01 00:00:00\r\n"));
    QString error;
    const auto reader = CDiscReader::Open(dir.File("disc.cue"), &error);
    ASSERT_TRUE(reader) << error.toStdString();
    EXPECT_EQ(reader->Info().album, QString::fromLatin1("\x80\xFF\xFE"));
    EXPECT_EQ(reader->Info().artist, QString::fromLatin1("\x83"));
    EXPECT_EQ(reader->Info().tracks[0].title, QStringLiteral("ok 一"));
}

struct BadImage {
    const char* name;
    QByteArray cue;      // written as bad.cue beside a good 3-track disc.bin; empty: no sheet written
    qint64 binSize = -1; // truncate disc.bin to this many bytes
    const char* source = "bad.cue";
    const char* reason = ""; // a part of the error text
};

TEST(DiscReader, BadImagesFailWithAReason) {
    const QByteArray header = "FILE \"disc.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n";
    const QList<BadImage> cases = {
        {"bin missing", "FILE \"gone.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n", -1,
         "bad.cue", "missing"},
        {"bin shorter than the last track's start", header + "  TRACK 02 AUDIO\r\n    INDEX 01 00:03:00\r\n",
         2352 * 100, "bad.cue", "short"},
        {"bin empty", header, 0, "bad.cue", "empty"},
        {"not a cue sheet", "hello\r\nthis is not a cue\r\n", -1, "bad.cue", "no image file"},
        {"binary file", QByteArray("\x00\x01\x02TRACK", 8), -1, "bad.cue", "binary"},
        {"no tracks", "FILE \"disc.bin\" BINARY\r\n", -1, "bad.cue", "no tracks"},
        {"track without index", "FILE \"disc.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n", -1, "bad.cue", "start"},
        {"index out of range", "FILE \"disc.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:99:99\r\n",
         -1, "bad.cue", "bad time"},
        {"starts going backwards",
         "FILE \"disc.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:03:00\r\n  TRACK 02 AUDIO\r\n    "
         "INDEX 01 "
         "00:01:00\r\n",
         -1, "bad.cue", "does not lie after"},
        {"tracks out of order",
         "FILE \"disc.bin\" BINARY\r\n  TRACK 02 AUDIO\r\n    INDEX 01 00:00:00\r\n  TRACK 01 AUDIO\r\n    "
         "INDEX 01 "
         "00:01:00\r\n",
         -1, "bad.cue", "track"},
        {"a second file no index lies in", header + "FILE \"disc.bin\" BINARY\r\n", -1, "bad.cue",
         "no INDEX lies"},
        {"raw sectors called a wave file",
         "FILE \"disc.bin\" WAVE\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n", -1, "bad.cue",
         "not a WAV or FLAC file"},
        {"track before file", "  TRACK 01 AUDIO\r\nFILE \"disc.bin\" BINARY\r\n    INDEX 01 00:00:00\r\n", -1,
         "bad.cue", "before"},
        {"no such file", "", -1, "nothing.cue", "does not exist"},
        {"the bin itself", "", -1, "disc.bin", "not a CUE"},
        {"a folder", "", -1, ".", "folder"},
        {"empty source", "", -1, "", "no disc"},
    };
    CTempDir original;
    ASSERT_FALSE(CTestDiscImage::Make(original.Path(), ThreeTracks("utf-8")).isEmpty());
    for (const BadImage& c : cases) {
        SCOPED_TRACE(c.name);
        CTempDir dir;
        ASSERT_TRUE(QFile::copy(original.File("disc.bin"), dir.File("disc.bin")));
        if (!c.cue.isEmpty()) {
            WriteFile(dir.File("bad.cue"), c.cue);
        }
        if (c.binSize >= 0) {
            ASSERT_TRUE(QFile::resize(dir.File("disc.bin"), c.binSize));
        }
        const QString source = QString::fromUtf8(c.source);
        QString error;
        EXPECT_FALSE(CDiscReader::Open(source.isEmpty() ? QString() : dir.File(source), &error));
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason), Qt::CaseInsensitive)) << error.toStdString();
    }
}

TEST(DiscReader, BinEndingInsideTheLastTrackShortensIt) {
    // A sheet does not say how long its last track is: an image that ends early makes that track
    // shorter, and nothing reads past the image's end.
    CTempDir dir;
    const QString cue = CTestDiscImage::Make(dir.Path(), ThreeTracks("utf-8"));
    ASSERT_TRUE(QFile::resize(dir.File("disc.bin"), 2352 * 300 + 100));
    QString error;
    const auto reader = CDiscReader::Open(cue, &error);
    ASSERT_TRUE(reader) << error.toStdString();
    EXPECT_EQ(reader->Info().tracks[2].sectorCount, 300 - 262);
    QByteArray pcm;
    EXPECT_TRUE(reader->ReadSectors(262, 38, &pcm));
    EXPECT_FALSE(reader->ReadSectors(262, 39, &pcm));
}

TEST(DiscReader, ThreadsCanOpenDiscsAtTheSameTime) {
    // The object model reads a disc on the UI thread while a rip opens it on its worker; libcdio's
    // CUE parser is not reentrant. A long sheet keeps the parsers busy long enough to collide.
    CTempDir dir;
    TestDisc disc;
    disc.album = QStringLiteral("ソ表能アルバム");
    for (int i = 0; i < 99; ++i) {
        disc.tracks.append(TestTrack{.sectors = 1, .title = QStringLiteral("曲%1").arg(i + 1)});
    }
    const QString cue = CTestDiscImage::Make(dir.Path(), disc);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 30; ++i) {
                const auto reader = CDiscReader::Open(cue, nullptr);
                if (!reader || reader->Info().tracks.size() != 99 ||
                    reader->Info().tracks[98].title != "曲99" || reader->Info().album != "ソ表能アルバム") {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong, 0);
}

} // namespace
