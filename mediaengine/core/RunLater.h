#pragma once
// Work for a later turn of the UI thread, on an owner that may be gone by then: it runs only while
// the owner still lives. Without a loop it runs at once.

#include "platform/messages/MessageLoop.h"

#include <memory>
#include <utility>

template <class T, class F> void RunLater(IMessageLoop* loop, const std::weak_ptr<T>& owner, F work) {
    if (!loop) {
        if (const auto alive = owner.lock()) {
            work(*alive);
        }
        return;
    }
    loop->RunOnUiThread([owner, work = std::move(work)]() mutable {
        if (const auto alive = owner.lock()) {
            work(*alive);
        }
    });
}
