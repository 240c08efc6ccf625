// Ripping generated images to real MP3 files, and what stops, faults and failures leave behind.
#include "mediaengine/rip/RipJob.h"
#include "mediaengine/disc/DiscReader.h"
#include "mediaengine/rip/ReadAheadQueue.h"
#include "mediaengine/rip/TrackFileWriter.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/TestDiscImage.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QThread>
#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <mutex>
#include <signal.h>
#include <sys/resource.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegheader.h>
#include <taglib/mpegproperties.h>
#include <thread>

namespace {

constexpr int kSamplesPerFrame = 1152;

// Everything a rip reported, in order.
struct RipLog {
    std::mutex mutex;
    QStringList events;
    QMap<int, QList<int>> percents;
    QMap<int, QString> done;
    QMap<int, qint64> bytes;
    QMap<int, QString> failed;
    int finishedCalls = 0;
    bool stopped = false;

    RipCallbacks Callbacks(std::function<void(int, int)> onProgress = {}) {
        RipCallbacks callbacks;
        callbacks.progress = [this, onProgress](int track, int percent) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                percents[track].append(percent);
            }
            if (onProgress) {
                onProgress(track, percent);
            }
        };
        callbacks.trackDone = [this](int track, const QString& file, qint64 size) {
            std::lock_guard<std::mutex> lock(mutex);
            events << QStringLiteral("done %1").arg(track);
            done[track] = file;
            bytes[track] = size;
        };
        callbacks.trackFailed = [this](int track, const QString& reason) {
            std::lock_guard<std::mutex> lock(mutex);
            events << QStringLiteral("failed %1").arg(track);
            failed[track] = reason;
        };
        callbacks.finished = [this](bool wasStopped) {
            std::lock_guard<std::mutex> lock(mutex);
            events << QStringLiteral("finished");
            ++finishedCalls;
            stopped = wasStopped;
        };
        return callbacks;
    }
};

TestDisc ThreeTracks() {
    TestDisc disc;
    disc.album = QStringLiteral("ひだまりの記憶");
    disc.artist = QStringLiteral("青空楽団");
    disc.tracks = {
        {.seconds = 2, .title = QStringLiteral("春の風")},
        {.seconds = 1.5, .title = QStringLiteral("夜明けのうた"), .performer = QStringLiteral("ゲスト")},
        {.seconds = 1, .title = QStringLiteral("またあした")}};
    return disc;
}

class RipJobTest : public ::testing::Test {
protected:
    void SetUp() override { MakeDisc(ThreeTracks()); }

    void MakeDisc(const TestDisc& disc) {
        QString error;
        m_cue = CTestDiscImage::Make(m_dir.File("image"), disc, &error);
        ASSERT_FALSE(m_cue.isEmpty()) << error.toStdString();
        const auto reader = CDiscReader::Open(m_cue, &error);
        ASSERT_TRUE(reader) << error.toStdString();
        m_disc = reader->Info();
    }

    RipRequest Request(QList<int> tracks = {1, 2, 3}) const {
        RipRequest request;
        request.source = m_cue;
        request.disc = m_disc;
        request.tracks = tracks;
        request.preferences.recordFolder = m_dir.File("Music");
        request.preferences.fileDetail = QStringLiteral("*TrackNumber;*SongTitle;Artist;Album;Genre;Bitrate");
        request.preferences.separator = QStringLiteral(" ");
        request.preferences.bitrate = 128000;
        return request;
    }

    // Files anywhere below the rip folder, relative to it.
    QStringList RipFolderFiles() const {
        QStringList files;
        QDirIterator it(m_dir.File("Music"), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            files << it.next().mid(m_dir.File("Music").size() + 1);
        }
        files.sort();
        return files;
    }

    CTempDir m_dir;
    QString m_cue;
    DiscInfo m_disc;
};

// Decodes with the lame tool, which trims the encoder delay and padding the Info frame records:
// the samples of each channel and the PCM, or -1 when it cannot decode.
qint64 DecodedFrames(const QString& mp3, const QString& wav, QByteArray* pcm) {
    QProcess lame;
    lame.start(QStringLiteral("lame"), {QStringLiteral("--decode"), QStringLiteral("--quiet"), mp3, wav});
    if (!lame.waitForFinished(60000) || lame.exitCode() != 0) {
        return -1;
    }
    QFile file(wav);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray data = file.readAll();
    const qsizetype chunk = data.indexOf("data");
    if (chunk < 0) {
        return -1;
    }
    *pcm = data.mid(chunk + 8);
    return pcm->size() / 4;
}

