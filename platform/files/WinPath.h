#pragma once
// A Windows path taken apart: drive letter plus the list of folder and file names below the drive
// root, with "." and ".." already resolved. Parsing is purely textual; whether the drive exists or
// the names lie on disk is the volume table's business.

#include "platform/win/WinTypes.h"

#include <QChar>
#include <QString>
#include <QStringList>

class CWinPath {
public:
    enum class Wildcards { Refuse, AllowInLast };

    // Parses "E:\a\b", "E:/a/b", "e:\a\..\b" or "E:" (the root). Refuses with ERROR_BAD_PATHNAME a
    // path that is relative ("a\b", "\a", "E:a"), a UNC or device path, or one whose ".." climbs
    // above the drive root; with ERROR_INVALID_NAME a name holding a character Windows does not
    // allow in file names (wildcards only in the last name when asked for, as a search pattern).
    static LONG Parse(const QString& text, CWinPath* path, Wildcards wildcards = Wildcards::Refuse);

    QChar Letter() const { return m_letter; }
    const QStringList& Names() const { return m_names; }
    bool IsRoot() const { return m_names.isEmpty(); }
    // The text ended in a separator ("E:\a\"): a search pattern like that matches nothing.
    bool HasTrailingSeparator() const { return m_trailingSeparator; }
    QString Leaf() const { return m_names.isEmpty() ? QString() : m_names.last(); }
    CWinPath Parent() const;
    CWinPath Child(const QString& name) const;
    // "E:\a\b", or "E:\" for the root.
    QString ToString() const;
    // "a/b" below the drive root, empty for the root.
    QString Relative() const { return m_names.join(QLatin1Char('/')); }

    static bool HasWildcards(const QString& name);

private:
    QChar m_letter;
    QStringList m_names;
    bool m_trailingSeparator = false;
};
