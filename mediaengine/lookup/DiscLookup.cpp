#include "mediaengine/lookup/DiscLookup.h"

#include "mediaengine/lookup/CddbReply.h"

#include <QDeadlineTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrlQuery>
#include <algorithm>
#include <chrono>
#include <mutex>
#include <utility>

namespace {

// MusicBrainz allows one request per second from a client: every lookup of the process shares
// this gate. Reserves the next slot and says how long to wait for it.
int MusicBrainzWaitMs(int intervalMs) {
    static std::mutex mutex;
    static std::chrono::steady_clock::time_point next;
    const std::lock_guard lock(mutex);
    const auto now = std::chrono::steady_clock::now();
    const auto slot = std::max(now, next);
    next = slot + std::chrono::milliseconds(intervalMs);
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(slot - now).count());
}

const char* kIncludes = "artist-credits+recordings";

} // namespace

CDiscLookup::CDiscLookup(LookupSettings settings, ReleasePreference preference, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)), m_preference(std::move(preference)),
      m_network(new QNetworkAccessManager(this)), m_deadline(new QTimer(this)) {
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, [this] {
        m_log << QStringLiteral("no answer within %1 ms").arg(m_settings.timeoutMs);
        Finish(LookupResult::Outcome::Failed);
    });
}

CDiscLookup::~CDiscLookup() {
    m_finished = true;
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void CDiscLookup::Start(const DiscIds& ids, Done done) {
    m_ids = ids;
    m_done = std::move(done);
    if (!ids.IsValid()) {
        m_log << QStringLiteral("the disc has no audio tracks to look up");
        Finish(LookupResult::Outcome::NotFound);
        return;
    }
    m_deadline->start(m_settings.timeoutMs);
    Request(Step::MusicBrainzId, MusicBrainzUrl(ids.musicBrainz, QString()));
}

QUrl CDiscLookup::MusicBrainzUrl(const QString& id, const QString& toc) const {
    // Built as text: QUrlQuery would encode the "+" that joins the includes and the TOC.
    QString url = m_settings.musicBrainzRoot + QStringLiteral("/ws/2/discid/") +
                  QString::fromLatin1(QUrl::toPercentEncoding(id)) + QStringLiteral("?inc=") +
                  QLatin1String(kIncludes) + QStringLiteral("&fmt=json");
    if (!toc.isEmpty()) {
        url += QStringLiteral("&cdstubs=no&toc=") + toc;
    }
    return QUrl(url, QUrl::StrictMode);
}

QUrl CDiscLookup::CddbUrl(const QString& command) const {
    QString words = command;
    words.replace(QLatin1Char(' '), QLatin1Char('+'));
    const QString hello = QStringLiteral("ollivane+localhost+Ollivane+") +
                          m_settings.userAgent.section(QLatin1Char('/'), 1).section(QLatin1Char(' '), 0, 0);
    const QString separator =
        m_settings.cddbUrl.contains(QLatin1Char('?')) ? QStringLiteral("&") : QStringLiteral("?");
    return QUrl(m_settings.cddbUrl + separator + QStringLiteral("cmd=") + words + QStringLiteral("&hello=") +
                    hello + QStringLiteral("&proto=6"),
                QUrl::StrictMode);
}

void CDiscLookup::Request(Step step, const QUrl& url) {
    m_step = step;
    m_url = url;
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
        m_log << QStringLiteral("%1 is not an HTTP address").arg(url.toString());
        m_serviceFailed = true;
        if (step == Step::MusicBrainzId || step == Step::MusicBrainzToc) {
            AskCddb();
        } else {
            Finish(LookupResult::Outcome::Failed);
        }
        return;
    }
    const bool musicBrainz = step == Step::MusicBrainzId || step == Step::MusicBrainzToc;
    const int wait = musicBrainz ? MusicBrainzWaitMs(m_settings.musicBrainzIntervalMs) : 0;
    if (wait > 0) {
        QTimer::singleShot(wait, this, [this] { Send(); });
    } else {
        Send();
    }
}

void CDiscLookup::Send() {
    if (m_finished) {
        return;
    }
    QNetworkRequest request(m_url);
    request.setHeader(QNetworkRequest::UserAgentHeader, m_settings.userAgent);
    request.setRawHeader("Accept", m_step == Step::MusicBrainzId || m_step == Step::MusicBrainzToc
                                       ? QByteArray("application/json")
                                       : QByteArray("text/plain"));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(3);
    request.setTransferTimeout(qMax(1, m_deadline->remainingTime()));
    m_reply = m_network->get(request);
    // The body is read in one piece at the end; one that grows beyond the limit is given up.
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        if (m_reply && (received > m_settings.maxReplyBytes || total > m_settings.maxReplyBytes)) {
            m_log << QStringLiteral("%1 answered more than %2 bytes")
                         .arg(m_url.host())
                         .arg(m_settings.maxReplyBytes);
            QNetworkReply* reply = std::exchange(m_reply, nullptr);
            reply->disconnect(this);
            reply->abort();
            reply->deleteLater();
            m_serviceFailed = true;
            if (m_step == Step::MusicBrainzId || m_step == Step::MusicBrainzToc) {
                AskCddb();
            } else {
                Finish(LookupResult::Outcome::Failed);
            }
        }
    });
    connect(m_reply, &QNetworkReply::finished, this, &CDiscLookup::Answered);
}

