#pragma once
// The lookup's answers kept in the engine's library database (a table of its own beside the
// library's), keyed by MusicBrainz disc id: a disc seen before is named at once, offline. "Not
// found" is kept too, and asked again once it is a day old. Thread: the one that opened it.

#include "mediaengine/lookup/DiscNames.h"

#include <QDateTime>
#include <QString>
#include <optional>

struct sqlite3;

class CDiscNameCache {
public:
    CDiscNameCache() = default;
    ~CDiscNameCache();
    CDiscNameCache(const CDiscNameCache&) = delete;
    CDiscNameCache& operator=(const CDiscNameCache&) = delete;

    // False with a reason when the database cannot be opened or its table made.
    bool Open(const QString& file, QString* error = nullptr);
    bool IsOpen() const { return m_db != nullptr; }

    struct Entry {
        bool found = false;
        DiscNames names; // when found
    };
    // Nothing when the disc was never looked up, or "not found" is older than a day.
    std::optional<Entry> Find(const QString& discId,
                              const QDateTime& now = QDateTime::currentDateTimeUtc()) const;
    // A found disc's names, or (names null) "not found"; false when the database refused it.
    bool Store(const QString& discId, const std::optional<DiscNames>& names,
               const QDateTime& now = QDateTime::currentDateTimeUtc());

    static constexpr qint64 kNotFoundSeconds = 24 * 60 * 60;

private:
    sqlite3* m_db = nullptr;
};
