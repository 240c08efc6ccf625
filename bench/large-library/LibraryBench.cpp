// ollivane-library-bench: the media library of a sandbox at a size, for bench/large-library.
//
//   ollivane-library-bench fill SANDBOX COUNT [RIPS]
//       adds COUNT generated entries (albums of ten tracks, no files) to the sandbox's library in one
//       transaction, then copies the MP3 files below the folder RIPS into the sandbox's music folder,
//       keeping their folders, and adds them through the player: earlier rips among the entries
//   ollivane-library-bench adds SANDBOX FILE N
//       through the player: N adds of copies of FILE, each followed by a look at three live
//       playlists (its TOC, its album, every audio entry), then their removal, then N queries by
//       TOC; prints the CPU time of this thread per item

#include "mediaengine/MediaEngine.h"
#include "mediaengine/library/Library.h"
#include "platform/Platform.h"
#include "platform/com/Com.h"
#include "platform/files/Volumes.h"
#include "platform/messages/VirtualMessageLoop.h"
#include "platform/sandbox/Sandbox.h"
#include "platform/windows/WindowTable.h"
#include "platform/wmp/Wmp.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <ctime>
#include <sqlite3.h>

namespace {

const QString kMusic = QStringLiteral("C:\\Users\\user\\Music");

int Fail(const QString& why) {
    std::fprintf(stderr, "ollivane-library-bench: %s\n", qPrintable(why));
    return 2;
}

double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

QString Toc(int album) {
    return QStringLiteral("A+96+%1+%2").arg(album * 7 + 1000, 0, 16).arg(album * 13 + 50000, 0, 16).toUpper();
}

bool Generate(const QString& dbFile, int count, QString* error) {
    {
        CLibrary schema; // the tables of a new file
        if (!schema.Open(dbFile, error)) {
            return false;
        }
    }
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(dbFile).constData(), &db) != SQLITE_OK) {
        *error = QStringLiteral("cannot open %1").arg(dbFile);
        sqlite3_close(db);
        return false;
    }
    sqlite3_stmt* item = nullptr;
    sqlite3_stmt* attribute = nullptr;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO items(url, urlkey) VALUES(?, ?)", -1, &item, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO attributes(item, name, value) VALUES(?, ?, ?)", -1, &attribute,
                       nullptr);
    auto text = [](sqlite3_stmt* stmt, int index, const QString& value) {
        const QByteArray utf8 = value.toUtf8();
        sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    };
    bool ok = item && attribute;
    for (int n = 0; ok && n < count; ++n) {
        const int album = n / 10;
        const int track = n % 10 + 1;
        const QString albumName = QStringLiteral("生成アルバム%1").arg(album);
        const QString artist = QStringLiteral("Artist%1").arg(album % 997);
        const QString url =
            QStringLiteral("%1\\%2\\%3\\%4 曲%4.mp3").arg(kMusic, artist, albumName).arg(track);
        text(item, 1, url);
        text(item, 2, url.toCaseFolded());
        ok = sqlite3_step(item) == SQLITE_DONE;
        sqlite3_reset(item);
        const sqlite3_int64 id = sqlite3_last_insert_rowid(db);
        const QList<std::pair<const char*, QString>> attributes = {
            {"title", QStringLiteral("曲%1").arg(track)},
            {"album", albumName},
            {"wm/albumtitle", albumName},
            {"artist", artist},
            {"wm/albumartist", artist},
            {"wm/tracknumber", QString::number(track)},
            {"toc", Toc(album)},
            {"mediatype", QStringLiteral("audio")},
            {"filetype", QStringLiteral("mp3")},
            {"filesize", QString::number(3000000 + n % 1000)},
            {"bitrate", QStringLiteral("128000")},
            {"duration", QStringLiteral("%1.000").arg(180 + n % 120)},
        };
        for (const auto& [name, value] : attributes) {
            sqlite3_bind_int64(attribute, 1, id);
            text(attribute, 2, QString::fromLatin1(name));
            text(attribute, 3, value);
            ok = ok && sqlite3_step(attribute) == SQLITE_DONE;
            sqlite3_reset(attribute);
        }
    }
    sqlite3_finalize(item);
    sqlite3_finalize(attribute);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok) {
        *error = QStringLiteral("cannot write the entries: %1").arg(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    sqlite3_close(db);
    return ok;
}

// The sandbox as the program sees it, with the player created on it.
class Machine {
public:
    explicit Machine(const QString& dir) : m_sandbox(dir) {}

    bool Start(QString* error) {
        if (!CSandbox::CreateDefault(m_sandbox.Dir(), error) || !m_sandbox.Open(error)) {
            return false;
        }
        CPlatform services;
        services.registry = &m_sandbox.Registry();
        services.volumes = &m_sandbox.Volumes();
        services.loop = &m_loop;
        services.windows = &m_windows;
        m_scope = std::make_unique<CPlatformScope>(services);
        return true;
    }
    QString LibraryFile() const { return QDir(m_sandbox.EngineDir()).filePath(QStringLiteral("library.db")); }
    QString Host(const QString& win) const {
        QString host;
        ToHostPath(win, &host);
        return host;
    }

    ComPtr<IWMPMediaCollection> CreatePlayer(QString* error) {
        MediaEngineConfig config;
        config.engineDir = m_sandbox.EngineDir();
        IUnknown* control = nullptr;
        if (FAILED(MediaEngineFactory(config)(&control)) || !control) {
            *error = QStringLiteral("cannot create the player");
            return {};
        }
        ComPtr<IUnknown> owned;
        owned.Attach(control);
        ComPtr<IWMPPlayer4> core;
        ComPtr<IWMPMediaCollection> library;
        if (FAILED(owned.As(&core)) || FAILED(core->get_mediaCollection(&library)) || !library) {
            *error = QStringLiteral("the player has no library");
            return {};
        }
        m_player = core;
        return library;
    }
    void ReleasePlayer() {
        if (m_player) {
            m_player->close();
        }
        m_player = nullptr;
        m_loop.Pump();
    }

private:
    CSandbox m_sandbox;
    CVirtualMessageLoop m_loop;
    CWindowTable m_windows;
    std::unique_ptr<CPlatformScope> m_scope;
    ComPtr<IWMPPlayer4> m_player;
};

long Count(IWMPPlaylist* list) {
    long count = -1;
    return list && SUCCEEDED(list->get_count(&count)) ? count : -1;
}

int Fill(const QString& dir, int count, const QString& rips) {
    Machine machine(dir);
    QString error;
    if (!machine.Start(&error) || !Generate(machine.LibraryFile(), count, &error)) {
        return Fail(error);
    }
    int added = 0;
    if (!rips.isEmpty()) {
        const ComPtr<IWMPMediaCollection> library = machine.CreatePlayer(&error);
        if (!library) {
            return Fail(error);
        }
        QDirIterator files(rips, {QStringLiteral("*.mp3")}, QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString file = files.next();
            const QString relative = QDir(rips).relativeFilePath(file);
            const QString win = kMusic + QLatin1Char('\\') + QDir::toNativeSeparators(relative);
            const QString host = machine.Host(win);
            QDir().mkpath(QFileInfo(host).absolutePath());
            if (!QFile::exists(host) && !QFile::copy(file, host)) {
                return Fail(QStringLiteral("cannot copy %1 to %2").arg(file, host));
            }
            if (FAILED(library->add(CComBSTR(win), nullptr))) {
                return Fail(QStringLiteral("cannot add %1").arg(win));
            }
            ++added;
        }
        machine.ReleasePlayer();
    }
    std::printf("filled: %d generated entries, %d earlier rips\n", count, added);
    return 0;
}

int Adds(const QString& dir, const QString& file, int n) {
    Machine machine(dir);
    QString error;
    if (!machine.Start(&error)) {
        return Fail(error);
    }
    QStringList wins;
    for (int i = 0; i < n; ++i) {
        const QString win = kMusic + QStringLiteral("\\bench-adds\\%1.mp3").arg(i);
        const QString host = machine.Host(win);
        QDir().mkpath(QFileInfo(host).absolutePath());
        QFile::remove(host);
        if (!QFile::copy(file, host)) {
            return Fail(QStringLiteral("cannot copy %1").arg(file));
        }
        wins.append(win);
    }
    const ComPtr<IWMPMediaCollection> library = machine.CreatePlayer(&error);
    if (!library) {
        return Fail(error);
    }
    ComPtr<IWMPPlaylist> audio;
    library->getByAttribute(CComBSTR(QStringLiteral("MediaType")), CComBSTR(QStringLiteral("audio")), &audio);
    const long size = Count(audio.Get());

    QList<ComPtr<IWMPMedia>> added;
    ComPtr<IWMPPlaylist> byToc;
    ComPtr<IWMPPlaylist> byAlbum;
    double start = ThreadCpuMs();
    for (const QString& win : wins) {
        ComPtr<IWMPMedia> item;
        if (FAILED(library->add(CComBSTR(win), &item)) || !item) {
            return Fail(QStringLiteral("cannot add %1").arg(win));
        }
        added.append(item);
        if (!byToc) {
            CComBSTR toc;
            CComBSTR album;
            item->getItemInfo(CComBSTR(QStringLiteral("TOC")), &toc);
            item->getItemInfo(CComBSTR(QStringLiteral("WM/AlbumTitle")), &album);
            library->getByAttribute(CComBSTR(QStringLiteral("TOC")), toc, &byToc);
            library->getByAlbum(album, &byAlbum);
        }
        Count(byToc.Get());
        Count(byAlbum.Get());
        Count(audio.Get());
    }
    const double addMs = (ThreadCpuMs() - start) / n;
    start = ThreadCpuMs();
    for (const ComPtr<IWMPMedia>& item : added) {
        library->remove(item.Get(), VARIANT_FALSE);
        Count(byToc.Get());
        Count(byAlbum.Get());
        Count(audio.Get());
    }
    const double removeMs = (ThreadCpuMs() - start) / n;
    start = ThreadCpuMs();
    for (int i = 0; i < n; ++i) {
        ComPtr<IWMPPlaylist> album;
        library->getByAttribute(CComBSTR(QStringLiteral("TOC")),
                                CComBSTR(Toc(i * 7919 % qMax(1L, size / 10))), &album);
        Count(album.Get());
    }
    const double queryMs = (ThreadCpuMs() - start) / n;
    const long after = Count(audio.Get());
    machine.ReleasePlayer();
    if (after != size) {
        return Fail(
            QStringLiteral("the library holds %1 entries after the removals, not %2").arg(after).arg(size));
    }
    std::printf("library %ld entries: add %.3f ms, remove %.3f ms, query %.3f ms (CPU of the calling thread, "
                "mean of %d)\n",
                size, addMs, removeMs, queryMs, n);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() >= 3 && args[0] == QLatin1String("fill")) {
        return Fill(args[1], args[2].toInt(), args.value(3));
    }
    if (args.size() == 4 && args[0] == QLatin1String("adds")) {
        return Adds(args[1], args[2], args[3].toInt());
    }
    return Fail(QStringLiteral("usage: fill SANDBOX COUNT [RIPS] | adds SANDBOX FILE N"));
}
