#include "mediaengine/lookup/DiscNames.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray DiscNames::ToJson() const {
    QJsonArray list;
    for (const TrackNames& track : tracks) {
        list.append(
            QJsonObject{{QStringLiteral("title"), track.title}, {QStringLiteral("artist"), track.artist}});
    }
    const QJsonObject root{{QStringLiteral("album"), album},
                           {QStringLiteral("albumArtist"), albumArtist},
                           {QStringLiteral("source"), source},
                           {QStringLiteral("tracks"), list}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

std::optional<DiscNames> DiscNames::FromJson(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    if (!root.value(QStringLiteral("tracks")).isArray()) {
        return std::nullopt;
    }
    DiscNames names;
    names.album = Clean(root.value(QStringLiteral("album")).toString());
    names.albumArtist = Clean(root.value(QStringLiteral("albumArtist")).toString());
    names.source = Clean(root.value(QStringLiteral("source")).toString());
    for (const QJsonValue& value : root.value(QStringLiteral("tracks")).toArray()) {
        const QJsonObject track = value.toObject();
        names.tracks.append({Clean(track.value(QStringLiteral("title")).toString()),
                             Clean(track.value(QStringLiteral("artist")).toString())});
    }
    if (names.tracks.isEmpty() || names.tracks.size() > 99) {
        return std::nullopt;
    }
    return names;
}

QString DiscNames::Clean(const QString& text) {
    QString clean;
    clean.reserve(qMin(text.size(), qsizetype(kMaxLength) + 1));
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            clean.append(QLatin1Char(' '));
        } else {
            clean.append(c);
        }
    }
    clean = clean.trimmed();
    if (clean.size() > kMaxLength) {
        qsizetype cut = kMaxLength;
        if (clean.at(cut - 1).isHighSurrogate()) {
            --cut;
        }
        clean.truncate(cut);
        clean = clean.trimmed();
    }
    return clean;
}
