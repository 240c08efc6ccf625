#include "mediaengine/library/Library.h"
#include "mediaengine/Logging.h"

#include <QDebug>
#include <QFileInfo>
#include <algorithm>
#include <sqlite3.h>

namespace {

const char* const kItemsTable = "items("
                                "  id INTEGER PRIMARY KEY,"
                                "  url TEXT NOT NULL,"
                                "  urlkey TEXT NOT NULL UNIQUE)";
const char* const kAttributesTable = "attributes("
                                     "  item INTEGER NOT NULL REFERENCES items(id) ON DELETE CASCADE,"
                                     "  name TEXT NOT NULL,"
                                     "  value TEXT NOT NULL,"
                                     "  PRIMARY KEY(item, name))";

QByteArray Schema() {
    return QByteArray("CREATE TABLE IF NOT EXISTS ") + kItemsTable + ";CREATE TABLE IF NOT EXISTS " +
           kAttributesTable + ";";
}

// A table's definition as SQLite keeps it once Schema() made it.
QString Definition(const char* table) {
    return QStringLiteral("CREATE TABLE ") + QLatin1String(table);
}

// Attribute values and URLs compare without regard to case.
QString FoldedKey(const QString& value) {
    return value.toCaseFolded();
}

QString AlbumOf(const LibraryEntry& entry) {
    const QString title = entry.attributes.value(QStringLiteral("wm/albumtitle"));
    return title.isEmpty() ? entry.attributes.value(QStringLiteral("album")) : title;
}

// The queries of every job (an entry by its path, a disc's rips by its TOC or album): indexed as the
// library loads, so that no job's first query passes over the whole library.
const char* const kIndexedAtOpen[] = {"sourceurl", "toc"};

// A statement prepared once and kept for the database's life: reset and unbound after each use.
class Statement {
public:
    explicit Statement(sqlite3_stmt* stmt) : m_stmt(stmt) {}
    ~Statement() {
        if (m_stmt) {
            sqlite3_reset(m_stmt);
            sqlite3_clear_bindings(m_stmt);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_stmt != nullptr; }
    void Bind(int index, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void Bind(int index, qint64 value) { sqlite3_bind_int64(m_stmt, index, value); }
    int Step() { return m_stmt ? sqlite3_step(m_stmt) : SQLITE_ERROR; }
    bool Run() { return Step() == SQLITE_DONE; }
    qint64 Int(int column) const { return sqlite3_column_int64(m_stmt, column); }
    QString Text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return text ? QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column)) : QString();
    }

private:
    sqlite3_stmt* m_stmt;
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

} // namespace

CLibrary::~CLibrary() {
    Close();
}

void CLibrary::Close() {
    for (auto& [sql, stmt] : m_statements) {
        sqlite3_finalize(stmt);
    }
    m_statements.clear();
    if (m_db) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
    m_entries.clear();
    m_attributeIndexes.clear();
    m_albumIndex.reset();
}

sqlite3_stmt* CLibrary::Prepared(const char* sql) {
    sqlite3_stmt*& stmt = m_statements[sql];
    if (!stmt && sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
    return stmt;
}

bool CLibrary::Open(const QString& file, QString* error) {
    QString ignored;
    if (!error) {
        error = &ignored;
    }
    Close();
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
        Close();
        return false;
    };
    if (const QString problem = CheckAndLoad(); !problem.isEmpty()) {
        return fail(problem);
    }
    for (auto& [id, entry] : m_entries) {
        entry.attributes.insert(QStringLiteral("sourceurl"), entry.url);
    }
    m_albumIndex = std::make_shared<CLibraryIndex>(AlbumOf);
    for (const auto& [id, entry] : m_entries) {
        m_albumIndex->Update(nullptr, &entry);
    }
    for (const char* name : kIndexedAtOpen) {
        AttributeIndex(QString::fromLatin1(name));
    }
    return true;
}

