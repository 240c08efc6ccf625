#include "mediaengine/library/Library.h"

#include <QDebug>
#include <QFileInfo>
#include <algorithm>
#include <sqlite3.h>

namespace {

const char* const kSchema = "CREATE TABLE IF NOT EXISTS items("
                            "  id INTEGER PRIMARY KEY,"
                            "  url TEXT NOT NULL,"
                            "  urlkey TEXT NOT NULL UNIQUE);"
                            "CREATE TABLE IF NOT EXISTS attributes("
                            "  item INTEGER NOT NULL REFERENCES items(id) ON DELETE CASCADE,"
                            "  name TEXT NOT NULL,"
                            "  value TEXT NOT NULL,"
                            "  PRIMARY KEY(item, name));";

QString UrlKey(const QString& url) {
    return url.toCaseFolded();
}

// One prepared statement, finalised when it goes.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        m_ok = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) == SQLITE_OK;
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_ok; }
    void Bind(int index, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void Bind(int index, qint64 value) { sqlite3_bind_int64(m_stmt, index, value); }
    int Step() { return m_ok ? sqlite3_step(m_stmt) : SQLITE_ERROR; }
    bool Run() { return Step() == SQLITE_DONE; }
    qint64 Int(int column) const { return sqlite3_column_int64(m_stmt, column); }
    QString Text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return text ? QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column)) : QString();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
    bool m_ok = false;
};

// BEGIN IMMEDIATE ... COMMIT, rolled back unless committed.
class Transaction {
public:
    explicit Transaction(sqlite3* db) : m_db(db) {
        m_open = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~Transaction() {
        if (m_open) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        }
    }
    bool Open() const { return m_open; }
    bool Commit() {
        if (!m_open || sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            return false;
        }
        m_open = false;
        return true;
    }

private:
    sqlite3* m_db;
    bool m_open = false;
};

int TrackNumberOf(const LibraryEntry& entry) {
    bool ok = false;
    const int number = entry.Get(QStringLiteral("WM/TrackNumber")).section(QLatin1Char('/'), 0, 0).toInt(&ok);
    return ok ? number : 0;
}

} // namespace

CLibrary::~CLibrary() {
    if (m_db) {
        sqlite3_close(m_db);
    }
}

bool CLibrary::Open(const QString& file, QString* error) {
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    if (m_db) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
    m_entries.clear();
    m_idByUrlKey.clear();
    sqlite3* db = nullptr;
    const QByteArray path = QFileInfo(file).absoluteFilePath().toUtf8();
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        *error =
            QStringLiteral("cannot open the library %1: %2").arg(file, QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_close(db);
        return false;
    }
    sqlite3_busy_timeout(db, 2000);
    m_db = db;
    auto fail = [&](const QString& what) {
        *error =
            QStringLiteral("library %1: %2: %3").arg(file, what, QString::fromUtf8(sqlite3_errmsg(m_db)));
        sqlite3_close(m_db);
        m_db = nullptr;
        m_entries.clear();
        m_idByUrlKey.clear();
        return false;
    };
    {
        // A file that is not a database, or a damaged one, fails here; it is never overwritten.
        Statement check(m_db, "PRAGMA quick_check");
        if (!check.Ok() || check.Step() != SQLITE_ROW) {
            return fail(QStringLiteral("not a readable database"));
        }
        if (check.Text(0) != QLatin1String("ok")) {
            return fail(QStringLiteral("damaged (%1)").arg(check.Text(0)));
        }
    }
    // Write-ahead logging: a change costs one flush of the log, not several of a journal and the
    // database, so adding a ripped track keeps the UI thread free; every commit is still on disk.
    if (!Exec("PRAGMA foreign_keys = ON") || !Exec("PRAGMA journal_mode = WAL") ||
        !Exec("PRAGMA synchronous = FULL") || !Exec(kSchema)) {
        return fail(QStringLiteral("cannot set up the tables"));
    }
    Statement items(m_db, "SELECT id, url FROM items ORDER BY id");
    if (!items.Ok()) {
        return fail(QStringLiteral("cannot read the entries"));
    }
    int step;
    while ((step = items.Step()) == SQLITE_ROW) {
        LibraryEntry entry;
        entry.id = items.Int(0);
        entry.url = items.Text(1);
        m_idByUrlKey.insert(UrlKey(entry.url), entry.id);
        m_entries[entry.id] = entry;
    }
    if (step != SQLITE_DONE) {
        return fail(QStringLiteral("cannot read the entries"));
    }
    Statement attributes(m_db, "SELECT item, name, value FROM attributes");
    if (!attributes.Ok()) {
        return fail(QStringLiteral("cannot read the attributes"));
    }
    while ((step = attributes.Step()) == SQLITE_ROW) {
        auto it = m_entries.find(attributes.Int(0));
        if (it != m_entries.end()) {
            it->second.attributes.insert(attributes.Text(1), attributes.Text(2));
        }
    }
    if (step != SQLITE_DONE) {
        return fail(QStringLiteral("cannot read the attributes"));
    }
    for (auto& [id, entry] : m_entries) {
        entry.attributes.insert(QStringLiteral("sourceurl"), entry.url);
    }
    ++m_generation;
    return true;
}

