// A thread of control of its own on the virtual clock: another program's thread on the simulated desktop.
#pragma once

#include <ucontext.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "virtual_clock.h"

namespace vorivevo::sim {

// Code run on it that waits on the clock (a message that takes time, a wait for an answer or a deadline)
// lets the rest of the simulation run on meanwhile, as another process's thread would. Run nested in the
// simulation's own calls instead, another copy's five-second wait for the entry boxes would stop our copy
// for five seconds in the middle of a post, between two of its messages, which no real desktop does.
//
// A coroutine with a stack of its own, on the simulation's one operating-system thread: one of the two
// runs at a time, handing over at the clock, so that a run stays deterministic and a hand-over costs
// about a microsecond. While it runs, the clock's AdvanceTo waits for the simulation to move the clock
// that far instead of moving it.
class SimThread final : public ClockWaiter {
public:
    explicit SimThread(VirtualClock& clock);
    // An action still waiting is abandoned: every wait of its throws Abandoned, so that it unwinds.
    ~SimThread() override;
    SimThread(const SimThread&) = delete;
    SimThread& operator=(const SimThread&) = delete;

    struct Abandoned {};

    // Runs `action` on this thread, from now until it first waits on the clock or ends; the rest of it
    // runs as the clock moves. An exception that leaves it ends it. Nothing while an action is under way.
    void Start(std::function<void()> action);
    bool Busy() const { return state_->busy; }

    // On this thread: until the clock has reached `time`.
    void WaitUntil(double time) override;

private:
    // What the wake-ups scheduled on the clock look at; they may outlive the thread.
    struct State {
        SimThread* thread = nullptr;
        bool busy = false;
        // Which wait a wake-up is for: one left over from an earlier wait does nothing.
        std::uint64_t waits = 0;
    };

    static void Entry(unsigned high, unsigned low);
    void Body();
    // From the simulation: runs the thread until it waits or ends.
    void SwitchIn();
    // From the thread: back to the simulation until the thread's turn comes again.
    void SwitchOut();

    VirtualClock& clock_;
    std::shared_ptr<State> state_;
    std::function<void()> action_;
    bool abandoned_ = false;
    bool quitting_ = false;
    bool made_ = false;
    std::unique_ptr<char[]> stack_;
    ucontext_t simulation_{};
    ucontext_t own_{};
    // For AddressSanitizer, which must be told of every switch of stacks.
    void* fakeStack_ = nullptr;
    const void* simulationStack_ = nullptr;
    std::size_t simulationStackSize_ = 0;
};

}  // namespace vorivevo::sim