QString CLibrary::CheckAndLoad() {
    {
        // A file that is not a database, or a damaged one, fails here; it is never overwritten.
        Statement check(Prepared("PRAGMA quick_check"));
        if (!check.Ok() || check.Step() != SQLITE_ROW) {
            return QStringLiteral("not a readable database");
        }
        if (check.Text(0) != QLatin1String("ok")) {
            return QStringLiteral("damaged (%1)").arg(check.Text(0));
        }
    }
    if (const QString foreign = ForeignSchema(); !foreign.isEmpty()) {
        return foreign;
    }
    // Write-ahead logging: a change costs one flush of the log, not several of a journal and the
    // database, so adding a ripped track keeps the UI thread free; every commit is still on disk.
    if (!Exec("PRAGMA foreign_keys = ON") || !Exec("PRAGMA journal_mode = WAL") ||
        !Exec("PRAGMA synchronous = FULL") || !Exec(Schema().constData())) {
        return QStringLiteral("cannot set up the tables");
    }
    int step;
    {
        Statement items(Prepared("SELECT id, url FROM items ORDER BY id"));
        while ((step = items.Step()) == SQLITE_ROW) {
            LibraryEntry& entry = m_entries[items.Int(0)];
            entry.id = items.Int(0);
            entry.url = items.Text(1);
        }
        if (step != SQLITE_DONE) {
            return QStringLiteral("cannot read the entries");
        }
    }
    Statement attributes(Prepared("SELECT item, name, value FROM attributes"));
    while ((step = attributes.Step()) == SQLITE_ROW) {
        auto it = m_entries.find(attributes.Int(0));
        if (it != m_entries.end()) {
            it->second.attributes.insert(attributes.Text(1), attributes.Text(2));
        }
    }
    return step == SQLITE_DONE ? QString() : QStringLiteral("cannot read the attributes");
}

QString CLibrary::ForeignSchema() {
    // Tables of another shape (another program's, or ours changed by hand) take rows where the
    // entries are not found again, and triggers can undo a change behind the library's back: such a
    // file is refused before anything is written to it.
    Statement schema(Prepared("SELECT type, name, sql FROM sqlite_master"));
    if (!schema.Ok()) {
        return QStringLiteral("not a readable database");
    }
    int step;
    while ((step = schema.Step()) == SQLITE_ROW) {
        const QString type = schema.Text(0);
        const QString name = schema.Text(1);
        const QString sql = schema.Text(2);
        if (type == QLatin1String("trigger")) {
            return QStringLiteral("not a library of this program (it has the trigger %1)").arg(name);
        }
        if (type == QLatin1String("table") &&
            ((name.compare(QLatin1String("items"), Qt::CaseInsensitive) == 0 &&
              sql != Definition(kItemsTable)) ||
             (name.compare(QLatin1String("attributes"), Qt::CaseInsensitive) == 0 &&
              sql != Definition(kAttributesTable)))) {
            return QStringLiteral("not a library of this program (its table %1 has another shape)").arg(name);
        }
    }
    return step == SQLITE_DONE ? QString() : QStringLiteral("not a readable database");
}

