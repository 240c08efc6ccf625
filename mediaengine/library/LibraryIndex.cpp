#include "mediaengine/library/LibraryIndex.h"

std::shared_ptr<const CLibrarySelection> CLibraryIndex::Watch(const QString& key) {
    std::shared_ptr<CLibrarySelection>& group = m_groups[key];
    if (!group) {
        group = std::make_shared<CLibrarySelection>(weak_from_this(), key);
    }
    return group;
}

const CLibrarySelection* CLibraryIndex::Find(const QString& key) const {
    const auto it = m_groups.constFind(key);
    return it == m_groups.cend() || it.value()->IsEmpty() ? nullptr : it.value().get();
}

void CLibraryIndex::Release(std::shared_ptr<const CLibrarySelection> selection) {
    if (!selection) {
        return;
    }
    const auto it = m_groups.find(selection->Key());
    // The index's own reference and the one let go of: nobody else holds it.
    if (it != m_groups.end() && it.value() == selection && selection->IsEmpty() &&
        selection.use_count() <= 2) {
        m_groups.erase(it);
    }
}

void CLibraryIndex::Update(const LibraryEntry* before, const LibraryEntry* after) {
    const QString oldKey = before ? m_keyOf(*before) : QString();
    const QString newKey = after ? m_keyOf(*after) : QString();
    const int oldTrack = before ? before->TrackNumber() : 0;
    const int newTrack = after ? after->TrackNumber() : 0;
    if (before && after && oldKey == newKey && oldTrack == newTrack) {
        return;
    }
    if (!oldKey.isEmpty()) {
        const auto it = m_groups.find(oldKey);
        if (it != m_groups.end()) {
            it.value()->Erase(oldTrack, before->id);
            if (it.value()->IsEmpty() && it.value().use_count() == 1) {
                m_groups.erase(it);
            }
        }
    }
    if (!newKey.isEmpty()) {
        std::shared_ptr<CLibrarySelection>& group = m_groups[newKey];
        if (!group) {
            group = std::make_shared<CLibrarySelection>(weak_from_this(), newKey);
        }
        group->Insert(newTrack, after->id);
    }
}