bool CLibrary::Exec(const char* sql) {
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

HRESULT CLibrary::Fail(const char* what) {
    m_lastError = QStringLiteral("%1: %2").arg(
        QString::fromLatin1(what), m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("closed"));
    qWarning().noquote() << "media library:" << m_lastError;
    return E_FAIL;
}

const LibraryEntry* CLibrary::Find(qint64 id) const {
    const auto it = m_entries.find(id);
    return it == m_entries.end() ? nullptr : &it->second;
}

qint64 CLibrary::FindByUrl(const QString& url) const {
    return m_idByUrlKey.value(UrlKey(url), 0);
}

QList<qint64> CLibrary::Matching(const std::function<bool(const LibraryEntry&)>& predicate) const {
    QList<const LibraryEntry*> found;
    for (const auto& [id, entry] : m_entries) {
        if (predicate(entry)) {
            found.append(&entry);
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const LibraryEntry* a, const LibraryEntry* b) {
        return TrackNumberOf(*a) < TrackNumberOf(*b);
    });
    QList<qint64> ids;
    ids.reserve(found.size());
    for (const LibraryEntry* entry : found) {
        ids.append(entry->id);
    }
    return ids;
}

HRESULT CLibrary::Put(const QString& url, const QMap<QString, QString>& attributes, qint64* id) {
    if (!m_db) {
        return E_FAIL;
    }
    if (url.isEmpty()) {
        return E_INVALIDARG;
    }
    qint64 existing = FindByUrl(url);
    Transaction transaction(m_db);
    if (!transaction.Open()) {
        return Fail("cannot begin a change");
    }
    qint64 rowId = existing;
    if (!existing) {
        Statement insert(m_db, "INSERT INTO items(url, urlkey) VALUES(?, ?)");
        insert.Bind(1, url);
        insert.Bind(2, UrlKey(url));
        if (!insert.Run()) {
            return Fail("cannot add an entry");
        }
        rowId = sqlite3_last_insert_rowid(m_db);
    }
    QMap<QString, QString> lowered;
    for (auto it = attributes.begin(); it != attributes.end(); ++it) {
        const QString name = it.key().toLower();
        if (name == QLatin1String("sourceurl")) {
            continue;
        }
        lowered.insert(name, it.value());
        Statement set(m_db, "INSERT OR REPLACE INTO attributes(item, name, value) VALUES(?, ?, ?)");
        set.Bind(1, rowId);
        set.Bind(2, name);
        set.Bind(3, it.value());
        if (!set.Run()) {
            return Fail("cannot write an attribute");
        }
    }
    if (!transaction.Commit()) {
        return Fail("cannot commit a change");
    }
    LibraryEntry& entry = m_entries[rowId];
    if (!existing) {
        m_idByUrlKey.insert(UrlKey(url), rowId);
    }
    entry.id = rowId;
    entry.url = url;
    for (auto it = lowered.begin(); it != lowered.end(); ++it) {
        entry.attributes.insert(it.key(), it.value());
    }
    entry.attributes.insert(QStringLiteral("sourceurl"), url);
    ++m_generation;
    if (id) {
        *id = rowId;
    }
    return S_OK;
}

HRESULT CLibrary::SetAttribute(qint64 id, const QString& name, const QString& value) {
    if (!m_db) {
        return E_FAIL;
    }
    auto it = m_entries.find(id);
    if (it == m_entries.end()) {
        return E_INVALIDARG;
    }
    const QString key = name.toLower();
    if (key.isEmpty() || key == QLatin1String("sourceurl")) {
        return E_INVALIDARG;
    }
    Statement set(m_db, "INSERT OR REPLACE INTO attributes(item, name, value) VALUES(?, ?, ?)");
    set.Bind(1, id);
    set.Bind(2, key);
    set.Bind(3, value);
    if (!set.Run()) {
        return Fail("cannot write an attribute");
    }
    it->second.attributes.insert(key, value);
    ++m_generation;
    return S_OK;
}

HRESULT CLibrary::Remove(qint64 id) {
    if (!m_db) {
        return E_FAIL;
    }
    if (!m_entries.count(id)) {
        return E_INVALIDARG;
    }
    Transaction transaction(m_db);
    if (!transaction.Open()) {
        return Fail("cannot begin a change");
    }
    Statement attributes(m_db, "DELETE FROM attributes WHERE item = ?");
    attributes.Bind(1, id);
    Statement item(m_db, "DELETE FROM items WHERE id = ?");
    item.Bind(1, id);
    if (!attributes.Run() || !item.Run()) {
        return Fail("cannot remove an entry");
    }
    if (!transaction.Commit()) {
        return Fail("cannot commit a change");
    }
    m_idByUrlKey.remove(UrlKey(m_entries.at(id).url));
    m_entries.erase(id);
    ++m_generation;
    return S_OK;
}
