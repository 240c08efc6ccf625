#pragma once
// The library's entries grouped by a key each entry yields (an attribute's value, its album): what a
// query for one key lists, kept current by each change instead of being looked for again, so a
// lookup or a change costs the same in a library of any size.

#include "mediaengine/library/LibraryEntry.h"
#include "mediaengine/library/LibrarySelection.h"

#include <QHash>
#include <QString>
#include <functional>
#include <memory>

class CLibraryIndex : public std::enable_shared_from_this<CLibraryIndex> {
public:
    // The key of an entry; an empty key leaves the entry out of the index.
    using KeyFunction = std::function<QString(const LibraryEntry&)>;

    explicit CLibraryIndex(KeyFunction keyOf) : m_keyOf(std::move(keyOf)) {}

    // The group of key; an empty one when no entry has it yet, which entries that come later join.
    std::shared_ptr<const CLibrarySelection> Watch(const QString& key);
    // Null when no entry has that key.
    const CLibrarySelection* Find(const QString& key) const;
    // A watcher lets go of its group: an empty group nobody else holds goes.
    void Release(std::shared_ptr<const CLibrarySelection> selection);

    // An entry came (before is null), changed, or went (after is null).
    void Update(const LibraryEntry* before, const LibraryEntry* after);

private:
    KeyFunction m_keyOf;
    QHash<QString, std::shared_ptr<CLibrarySelection>> m_groups;
};
