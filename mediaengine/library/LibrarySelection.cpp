#include "mediaengine/library/LibrarySelection.h"

#include <algorithm>

bool CLibrarySelection::Contains(qint64 id) const {
    return std::any_of(m_members.begin(), m_members.end(), [id](const Member& m) { return m.id == id; });
}

void CLibrarySelection::Insert(int track, qint64 id) {
    const Member member{track, id};
    const auto at = std::lower_bound(m_members.begin(), m_members.end(), member);
    if (at != m_members.end() && *at == member) {
        return;
    }
    m_members.insert(at, member);
    ++m_version;
}

void CLibrarySelection::Erase(int track, qint64 id) {
    const Member member{track, id};
    const auto at = std::lower_bound(m_members.begin(), m_members.end(), member);
    if (at == m_members.end() || !(*at == member)) {
        return;
    }
    m_members.erase(at);
    ++m_version;
}
