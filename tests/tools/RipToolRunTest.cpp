// ollivane-rip run as a user runs it: on small generated images, with its own registry hive and
// home folder, checking the exit code, the files and their tags, and what it prints.
#include "platform/registry/Registry.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/MusicBrainzJson.h"
#include "tests/support/TempDir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>
#include <signal.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

namespace {

const QString kPreferences = QStringLiteral("Software\\Microsoft\\MediaPlayer\\Preferences");

struct RunResult {
    int exitCode = -1;
    QString out;
    QString err;
};

struct Mp3Look {
    QByteArray head; // the first bytes of the file
    bool frameAfterTag = false;
    int id3Version = 0;
    int bitrate = 0; // kbit/s of the first frame header
    QString title, artist, album, albumArtist, track, toc;
};

QString Q(const TagLib::String& text) {
    return QString::fromStdWString(text.toWString());
}

QString Frame(TagLib::ID3v2::Tag* tag, const char* id) {
    const auto frames = tag->frameListMap()[id];
    return frames.isEmpty() ? QString() : Q(frames.front()->toString());
}

// An independent look at a file: its bytes for the tag header and the first MPEG frame sync, and
// TagLib for the text.
Mp3Look Look(const QString& path) {
    Mp3Look look;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return look;
    }
    const QByteArray data = file.readAll();
    look.head = data.left(10);
    if (data.startsWith("ID3") && data.size() > 10) {
        look.id3Version = data[3];
        const auto b = [&data](int i) { return quint32(quint8(data[i]) & 0x7F); };
        const qsizetype end = 10 + qsizetype(b(6) << 21 | b(7) << 14 | b(8) << 7 | b(9));
        look.frameAfterTag =
            end + 2 < data.size() && quint8(data[end]) == 0xFF && (quint8(data[end + 1]) & 0xE0) == 0xE0;
        if (look.frameAfterTag) {
            // MPEG-1 layer III rates by the header's bit-rate index.
            static const int kRates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
            look.bitrate = kRates[quint8(data[end + 2]) >> 4];
        }
    }
    TagLib::MPEG::File mpeg(QFile::encodeName(path).constData());
    if (TagLib::ID3v2::Tag* tag = mpeg.isValid() ? mpeg.ID3v2Tag() : nullptr) {
        look.title = Frame(tag, "TIT2");
        look.artist = Frame(tag, "TPE1");
        look.album = Frame(tag, "TALB");
        look.albumArtist = Frame(tag, "TPE2");
        look.track = Frame(tag, "TRCK");
        if (auto* toc = TagLib::ID3v2::UserTextIdentificationFrame::find(tag, "TOC")) {
            look.toc = toc->fieldList().size() >= 2 ? Q(toc->fieldList()[1]) : QString();
        }
    }
    return look;
}

