#include "mediaengine/lookup/DiscNameCache.h"
#include "mediaengine/Logging.h"

#include <QDebug>
#include <memory>
#include <sqlite3.h>

namespace {

using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

Statement Prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        statement = nullptr;
    }
    return Statement(statement, sqlite3_finalize);
}

void Bind(sqlite3_stmt* statement, int index, const QByteArray& text) {
    sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

} // namespace

CDiscNameCache::~CDiscNameCache() {
    sqlite3_close(m_db);
}

bool CDiscNameCache::Open(const QString& file, QString* error) {
    sqlite3_close(m_db);
    m_db = nullptr;
    sqlite3* db = nullptr;
    // Never creates the file: the library made it, and a library that could not be opened is left alone.
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        if (error) {
            *error = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("cannot open %1").arg(file);
        }
        sqlite3_close(db);
        return false;
    }
    sqlite3_busy_timeout(db, 2000);
    if (sqlite3_exec(
            db,
            "CREATE TABLE IF NOT EXISTS disc_names (disc_id TEXT PRIMARY KEY, found INTEGER NOT NULL, "
            "names TEXT NOT NULL, fetched INTEGER NOT NULL)",
            nullptr, nullptr, nullptr) != SQLITE_OK) {
        if (error) {
            *error = QString::fromUtf8(sqlite3_errmsg(db));
        }
        sqlite3_close(db);
        return false;
    }
    m_db = db;
    return true;
}

std::optional<CDiscNameCache::Entry> CDiscNameCache::Find(const QString& discId, const QDateTime& now) const {
    if (!m_db || discId.isEmpty()) {
        return std::nullopt;
    }
    Statement statement = Prepare(m_db, "SELECT found, names, fetched FROM disc_names WHERE disc_id = ?");
    if (!statement) {
        return std::nullopt;
    }
    Bind(statement.get(), 1, discId.toUtf8());
    if (sqlite3_step(statement.get()) != SQLITE_ROW) {
        return std::nullopt;
    }
    Entry entry;
    entry.found = sqlite3_column_int(statement.get(), 0) != 0;
    const qint64 fetched = sqlite3_column_int64(statement.get(), 2);
    if (!entry.found) {
        const qint64 age = now.toSecsSinceEpoch() - fetched;
        // A clock set back counts as old: the disc is asked about again.
        if (age < 0 || age >= kNotFoundSeconds) {
            return std::nullopt;
        }
        return entry;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 1));
    const std::optional<DiscNames> names =
        DiscNames::FromJson(QByteArray(text, sqlite3_column_bytes(statement.get(), 1)));
    if (!names) {
        qCWarning(lcMediaEngine).noquote()
            << "disc lookup: the cached names of" << discId << "cannot be read; asking again";
        return std::nullopt;
    }
    entry.names = *names;
    return entry;
}

bool CDiscNameCache::Store(const QString& discId, const std::optional<DiscNames>& names,
                           const QDateTime& now) {
    if (!m_db || discId.isEmpty()) {
        return false;
    }
    Statement statement = Prepare(
        m_db, "INSERT OR REPLACE INTO disc_names (disc_id, found, names, fetched) VALUES (?, ?, ?, ?)");
    if (!statement) {
        return false;
    }
    Bind(statement.get(), 1, discId.toUtf8());
    sqlite3_bind_int(statement.get(), 2, names ? 1 : 0);
    Bind(statement.get(), 3, names ? names->ToJson() : QByteArray());
    sqlite3_bind_int64(statement.get(), 4, now.toSecsSinceEpoch());
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        qCWarning(lcMediaEngine).noquote()
            << "disc lookup: cannot keep the answer for" << discId << ":" << sqlite3_errmsg(m_db);
        return false;
    }
    return true;
}
