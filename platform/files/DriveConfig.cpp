#include "platform/files/DriveConfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <limits>

namespace {

// Splits a line into words; a quoted word may hold blanks. False for an unclosed quote.
bool SplitWords(const QString& line, QStringList* words) {
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < line.size() &&
                (line.at(i + 1) == QLatin1Char('"') || line.at(i + 1) == QLatin1Char('\\'))) {
                word.append(line.at(++i));
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                word.append(c);
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words->append(word);
            word.clear();
            inWord = false;
        } else if (c == QLatin1Char('#') && !inWord) {
            break;
        } else {
            word.append(c);
            inWord = true;
        }
    }
    if (quoted)
        return false;
    if (inWord)
        words->append(word);
    return true;
}

std::optional<quint64> ParseSize(const QString& text) {
    QString digits = text;
    quint64 unit = 1;
    const QChar suffix = text.isEmpty() ? QChar() : text.back().toUpper();
    const QString suffixes = QStringLiteral("KMGT");
    if (const qsizetype power = suffixes.indexOf(suffix); power >= 0) {
        digits.chop(1);
        unit = quint64(1) << (10 * (power + 1));
    }
    bool ok = false;
    const quint64 value = digits.toULongLong(&ok);
    if (!ok || value == 0 || value > std::numeric_limits<quint64>::max() / unit)
        return std::nullopt;
    return value * unit;
}

QString AbsolutePath(const QString& path, const QString& home, const QString& base) {
    if (path == QLatin1String("~"))
        return QDir::cleanPath(home);
    if (path.startsWith(QLatin1String("~/")))
        return QDir::cleanPath(home + path.mid(1));
    return QDir::cleanPath(QDir(base).absoluteFilePath(path));
}

} // namespace

QList<CDriveConfig::Entry> CDriveConfig::Read(const QString& file, const QString& home,
                                              QStringList* warnings) {
    QFile in(file);
    if (!in.exists())
        return {};
    if (!in.open(QIODevice::ReadOnly)) {
        warnings->append(
            QStringLiteral("%1: cannot be read (%2); no drives added from it").arg(file, in.errorString()));
        return {};
    }
    return Parse(in.readAll(), file, home, warnings);
}

QList<CDriveConfig::Entry> CDriveConfig::Parse(const QByteArray& text, const QString& file,
                                               const QString& home, QStringList* warnings) {
    QList<Entry> entries;
    const QString base = QFileInfo(file).absolutePath();
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const int number = int(index + 1);
        const auto skip = [&](const QString& why) {
            warnings->append(QStringLiteral("%1:%2: %3; line skipped").arg(file).arg(number).arg(why));
        };
        QStringList words;
        if (!SplitWords(QString::fromUtf8(lines[index]), &words)) {
            skip(QStringLiteral("a quote is not closed"));
            continue;
        }
        if (words.isEmpty())
            continue;
        Entry entry;
        entry.line = number;
        if (words[0] == QLatin1String("card")) {
            entry.kind = Kind::Card;
        } else if (words[0] == QLatin1String("cd")) {
            entry.kind = Kind::Cd;
        } else {
            skip(QStringLiteral("\"%1\" is neither card nor cd").arg(words[0]));
            continue;
        }
        if (words.size() < 2 || words[1].isEmpty() || words[1].contains(QLatin1Char('='))) {
            skip(QStringLiteral("the %1 needs a path").arg(words[0]));
            continue;
        }
        entry.path = AbsolutePath(words[1], home, base);
        QString problem;
        for (qsizetype w = 2; w < words.size() && problem.isEmpty(); ++w) {
            const qsizetype equals = words[w].indexOf(QLatin1Char('='));
            const QString key = words[w].left(equals);
            const QString value = equals < 0 ? QString() : words[w].mid(equals + 1);
            if (equals < 0) {
                problem = QStringLiteral("\"%1\" is not key=value").arg(words[w]);
            } else if (key == QLatin1String("label")) {
                entry.label = value;
            } else if (key == QLatin1String("size") && entry.kind == Kind::Card) {
                entry.size = ParseSize(value);
                if (!entry.size)
                    problem = QStringLiteral("size \"%1\" is not a size such as 512M or 2G").arg(value);
            } else if (key == QLatin1String("letter")) {
                const QChar letter = value.size() == 1 ? value.at(0).toUpper() : QChar();
                if (letter < QLatin1Char('D') || letter > QLatin1Char('Z'))
                    problem = QStringLiteral("letter \"%1\" is not one of D to Z").arg(value);
                entry.letter = letter;
            } else {
                problem = QStringLiteral("unknown setting \"%1\"").arg(key);
            }
        }
        if (!problem.isEmpty()) {
            skip(problem);
            continue;
        }
        const QFileInfo target(entry.path);
        if (entry.kind == Kind::Card && target.exists() && !target.isDir()) {
            skip(QStringLiteral("%1 is not a folder").arg(entry.path));
            continue;
        }
        if (entry.kind == Kind::Cd && target.isDir()) {
            skip(QStringLiteral("%1 is a folder, not a disc image").arg(entry.path));
            continue;
        }
        if (!target.exists()) {
            warnings->append(QStringLiteral("%1:%2: %3 does not exist; the %4 stays empty until it does")
                                 .arg(file)
                                 .arg(number)
                                 .arg(entry.path, entry.kind == Kind::Card ? QStringLiteral("card")
                                                                           : QStringLiteral("drive")));
        }
        entries.append(entry);
    }
    return entries;
}
