#include "mediaengine/lookup/MusicBrainzReply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <vector>

namespace {

QString Text(const QJsonObject& object, const char* key) {
    return object.value(QLatin1String(key)).toString();
}

// "Artist A feat. Artist B": each credit's name and the phrase that joins it to the next.
QString Credit(const QJsonValue& value) {
    QString text;
    for (const QJsonValue& part : value.toArray()) {
        const QJsonObject credit = part.toObject();
        QString name = Text(credit, "name");
        if (name.isEmpty()) {
            name = Text(credit.value(QLatin1String("artist")).toObject(), "name");
        }
        text += name + Text(credit, "joinphrase");
    }
    return DiscNames::Clean(text);
}

bool HasDisc(const QJsonObject& medium, const QString& discId) {
    const QJsonArray discs = medium.value(QLatin1String("discs")).toArray();
    return std::any_of(discs.begin(), discs.end(),
                       [&](const QJsonValue& disc) { return Text(disc.toObject(), "id") == discId; });
}

QString ReleaseCountry(const QJsonObject& release) {
    if (const QString country = Text(release, "country"); !country.isEmpty()) {
        return country;
    }
    for (const QJsonValue& event : release.value(QLatin1String("release-events")).toArray()) {
        const QJsonArray codes = event.toObject()
                                     .value(QLatin1String("area"))
                                     .toObject()
                                     .value(QLatin1String("iso-3166-1-codes"))
                                     .toArray();
        if (!codes.isEmpty()) {
            return codes.first().toString();
        }
    }
    return QString();
}

struct Candidate {
    QJsonObject release;
    QJsonObject medium;
    int score = 0; // 2 for the user's country, 1 for the user's script
    QString date;  // "9999" when unknown, so it sorts last
    QString id;
};

DiscNames NamesOf(const Candidate& candidate) {
    DiscNames names;
    names.album = DiscNames::Clean(Text(candidate.release, "title"));
    names.albumArtist = Credit(candidate.release.value(QLatin1String("artist-credit")));
    names.source = QStringLiteral("MusicBrainz release %1").arg(candidate.id);
    for (const QJsonValue& value : candidate.medium.value(QLatin1String("tracks")).toArray()) {
        const QJsonObject track = value.toObject();
        const QJsonObject recording = track.value(QLatin1String("recording")).toObject();
        TrackNames names1;
        names1.title = DiscNames::Clean(Text(track, "title"));
        if (names1.title.isEmpty()) {
            names1.title = DiscNames::Clean(Text(recording, "title"));
        }
        names1.artist = Credit(track.value(QLatin1String("artist-credit")));
        if (names1.artist.isEmpty()) {
            names1.artist = Credit(recording.value(QLatin1String("artist-credit")));
        }
        if (names1.artist.isEmpty()) {
            names1.artist = names.albumArtist;
        }
        names.tracks.append(names1);
    }
    return names;
}

} // namespace

ReleasePreference ReleasePreference::FromLocale() {
    const QLocale locale = QLocale::system();
    if (locale.territory() == QLocale::AnyTerritory || locale.language() == QLocale::C) {
        return {QStringLiteral("JP"), QStringLiteral("Jpan")};
    }
    return {QLocale::territoryToCode(locale.territory()), QLocale::scriptToCode(locale.script())};
}

MusicBrainzReply MusicBrainzReply::Parse(const QByteArray& body, const QString& discId, int trackCount,
                                         const ReleasePreference& preference) {
    MusicBrainzReply reply;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        reply.reason = QStringLiteral("not a JSON object (%1)").arg(error.errorString());
        return reply;
    }
    const QJsonObject root = document.object();
    const QJsonValue releases = root.value(QLatin1String("releases"));
    if (!releases.isArray()) {
        reply.outcome = root.contains(QLatin1String("error")) ? Outcome::NotFound : Outcome::Malformed;
        reply.reason =
            reply.outcome == Outcome::NotFound ? Text(root, "error") : QStringLiteral("no releases");
        return reply;
    }
    // A disc-id answer names its id; a TOC answer matches by layout, so any medium with the
    // disc's track count may be the disc.
    const bool byId = !discId.isEmpty() && Text(root, "id") == discId;
    std::vector<Candidate> candidates;
    int wrongCount = 0;
    for (const QJsonValue& value : releases.toArray()) {
        const QJsonObject release = value.toObject();
        for (const QJsonValue& mediumValue : release.value(QLatin1String("media")).toArray()) {
            const QJsonObject medium = mediumValue.toObject();
            if (byId && !HasDisc(medium, discId)) {
                continue;
            }
            const QString format = Text(medium, "format");
            if (!byId && !format.isEmpty() && !format.contains(QLatin1String("CD"))) {
                continue;
            }
            if (medium.value(QLatin1String("tracks")).toArray().size() != trackCount) {
                ++wrongCount;
                continue;
            }
            Candidate candidate{release, medium};
            candidate.id = Text(release, "id");
            const QString script =
                Text(release.value(QLatin1String("text-representation")).toObject(), "script");
            candidate.score =
                (!preference.country.isEmpty() && ReleaseCountry(release) == preference.country ? 2 : 0) +
                (!preference.script.isEmpty() && script == preference.script ? 1 : 0);
            candidate.date = Text(release, "date");
            if (candidate.date.isEmpty()) {
                candidate.date = QStringLiteral("9999");
            }
            candidates.push_back(candidate);
            break; // one medium per release: the first that fits
        }
    }
    if (candidates.empty()) {
        reply.outcome = wrongCount > 0 ? Outcome::TrackCountDiffers : Outcome::NotFound;
        reply.reason =
            wrongCount > 0
                ? QStringLiteral("%1 medium(s) found, none with %2 tracks").arg(wrongCount).arg(trackCount)
                : QStringLiteral("no release has this disc");
        return reply;
    }
    const auto best =
        std::min_element(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
            if (a.score != b.score) {
                return a.score > b.score;
            }
            if (a.date != b.date) {
                return a.date < b.date;
            }
            return a.id < b.id;
        });
    reply.outcome = Outcome::Found;
    reply.names = NamesOf(*best);
    QStringList why;
    if (best->score & 2) {
        why << QStringLiteral("country %1").arg(preference.country);
    }
    if (best->score & 1) {
        why << QStringLiteral("script %1").arg(preference.script);
    }
    why << (best->date == QLatin1String("9999") ? QStringLiteral("no date")
                                                : QStringLiteral("dated %1").arg(best->date));
    reply.reason = QStringLiteral("release %1 of %2 (%3)")
                       .arg(best->id)
                       .arg(candidates.size())
                       .arg(why.join(QStringLiteral(", ")));
    if (candidates.size() > 1) {
        reply.reason += QStringLiteral(": the user's country and script first, then the earliest");
    }
    return reply;
}
