// The simulated desktop's one clock: virtual seconds that move only when something moves them.
#pragma once

#include <functional>
#include <limits>
#include <map>

namespace vorivevo::sim {

// A thread of control that waits for the clock to reach a time rather than moving it there (SimThread).
class ClockWaiter {
public:
    virtual ~ClockWaiter() = default;
    virtual void WaitUntil(double time) = 0;
};

// Starts at 0 and never goes backwards. Tests schedule things that happen in the outside world (a
// dialog opens, the user types a draft) at virtual times; they run as the clock passes those times,
// whoever moves it: a wait, a drag or the cost of a window message.
class VirtualClock {
public:
    static constexpr double kNever = std::numeric_limits<double>::infinity();

    double Now() const { return now_; }

    // Moves to `time` (a time in the past leaves the clock where it is), running on the way every
    // scheduled action that falls due, each with the clock set to its own time.
    void AdvanceTo(double time);
    void AdvanceBy(double seconds) { AdvanceTo(now_ + seconds); }
    // While `waiter` is set, AdvanceTo waits on it: it is what runs now, and not the clock's mover.
    static void SetWaiterOfThisThread(ClockWaiter* waiter);

    // Runs `action` once the clock reaches `time`; actions at the same time run in the order given.
    // One scheduled in the past runs at the next move of the clock.
    void At(double time, std::function<void()> action);

    double NextActionTime() const { return actions_.empty() ? kNever : actions_.begin()->first; }

private:
    double now_ = 0.0;
    std::multimap<double, std::function<void()>> actions_;
};

}  // namespace vorivevo::sim
