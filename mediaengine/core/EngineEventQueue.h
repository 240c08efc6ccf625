#pragma once
// The one road of the engine's events to the player object's sinks. Events leave in the order they
// happened, one at a time: an event raised while earlier ones wait, or while a sink is being told
// something (it called back into the engine, or runs a nested loop that lets the engine work), is
// told after them, once the sink has returned. So a sink is never entered again by the engine, and
// never hears of a change before one that happened earlier.
//
// Fire tells at once (after what waits); Post tells on a later turn of the UI thread, as the player
// reports the end of something it was asked to do, yet keeps its place in the order. Once the
// player is gone nothing is told any more. UI thread only.

#include "mediaengine/core/EngineEvents.h"

#include <deque>
#include <functional>
#include <memory>

class IMessageLoop;

class CEngineEventQueue : public std::enable_shared_from_this<CEngineEventQueue> {
public:
    using Event = std::function<void(IEngineEvents&)>;

    explicit CEngineEventQueue(IMessageLoop* loop) : m_loop(loop) {}

    // Null drops every event from then on, those waiting included.
    void SetTarget(IEngineEvents* target);
    bool HasTarget() const { return m_target != nullptr; }

    void Fire(Event event);
    void Post(Event event);
    // Tells every event that waits.
    void Deliver();
    int Waiting() const { return int(m_waiting.size()); }

private:
    IMessageLoop* m_loop;
    IEngineEvents* m_target = nullptr;
    bool m_delivering = false;
    std::deque<Event> m_waiting;
};