bool CLibrary::Exec(const char* sql) {
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

HRESULT CLibrary::Fail(const char* what) {
    m_lastError = QStringLiteral("%1: %2").arg(
        QString::fromLatin1(what), m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("closed"));
    qCWarning(lcMediaEngine).noquote() << "media library:" << m_lastError;
    return E_FAIL;
}

const LibraryEntry* CLibrary::Find(qint64 id) const {
    const auto it = m_entries.find(id);
    return it == m_entries.end() ? nullptr : &it->second;
}

qint64 CLibrary::FindByUrl(const QString& url) const {
    const auto index = m_attributeIndexes.constFind(QStringLiteral("sourceurl"));
    if (index == m_attributeIndexes.cend()) {
        return 0; // not open
    }
    const CLibrarySelection* found = index.value()->Find(FoldedKey(url));
    return found ? found->At(0) : 0;
}

CLibraryIndex& CLibrary::AttributeIndex(const QString& name) {
    std::shared_ptr<CLibraryIndex>& index = m_attributeIndexes[name];
    if (!index) {
        index = std::make_shared<CLibraryIndex>(
            [name](const LibraryEntry& entry) { return FoldedKey(entry.attributes.value(name)); });
        for (const auto& [id, entry] : m_entries) {
            index->Update(nullptr, &entry);
        }
    }
    return *index;
}

void CLibrary::Reindex(const LibraryEntry* before, const LibraryEntry* after) {
    for (const std::shared_ptr<CLibraryIndex>& index : std::as_const(m_attributeIndexes)) {
        index->Update(before, after);
    }
    if (m_albumIndex) {
        m_albumIndex->Update(before, after);
    }
}

std::shared_ptr<const CLibrarySelection> CLibrary::ByAttribute(const QString& name, const QString& value) {
    const QString key = name.toLower();
    if (!m_db || key.isEmpty() || value.isEmpty()) {
        return std::make_shared<CLibrarySelection>(std::weak_ptr<CLibraryIndex>(), QString());
    }
    return AttributeIndex(key).Watch(FoldedKey(value));
}

std::shared_ptr<const CLibrarySelection> CLibrary::ByAlbum(const QString& album) {
    if (!m_albumIndex || album.isEmpty()) {
        return std::make_shared<CLibrarySelection>(std::weak_ptr<CLibraryIndex>(), QString());
    }
    return m_albumIndex->Watch(album);
}

void CLibrary::Release(std::shared_ptr<const CLibrarySelection> selection) {
    if (!selection) {
        return;
    }
    if (const std::shared_ptr<CLibraryIndex> index = selection->Index().lock()) {
        index->Release(std::move(selection));
    }
}

HRESULT CLibrary::Put(const QString& url, const QMap<QString, QString>& attributes, qint64* id) {
    if (!m_db) {
        return E_FAIL;
    }
    if (url.isEmpty()) {
        return E_INVALIDARG;
    }
    const qint64 existing = FindByUrl(url);
    Transaction transaction(m_db);
    if (!transaction.Open()) {
        return Fail("cannot begin a change");
    }
    qint64 rowId = existing;
    if (!existing) {
        Statement insert(Prepared("INSERT INTO items(url, urlkey) VALUES(?, ?)"));
        insert.Bind(1, url);
        insert.Bind(2, FoldedKey(url));
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
        Statement set(Prepared("INSERT OR REPLACE INTO attributes(item, name, value) VALUES(?, ?, ?)"));
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
    const LibraryEntry before = entry;
    entry.id = rowId;
    entry.url = url;
    for (auto it = lowered.begin(); it != lowered.end(); ++it) {
        entry.attributes.insert(it.key(), it.value());
    }
    entry.attributes.insert(QStringLiteral("sourceurl"), url);
    Reindex(existing ? &before : nullptr, &entry);
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
    Statement set(Prepared("INSERT OR REPLACE INTO attributes(item, name, value) VALUES(?, ?, ?)"));
    set.Bind(1, id);
    set.Bind(2, key);
    set.Bind(3, value);
    if (!set.Run()) {
        return Fail("cannot write an attribute");
    }
    const LibraryEntry before = it->second;
    it->second.attributes.insert(key, value);
    Reindex(&before, &it->second);
    return S_OK;
}

HRESULT CLibrary::Remove(qint64 id) {
    if (!m_db) {
        return E_FAIL;
    }
    const auto it = m_entries.find(id);
    if (it == m_entries.end()) {
        return E_INVALIDARG;
    }
    Transaction transaction(m_db);
    if (!transaction.Open()) {
        return Fail("cannot begin a change");
    }
    Statement attributes(Prepared("DELETE FROM attributes WHERE item = ?"));
    attributes.Bind(1, id);
    if (!attributes.Run()) {
        return Fail("cannot remove an entry");
    }
    Statement item(Prepared("DELETE FROM items WHERE id = ?"));
    item.Bind(1, id);
    if (!item.Run()) {
        return Fail("cannot remove an entry");
    }
    if (!transaction.Commit()) {
        return Fail("cannot commit a change");
    }
    Reindex(&it->second, nullptr);
    m_entries.erase(it);
    return S_OK;
}