class RipToolRun : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(m_home());
        m_env = QProcessEnvironment::systemEnvironment();
        for (const QString& key : m_env.keys()) {
            if (key.startsWith(QLatin1String("XDG_"))) {
                m_env.remove(key);
            }
        }
        m_env.insert(QStringLiteral("HOME"), m_home());
        m_env.insert(QStringLiteral("OLLIVANE_HKCU_HIVE"), HkcuHive());
        m_env.insert(QStringLiteral("OLLIVANE_HKLM_HIVE"), m_dir.File(QStringLiteral("HKLM.reg")));
    }

    QString m_home() const { return m_dir.File(QStringLiteral("home")); }
    QString HkcuHive() const { return m_dir.File(QStringLiteral("HKCU.reg")); }
    QString Out() const { return m_dir.File(QStringLiteral("out")); }

    // Writes <scratch>/<name>.cue and .bin with make-disc-image.
    QString Image(const QStringList& arguments, const QString& name = QStringLiteral("disc")) {
        const QString cue = m_dir.File(name + QStringLiteral(".cue"));
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("python3"),
                      QStringList{QStringLiteral(OLLIVANE_SOURCE_DIR "/scripts/make-disc-image"), cue} +
                          arguments);
        const bool ok = process.waitForFinished(60000) && process.exitCode() == 0;
        EXPECT_TRUE(ok) << process.readAll().toStdString();
        return cue;
    }

    // The three-track disc of most tests: Japanese album, artist and titles, one guest artist.
    QString JapaneseDisc() {
        return Image({QStringLiteral("--album"), QStringLiteral("ひだまりの記憶"), QStringLiteral("--artist"),
                      QStringLiteral("青空楽団"), QStringLiteral("--track"), QStringLiteral("2"),
                      QStringLiteral("--title"), QStringLiteral("春の風"), QStringLiteral("--track"),
                      QStringLiteral("1.5"), QStringLiteral("--title"), QStringLiteral("夜明けのうた"),
                      QStringLiteral("--performer"), QStringLiteral("ゲスト歌手"), QStringLiteral("--track"),
                      QStringLiteral("1"), QStringLiteral("--title"), QStringLiteral("雨上がりの街")});
    }

    void Start(QProcess* process, const QStringList& arguments) {
        process->setProcessEnvironment(m_env);
        process->start(QStringLiteral(OLLIVANE_RIP_TOOL), arguments);
        ASSERT_TRUE(process->waitForStarted(10000));
    }

    RunResult Run(const QStringList& arguments) {
        QProcess process;
        Start(&process, arguments);
        RunResult result;
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
            ADD_FAILURE() << "ollivane-rip did not end normally";
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitCode();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    // Every file below `folder`, relative to it, sorted.
    static QStringList FilesBelow(const QString& folder) {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            files << QDir(folder).relativeFilePath(it.next());
        }
        files.sort();
        return files;
    }

    CTempDir m_dir;
    QProcessEnvironment m_env;
};

} // namespace

TEST_F(RipToolRun, RipsAGeneratedImageIntoArtistAndAlbumFolders) {
    const QString cue = JapaneseDisc();
    const RunResult run = Run({cue, Out()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString() << run.out.toStdString();

    const QString album = QStringLiteral("青空楽団/ひだまりの記憶/");
    ASSERT_EQ(FilesBelow(Out()), (QStringList{album + QStringLiteral("01 春の風.mp3"),
                                              album + QStringLiteral("02 夜明けのうた.mp3"),
                                              album + QStringLiteral("03 雨上がりの街.mp3")}));
    const QString titles[] = {QStringLiteral("春の風"), QStringLiteral("夜明けのうた"),
                              QStringLiteral("雨上がりの街")};
    for (int i = 0; i < 3; ++i) {
        const QString path = QDir(Out()).filePath(FilesBelow(Out())[i]);
        SCOPED_TRACE(path.toStdString());
        EXPECT_GT(QFileInfo(path).size(), 10000); // 1-2 s at 128 kbit/s
        const Mp3Look look = Look(path);
        EXPECT_EQ(look.id3Version, 3);
        EXPECT_TRUE(look.frameAfterTag);
        EXPECT_EQ(look.bitrate, 128);
        EXPECT_EQ(look.title, titles[i]);
        EXPECT_EQ(look.artist, i == 1 ? QStringLiteral("ゲスト歌手") : QStringLiteral("青空楽団"));
        EXPECT_EQ(look.album, QStringLiteral("ひだまりの記憶"));
        EXPECT_EQ(look.albumArtist, QStringLiteral("青空楽団"));
        EXPECT_EQ(look.track.section(QLatin1Char('/'), 0, 0), QString::number(i + 1));
        EXPECT_FALSE(look.toc.isEmpty()); // as a rip from the window tags it
    }

    // Into a pipe: a line per track start and finish, then the summary.
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 8) << run.out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("names: from the disc"));
    EXPECT_EQ(lines[1], QStringLiteral("[1/3] track 1 started: 春の風"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("[1/3] track 1 ripped: ") + QDir(Out()).filePath(album)));
    EXPECT_EQ(lines[5], QStringLiteral("[3/3] track 3 started: 雨上がりの街"));
    EXPECT_TRUE(lines[7].startsWith(QStringLiteral("done: 3 of 3 tracks ripped, 0 failed; ")));
    EXPECT_TRUE(lines[7].endsWith(QStringLiteral("x real time)")));
    EXPECT_FALSE(run.out.contains(QLatin1Char('\r')));
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
}

