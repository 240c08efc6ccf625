#include "mediaengine/lookup/DiscNamer.h"

#include "mediaengine/Logging.h"
#include "mediaengine/cd/CdDisc.h"
#include "mediaengine/lookup/DiscIds.h"
#include "mediaengine/lookup/LookupResult.h"
#include "mediaengine/lookup/LookupThread.h"
#include "platform/messages/MessageLoop.h"

#include <QDebug>

namespace {

// Nothing to fill: the disc names its album and every track itself.
bool NamesItself(const CCdDisc& disc) {
    if (disc.Info().album.isEmpty()) {
        return false;
    }
    for (const DiscTrack& track : disc.Info().tracks) {
        if (track.audio && track.title.isEmpty()) {
            return false;
        }
    }
    return true;
}

void Log(const QString& discId, const QString& text) {
    qCInfo(lcMediaEngine).noquote() << "disc lookup:" << discId + QLatin1Char(':') << text;
}

} // namespace

CDiscNamer::CDiscNamer(EngineContext context, LookupSettings settings)
    : m_context(std::move(context)), m_settings(std::move(settings)),
      m_preference(ReleasePreference::FromLocale()) {}

CDiscNamer::~CDiscNamer() {
    Shutdown();
}

void CDiscNamer::OpenCache(const QString& libraryFile) {
    QString error;
    if (!m_cache.Open(libraryFile, &error)) {
        qCWarning(lcMediaEngine).noquote() << "disc lookup: no cache of answers:" << error;
    }
}

void CDiscNamer::Shutdown() {
    m_stopped = true;
    if (m_thread) {
        m_thread->Stop();
        m_thread.reset();
    }
    m_waiting.clear();
}

void CDiscNamer::DiscArrived(const std::shared_ptr<CCdDisc>& disc) {
    if (m_stopped || !disc || !disc->HasDisc() || NamesItself(*disc)) {
        return;
    }
    const DiscIds ids = DiscIds::Of(disc->Info());
    if (!ids.IsValid()) {
        return;
    }
    if (const std::optional<CDiscNameCache::Entry> cached = m_cache.Find(ids.musicBrainz)) {
        if (cached->found) {
            disc->ApplyNames(cached->names);
            Log(ids.musicBrainz, QStringLiteral("named from the cache (%1)").arg(cached->names.source));
        } else {
            Log(ids.musicBrainz, QStringLiteral("not found when last asked, less than a day ago"));
        }
        return;
    }
    if (!LookupSettings::OnlineAllowed()) {
        Log(ids.musicBrainz, QStringLiteral("not looked up: the player's preferences keep it offline"));
        return;
    }
    if (!m_context.loop) {
        return;
    }
    auto& waiting = m_waiting[ids.musicBrainz];
    waiting.append(disc);
    if (waiting.size() > 1) {
        return; // asked already; the answer names this record too
    }
    if (!m_thread) {
        m_thread = std::make_unique<CLookupThread>();
    }
    const std::weak_ptr<CDiscNamer> weak = weak_from_this();
    IMessageLoop* loop = m_context.loop;
    const QString id = ids.musicBrainz;
    m_thread->Lookup(ids, m_settings, m_preference, [weak, loop, id](const LookupResult& result) {
        // On the lookup thread: only the loop is touched here.
        loop->RunOnUiThread([weak, id, result] {
            if (const auto self = weak.lock()) {
                self->Answered(id, result);
            }
        });
    });
}

void CDiscNamer::Answered(const QString& discId, const LookupResult& result) {
    if (m_stopped) {
        return;
    }
    const QList<std::weak_ptr<CCdDisc>> waiting = m_waiting.take(discId);
    switch (result.outcome) {
    case LookupResult::Outcome::Failed:
        Log(discId, QStringLiteral("no answer, the disc keeps its names (%1)").arg(result.log));
        return;
    case LookupResult::Outcome::NotFound:
        m_cache.Store(discId, std::nullopt);
        Log(discId, QStringLiteral("not found (%1)").arg(result.log));
        return;
    case LookupResult::Outcome::Found:
        break;
    }
    m_cache.Store(discId, result.names);
    QString outcome = QStringLiteral("the disc is no longer in its drive; kept for the next time");
    for (const std::weak_ptr<CCdDisc>& weak : waiting) {
        const std::shared_ptr<CCdDisc> disc = weak.lock();
        if (!disc) {
            continue;
        }
        if (disc->RipStarted()) {
            outcome = QStringLiteral("a rip of the disc has started: kept for the next time it is read");
        } else if (disc->ApplyNames(result.names)) {
            outcome = QStringLiteral("named");
            if (m_renamed) {
                m_renamed(disc);
            }
        } else {
            outcome = QStringLiteral("nothing left to name");
        }
    }
    Log(discId, QStringLiteral("%1 from %2 (%3)").arg(outcome, result.names.source, result.log));
}