void CDiscLookup::Answered() {
    QNetworkReply* reply = std::exchange(m_reply, nullptr);
    if (!reply) {
        return;
    }
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->read(m_settings.maxReplyBytes + 1);
    if (reply->error() != QNetworkReply::NoError && status == 0) {
        m_log << QStringLiteral("%1: %2").arg(m_url.host(), reply->errorString());
        m_serviceFailed = true;
        if (m_step == Step::MusicBrainzId || m_step == Step::MusicBrainzToc) {
            AskCddb();
        } else {
            Finish(LookupResult::Outcome::Failed);
        }
        return;
    }
    if (m_step == Step::MusicBrainzId || m_step == Step::MusicBrainzToc) {
        OnMusicBrainz(status, body);
    } else {
        OnCddb(status, body);
    }
}

void CDiscLookup::OnMusicBrainz(int status, const QByteArray& body) {
    const bool byId = m_step == Step::MusicBrainzId;
    const QString what = byId ? QStringLiteral("MusicBrainz disc id") : QStringLiteral("MusicBrainz TOC");
    if (status == 404) {
        m_log << QStringLiteral("%1: not found").arg(what);
        if (byId) {
            Request(Step::MusicBrainzToc, MusicBrainzUrl(QStringLiteral("-"), m_ids.MusicBrainzToc()));
        } else {
            AskCddb();
        }
        return;
    }
    if (status != 200) {
        m_log << QStringLiteral("%1: HTTP %2").arg(what).arg(status);
        m_serviceFailed = true;
        AskCddb();
        return;
    }
    const MusicBrainzReply reply =
        MusicBrainzReply::Parse(body, byId ? m_ids.musicBrainz : QString(), m_ids.TrackCount(), m_preference);
    m_log << QStringLiteral("%1: %2").arg(what, reply.reason);
    switch (reply.outcome) {
    case MusicBrainzReply::Outcome::Found:
        Finish(LookupResult::Outcome::Found, reply.names);
        return;
    case MusicBrainzReply::Outcome::NotFound:
    case MusicBrainzReply::Outcome::TrackCountDiffers:
        if (byId) {
            Request(Step::MusicBrainzToc, MusicBrainzUrl(QStringLiteral("-"), m_ids.MusicBrainzToc()));
        } else {
            AskCddb();
        }
        return;
    case MusicBrainzReply::Outcome::Malformed:
        m_serviceFailed = true;
        AskCddb();
        return;
    }
}

void CDiscLookup::AskCddb() {
    if (m_settings.cddbUrl.isEmpty()) {
        Finish(m_serviceFailed ? LookupResult::Outcome::Failed : LookupResult::Outcome::NotFound);
        return;
    }
    Request(Step::CddbQuery, CddbUrl(QStringLiteral("cddb query ") + m_ids.CddbQueryArguments()));
}

void CDiscLookup::OnCddb(int status, const QByteArray& body) {
    const bool query = m_step == Step::CddbQuery;
    if (status != 200) {
        m_log << QStringLiteral("CDDB: HTTP %1").arg(status);
        m_serviceFailed = true;
        Finish(LookupResult::Outcome::Failed);
        return;
    }
    const CddbReply reply =
        query ? CddbReply::ParseQuery(body) : CddbReply::ParseEntry(body, m_ids.TrackCount());
    m_log << QStringLiteral("CDDB %1: %2")
                 .arg(query ? QStringLiteral("query") : QStringLiteral("read"), reply.reason);
    switch (reply.outcome) {
    case CddbReply::Outcome::Found:
        if (query) {
            const CddbMatch& match = reply.matches.first();
            m_cddbEntry = match.category + QLatin1Char('/') + match.discId;
            m_log.last() += QStringLiteral(" (%1)").arg(m_cddbEntry);
            Request(Step::CddbRead,
                    CddbUrl(QStringLiteral("cddb read %1 %2").arg(match.category, match.discId)));
        } else {
            DiscNames names = reply.names;
            names.source = QStringLiteral("CDDB %1").arg(m_cddbEntry);
            Finish(LookupResult::Outcome::Found, names);
        }
        return;
    case CddbReply::Outcome::NotFound:
    case CddbReply::Outcome::TrackCountDiffers:
        Finish(m_serviceFailed ? LookupResult::Outcome::Failed : LookupResult::Outcome::NotFound);
        return;
    case CddbReply::Outcome::Malformed:
    case CddbReply::Outcome::ServerError:
        m_serviceFailed = true;
        Finish(LookupResult::Outcome::Failed);
        return;
    }
}

void CDiscLookup::Finish(LookupResult::Outcome outcome, const DiscNames& names) {
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_deadline->stop();
    if (QNetworkReply* reply = std::exchange(m_reply, nullptr)) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    LookupResult result;
    result.outcome = outcome;
    result.names = names;
    result.log = m_log.join(QStringLiteral("; "));
    if (m_done) {
        // The callback may destroy this object.
        const Done done = std::move(m_done);
        done(result);
    }
}
