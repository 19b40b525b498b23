// The simulated host's pump, waits, timer and move loop on the virtual clock.
#include "sim_host.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "horizon_reached.h"

namespace vorivevo::sim {

namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr double kNever = VirtualClock::kNever;
constexpr Message kWmClose = 0x0010;

}  // namespace

SimHost::SimHost(Desktop& desktop, SimHostOptions options)
    : desktop_(desktop),
      options_(std::move(options)),
      homePage_(options_.homePage),
      displayName_(options_.displayName) {
    ownWindow_ = desktop_.CreateWindow(kNoWindow, kOwnWindowClass, kWindowCaption);
    desktop_.SetHandler(ownWindow_, [this](const MessageContext& message) { return OnOwnWindowMessage(message); });
}

SimHost::~SimHost() { desktop_.DestroyWindow(ownWindow_); }

void SimHost::Script(double time, WindowEvent event) { Script({ScriptedEvent{time, event}}); }

void SimHost::ScriptDrag(double time, double dragSeconds) {
    Script({ScriptedEvent{time, WindowEvent::NameBarPressed, dragSeconds}});
}

void SimHost::Script(const std::vector<ScriptedEvent>& events) {
    for (const ScriptedEvent& event : events) {
        // Only among the undelivered ones, after those at the same time.
        const auto position =
            std::upper_bound(script_.begin() + static_cast<std::ptrdiff_t>(nextScripted_), script_.end(), event.time,
                             [](double time, const ScriptedEvent& other) { return time < other.time; });
        script_.insert(position, event);
    }
}

long SimHost::CallsAfterUnload() const {
    if (!unloadedAt_) return 0;
    return hostCallsAfterUnload_ + (desktop_.CallsMade() - callsAtUnload_);
}

void SimHost::NoteCallAfterUnload() {
    if (unloadedAt_) ++hostCallsAfterUnload_;
}

Duration SimHost::TimeOfDay() {
    double seconds = std::fmod(options_.startOfDay + Time(), kSecondsPerDay);
    if (seconds < 0) seconds += kSecondsPerDay;
    return ToDuration(seconds);
}

std::optional<Instant> SimHost::LastKeyPressed() {
    const std::optional<double> last = desktop_.LastKeyPressed();
    if (!last) return std::nullopt;
    return ToInstant(*last);
}

void SimHost::SetIdleCounterText(const std::string& text) {
    NoteCallAfterUnload();
    idleCounter_ = text;
    idleCounterHistory_.emplace_back(Time(), text);
}

void SimHost::EnableDialogTimer() {
    NoteCallAfterUnload();
    if (timerEnabled_) return;
    timerEnabled_ = true;
    timerStart_ = Time();
    ticksPassed_ = 0;
}

void SimHost::Show() {
    NoteCallAfterUnload();
    if (!shownAt_) shownAt_ = Time();
}

void SimHost::Unload() {
    NoteCallAfterUnload();
    if (unloadedAt_) return;
    unloadedAt_ = Time();
    callsAtUnload_ = desktop_.CallsMade();
    desktop_.DestroyWindow(ownWindow_);
}

double SimHost::GridPoint(long long tick) const {
    return timerStart_ + static_cast<double>(tick) * IntervalSeconds();
}

double SimHost::NextTickTime() const { return timerEnabled_ ? GridPoint(ticksPassed_ + 1) : kNever; }

double SimHost::NextScriptedTime() const {
    return nextScripted_ < script_.size() ? script_[nextScripted_].time : kNever;
}

bool SimHost::SomethingDueNow() const { return NextScriptedTime() <= Time() || NextTickTime() <= Time(); }

void SimHost::Deliver(WindowEvent event) {
    if (options_.logDeliveries) deliveries_.push_back(Delivery{Time(), event});
    if (event == WindowEvent::DialogTimerTick) ++ticksDelivered_;
    if (WindowEventSink* sink = sink_) sink->Record(event);
}

bool SimHost::RecordDueInput() {
    bool any = false;
    while (nextScripted_ < script_.size() && script_[nextScripted_].time <= Time()) {
        const ScriptedEvent event = script_[nextScripted_++];
        if (event.event == WindowEvent::NameBarPressed) dragSeconds_ = event.dragSeconds;
        Deliver(event.event);
        any = true;
    }
    return any;
}

bool SimHost::RecordDueTick() {
    if (NextTickTime() > Time()) return false;
    // Every grid point up to now merges into this one tick. The division only guesses how many; the
    // comparisons with the grid points themselves settle it, rounding and all.
    const double guess = std::floor((Time() - timerStart_) / IntervalSeconds());
    long long passed = std::max(ticksPassed_ + 1, static_cast<long long>(guess));
    while (passed > ticksPassed_ + 1 && GridPoint(passed) > Time()) --passed;
    while (GridPoint(passed + 1) <= Time()) ++passed;
    ticksPassed_ = passed;
    Deliver(WindowEvent::DialogTimerTick);
    return true;
}

