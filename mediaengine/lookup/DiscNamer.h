#pragma once
// Names the discs the drives read: from the cache at once (before anyone hears of the disc), else
// from the network on the lookup thread, never holding up the UI thread. An answer that arrives
// fills what the disc and the program left unnamed and is reported through `renamed`, as any
// change of the disc's names is; it is kept in the cache either way. Once a rip of the disc has
// started, an answer is only kept: the disc is named by it the next time it is read, never under
// a job. The player's preferences can forbid going online. UI thread only.

#include "mediaengine/core/EngineContext.h"
#include "mediaengine/lookup/DiscNameCache.h"
#include "mediaengine/lookup/LookupSettings.h"
#include "mediaengine/lookup/MusicBrainzReply.h"

#include <QHash>
#include <QList>
#include <functional>
#include <memory>

class CCdDisc;
class CLookupThread;
struct LookupResult;

class CDiscNamer : public std::enable_shared_from_this<CDiscNamer> {
public:
    using Renamed = std::function<void(const std::shared_ptr<CCdDisc>&)>;

    CDiscNamer(EngineContext context, LookupSettings settings);
    ~CDiscNamer();
    CDiscNamer(const CDiscNamer&) = delete;
    CDiscNamer& operator=(const CDiscNamer&) = delete;

    // The cache lives in the library's database file; without it every disc is looked up anew.
    void OpenCache(const QString& libraryFile);
    void SetRenamed(Renamed renamed) { m_renamed = std::move(renamed); }
    void DiscArrived(const std::shared_ptr<CCdDisc>& disc);
    // Aborts the lookups under way; nothing is reported after it.
    void Shutdown();

private:
    void Answered(const QString& discId, const LookupResult& result);

    EngineContext m_context;
    LookupSettings m_settings;
    ReleasePreference m_preference;
    CDiscNameCache m_cache;
    std::unique_ptr<CLookupThread> m_thread;
    Renamed m_renamed;
    // The discs waiting for the answer of a lookup under way, by disc id.
    QHash<QString, QList<std::weak_ptr<CCdDisc>>> m_waiting;
    bool m_stopped = false;
};
