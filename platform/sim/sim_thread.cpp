// Handing over between the simulation and a coroutine of its own, at the clock.
#include "sim_thread.h"

#include <cstdint>
#include <stdexcept>
#include <utility>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace vorivevo::sim {

namespace {

// Deep enough for the automation's calls and a client's handlers under the sanitizers, which take more.
constexpr std::size_t kStackBytes = 1 << 20;

}  // namespace

SimThread::SimThread(VirtualClock& clock) : clock_(clock), state_(std::make_shared<State>()) { state_->thread = this; }

SimThread::~SimThread() {
    state_->thread = nullptr;
    if (!made_) return;
    if (state_->busy) {
        abandoned_ = true;
        SwitchIn();
    }
    // Its entry function returns, and so its stack holds nothing more when it goes.
    quitting_ = true;
    SwitchIn();
}

void SimThread::Start(std::function<void()> action) {
    if (state_->busy) return;
    state_->busy = true;
    action_ = std::move(action);
    if (!made_) {
        stack_ = std::make_unique<char[]>(kStackBytes);
        if (getcontext(&own_) != 0) throw std::runtime_error("SimThread: getcontext failed");
        own_.uc_stack.ss_sp = stack_.get();
        own_.uc_stack.ss_size = kStackBytes;
        own_.uc_link = &simulation_;
        const auto address = reinterpret_cast<std::uintptr_t>(this);
        makecontext(&own_, reinterpret_cast<void (*)()>(&SimThread::Entry), 2,
                    static_cast<unsigned>(static_cast<std::uint64_t>(address) >> 32), static_cast<unsigned>(address));
        made_ = true;
    }
    SwitchIn();
}

void SimThread::Entry(unsigned high, unsigned low) {
    const auto address = (static_cast<std::uint64_t>(high) << 32) | low;
    reinterpret_cast<SimThread*>(static_cast<std::uintptr_t>(address))->Body();
}

void SimThread::Body() {
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_finish_switch_fiber(nullptr, &simulationStack_, &simulationStackSize_);
#endif
    while (!quitting_) {
        {
            std::function<void()> action = std::move(action_);
            try {
                action();
            } catch (...) {
                // Abandoned, or the simulation's end (its call budget, which stays spent for its own calls too).
            }
        }
        state_->busy = false;
        SwitchOut();
    }
    VirtualClock::SetWaiterOfThisThread(nullptr);
#if defined(__SANITIZE_ADDRESS__)
    // Its stack is done with: nothing of it is kept.
    __sanitizer_start_switch_fiber(nullptr, simulationStack_, simulationStackSize_);
#endif
}

void SimThread::SwitchIn() {
    VirtualClock::SetWaiterOfThisThread(this);
#if defined(__SANITIZE_ADDRESS__)
    void* fake = nullptr;
    __sanitizer_start_switch_fiber(&fake, stack_.get(), kStackBytes);
#endif
    swapcontext(&simulation_, &own_);
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_finish_switch_fiber(fake, nullptr, nullptr);
#endif
    VirtualClock::SetWaiterOfThisThread(nullptr);
}

void SimThread::SwitchOut() {
    VirtualClock::SetWaiterOfThisThread(nullptr);
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_start_switch_fiber(&fakeStack_, simulationStack_, simulationStackSize_);
#endif
    swapcontext(&own_, &simulation_);
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_finish_switch_fiber(fakeStack_, &simulationStack_, &simulationStackSize_);
#endif
    VirtualClock::SetWaiterOfThisThread(this);
}

void SimThread::WaitUntil(double time) {
    if (abandoned_) throw Abandoned{};
    const std::uint64_t wait = ++state_->waits;
    clock_.At(time, [weak = std::weak_ptr<State>(state_), wait] {
        const std::shared_ptr<State> state = weak.lock();
        if (state && state->thread != nullptr && state->busy && state->waits == wait) state->thread->SwitchIn();
    });
    SwitchOut();
    if (abandoned_) throw Abandoned{};
}

}  // namespace vorivevo::sim