double Rms(const QByteArray& pcm) {
    const auto* samples = reinterpret_cast<const qint16*>(pcm.constData());
    const qsizetype n = pcm.size() / 2;
    double sum = 0;
    for (qsizetype i = 0; i < n; ++i) {
        sum += double(samples[i]) * samples[i];
    }
    return n > 0 ? std::sqrt(sum / n) : 0;
}

QString FrameText(TagLib::ID3v2::Tag* tag, const char* id) {
    const TagLib::ID3v2::FrameList frames = tag->frameListMap()[id];
    return frames.isEmpty() ? QString() : QString::fromStdWString(frames.front()->toString().toWString());
}

TEST_F(RipJobTest, RipsTracksToTaggedMp3FilesOfTheRightLength) {
    RipLog log;
    CRipJob job(Request(), log.Callbacks());
    const QString expected[] = {m_dir.File("Music/青空楽団/ひだまりの記憶/01 春の風.mp3"),
                                m_dir.File("Music/青空楽団/ひだまりの記憶/02 夜明けのうた.mp3"),
                                m_dir.File("Music/青空楽団/ひだまりの記憶/03 またあした.mp3")};
    for (int track = 1; track <= 3; ++track) {
        EXPECT_EQ(job.TargetFileOf(track), expected[track - 1]);
    }
    job.Start();
    ASSERT_TRUE(job.Wait(60000));
    EXPECT_FALSE(job.IsRunning());
    EXPECT_EQ(log.events, QStringList({"done 1", "done 2", "done 3", "finished"}));
    EXPECT_FALSE(log.stopped);
    EXPECT_EQ(RipFolderFiles(), QStringList({"青空楽団/ひだまりの記憶/01 春の風.mp3",
                                             "青空楽団/ひだまりの記憶/02 夜明けのうた.mp3",
                                             "青空楽団/ひだまりの記憶/03 またあした.mp3"}));

    const QString titles[] = {"春の風", "夜明けのうた", "またあした"};
    const QString artists[] = {"青空楽団", "ゲスト", "青空楽団"};
    for (int track = 1; track <= 3; ++track) {
        SCOPED_TRACE(track);
        const DiscTrack& layout = m_disc.tracks[track - 1];
        EXPECT_EQ(log.done[track], expected[track - 1]);
        EXPECT_EQ(log.bytes[track], QFileInfo(expected[track - 1]).size());
        // Progress starts at 0, only rises, and ends at 100.
        const QList<int> percents = log.percents[track];
        ASSERT_GE(percents.size(), 3);
        EXPECT_EQ(percents.first(), 0);
        EXPECT_EQ(percents.last(), 100);
        EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
        EXPECT_EQ(std::adjacent_find(percents.begin(), percents.end()), percents.end());

        TagLib::MPEG::File file(QFile::encodeName(expected[track - 1]).constData());
        ASSERT_TRUE(file.isValid());
        const TagLib::MPEG::Properties* audio = file.audioProperties();
        ASSERT_NE(audio, nullptr);
        // Every frame says 128 kbit/s; TagLib's average also counts the Info frame in front.
        const TagLib::MPEG::Header first(&file, file.firstFrameOffset());
        EXPECT_EQ(first.bitrate(), 128);
        EXPECT_EQ(first.version(), TagLib::MPEG::Header::Version1);
        EXPECT_EQ(first.layer(), 3);
        EXPECT_NEAR(audio->bitrate(), 128, 3);
        EXPECT_EQ(audio->sampleRate(), 44100);
        EXPECT_EQ(audio->channels(), 2);
        // Frames hold the encoder's delay and padding as well: at most two frames more than the track.
        const double frame = double(kSamplesPerFrame) / 44100;
        const double seconds = layout.Seconds();
        EXPECT_GE(audio->lengthInMilliseconds() / 1000.0, seconds);
        EXPECT_LE(audio->lengthInMilliseconds() / 1000.0, seconds + 2 * frame);
        // A decoder that reads the Info frame gets the track back sample for sample.
        QByteArray decoded;
        EXPECT_EQ(DecodedFrames(expected[track - 1], m_dir.File(QStringLiteral("decoded%1.wav").arg(track)),
                                &decoded),
                  qint64(layout.sectorCount) * 588);
        if (track == 1) {
            // The music came through, not silence and not byte-swapped noise.
            QFile bin(m_dir.File("image/disc.bin"));
            ASSERT_TRUE(bin.open(QIODevice::ReadOnly));
            const double source = Rms(bin.read(layout.sectorCount * 2352));
            EXPECT_NEAR(Rms(decoded), source, source * 0.1);
        }

        TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
        ASSERT_NE(tag, nullptr);
        EXPECT_EQ(tag->header()->majorVersion(), 3u);
        EXPECT_EQ(FrameText(tag, "TIT2"), titles[track - 1]);
        EXPECT_EQ(FrameText(tag, "TPE1"), artists[track - 1]);
        EXPECT_EQ(FrameText(tag, "TALB"), QStringLiteral("ひだまりの記憶"));
        EXPECT_EQ(FrameText(tag, "TPE2"), QStringLiteral("青空楽団"));
        EXPECT_EQ(tag->track(), unsigned(track));
    }
}

