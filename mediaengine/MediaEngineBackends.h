#pragma once
// The two pieces of work the object model hands to the disc and rip core: reading a disc's table of
// contents and album data, and ripping tracks to MP3. The product uses CDiscReader and CRipJob; tests
// may put doubles in their place.

#include "mediaengine/disc/DiscInfo.h"
#include "mediaengine/rip/RipRequest.h"

#include <QString>
#include <functional>
#include <memory>

// One running rip.
class IRipRun {
public:
    virtual ~IRipRun() = default; // stops and joins
    virtual void Start() = 0;
    virtual void Stop() = 0;
};

struct MediaEngineBackends {
    // Reads the disc at `source` (a .cue image or a device node). False with a reason when unreadable.
    std::function<bool(const QString& source, DiscInfo* info, QString* error)> readDisc;
    // Makes (not yet started) a rip of request; the callbacks arrive on worker threads.
    std::function<std::unique_ptr<IRipRun>(const RipRequest& request, const RipCallbacks& callbacks,
                                           const RipFaults& faults)>
        makeRip;
};

// CDiscReader and CRipJob behind the two functions.
MediaEngineBackends DefaultMediaEngineBackends();