TEST_F(RipToolRun, FollowsThePlayersPreferencesButWritesIntoOutdir) {
    {
        // The player's preferences: another rate, naming and rip folder.
        CRegistry registry(HkcuHive(), QString());
        registry.SetDword(HKEY_CURRENT_USER, kPreferences, QStringLiteral("MP3RecordRate"), 192000);
        registry.SetString(HKEY_CURRENT_USER, kPreferences, QStringLiteral("CDRecordFileDetail"),
                           QStringLiteral("*SongTitle;*TrackNumber;Artist"));
        registry.SetString(HKEY_CURRENT_USER, kPreferences, QStringLiteral("CDRecordFileSeparator"),
                           QStringLiteral("-"));
        registry.SetString(HKEY_CURRENT_USER, kPreferences, QStringLiteral("CDRecordPath"),
                           QStringLiteral("C:\\Rips"));
    }
    const QString cue = JapaneseDisc();
    RunResult run = Run({QStringLiteral("--tracks"), QStringLiteral("2-3"), cue, Out()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString album = QStringLiteral("青空楽団/ひだまりの記憶/");
    ASSERT_EQ(FilesBelow(Out()), (QStringList{album + QStringLiteral("夜明けのうた-02.mp3"),
                                              album + QStringLiteral("雨上がりの街-03.mp3")}));
    EXPECT_EQ(Look(QDir(Out()).filePath(album + QStringLiteral("夜明けのうた-02.mp3"))).bitrate, 192);
    EXPECT_TRUE(FilesBelow(m_dir.File(QStringLiteral("home/Rips"))).isEmpty());

    // --bitrate wins over the preference; one encoder gives the same files.
    QDir(Out()).removeRecursively();
    run = Run({QStringLiteral("--bitrate"), QStringLiteral("96"), QStringLiteral("--encoders"),
               QStringLiteral("1"), QStringLiteral("--tracks"), QStringLiteral("1"), cue, Out()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(FilesBelow(Out()), QStringList{album + QStringLiteral("春の風-01.mp3")});
    EXPECT_EQ(Look(QDir(Out()).filePath(album + QStringLiteral("春の風-01.mp3"))).bitrate, 96);
}

TEST_F(RipToolRun, NamesADiscWithoutAlbumDataAsTheWindowDoes) {
    const QString cue = Image({QStringLiteral("--track"), QStringLiteral("1"), QStringLiteral("--track"),
                               QStringLiteral("0.5"), QStringLiteral("--data"), QStringLiteral("--track"),
                               QStringLiteral("0.5")});
    const RunResult run = Run({QStringLiteral("--quiet"), cue, Out()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    // The data track 2 is skipped; the audio tracks count 1, 2 in the titles as the window shows them.
    const QString folder = QStringLiteral("不明なアーティスト/アルバム情報なし/");
    ASSERT_EQ(FilesBelow(Out()), (QStringList{folder + QStringLiteral("01 トラック 1.mp3"),
                                              folder + QStringLiteral("03 トラック 2.mp3")}));
    EXPECT_EQ(Look(QDir(Out()).filePath(folder + QStringLiteral("03 トラック 2.mp3"))).album,
              QStringLiteral("アルバム情報なし"));
}

// A disc without album data takes the names a metadata server gives, unless told not to ask.
TEST_F(RipToolRun, NamesADiscWithoutAlbumDataFromTheServerAndSaysWhereTheNamesCameFrom) {
    const QStringList titles{QStringLiteral("見つけた一"), QStringLiteral("見つけた二")};
    CLocalHttpServer server([&](const HttpRequest& request) {
        const QString id = request.path.section(QLatin1Char('/'), -1);
        return HttpAnswer{200,
                          MbAnswer(id, {{"rel", QStringLiteral("見つけたアルバム"),
                                         QStringLiteral("見つけた歌手"), "2000", "JP", "Jpan", id, titles}})};
    });
    m_env.insert(QStringLiteral("OLLIVANE_MUSICBRAINZ_URL"), server.Root());
    const QString cue = Image(
        {QStringLiteral("--track"), QStringLiteral("1"), QStringLiteral("--track"), QStringLiteral("1")});

    RunResult run = Run({QStringLiteral("--no-lookup"), cue, m_dir.File(QStringLiteral("offline"))});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("names: from the disc (--no-lookup)\n")))
        << run.out.toStdString();
    EXPECT_TRUE(server.Requests().isEmpty());

    run = Run({cue, Out()});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("names: from MusicBrainz release rel\n")))
        << run.out.toStdString();
    const QString folder = QStringLiteral("見つけた歌手/見つけたアルバム/");
    EXPECT_EQ(FilesBelow(Out()), (QStringList{folder + QStringLiteral("01 見つけた一.mp3"),
                                              folder + QStringLiteral("02 見つけた二.mp3")}));
}

TEST_F(RipToolRun, RefusesBadInputWithExitCode2AndWritesNothing) {
    const QString cue = JapaneseDisc();
    const QString dataOnly = Image({QStringLiteral("--track"), QStringLiteral("1"), QStringLiteral("--data")},
                                   QStringLiteral("data"));
    QFile plain(m_dir.File(QStringLiteral("plain-file")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    QFile broken(m_dir.File(QStringLiteral("broken.cue")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("FILE \"missing.bin\" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 00:00:00\r\n");
    broken.close();

    struct Case {
        const char* what;
        QStringList arguments;
        const char* message; // part of the one-line reason
    };
    const QString out = Out();
    const Case cases[] = {
        {"missing image", {m_dir.File(QStringLiteral("nothing.cue")), out}, "cannot read the disc"},
        {"image without its BIN", {broken.fileName(), out}, "cannot read the disc"},
        {"not a disc", {plain.fileName(), out}, "cannot read the disc"},
        {"unknown option", {QStringLiteral("--fast"), cue, out}, "unknown option --fast"},
        {"bad track list", {QStringLiteral("--tracks"), QStringLiteral("2-"), cue, out}, "--tracks"},
        {"track not on the disc",
         {QStringLiteral("--tracks"), QStringLiteral("4"), cue, out},
         "track 4 is not an audio track of this disc (audio tracks: 1,2,3)"},
        {"no audio track", {dataOnly, out}, "has no audio track"},
        {"data track asked for",
         {QStringLiteral("--tracks"), QStringLiteral("1"), dataOnly, out},
         "track 1 is not an audio track"},
        {"OUTDIR is a file", {cue, plain.fileName()}, "is not a folder"},
        {"OUTDIR below a file", {cue, plain.fileName() + QStringLiteral("/sub")}, "cannot create the folder"},
        {"bad bitrate", {QStringLiteral("--bitrate"), QStringLiteral("100"), cue, out}, "not an MP3 rate"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RunResult run = Run(c.arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("ollivane-rip: "))) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.message))) << run.err.toStdString();
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        EXPECT_FALSE(QFileInfo::exists(Out())); // nothing made for a rip that cannot start
    }
}

TEST_F(RipToolRun, InterruptStopsTheRipAndLeavesOnlyWholeFiles) {
    // Long enough that the rip is still running when the signal arrives: a second or more of work.
    const QString cue = Image({QStringLiteral("--album"), QStringLiteral("長い盤"), QStringLiteral("--track"),
                               QStringLiteral("60"), QStringLiteral("--track"), QStringLiteral("60"),
                               QStringLiteral("--track"), QStringLiteral("60")});
    QProcess process;
    Start(&process, {cue, Out()});
    // Ctrl-C once the first track has started.
    QByteArray out;
    while (!out.contains("started") && process.state() == QProcess::Running) {
        process.waitForReadyRead(10000);
        out += process.readAllStandardOutput();
    }
    ASSERT_TRUE(out.contains("started")) << out.toStdString();
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    out += process.readAllStandardOutput();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 130) << out.toStdString() << process.readAllStandardError().toStdString();
    EXPECT_TRUE(out.contains("stopping: the track being ripped is discarded")) << out.toStdString();
    EXPECT_TRUE(out.contains("interrupted: ")) << out.toStdString();

    // What stays is whole files of the tracks that finished before the stop, and nothing else.
    const QStringList files = FilesBelow(Out());
    EXPECT_LT(files.size(), 3);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_TRUE(file.endsWith(QStringLiteral(".mp3")));
        const Mp3Look look = Look(QDir(Out()).filePath(file));
        EXPECT_TRUE(look.frameAfterTag);
        EXPECT_FALSE(look.toc.isEmpty());
        EXPECT_TRUE(out.contains(QStringLiteral("ripped: %1").arg(QDir(Out()).filePath(file)).toUtf8()));
    }
}

TEST_F(RipToolRun, HelpPrintsUsageAndSucceeds) {
    const RunResult run = Run({QStringLiteral("--help")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("Usage: ollivane-rip [options] IMAGE_OR_DEVICE OUTDIR")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("--tracks LIST")));
}

TEST_F(RipToolRun, RipsAFlacAlbumWithItsSheetToTheSameMp3AudioAsTheBinImage) {
    // An album kept as one FLAC file and its sheet is the same disc as its BIN image: the rips hold
    // the same MPEG frames, byte for byte, after their tags.
    const QStringList tracks = {QStringLiteral("--album"), QStringLiteral("ひだまりの記憶"),
                                QStringLiteral("--track"), QStringLiteral("2"),
                                QStringLiteral("--title"), QStringLiteral("春の風"),
                                QStringLiteral("--track"), QStringLiteral("1.5"),
                                QStringLiteral("--gap"),   QStringLiteral("0.5"),
                                QStringLiteral("--title"), QStringLiteral("夜明けのうた")};
    const QString bin = Image(tracks, QStringLiteral("bin"));
    const QString flac = Image(tracks + QStringList{QStringLiteral("--audio"), QStringLiteral("flac")},
                               QStringLiteral("flac"));
    const QString binOut = m_dir.File(QStringLiteral("from-bin"));
    const QString flacOut = m_dir.File(QStringLiteral("from-flac"));
    for (const auto& [image, out] : {std::pair{bin, binOut}, std::pair{flac, flacOut}}) {
        const RunResult run = Run({image, out});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString() << run.out.toStdString();
    }
    const QStringList files = FilesBelow(binOut);
    ASSERT_EQ(files.size(), 2);
    ASSERT_EQ(FilesBelow(flacOut), files);
    const auto frames = [](const QString& path) {
        QFile file(path);
        const QByteArray data = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        if (!data.startsWith("ID3") || data.size() < 10) {
            return QByteArray();
        }
        const auto b = [&data](int i) { return qsizetype(quint8(data[i]) & 0x7F); };
        return data.mid(10 + (b(6) << 21 | b(7) << 14 | b(8) << 7 | b(9)));
    };
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const QByteArray expected = frames(QDir(binOut).filePath(file));
        EXPECT_GT(expected.size(), 10000);
        EXPECT_TRUE(frames(QDir(flacOut).filePath(file)) == expected);
    }
}