// Polls until `done` holds or five seconds pass.
bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 500 && !done(); ++i) {
        QThread::msleep(10);
    }
    return done();
}

TEST_F(RipJobTest, StopInsideATrackLeavesNoPartOfIt) {
    RipLog log;
    CRipJob* self = nullptr;
    // Stop as soon as track 2 has made progress, from the rip's own thread.
    CRipJob job(Request(), log.Callbacks([&](int track, int percent) {
        if (track == 2 && percent > 0) {
            self->Stop();
        }
    }));
    self = &job;
    job.Start();
    ASSERT_TRUE(job.Wait(60000));
    EXPECT_EQ(log.events, QStringList({"done 1", "finished"}));
    EXPECT_TRUE(log.stopped);
    EXPECT_EQ(RipFolderFiles(), QStringList({"青空楽団/ひだまりの記憶/01 春の風.mp3"}));
}

TEST_F(RipJobTest, StalledTrackWritesOnlyATemporaryFileUntilStopped) {
    RipLog log;
    CRipJob job(Request(), log.Callbacks(), RipFaults{.stallAtTrack = 2});
    job.Start();
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> lock(log.mutex);
        return log.percents[2].size() >= 2;
    }));
    QThread::msleep(300);
    {
        std::lock_guard<std::mutex> lock(log.mutex);
        EXPECT_EQ(log.percents[2].size(), 2) << "progress moved during the stall";
        EXPECT_GT(log.percents[2].last(), 0);
        EXPECT_LT(log.percents[2].last(), 100);
        EXPECT_EQ(log.events, QStringList({"done 1"}));
    }
    EXPECT_TRUE(job.IsRunning());
    // Track 3 may be encoded meanwhile, but it too keeps a temporary name while track 2 is open.
    EXPECT_FALSE(QFileInfo::exists(job.TargetFileOf(2)));
    EXPECT_FALSE(QFileInfo::exists(job.TargetFileOf(3)));
    const QStringList during = RipFolderFiles();
    ASSERT_GE(during.size(), 2);
    EXPECT_EQ(during[0], "青空楽団/ひだまりの記憶/01 春の風.mp3");
    for (const QString& file : during.mid(1)) {
        EXPECT_TRUE(file.section('/', -1).startsWith("~rip-")) << file.toStdString();
    }

    job.Stop();
    ASSERT_TRUE(job.Wait(10000));
    EXPECT_EQ(log.events, QStringList({"done 1", "finished"}));
    EXPECT_TRUE(log.stopped);
    EXPECT_EQ(RipFolderFiles(), QStringList({"青空楽団/ひだまりの記憶/01 春の風.mp3"}));
}

