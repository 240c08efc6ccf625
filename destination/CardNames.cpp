#include "destination/CardNames.h"

#include "platform/files/WinPath.h"
#include "platform/win/WinTypes.h"
#include "ui/text/TextRules.h"

namespace {

bool RefusedByFat(QChar c) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F)
        return true;
    switch (c.unicode()) {
    case '\\':
    case '/':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
        return true;
    default:
        return false;
    }
}

QString ValidCharacters(const QString& name) {
    QString valid = name;
    for (QChar& c : valid) {
        if (RefusedByFat(c))
            c = QChar(kReplacementChar);
    }
    return valid;
}

} // namespace

QString CardName(const QString& name) {
    QString valid = ValidCharacters(name);
    // FAT drops trailing dots and spaces, which would merge names and let ".." climb.
    for (qsizetype i = valid.size() - 1;
         i >= 0 && (valid.at(i) == QLatin1Char('.') || valid.at(i) == QLatin1Char(' ')); --i)
        valid[i] = QChar(kReplacementChar);
    if (valid.isEmpty())
        valid = QString(QChar(kReplacementChar));
    return valid;
}

QString CardAlbumFolder(const QString& cardPath, const QString& albumName) {
    return cardPath + QLatin1Char('\\') + kAudioFolder + QLatin1Char('\\') + CardName(CleanName(albumName));
}

bool CardFilePath(const QString& albumFolder, const QString& sourcePath, QString* target) {
    QString name = ValidCharacters(CleanTitle(sourcePath));
    const QString extension = ExtensionOf(sourcePath);
    if (!extension.isEmpty())
        name += QLatin1Char('.') + ValidCharacters(extension);
    name = CardName(name);
    const QString path = albumFolder + QLatin1Char('\\') + name;
    if (path.size() >= MAX_PATH)
        return false;
    CWinPath parsed;
    CWinPath folder;
    if (CWinPath::Parse(path, &parsed) != ERROR_SUCCESS ||
        CWinPath::Parse(albumFolder, &folder) != ERROR_SUCCESS)
        return false;
    if (parsed.Parent().ToString() != folder.ToString() || parsed.Leaf() != name ||
        folder.Names().size() != 2 || folder.Names().first() != kAudioFolder)
        return false;
    *target = path;
    return true;
}