void SimHost::AdvanceWithin(double time, const char* what) {
    if (time > options_.horizon) {
        desktop_.Clock().AdvanceTo(options_.horizon);
        throw HorizonReached{std::string(what) + " reached the horizon at " + std::to_string(options_.horizon) + " s"};
    }
    desktop_.Clock().AdvanceTo(time);
}

void SimHost::PumpPending() {
    ++pumpCalls_;
    NoteCallAfterUnload();
    // What the outside world does at this moment happens before the pump looks for input.
    desktop_.Clock().AdvanceTo(Time());
    const bool input = RecordDueInput();
    const bool tick = RecordDueTick();
    if (input || tick || Time() != lastPumpTime_) {
        idlePumps_ = 0;
        lastPumpTime_ = Time();
    } else if (options_.maxIdlePumps >= 0 && ++idlePumps_ > options_.maxIdlePumps) {
        // Left over the limit, so that a loop that swallows the first throw meets it again.
        throw HorizonReached{"the logic pumped " + std::to_string(options_.maxIdlePumps) +
                             " times without the clock moving or anything to deliver"};
    }
}

void SimHost::DoEvents() {
    PumpPending();
    if (sink_ != nullptr) sink_->RunRecorded();
}

void SimHost::WaitForEvent(Instant until) {
    const double deadline = until == vorivevo::kNever ? VirtualClock::kNever : ToSeconds(until.time_since_epoch());
    ++waitCalls_;
    NoteCallAfterUnload();
    if (waitObserver_) waitObserver_();
    inWait_ = true;
    struct WaitEnd {
        bool& inWait;
        ~WaitEnd() { inWait = false; }
    } waitEnd{inWait_};
    VirtualClock& clock = desktop_.Clock();
    for (;;) {
        clock.AdvanceTo(Time());
        if (SomethingDueNow()) return;
        if (until <= Now()) return;
        const double wake = std::min({NextScriptedTime(), NextTickTime(), deadline});
        const double action = clock.NextActionTime();
        if (action < wake) {
            // The world changes first; it may script input or close windows, so look again after it.
            AdvanceWithin(action, "the wait");
            continue;
        }
        if (wake == kNever) throw HorizonReached{"nothing more can happen: no input, tick or deadline is left"};
        AdvanceWithin(wake, "the wait");
        return;
    }
}

std::optional<LResult> SimHost::OnOwnWindowMessage(const MessageContext& message) {
    if (message.message == kWmClose) {
        Deliver(WindowEvent::CloseRequest);
        return LResult{0};
    }
    if (message.message != WM_NCLBUTTONDOWN || message.wParam != HTCAPTION) return std::nullopt;
    PlayMoveLoop();
    return LResult{0};
}

void SimHost::PlayMoveLoop() {
    if (inMoveLoop_) return;
    inMoveLoop_ = true;
    struct LoopEnd {
        bool& inMoveLoop;
        ~LoopEnd() { inMoveLoop = false; }
    } loopEnd{inMoveLoop_};
    VirtualClock& clock = desktop_.Clock();
    const double end = Time() + dragSeconds_;
    drags_.push_back(Drag{Time(), end});
    for (;;) {
        clock.AdvanceTo(Time());
        // The window procedure only notes input that arrives during the drag; our pump runs it later.
        RecordDueInput();
        // The move loop dispatches WM_TIMER itself, so ticks run here, nested in the drag.
        if (RecordDueTick()) {
            if (WindowEventSink* sink = sink_) sink->RunRecordedTicks();
        }
        const double next = std::min({NextScriptedTime(), NextTickTime(), clock.NextActionTime()});
        if (next > end) break;
        AdvanceWithin(next, "a drag");
    }
    AdvanceWithin(end, "a drag");
    drags_.back().end = Time();
}

void CopyEventLoop::WaitForEvent(Instant deadline) {
    const double until = deadline == vorivevo::kNever ? VirtualClock::kNever : SimHost::ToSeconds(deadline.time_since_epoch());
    // It has no events of its own: it waits for the deadline, while the rest of the desktop runs on
    // (run it on a SimThread). With no deadline, only for what comes next, if anything ever does.
    const double wake = until != VirtualClock::kNever ? until : desktop_.Clock().NextActionTime();
    if (wake != VirtualClock::kNever) desktop_.Clock().AdvanceTo(wake);
}

std::optional<Instant> CopyEventLoop::LastKeyPressed() {
    const std::optional<double> last = desktop_.LastKeyPressed();
    if (!last) return std::nullopt;
    return SimHost::ToInstant(*last);
}

}  // namespace vorivevo::sim
