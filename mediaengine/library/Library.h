#pragma once
// The media library: entries (one per file, keyed by its source URL, a Windows path) with text
// attributes, kept in a SQLite database that survives restarts and mirrored in memory for queries.
// Every change is written to the database first, in a transaction; memory follows only when the
// write succeeded, so a locked or broken database leaves the library as it was.
//
// Attribute names are matched without regard to case. UI thread only.

#include "platform/win/WinTypes.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <functional>
#include <map>

struct sqlite3;

struct LibraryEntry {
    qint64 id = 0;
    QString url;
    // Lower-case attribute name -> value.
    QMap<QString, QString> attributes;
    QString Get(const QString& name) const { return attributes.value(name.toLower()); }
};

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

    // Changes with every change of the library, so live views know when to look again.
    quint64 Generation() const { return m_generation; }
    const LibraryEntry* Find(qint64 id) const;
    // 0 when no entry has that URL (compared without regard to case, as Windows paths are).
    qint64 FindByUrl(const QString& url) const;
    // Entries that satisfy the predicate, by "WM/TrackNumber" (numerically), then in the order
    // they were added.
    QList<qint64> Matching(const std::function<bool(const LibraryEntry&)>& predicate) const;

    // Adds an entry for url, or refreshes the existing one: the given attributes replace theirs,
    // the others stay. The "SourceURL" attribute is the url.
    HRESULT Put(const QString& url, const QMap<QString, QString>& attributes, qint64* id);
    HRESULT SetAttribute(qint64 id, const QString& name, const QString& value);
    HRESULT Remove(qint64 id);

    QString LastError() const { return m_lastError; }

private:
    bool Exec(const char* sql);
    HRESULT Fail(const char* what);

    sqlite3* m_db = nullptr;
    std::map<qint64, LibraryEntry> m_entries;
    // Case-folded URL -> id: a lookup by path must not cost a pass over a library of any size.
    QHash<QString, qint64> m_idByUrlKey;
    quint64 m_generation = 1;
    QString m_lastError;
};
