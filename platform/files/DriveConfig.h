#pragma once
// The user's drive configuration file: folders that count as removable cards (a phone or a player
// mounted as a folder, a size-limited file system for tests) and disc images that count as CD
// drives. One drive per line; '#' starts a comment:
//
//   card <folder> [label=<text>] [size=<bytes>[K|M|G|T]] [letter=<X>]
//   cd <image.cue> [label=<text>] [letter=<X>]
//
// A word with blanks goes in double quotes (\" and \\ inside). "~/" stands for the home folder, a
// relative path is taken from the file's own folder. A malformed line is skipped with a warning
// that names the file and the line.

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class CDriveConfig {
public:
    enum class Kind { Card, Cd };
    struct Entry {
        Kind kind = Kind::Card;
        QString path; // absolute
        QString label;
        std::optional<quint64> size;
        QChar letter; // null: any free letter
        int line = 0;
    };

    // A missing file is no drive and no warning.
    static QList<Entry> Read(const QString& file, const QString& home, QStringList* warnings);
    static QList<Entry> Parse(const QByteArray& text, const QString& file, const QString& home,
                              QStringList* warnings);
};
