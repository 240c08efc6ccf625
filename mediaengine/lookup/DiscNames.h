#pragma once
// Names a metadata service gave a disc: the album, its artist and, per audio track in disc order,
// a title and an artist; with where they came from, for the log and the rip tool.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

struct TrackNames {
    QString title;
    QString artist;
    bool operator==(const TrackNames&) const = default;
};

struct DiscNames {
    QString album;
    QString albumArtist;
    QList<TrackNames> tracks;
    QString source; // e.g. "MusicBrainz release <id>", "CDDB rock/<id>"

    bool operator==(const DiscNames&) const = default;

    // The form kept in the cache; FromJson refuses anything else.
    QByteArray ToJson() const;
    static std::optional<DiscNames> FromJson(const QByteArray& json);

    // A text from a server as a name: control characters go, blanks around it go, and it is cut to
    // kMaxLength UTF-16 code units without splitting a character. Path characters stay: whoever
    // makes a path of a name makes it safe.
    static QString Clean(const QString& text);
    static constexpr int kMaxLength = 255;
};
