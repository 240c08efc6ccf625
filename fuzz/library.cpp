// The media library's database, which the user's disk may hand back damaged or changed by other
// tools. The first byte picks what the rest is: even, the database file's bytes as they are; odd,
// SQL that builds a valid database with whatever tables and rows it likes (only table and row
// work is allowed, and only so much of it). Opening must fail with a reason or give a library whose
// queries and changes work and reach the file.
#include "mediaengine/library/Library.h"
#include "fuzz/support/FuzzScratch.h"

#include <QFile>
#include <sqlite3.h>

namespace {

constexpr int kMaxSetupSteps = 200000;

int AllowTablesAndRows(void*, int action, const char*, const char*, const char*, const char*) {
    switch (action) {
    case SQLITE_CREATE_TABLE:
    case SQLITE_CREATE_INDEX:
    case SQLITE_DROP_TABLE:
    case SQLITE_DROP_INDEX:
    case SQLITE_ALTER_TABLE:
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
    case SQLITE_READ:
    case SQLITE_SELECT:
    case SQLITE_FUNCTION:
    case SQLITE_TRANSACTION:
        return SQLITE_OK;
    default:
        return SQLITE_DENY; // no ATTACH, PRAGMA, triggers, virtual tables
    }
}

int StopLongSetup(void* steps) {
    return ++*static_cast<int*>(steps) > kMaxSetupSteps / 1000 ? 1 : 0;
}

void BuildFromSql(const QString& path, const QByteArray& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) == SQLITE_OK) {
        int steps = 0;
        sqlite3_set_authorizer(db, AllowTablesAndRows, nullptr);
        sqlite3_progress_handler(db, 1000, StopLongSetup, &steps);
        sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 1 << 20);
        sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void UseLibrary(const QString& path) {
    qint64 added = 0;
    qint64 removed = 0;
    {
        CLibrary library;
        QString error;
        const QByteArray before = Read(path);
        if (!library.Open(path, &error)) {
            CFuzzScratch::Check(!error.isEmpty(), "a library refused without a reason");
            CFuzzScratch::Check(Read(path) == before, "a library that could not be opened was changed");
            return;
        }
        const qsizetype size = library.Size();
        qint64 first = 0;
        for (qint64 id = 1; id <= 64 && first == 0; ++id) {
            if (const LibraryEntry* entry = library.Find(id)) {
                first = id;
                library.FindByUrl(entry->url);
                library.ByAttribute(QStringLiteral("TOC"), entry->Get(QStringLiteral("toc")));
                library.ByAlbum(entry->Get(QStringLiteral("wm/albumtitle")));
                library.ByAttribute(QStringLiteral("WM/TrackNumber"),
                                    entry->Get(QStringLiteral("wm/tracknumber")));
            }
        }
        const auto album = library.ByAlbum(QStringLiteral("Album"));
        const QString url = QStringLiteral("C:\\Users\\user\\Music\\Artist\\Album\\01 New.mp3");
        const HRESULT put = library.Put(url,
                                        {{QStringLiteral("WM/AlbumTitle"), QStringLiteral("Album")},
                                         {QStringLiteral("WM/TrackNumber"), QStringLiteral("1")}},
                                        &added);
        if (put == S_OK) {
            CFuzzScratch::Check(library.FindByUrl(url) == added,
                                "an added entry cannot be found by its path");
            CFuzzScratch::Check(album->Contains(added), "a live album query missed an added entry");
        } else {
            added = 0;
            CFuzzScratch::Check(library.Size() == size, "a failed add changed the library");
        }
        if (first != 0 && first != added && library.Remove(first) == S_OK) {
            removed = first;
            CFuzzScratch::Check(library.Find(first) == nullptr, "a removed entry is still there");
        }
        library.Release(album);
    }
    // What the changes said they did is in the file.
    CLibrary again;
    QString error;
    CFuzzScratch::Check(again.Open(path, &error), "a library that opened does not open after a change");
    CFuzzScratch::Check(added == 0 || again.Find(added) != nullptr, "an added entry did not reach the file");
    CFuzzScratch::Check(removed == 0 || again.Find(removed) == nullptr, "a removed entry is back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CFuzzScratch& scratch = CFuzzScratch::Get();
    const QString path = scratch.Path(QStringLiteral("library.db"));
    for (const QString& leftover : {path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm"),
                                    path + QStringLiteral("-journal")}) {
        QFile::remove(leftover);
    }
    if (size == 0) {
        return 0;
    }
    const QByteArray rest = CFuzzScratch::Bytes(data + 1, size - 1);
    if (data[0] % 2 == 0) {
        scratch.Write(QStringLiteral("library.db"), rest);
    } else {
        BuildFromSql(path, rest);
    }
    UseLibrary(path);
    return 0;
}