TEST_F(RipJobTest, ASweepTakesOnlyTheTemporaryFilesNoWriterHolds) {
    RipLog log;
    CRipJob job(Request(), log.Callbacks(), RipFaults{.stallAtTrack = 2});
    job.Start();
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> lock(log.mutex);
        return log.percents[2].size() >= 2;
    }));
    const QStringList live = RipFolderFiles().mid(1); // the stalled track's file, maybe track 3's
    ASSERT_FALSE(live.isEmpty());
    const QString album = m_dir.File("Music/青空楽団/ひだまりの記憶");
    // Left by a process that ended half-way, in the album folder and in an artist folder.
    for (const QString& abandoned :
         {album + "/~rip-0badf00d.part", m_dir.File("Music/青空楽団/~rip-00000001.part")}) {
        QFile file(abandoned);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("half a track");
    }
    // Names that only look alike, and one deeper than a rip ever writes, are someone else's.
    const QStringList others = {"~rip-notmine.part", "~rip-0badf00d.part.txt", "~RIP-0BADF00D.PART",
                                "extra/~rip-0badf00e.part"};
    ASSERT_TRUE(QDir(album).mkpath("extra"));
    for (const QString& name : others) {
        QFile file(album + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    EXPECT_EQ(CTrackFileWriter::SweepAbandoned(m_dir.File("Music"), 2), 2);
    EXPECT_FALSE(QFileInfo::exists(album + "/~rip-0badf00d.part"));
    EXPECT_FALSE(QFileInfo::exists(m_dir.File("Music/青空楽団/~rip-00000001.part")));
    for (const QString& name : others) {
        EXPECT_TRUE(QFileInfo::exists(album + "/" + name)) << name.toStdString();
    }
    for (const QString& file : live) {
        EXPECT_TRUE(QFileInfo::exists(m_dir.File("Music/" + file)))
            << "taken while written: " << file.toStdString();
    }
    job.Stop();
    ASSERT_TRUE(job.Wait(10000));
    EXPECT_EQ(log.events, QStringList({"done 1", "finished"}));
}

TEST_F(RipJobTest, AFileAlreadyAtATrackNameIsKeptAndTheTrackTakesTheNextFreeName) {
    const QString album = m_dir.File("Music/青空楽団/ひだまりの記憶");
    ASSERT_TRUE(QDir().mkpath(album));
    // The user's own files: one at track 2's name, one at the first name it would fall back to.
    const QMap<QString, QByteArray> users = {{"02 夜明けのうた.mp3", "the user's own recording"},
                                             {"02 夜明けのうた (2).mp3", "another one"}};
    for (auto it = users.begin(); it != users.end(); ++it) {
        QFile file(album + "/" + it.key());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(it.value());
    }
    RipLog log;
    CRipJob job(Request(), log.Callbacks());
    job.Start();
    ASSERT_TRUE(job.Wait(60000));
    EXPECT_EQ(log.events, QStringList({"done 1", "done 2", "done 3", "finished"}));
    for (auto it = users.begin(); it != users.end(); ++it) {
        QFile file(album + "/" + it.key());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), it.value()) << it.key().toStdString();
    }
    EXPECT_EQ(log.done[2], album + "/02 夜明けのうた (3).mp3");
    EXPECT_EQ(QFileInfo(log.done[2]).size(), log.bytes[2]);
    EXPECT_GT(log.bytes[2], 10000);
    EXPECT_EQ(log.done[1], job.TargetFileOf(1));
}

TEST_F(RipJobTest, DestroyingARunningJobStopsItAndCleansUp) {
    RipLog log;
    {
        CRipJob job(Request(), log.Callbacks(), RipFaults{.stallAtTrack = 1});
        job.Start();
        ASSERT_TRUE(WaitUntil([&] {
            std::lock_guard<std::mutex> lock(log.mutex);
            return log.percents[1].size() >= 2;
        }));
    }
    EXPECT_EQ(log.events, QStringList({"finished"}));
    EXPECT_TRUE(log.stopped);
    EXPECT_TRUE(RipFolderFiles().isEmpty());
}

TEST_F(RipJobTest, ZeroSizeFaultWritesAnEmptyFile) {
    RipLog log;
    CRipJob job(Request(), log.Callbacks(), RipFaults{.zeroSizeTrack = 2});
    job.Start();
    ASSERT_TRUE(job.Wait(60000));
    EXPECT_EQ(log.events, QStringList({"done 1", "done 2", "done 3", "finished"}));
    EXPECT_EQ(log.bytes[2], 0);
    EXPECT_TRUE(QFileInfo::exists(job.TargetFileOf(2)));
    EXPECT_EQ(QFileInfo(job.TargetFileOf(2)).size(), 0);
    EXPECT_EQ(log.percents[2], QList<int>({0, 100}));
    EXPECT_GT(QFileInfo(job.TargetFileOf(3)).size(), 10000);
}

