#include "mediaengine/core/EngineEventQueue.h"

#include "platform/messages/MessageLoop.h"

void CEngineEventQueue::SetTarget(IEngineEvents* target) {
    m_target = target;
    if (!m_target) {
        m_waiting.clear();
    }
}

void CEngineEventQueue::Fire(Event event) {
    if (!m_target || !event) {
        return;
    }
    m_waiting.push_back(std::move(event));
    Deliver();
}

void CEngineEventQueue::Post(Event event) {
    if (!m_target || !event) {
        return;
    }
    m_waiting.push_back(std::move(event));
    if (!m_loop) {
        Deliver();
        return;
    }
    const std::weak_ptr<CEngineEventQueue> weak = weak_from_this();
    m_loop->RunOnUiThread([weak] {
        if (const auto queue = weak.lock()) {
            queue->Deliver();
        }
    });
}

void CEngineEventQueue::Deliver() {
    if (m_delivering) {
        return; // the round that is telling an event goes on with this one when the sink returns
    }
    // A sink may let the last owner of this queue go while it is told something.
    const std::shared_ptr<CEngineEventQueue> keep = weak_from_this().lock();
    m_delivering = true;
    while (!m_waiting.empty() && m_target) {
        Event event = std::move(m_waiting.front());
        m_waiting.pop_front();
        event(*m_target);
    }
    m_delivering = false;
}
