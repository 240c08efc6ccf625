#include "mediaengine/lookup/CddbReply.h"

#include "mediaengine/disc/CdTextDecoder.h"

#include <QMap>
#include <QRegularExpression>
#include <QStringList>
#include <optional>
#include <utility>

namespace {

// The reply's lines without their line ends, the status line first; up to the terminating ".".
QStringList Lines(const QByteArray& body) {
    QStringList lines;
    for (QString line : CCdTextDecoder::FromBytes(body).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        if (line == QLatin1String(".") && !lines.isEmpty()) {
            break;
        }
        lines << line;
    }
    return lines;
}

int StatusOf(const QString& line) {
    bool ok = false;
    const int code = line.left(3).toInt(&ok);
    return ok && (line.size() == 3 || line.at(3) == QLatin1Char(' ')) ? code : -1;
}

std::optional<CddbMatch> MatchOf(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^([a-zA-Z]{1,32}) ([0-9a-fA-F]{8})(?: (.*))?$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return CddbMatch{match.captured(1).toLower(), match.captured(2).toLower(),
                     DiscNames::Clean(match.captured(3))};
}

CddbReply Failed(CddbReply::Outcome outcome, const QString& reason) {
    CddbReply reply;
    reply.outcome = outcome;
    reply.reason = reason;
    return reply;
}

CddbReply FromStatus(int status, const QString& line) {
    if (status >= 400 && status < 600) {
        return Failed(CddbReply::Outcome::ServerError, line.trimmed());
    }
    return Failed(CddbReply::Outcome::Malformed,
                  QStringLiteral("unexpected status line \"%1\"").arg(line.left(80)));
}

// xmcd escapes in titles: \n, \t and \\.
QString Unescape(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar next = text.at(++i);
            out += next == QLatin1Char('n') || next == QLatin1Char('t') ? QChar(QLatin1Char(' ')) : next;
        } else {
            out += text.at(i);
        }
    }
    return out;
}

// "Artist / Title" at the first " / "; without it, the whole text is both.
std::pair<QString, QString> Split(const QString& text) {
    const qsizetype at = text.indexOf(QLatin1String(" / "));
    if (at < 0) {
        return {text, text};
    }
    return {text.left(at), text.mid(at + 3)};
}

} // namespace

CddbReply CddbReply::ParseQuery(const QByteArray& body) {
    const QStringList lines = Lines(body);
    if (lines.isEmpty()) {
        return Failed(Outcome::Malformed, QStringLiteral("empty reply"));
    }
    const int status = StatusOf(lines.first());
    if (status == 202) {
        return Failed(Outcome::NotFound, QStringLiteral("no match"));
    }
    CddbReply reply;
    if (status == 200) {
        if (const auto match = MatchOf(lines.first().mid(4))) {
            reply.matches << *match;
        }
    } else if (status == 210 || status == 211) {
        for (qsizetype i = 1; i < lines.size(); ++i) {
            if (const auto match = MatchOf(lines.at(i))) {
                reply.matches << *match;
            }
        }
    } else {
        return FromStatus(status, lines.first());
    }
    if (reply.matches.isEmpty()) {
        return Failed(Outcome::Malformed, QStringLiteral("a match status without a readable match"));
    }
    reply.outcome = Outcome::Found;
    reply.reason = status == 211
                       ? QStringLiteral("%1 inexact match(es), the first taken").arg(reply.matches.size())
                       : QStringLiteral("%1 exact match(es), the first taken").arg(reply.matches.size());
    return reply;
}

CddbReply CddbReply::ParseEntry(const QByteArray& body, int trackCount) {
    const QStringList lines = Lines(body);
    if (lines.isEmpty()) {
        return Failed(Outcome::Malformed, QStringLiteral("empty reply"));
    }
    const int status = StatusOf(lines.first());
    if (status == 401) {
        return Failed(Outcome::NotFound, lines.first().trimmed());
    }
    if (status != 210) {
        return FromStatus(status, lines.first());
    }
    // A keyword may span several lines; their values join.
    QMap<QString, QString> values;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (line.startsWith(QLatin1Char('#')) || equals <= 0) {
            continue;
        }
        values[line.left(equals).trimmed().toUpper()] += line.mid(equals + 1);
    }
    if (!values.contains(QStringLiteral("DTITLE"))) {
        return Failed(Outcome::Malformed, QStringLiteral("no DTITLE in the entry"));
    }
    int titles = 0;
    while (values.contains(QStringLiteral("TTITLE%1").arg(titles))) {
        ++titles;
    }
    if (titles != trackCount) {
        return Failed(Outcome::TrackCountDiffers,
                      QStringLiteral("the entry has %1 tracks, the disc %2").arg(titles).arg(trackCount));
    }
    CddbReply reply;
    reply.outcome = Outcome::Found;
    const auto [artist, album] = Split(Unescape(values.value(QStringLiteral("DTITLE"))));
    reply.names.albumArtist = DiscNames::Clean(artist);
    reply.names.album = DiscNames::Clean(album);
    // On a compilation each title names its own artist.
    const bool various = reply.names.albumArtist.startsWith(QLatin1String("Various"), Qt::CaseInsensitive);
    for (int n = 0; n < titles; ++n) {
        const QString title = Unescape(values.value(QStringLiteral("TTITLE%1").arg(n)));
        TrackNames track{DiscNames::Clean(title), reply.names.albumArtist};
        if (various && title.contains(QLatin1String(" / "))) {
            const auto [trackArtist, trackTitle] = Split(title);
            track = {DiscNames::Clean(trackTitle), DiscNames::Clean(trackArtist)};
        }
        reply.names.tracks << track;
    }
    return reply;
}
