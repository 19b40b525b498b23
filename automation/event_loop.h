// The event pump and the monotonic clock that the automation routines dispatch and wait with.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <ratio>

namespace vorivevo {

// The clock that every wait is measured on. It only moves forwards, so midnight and changes to the clock
// of the day cannot stretch or cut a wait. Whole microseconds from a zero of the back end's own, so that
// a deadline worked out as start + length is reached exactly, with no rounding to allow for. It is read
// only through an EventLoop, so it has no now() of its own.
struct MonotonicClock {
    using rep = std::int64_t;
    using period = std::micro;
    using duration = std::chrono::duration<rep, period>;
    using time_point = std::chrono::time_point<MonotonicClock>;
    static constexpr bool is_steady = true;
};

using Instant = MonotonicClock::time_point;
using Duration = MonotonicClock::duration;

// Later than every instant: a wait for it ends only on an event.
inline constexpr Instant kNever = Instant::max();

class EventLoop {
public:
    virtual ~EventLoop() = default;

    // Runs the handlers of every event pending now, each nested inside the caller, and returns when none
    // is pending. Never waits for a new event. A handler may unwind through it (a command taking over).
    virtual void DoEvents() = 0;

    // Blocks until an event is pending or the clock reaches `deadline`, whichever comes first; returns at
    // once when an event is already pending or the deadline has passed. Runs no handler.
    virtual void WaitForEvent(Instant deadline) = 0;

    virtual Instant Now() = 0;

    // When the user last pressed a key, anywhere on the desktop, as far as this program may see it (keys
    // that another program makes up inside its own thread never show); nothing when none was seen since
    // the program started. Mouse input never counts.
    virtual std::optional<Instant> LastKeyPressed() = 0;
};

}  // namespace vorivevo
