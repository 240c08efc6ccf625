#pragma once
// A thread of its own for disc lookups, so that neither the window's thread nor a command-line
// run waits on the network: each lookup runs there on the thread's event loop, and its `done` is
// called there (the caller hands the result on, e.g. to the UI thread). Stop aborts what runs and
// joins; nothing is called after it returns.

#include "mediaengine/lookup/DiscIds.h"
#include "mediaengine/lookup/LookupResult.h"
#include "mediaengine/lookup/LookupSettings.h"
#include "mediaengine/lookup/MusicBrainzReply.h"

#include <functional>
#include <memory>

class QObject;
class QThread;

class CLookupThread {
public:
    CLookupThread();
    ~CLookupThread();
    CLookupThread(const CLookupThread&) = delete;
    CLookupThread& operator=(const CLookupThread&) = delete;

    void Lookup(const DiscIds& ids, const LookupSettings& settings, const ReleasePreference& preference,
                std::function<void(const LookupResult&)> done);
    void Stop();

    // Runs one lookup on a thread like this and waits for it (the rip tool).
    static LookupResult LookupAndWait(const DiscIds& ids, const LookupSettings& settings,
                                      const ReleasePreference& preference);

private:
    std::unique_ptr<QThread> m_thread;
    QObject* m_home = nullptr; // lives on the thread; the lookups are its children
};
