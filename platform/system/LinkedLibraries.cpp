#include "platform/system/LinkedLibraries.h"

#include <QtGlobal>

CLinkedLibraries::CLinkedLibraries() {
    m_libraries.push_back(
        {QStringLiteral("Qt"), QString::fromLatin1(qVersion()), QStringLiteral("LGPL-3.0-only")});
}

CLinkedLibraries& CLinkedLibraries::Instance() {
    static CLinkedLibraries instance;
    return instance;
}

void CLinkedLibraries::Add(const Library& library) {
    std::lock_guard lock(m_mutex);
    for (Library& known : m_libraries) {
        if (known.name == library.name) {
            known = library;
            return;
        }
    }
    m_libraries.push_back(library);
}

std::vector<CLinkedLibraries::Library> CLinkedLibraries::All() const {
    std::lock_guard lock(m_mutex);
    return m_libraries;
}