TEST_F(RipJobTest, UnreadableSectorFailsThatTrackAndTheRipGoesOn) {
    RipLog log;
    CRipJob job(Request(), log.Callbacks(), RipFaults{.unreadableSector = 200});
    job.Start();
    ASSERT_TRUE(job.Wait(60000));
    EXPECT_EQ(log.events, QStringList({"done 1", "failed 2", "done 3", "finished"}));
    EXPECT_TRUE(log.failed[2].contains("200")) << log.failed[2].toStdString();
    EXPECT_FALSE(log.stopped);
    EXPECT_EQ(RipFolderFiles(), QStringList({"青空楽団/ひだまりの記憶/01 春の風.mp3",
                                             "青空楽団/ひだまりの記憶/03 またあした.mp3"}));
}

TEST_F(RipJobTest, RipFolderThatCannotBeCreatedFailsAndStops) {
    QFile blocker(m_dir.File("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RipRequest request = Request();
    request.preferences.recordFolder = m_dir.File("blocker/Music");
    RipLog log;
    CRipJob job(request, log.Callbacks());
    job.Start();
    ASSERT_TRUE(job.Wait(60000));
    EXPECT_EQ(log.events, QStringList({"failed 1", "finished"}));
    EXPECT_TRUE(log.failed[1].contains("not a folder")) << log.failed[1].toStdString();
    EXPECT_FALSE(log.stopped);
}

// Files may grow only to `bytes` while it lives, as on a disk with that much room left.
class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = signal(SIGXFSZ, SIG_IGN); // writes fail with EFBIG instead of a signal
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    sighandler_t m_oldHandler;
};

TEST_F(RipJobTest, WriteFailureFailsTheTrackLeavesNothingAndStops) {
    TestDisc disc = ThreeTracks();
    disc.tracks[0].seconds = 1; // about 18 kB
    disc.tracks[1].seconds = 3; // about 50 kB
    MakeDisc(disc);
    RipLog log;
    {
        CFileSizeLimit limit(30000);
        CRipJob job(Request(), log.Callbacks());
        job.Start();
        ASSERT_TRUE(job.Wait(60000));
    }
    EXPECT_EQ(log.events, QStringList({"done 1", "failed 2", "finished"}));
    EXPECT_FALSE(log.failed[2].isEmpty());
    EXPECT_EQ(RipFolderFiles(), QStringList({"青空楽団/ひだまりの記憶/01 春の風.mp3"}));
}

TEST_F(RipJobTest, OddRequestsAreRippedSoundlyOrFailWithAReason) {
    struct Case {
        const char* name;
        std::function<void(RipRequest*)> change;
        QStringList events;
        const char* reason;
    };
    const QList<Case> cases = {
        {"image gone",
         [&](RipRequest* r) { r->source = m_dir.File("image/gone.cue"); },
         {"failed 1", "finished"},
         "does not exist"},
        {"another disc in the drive",
         [](RipRequest* r) { r->disc.toc = "2+96+12C+1E7"; },
         {"failed 1", "finished"},
         "not the one"},
        {"no such track",
         [](RipRequest* r) {
             r->tracks = {1, 7};
         },
         {"done 1", "failed 7", "finished"},
         "not an audio"},
        {"no rip folder",
         [](RipRequest* r) { r->preferences.recordFolder.clear(); },
         {"failed 1", "finished"},
         "no rip folder"},
        {"tracks out of order and twice",
         [](RipRequest* r) {
             r->tracks = {3, 1, 1};
         },
         {"done 1", "done 3", "finished"},
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RipRequest request = Request({1});
        c.change(&request);
        RipLog log;
        CRipJob job(request, log.Callbacks());
        job.Start();
        ASSERT_TRUE(job.Wait(60000));
        EXPECT_EQ(log.events, c.events);
        const QString reason = log.failed.isEmpty() ? QString() : log.failed.last();
        EXPECT_TRUE(reason.contains(c.reason)) << reason.toStdString();
    }
}

TEST_F(RipJobTest, DataTrackIsSkipped) {
    TestDisc disc = ThreeTracks();
    disc.tracks[1].data = true;
    MakeDisc(disc);
    RipLog log;
    CRipJob job(Request(), log.Callbacks());
    job.Start();
    ASSERT_TRUE(job.Wait(60000));
    EXPECT_EQ(log.events, QStringList({"done 1", "failed 2", "done 3", "finished"}));
}

TEST_F(RipJobTest, EncodesAtThePreferenceBitRate) {
    const QList<QPair<int, int>> rates = {{192000, 192}, {64000, 64}, {320000, 320}, {130000, 128}, {0, 128}};
    for (const auto& [preference, kbps] : rates) {
        SCOPED_TRACE(preference);
        RipRequest request = Request({3});
        request.preferences.bitrate = preference;
        request.preferences.recordFolder = m_dir.File(QStringLiteral("rate%1").arg(preference));
        RipLog log;
        CRipJob job(request, log.Callbacks());
        job.Start();
        ASSERT_TRUE(job.Wait(60000));
        ASSERT_EQ(log.events, QStringList({"done 3", "finished"}));
        TagLib::MPEG::File file(QFile::encodeName(job.TargetFileOf(3)).constData());
        ASSERT_TRUE(file.isValid());
        const TagLib::MPEG::Header first(&file, file.firstFrameOffset());
        EXPECT_EQ(first.bitrate(), kbps);
        EXPECT_EQ(first.sampleRate(), 44100);
    }
}

} // namespace

namespace {

// Every file below `folder`, relative path -> content.
QMap<QString, QByteArray> FilesBelow(const QString& folder) {
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        files.insert(path.mid(folder.size() + 1), file.readAll());
    }
    return files;
}

TEST_F(RipJobTest, TracksEncodedSideBySideGiveTheSameFilesAsOneAfterTheOther) {
    // A long first track, so the short ones after it finish first when encoded side by side.
    TestDisc disc = ThreeTracks();
    disc.tracks[0].seconds = 6;
    disc.tracks.append({.seconds = 0.5, .title = QStringLiteral("おまけ")});
    MakeDisc(disc);
    struct Way {
        const char* name;
        int encoders;
        qint64 readAhead;
    };
    const Way ways[] = {{"one encoder", 1, 0}, {"three encoders", 3, 0}, {"read-ahead of one piece", 2, 1}};
    QMap<QString, QByteArray> reference;
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        RipRequest request = Request({1, 2, 3, 4});
        request.preferences.recordFolder = m_dir.File(way.name);
        request.encoders = way.encoders;
        request.readAheadBytes = way.readAhead;
        RipLog log;
        QList<int> progressTracks; // the track of each progress call, in call order
        CRipJob job(request, log.Callbacks([&](int track, int) { progressTracks.append(track); }));
        job.Start();
        ASSERT_TRUE(job.Wait(60000));
        // Reported as a rip of one track after the other: in disc order, and a track's progress
        // only once the tracks before it have ended.
        EXPECT_EQ(log.events, QStringList({"done 1", "done 2", "done 3", "done 4", "finished"}));
        EXPECT_TRUE(std::is_sorted(progressTracks.begin(), progressTracks.end()));
        for (int track = 1; track <= 4; ++track) {
            EXPECT_EQ(log.percents[track].first(), 0) << track;
            EXPECT_EQ(log.percents[track].last(), 100) << track;
        }
        const QMap<QString, QByteArray> files = FilesBelow(request.preferences.recordFolder);
        ASSERT_EQ(files.size(), 4);
        if (reference.isEmpty()) {
            reference = files;
        } else {
            EXPECT_TRUE(files == reference) << "the files differ from those of one encoder";
        }
    }
}

