// A library of 50,000 entries answers like one of 1,000: an add, a removal or a query costs the
// window thread the same, and the live playlists the program holds list exactly the right items.
#include "mediaengine/library/Library.h"
#include "platform/files/Volumes.h"
#include "tests/support/engine/EngineFixture.h"
#include "tests/support/engine/TestMp3.h"

#include <QDir>
#include <QFile>
#include <ctime>
#include <sqlite3.h>

namespace {

const QString kMusic = QStringLiteral("C:\\Users\\user\\Music");
constexpr int kTracks = 10; // tracks of each generated album

// CPU time of this thread: waits for the disk (each change is flushed) and other programs on the
// machine do not count, the work the window thread does does.
double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

QString AlbumToc(int album) {
    // Upper-case hex as the player writes it; queries below ask in lower case.
    return QStringLiteral("A+96+%1+%2").arg(album * 7 + 1000, 0, 16).arg(album * 13 + 50000, 0, 16).toUpper();
}
QString AlbumName(int album) {
    return QStringLiteral("アルバム%1").arg(album);
}
QString TrackUrl(int album, int track) {
    return kMusic +
           QStringLiteral("\\Artist%1\\%2\\%3 曲.mp3").arg(album % 97).arg(AlbumName(album)).arg(track);
}

// Albums [first, first + count) of kTracks entries each, written straight into the database in one
// transaction (no files: the library only lists them). Each album's tracks go in out of order.
void GenerateAlbums(const QString& dbFile, int first, int count) {
    {
        CLibrary schema; // creates the tables of a new file
        QString error;
        ASSERT_TRUE(schema.Open(dbFile, &error)) << error.toStdString();
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(dbFile).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_stmt* item = nullptr;
    sqlite3_stmt* attribute = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT INTO items(url, urlkey) VALUES(?, ?)", -1, &item, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT INTO attributes(item, name, value) VALUES(?, ?, ?)", -1,
                                 &attribute, nullptr),
              SQLITE_OK);
    auto text = [](sqlite3_stmt* stmt, int index, const QString& value) {
        const QByteArray utf8 = value.toUtf8();
        sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    };
    for (int album = first; album < first + count; ++album) {
        for (int n = 0; n < kTracks; ++n) {
            const int track = (n * 3) % kTracks + 1; // 1, 4, 7, 10, 3, ...
            const QString url = TrackUrl(album, track);
            text(item, 1, url);
            text(item, 2, url.toCaseFolded());
            ASSERT_EQ(sqlite3_step(item), SQLITE_DONE);
            sqlite3_reset(item);
            const sqlite3_int64 id = sqlite3_last_insert_rowid(db);
            const QList<std::pair<const char*, QString>> attributes = {
                {"title", QStringLiteral("曲%1").arg(track)},
                {"album", AlbumName(album)},
                {"wm/albumtitle", AlbumName(album)},
                {"artist", QStringLiteral("Artist%1").arg(album % 97)},
                {"wm/tracknumber", QString::number(track)},
                {"toc", AlbumToc(album)},
                {"mediatype", QStringLiteral("audio")},
                {"filetype", QStringLiteral("mp3")},
                {"filesize", QString::number(3000000 + track)},
                {"bitrate", QStringLiteral("128000")},
            };
            for (const auto& [name, value] : attributes) {
                sqlite3_bind_int64(attribute, 1, id);
                text(attribute, 2, QString::fromLatin1(name));
                text(attribute, 3, value);
                ASSERT_EQ(sqlite3_step(attribute), SQLITE_DONE);
                sqlite3_reset(attribute);
            }
        }
    }
    sqlite3_finalize(item);
    sqlite3_finalize(attribute);
    ASSERT_EQ(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// The tracks of one album as files to add: one tagged MP3, copied.
QStringList MakeAddedFiles(int count, const QString& album, const QString& toc) {
    QString folder;
    EXPECT_EQ(ToHostPath(kMusic + QStringLiteral("\\追加"), &folder), ERROR_SUCCESS);
    QDir().mkpath(folder);
    const QString first = folder + QStringLiteral("/0.mp3");
    EXPECT_TRUE(CTestMp3::Write(first, 0.2, 128, QStringLiteral("追加曲"), album, 1, toc));
    QStringList files;
    for (int n = 0; n < count; ++n) {
        const QString host = folder + QStringLiteral("/%1.mp3").arg(n);
        if (n > 0) {
            EXPECT_TRUE(QFile::copy(first, host));
        }
        files.append(kMusic + QStringLiteral("\\追加\\%1.mp3").arg(n));
    }
    return files;
}

struct Costs {
    double addMs = 0;
    double removeMs = 0;
    double queryMs = 0;
};

class LargeLibrary : public CEngineFixture {
protected:
    // Adds every file, then removes them again, reading the playlists the program would hold after
    // each change; then runs one query per album of the library. Mean CPU ms of each.
    Costs Measure(IWMPMediaCollection* library, int albums) {
        Costs costs;
        ComPtr<IWMPPlaylist> byToc;
        ComPtr<IWMPPlaylist> byAlbum;
        ComPtr<IWMPPlaylist> audio;
        EXPECT_EQ(library->getByAttribute(CComBSTR(QStringLiteral("TOC")), CComBSTR(m_addedToc), &byToc),
                  S_OK);
        EXPECT_EQ(library->getByAlbum(CComBSTR(m_addedAlbum), &byAlbum), S_OK);
        EXPECT_EQ(library->getByAttribute(CComBSTR(QStringLiteral("MediaType")),
                                          CComBSTR(QStringLiteral("audio")), &audio),
                  S_OK);
        const long before = Count(audio.Get());
        QList<ComPtr<IWMPMedia>> added;
        double start = ThreadCpuMs();
        for (const QString& file : m_files) {
            ComPtr<IWMPMedia> item;
            EXPECT_EQ(library->add(CComBSTR(file), &item), S_OK);
            added.append(item);
            Count(byToc.Get());
            Count(byAlbum.Get());
            Count(audio.Get());
        }
        costs.addMs = (ThreadCpuMs() - start) / double(m_files.size());
        EXPECT_EQ(Count(byToc.Get()), m_files.size());
        EXPECT_EQ(Count(byAlbum.Get()), m_files.size());
        EXPECT_EQ(Count(audio.Get()), before + m_files.size());

        start = ThreadCpuMs();
        for (const ComPtr<IWMPMedia>& item : added) {
            EXPECT_EQ(library->remove(item.Get(), VARIANT_FALSE), S_OK);
            Count(byToc.Get());
            Count(byAlbum.Get());
            Count(audio.Get());
        }
        costs.removeMs = (ThreadCpuMs() - start) / double(added.size());
        EXPECT_EQ(Count(byToc.Get()), 0);
        EXPECT_EQ(Count(audio.Get()), before);

        // A query as the program makes it: a disc's rips by TOC, the first of them read.
        const int queries = 400;
        start = ThreadCpuMs();
        for (int n = 0; n < queries; ++n) {
            ComPtr<IWMPPlaylist> album;
            EXPECT_EQ(library->getByAttribute(CComBSTR(QStringLiteral("TOC")),
                                              CComBSTR(AlbumToc(n * 7919 % albums)), &album),
                      S_OK);
            EXPECT_EQ(Count(album.Get()), kTracks);
            Item(album.Get(), 0);
        }
        costs.queryMs = (ThreadCpuMs() - start) / double(queries);
        return costs;
    }

    QStringList m_files;
    QString m_addedAlbum = QStringLiteral("新しい盤");
    QString m_addedToc = QStringLiteral("2+96+5000+9999");
};

TEST_F(LargeLibrary, CostsPerItemDoNotGrowWithTheLibrary) {
    const QString db = QDir(m_sandbox->EngineDir()).filePath(QStringLiteral("library.db"));
    m_files = MakeAddedFiles(200, m_addedAlbum, m_addedToc);

    GenerateAlbums(db, 0, 100); // 1,000 entries
    CreatePlayer();
    const Costs small = Measure(Library().Get(), 100);
    ReleasePlayer();

    GenerateAlbums(db, 100, 4900); // 50,000 entries
    CreatePlayer();
    const Costs large = Measure(Library().Get(), 5000);

    // Each cost grew with the library's size before (about 50 times from 1,000 to 50,000 entries);
    // three times leaves room for a loaded machine, the slack for costs too small to time well.
    const double slackMs = 0.2;
    RecordProperty("add_ms_1000", QString::number(small.addMs, 'f', 3).toStdString());
    RecordProperty("add_ms_50000", QString::number(large.addMs, 'f', 3).toStdString());
    EXPECT_LT(large.addMs, 3 * small.addMs + slackMs) << "add: " << small.addMs << " ms at 1,000 entries";
    EXPECT_LT(large.removeMs, 3 * small.removeMs + slackMs) << "remove: " << small.removeMs << " ms at 1,000";
    EXPECT_LT(large.queryMs, 3 * small.queryMs + slackMs) << "query: " << small.queryMs << " ms at 1,000";
    std::printf("per item, CPU ms at 1,000 / 50,000 entries: add %.3f / %.3f, remove %.3f / %.3f, "
                "query %.3f / %.3f\n",
                small.addMs, large.addMs, small.removeMs, large.removeMs, small.queryMs, large.queryMs);
}

TEST_F(LargeLibrary, QueriesListExactlyTheirEntriesInTrackOrder) {
    const QString db = QDir(m_sandbox->EngineDir()).filePath(QStringLiteral("library.db"));
    GenerateAlbums(db, 0, 5000);
    CreatePlayer();
    const ComPtr<IWMPMediaCollection> library = Library();

    ComPtr<IWMPPlaylist> audio;
    ASSERT_EQ(library->getByAttribute(CComBSTR(QStringLiteral("mediatype")),
                                      CComBSTR(QStringLiteral("AUDIO")), &audio),
              S_OK);
    EXPECT_EQ(Count(audio.Get()), 50000);

    for (const int album : {0, 1, 2499, 4998, 4999}) {
        SCOPED_TRACE(album);
        ComPtr<IWMPPlaylist> byToc;
        ComPtr<IWMPPlaylist> byAlbum;
        ASSERT_EQ(library->getByAttribute(CComBSTR(QStringLiteral("TOC")),
                                          CComBSTR(AlbumToc(album).toLower()), &byToc),
                  S_OK);
        ASSERT_EQ(library->getByAlbum(CComBSTR(AlbumName(album)), &byAlbum), S_OK);
        ASSERT_EQ(Count(byToc.Get()), kTracks);
        ASSERT_EQ(Count(byAlbum.Get()), kTracks);
        for (int track = 1; track <= kTracks; ++track) {
            for (IWMPPlaylist* list : {byToc.Get(), byAlbum.Get()}) {
                const ComPtr<IWMPMedia> item = Item(list, track - 1);
                CComBSTR url;
                ASSERT_EQ(item->get_sourceURL(&url), S_OK);
                EXPECT_EQ(url.ToQString(), TrackUrl(album, track));
            }
        }
        ComPtr<IWMPPlaylist> byUrl;
        ASSERT_EQ(library->getByAttribute(CComBSTR(QStringLiteral("SourceURL")),
                                          CComBSTR(TrackUrl(album, 5).toUpper()), &byUrl),
                  S_OK);
        ASSERT_EQ(Count(byUrl.Get()), 1);
        EXPECT_EQ(Info(Item(byUrl.Get(), 0).Get(), QStringLiteral("Title")), QStringLiteral("曲5"));
    }
    ComPtr<IWMPPlaylist> none;
    ASSERT_EQ(library->getByAlbum(CComBSTR(AlbumName(5000)), &none), S_OK);
    EXPECT_EQ(Count(none.Get()), 0);
    ASSERT_EQ(library->getByAttribute(CComBSTR(QStringLiteral("TOC")), CComBSTR(QString()), &none), S_OK);
    EXPECT_EQ(Count(none.Get()), 0) << "an empty value matches nothing";
}

} // namespace
