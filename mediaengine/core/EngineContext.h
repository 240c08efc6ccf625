#pragma once
// What every part of the engine shares: the faults a test asked for, the one road of the events,
// and the UI thread's loop (null where there is none: work then runs at once).

#include "mediaengine/core/EngineEventQueue.h"
#include "mediaengine/core/EngineFaults.h"

#include <memory>

class IMessageLoop;

struct EngineContext {
    std::shared_ptr<CEngineFaults> faults;
    std::shared_ptr<CEngineEventQueue> events;
    IMessageLoop* loop = nullptr;
};