TEST_F(RipJobTest, StopWhileLaterTracksAreFinishedKeepsOnlyTheTracksBeforeIt) {
    TestDisc disc = ThreeTracks();
    disc.tracks[0].seconds = 1;
    disc.tracks[1].seconds = 4;
    disc.tracks[2].seconds = 0.5;
    MakeDisc(disc);
    RipRequest request = Request();
    request.encoders = 2;
    RipLog log;
    CRipJob job(request, log.Callbacks(), RipFaults{.stallAtTrack = 2});
    job.Start();
    // Track 3 is short and encoded beside the stalled track 2: wait until its file is complete.
    ASSERT_TRUE(WaitUntil([&] {
        const QStringList files = RipFolderFiles();
        return files.size() == 3 && QFileInfo::exists(job.TargetFileOf(1));
    }));
    QThread::msleep(200);
    job.Stop();
    ASSERT_TRUE(job.Wait(10000));
    EXPECT_EQ(log.events, QStringList({"done 1", "finished"}));
    EXPECT_EQ(RipFolderFiles(), QStringList({"青空楽団/ひだまりの記憶/01 春の風.mp3"}));
}

TEST(ReadAheadQueueTest, ReaderWaitsForRoomAndEncodersGetEveryPieceInOrder) {
    constexpr int kTracks = 3;
    constexpr int kPieces = 200;
    constexpr qint64 kBudget = 10 * 1000;
    CReadAheadQueue queue(kTracks, kBudget);
    std::thread reader([&] {
        for (int slot = 0; slot < kTracks; ++slot) {
            for (int i = 0; i < kPieces; ++i) {
                QByteArray piece(1000, char(i % 128));
                ASSERT_TRUE(queue.Push(slot, piece));
            }
            queue.EndTrack(slot, slot == 1 ? QStringLiteral("sector 9 cannot be read") : QString());
        }
    });
    // Two encoders on tracks 0 and 1, then one of them on track 2, as a rip takes them.
    QList<int> received[kTracks];
    QString errors[kTracks];
    auto encode = [&](int slot) {
        QByteArray piece;
        for (;;) {
            const CReadAheadQueue::Take take = queue.Pop(slot, &piece, &errors[slot]);
            if (take != CReadAheadQueue::Take::Piece) {
                return take;
            }
            received[slot].append(piece.at(0));
            QThread::usleep(50);
        }
    };
    CReadAheadQueue::Take ends[kTracks];
    std::thread first([&] {
        ends[0] = encode(0);
        ends[2] = encode(2);
    });
    ends[1] = encode(1);
    first.join();
    reader.join();
    EXPECT_LE(queue.PeakBytes(), kBudget);
    EXPECT_EQ(ends[0], CReadAheadQueue::Take::End);
    EXPECT_EQ(ends[1], CReadAheadQueue::Take::Failed);
    EXPECT_EQ(errors[1], QStringLiteral("sector 9 cannot be read"));
    EXPECT_EQ(ends[2], CReadAheadQueue::Take::End);
    for (int slot = 0; slot < kTracks; ++slot) {
        ASSERT_EQ(received[slot].size(), kPieces) << slot;
        for (int i = 0; i < kPieces; ++i) {
            ASSERT_EQ(received[slot][i], i % 128) << slot << " " << i;
        }
    }
}

