// Advancing the virtual clock through the scheduled actions.
#include "virtual_clock.h"

#include <algorithm>
#include <utility>

namespace vorivevo::sim {

namespace {

thread_local ClockWaiter* waiterOfThisThread = nullptr;

}  // namespace

void VirtualClock::SetWaiterOfThisThread(ClockWaiter* waiter) { waiterOfThisThread = waiter; }

void VirtualClock::AdvanceTo(double time) {
    if (waiterOfThisThread != nullptr) {
        waiterOfThisThread->WaitUntil(time);
        return;
    }
    // An action may move the clock itself (a message with a cost) or schedule more actions, so the
    // first one is taken out before it runs and the map is looked at afresh each time.
    while (!actions_.empty() && actions_.begin()->first <= time) {
        auto first = actions_.begin();
        now_ = std::max(now_, first->first);
        std::function<void()> action = std::move(first->second);
        actions_.erase(first);
        action();
    }
    now_ = std::max(now_, time);
}

void VirtualClock::At(double time, std::function<void()> action) {
    actions_.emplace(time, std::move(action));
}

}  // namespace vorivevo::sim
