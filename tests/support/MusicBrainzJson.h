#pragma once
// Answers in the shape of MusicBrainz's web service (version 2, JSON, disc-id lookup with
// artist-credits and recordings), for the lookup's tests.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

struct MbRelease {
    QString id;
    QString title;
    QString artist;
    QString date;
    QString country;
    QString script;
    QString discId; // the medium carries this disc id
    QStringList titles;
};

inline QJsonArray MbCredit(const QString& name) {
    return QJsonArray{
        QJsonObject{{"name", name}, {"joinphrase", ""}, {"artist", QJsonObject{{"name", name}}}}};
}

inline QJsonObject MbReleaseJson(const MbRelease& r) {
    QJsonArray tracks;
    for (int i = 0; i < r.titles.size(); ++i) {
        tracks.append(QJsonObject{
            {"position", i + 1},
            {"number", QString::number(i + 1)},
            {"title", r.titles[i]},
            {"length", 180000},
            {"recording", QJsonObject{{"id", QStringLiteral("rec-%1").arg(i)}, {"title", r.titles[i]}}}});
    }
    QJsonObject medium{
        {"position", 1}, {"format", "CD"}, {"track-count", int(r.titles.size())}, {"tracks", tracks}};
    medium["discs"] = r.discId.isEmpty() ? QJsonArray{} : QJsonArray{QJsonObject{{"id", r.discId}}};
    QJsonObject release{{"id", r.id},
                        {"title", r.title},
                        {"status", "Official"},
                        {"artist-credit", MbCredit(r.artist)},
                        {"media", QJsonArray{medium}}};
    if (!r.date.isEmpty()) {
        release["date"] = r.date;
    }
    if (!r.country.isEmpty()) {
        release["country"] = r.country;
    }
    if (!r.script.isEmpty()) {
        release["text-representation"] = QJsonObject{{"language", "jpn"}, {"script", r.script}};
    }
    return release;
}

// A disc-id answer (with the id) or, with an empty id, a TOC answer.
inline QByteArray MbAnswer(const QString& discId, const QList<MbRelease>& releases) {
    QJsonArray list;
    for (const MbRelease& r : releases) {
        list.append(MbReleaseJson(r));
    }
    QJsonObject root{{"releases", list}};
    if (!discId.isEmpty()) {
        root["id"] = discId;
        root["sectors"] = 70150;
    } else {
        root["release-count"] = int(releases.size());
    }
    return QJsonDocument(root).toJson();
}