TEST(ReadAheadQueueTest, StopAndDropReleaseAWaitingReader) {
    CReadAheadQueue queue(3, 100);
    ASSERT_TRUE(queue.Push(0, QByteArray(100, 'a')));
    // The queue is full: the next piece of track 1 waits until track 0's encoder gives up.
    std::atomic<int> pushed{-1};
    std::thread reader([&] { pushed = queue.Push(1, QByteArray(60, 'b')) ? 1 : 0; });
    QThread::msleep(50);
    EXPECT_EQ(pushed, -1);
    queue.Drop(0);
    reader.join();
    EXPECT_EQ(pushed, 1);
    EXPECT_TRUE(queue.Push(0, QByteArray(100, 'c'))) << "a dropped track is read past";
    // Stopping from track 1 ends its waits and refuses its pieces; track 0 stays.
    std::thread waiter([&] { queue.WaitUntilStopped(2); });
    queue.StopFrom(1);
    waiter.join();
    EXPECT_FALSE(queue.Push(1, QByteArray(1, 'd')));
    QByteArray piece;
    QString error;
    EXPECT_EQ(queue.Pop(1, &piece, &error), CReadAheadQueue::Take::Stopped);
    EXPECT_FALSE(queue.IsStopped(0));
    EXPECT_TRUE(queue.IsStopped(2));
}

} // namespace
