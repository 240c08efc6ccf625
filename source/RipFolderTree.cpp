#include "source/RipFolderTree.h"

#include "ui/text/TextRules.h"

#include <QStringList>

namespace {

const QChar kSeparator = QLatin1Char('\\');

} // namespace

CRipFolderTree::CRipFolderTree(const QString& ripFolder) : m_folder(ripFolder) {
    while (m_folder.endsWith(kSeparator))
        m_folder.chop(1);
}

bool CRipFolderTree::Holds(const QString& path) const {
    const QString folder = FolderOf(path, true);
    if (m_folder.isEmpty() || !folder.startsWith(m_folder))
        return false;
    const qsizetype first = folder.indexOf(kSeparator, m_folder.size());
    return first >= 0 && folder.indexOf(kSeparator, first + 1) >= 0;
}

bool CRipFolderTree::HoldsFolder(const QString& folder) const {
    if (m_folder.isEmpty() || folder.size() <= m_folder.size() + 1 || !folder.startsWith(m_folder) ||
        folder.at(m_folder.size()) != kSeparator)
        return false;
    // Every name below the rip folder must be a real one: no empty, "." or ".." step out of it.
    const QStringList names = folder.mid(m_folder.size() + 1).split(kSeparator);
    for (const QString& name : names) {
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
            return false;
    }
    return true;
}

bool CRipFolderTree::HoldsFile(const QString& path) const {
    return Holds(path) && HoldsFolder(FolderOf(path, true));
}
