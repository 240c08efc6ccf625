#include "platform/files/WinPath.h"

namespace {

bool IsSeparator(QChar c) {
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

// Characters Windows refuses in a file name. The separators never reach here.
bool IsForbidden(QChar c) {
    if (c.unicode() < 0x20)
        return true;
    switch (c.unicode()) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
        return true;
    default:
        return false;
    }
}

} // namespace

bool CWinPath::HasWildcards(const QString& name) {
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

LONG CWinPath::Parse(const QString& text, CWinPath* path, Wildcards wildcards) {
    if (text.size() < 2 || text.at(1) != QLatin1Char(':'))
        return ERROR_BAD_PATHNAME;
    const QChar letter = text.at(0).toUpper();
    if (letter < QLatin1Char('A') || letter > QLatin1Char('Z'))
        return ERROR_BAD_PATHNAME;
    // "E:name" is relative to the drive's current folder, which this program never has.
    if (text.size() > 2 && !IsSeparator(text.at(2)))
        return ERROR_BAD_PATHNAME;

    CWinPath result;
    result.m_letter = letter;
    const QString rest = text.mid(3);
    result.m_trailingSeparator = text.size() > 3 && IsSeparator(text.back());

    QStringList raw;
    QString current;
    for (QChar c : rest) {
        if (IsSeparator(c)) {
            raw.append(current);
            current.clear();
        } else {
            current.append(c);
        }
    }
    raw.append(current);

    for (int i = 0; i < raw.size(); ++i) {
        const QString& name = raw.at(i);
        const bool last = i == raw.size() - 1;
        if (name.isEmpty() || name == QLatin1String("."))
            continue; // "E:\a\\b" and "E:\a\.\b" mean "E:\a\b", as on Windows
        if (name == QLatin1String("..")) {
            if (result.m_names.isEmpty())
                return ERROR_BAD_PATHNAME; // would leave the drive root
            result.m_names.removeLast();
            continue;
        }
        for (QChar c : name) {
            if (IsForbidden(c))
                return ERROR_INVALID_NAME;
        }
        if (HasWildcards(name) && !(last && wildcards == Wildcards::AllowInLast))
            return ERROR_INVALID_NAME;
        result.m_names.append(name);
    }
    *path = result;
    return ERROR_SUCCESS;
}

CWinPath CWinPath::Parent() const {
    CWinPath parent = *this;
    if (!parent.m_names.isEmpty())
        parent.m_names.removeLast();
    parent.m_trailingSeparator = false;
    return parent;
}

CWinPath CWinPath::Child(const QString& name) const {
    CWinPath child = *this;
    child.m_names.append(name);
    child.m_trailingSeparator = false;
    return child;
}

QString CWinPath::ToString() const {
    return QString(m_letter) + QLatin1String(":\\") + m_names.join(QLatin1Char('\\'));
}
