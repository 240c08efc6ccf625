#pragma once
// One entry of the media library: a file (its source URL, a Windows path) and its text attributes.

#include <QMap>
#include <QString>

struct LibraryEntry {
    qint64 id = 0;
    QString url;
    // Lower-case attribute name -> value.
    QMap<QString, QString> attributes;
    QString Get(const QString& name) const { return attributes.value(name.toLower()); }
    // "WM/TrackNumber" ("3" or "3/12") as a number; 0 when it is none.
    int TrackNumber() const {
        bool ok = false;
        const int number =
            attributes.value(QStringLiteral("wm/tracknumber")).section(QLatin1Char('/'), 0, 0).toInt(&ok);
        return ok ? number : 0;
    }
};
