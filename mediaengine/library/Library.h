#pragma once
// The media library: entries (one per file, keyed by its source URL, a Windows path) with text
// attributes, kept in a SQLite database that survives restarts and mirrored in memory for queries.
// Every change is written to the database first, in a transaction; memory follows only when the
// write succeeded, so a locked or broken database leaves the library as it was.
//
// Queries are answered from indexes that each change updates, and a change touches only its own
// rows: neither costs more in a library of 50,000 entries than in one of 50.
//
// Attribute names are matched without regard to case. UI thread only.

#include "mediaengine/library/LibraryEntry.h"
#include "mediaengine/library/LibraryIndex.h"
#include "mediaengine/library/LibrarySelection.h"
#include "platform/win/WinTypes.h"

#include <QHash>
#include <QMap>
#include <QString>
#include <map>
#include <memory>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

class CLibrary {
public:
    CLibrary() = default;
    ~CLibrary();
    CLibrary(const CLibrary&) = delete;
    CLibrary& operator=(const CLibrary&) = delete;

    // Opens (or creates) the database and loads it. False with a reason when the file is not a
    // database, is damaged or cannot be read; the file is left as it is.
    bool Open(const QString& file, QString* error);
    bool IsOpen() const { return m_db != nullptr; }

    qsizetype Size() const { return qsizetype(m_entries.size()); }
    const LibraryEntry* Find(qint64 id) const;
    // 0 when no entry has that URL (compared without regard to case, as Windows paths are).
    qint64 FindByUrl(const QString& url) const;

    // Live answers, in the order of CLibrarySelection, that follow every later change: the entries
    // whose attribute has that value (compared without regard to case; an empty value matches
    // nothing), and those whose "WM/AlbumTitle" (or "Album" where that is empty) is album.
    std::shared_ptr<const CLibrarySelection> ByAttribute(const QString& name, const QString& value);
    std::shared_ptr<const CLibrarySelection> ByAlbum(const QString& album);
    // The holder of an answer no longer needs it.
    void Release(std::shared_ptr<const CLibrarySelection> selection);

    // Adds an entry for url, or refreshes the existing one: the given attributes replace theirs,
    // the others stay. The "SourceURL" attribute is the url.
    HRESULT Put(const QString& url, const QMap<QString, QString>& attributes, qint64* id);
    HRESULT SetAttribute(qint64 id, const QString& name, const QString& value);
    HRESULT Remove(qint64 id);

    QString LastError() const { return m_lastError; }

private:
    bool Exec(const char* sql);
    HRESULT Fail(const char* what);
    void Close();
    // Checks the database, sets up its tables and reads them; what went wrong, or nothing.
    QString CheckAndLoad();
    // What makes the database's tables not the library's own, or nothing.
    QString ForeignSchema();
    // The statement for sql, prepared once per open database.
    sqlite3_stmt* Prepared(const char* sql);
    // The index of a lower-case attribute name, built on its first use.
    CLibraryIndex& AttributeIndex(const QString& name);
    // Every index follows an entry that came (before is null), changed or went (after is null).
    void Reindex(const LibraryEntry* before, const LibraryEntry* after);

    sqlite3* m_db = nullptr;
    std::map<std::string, sqlite3_stmt*> m_statements;
    std::map<qint64, LibraryEntry> m_entries;
    QHash<QString, std::shared_ptr<CLibraryIndex>> m_attributeIndexes;
    std::shared_ptr<CLibraryIndex> m_albumIndex;
    QString m_lastError;
};
