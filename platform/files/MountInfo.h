#pragma once
// The host's mount table, from /proc/self/mountinfo or a file in /proc/self/mounts format (the
// format is told apart line by line).

#include <QByteArray>
#include <QList>
#include <QString>

class CMountInfo {
public:
    struct Mount {
        QString device; // the source as the table names it (/dev/sdb1)
        QString point;
        QString type;
        // The folder of the file system that is mounted there: "/" unless a bind mount of a
        // subfolder (mountinfo only).
        QString root = QStringLiteral("/");
        bool readOnly = false;
    };

    // Every well-formed line; a line that is not is skipped.
    static QList<Mount> Parse(const QByteArray& text);
    // The file's contents, read until two reads agree (the table may change while it is read);
    // empty when it cannot be read.
    static QByteArray ReadStable(const QString& path);
};
