#include "source/RipFolderTree.h"

#include <QStringList>

namespace {

const QChar kSeparator = QLatin1Char('\\');

} // namespace

CRipFolderTree::CRipFolderTree(const QString& ripFolder) : m_folder(ripFolder) {
    while (m_folder.endsWith(kSeparator))
        m_folder.chop(1);
}

bool CRipFolderTree::Holds(const QString& path) const {
    const QString folder = FolderOf(path);
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
    return Holds(path) && HoldsFolder(FolderOf(path));
}

QString CRipFolderTree::FolderOf(const QString& path) {
    const qsizetype last = path.lastIndexOf(kSeparator);
    if (last <= 0)
        return path;
    if (last == path.size() - 1)
        return QString();
    return path.left(last);
}

QString CRipFolderTree::FileNameOf(const QString& path) {
    const qsizetype last = path.lastIndexOf(kSeparator);
    return last >= 1 ? path.mid(last + 1) : path;
}

QString CRipFolderTree::ExtensionOf(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 1 || dot == name.size() - 1)
        return QString();
    return name.mid(dot + 1);
}
