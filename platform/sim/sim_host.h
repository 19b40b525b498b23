// The host on the simulated desktop: the event loop, the window's controls, its timer and scripted user
// input, all on the desktop's virtual clock.
#pragma once

#include <chrono>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "announcer_view.h"
#include "desktop.h"
#include "event_loop.h"
#include "window_controls.h"
#include "window_events.h"

namespace vorivevo::sim {

// What the user does, at a virtual time. For NameBarPressed, dragSeconds is how long the button stays
// down in the move loop that follows.
struct ScriptedEvent {
    double time;
    WindowEvent event;
    double dragSeconds = 2.0;
};

struct SimHostOptions {
    // The clock of the day at virtual time 0, in seconds since midnight; set it near 86400 to cross
    // midnight during a run.
    double startOfDay = 9 * 3600.0;
    // The run ends (HorizonReached) when a wait or a drag would take the clock past this (virtual seconds).
    double horizon = 3600.0;
    std::string homePage = kHomePageInitial;
    std::string displayName = kDisplayNameInitial;
    std::chrono::milliseconds dialogTimerInterval = kDialogTimerInterval;
    // A log of every event handed to the logic, with its time; long runs may turn it off.
    bool logDeliveries = true;
    // Pumps in a row that find the clock standing still and nothing to deliver before the run is taken
    // to be stuck in a loop that never waits (HorizonReached).
    long maxIdlePumps = 1'000'000;
};

// The window's events reach the logic as the platform would deliver them:
// - Input first: a pump delivers every scripted event due by now, in time order, and then the timer's
//   tick, as the platform hands over timer ticks only when no input is waiting.
// - Ticks fall due every interval while the timer is enabled, the first one interval after enabling.
//   Ticks that fell due while nothing pumped are merged into one, and the next falls due on the same
//   grid. Enabling an enabled timer does not restart it.
// - WM_CLOSE sent to the own window (another program closing it) is a close request, noted at once.
// - WM_NCLBUTTONDOWN with HTCAPTION on the own window plays the system's move loop for as long as the
//   button stays down: the dragSeconds of the last mouse-down delivered (see SetDragSeconds). Ticks that
//   fall due during it run on the spot (Record, then RunRecordedTicks); scripted input that falls due
//   during it goes to Record at its time and runs only at the next DoEvents after the drag; the call
//   returns at the drag's end.
// - A wait wakes at the earliest of the next scripted input, the next tick and its deadline. Actions
//   scheduled on the desktop's clock run on the way, and the wait looks again after each, since it may
//   have scripted input. A wait whose deadline has already passed returns at once. The virtual clock's
//   seconds are read as whole microseconds (ToInstant), so a wait to start + length ends exactly there.
// The run ends by HorizonReached, from WaitForEvent or a drag, when nothing can ever happen any more or
// the clock would pass the horizon.
class SimHost final : public EventLoop, public AnnouncerView {
public:
    // The own window, class "VorivevoForm", title "Form1", exists (hidden) from here on.
    explicit SimHost(Desktop& desktop, SimHostOptions options = {});
    ~SimHost() override;
    SimHost(const SimHost&) = delete;
    SimHost& operator=(const SimHost&) = delete;

    static constexpr char kOwnWindowClass[] = "VorivevoForm";

    // Where the window's events go: EventLoop::DoEvents pumps, then runs what the sink noted.
    void AttachSink(WindowEventSink* sink) { sink_ = sink; }

    // The user's actions. Events at the same time are delivered in the order scripted; an event given a
    // time already past is due at once.
    void Script(double time, WindowEvent event);
    void ScriptDrag(double time, double dragSeconds);
    void Script(const std::vector<ScriptedEvent>& events);
    // How long the button stays down in the next move loop, for drags begun without a scripted
    // mouse-down; a scripted one sets it anew. 2 s to begin with.
    void SetDragSeconds(double seconds) { dragSeconds_ = seconds; }
    // As if the user had tabbed into the text box and typed.
    void SetHomePageText(const std::string& text) { homePage_ = text; }
    void SetDisplayNameText(const std::string& text) { displayName_ = text; }

    // Virtual seconds since the run began: the desktop's clock, which Now() reads as an Instant.
    double Time() const { return desktop_.Clock().Now(); }

    // Called each time the logic waits, that is, whenever no command is in the middle of a post.
    void SetWaitObserver(std::function<void()> observer) { waitObserver_ = std::move(observer); }
    // Whether the logic is in a wait right now (the clock moves on from inside WaitForEvent).
    bool InWait() const { return inWait_; }

    struct Delivery {
        double time;
        WindowEvent event;
    };
    // Every event handed to the sink's Record, oldest first (see SimHostOptions::logDeliveries).
    const std::vector<Delivery>& Deliveries() const { return deliveries_; }
    long TicksDelivered() const { return ticksDelivered_; }
    // Each value the idle-minutes counter took, with the time it was written.
    const std::vector<std::pair<double, std::string>>& IdleCounterHistory() const { return idleCounterHistory_; }
    // Each report of what a post did, with the time it was shown.
    const std::vector<std::pair<double, std::string>>& PostReports() const { return postReports_; }
    struct Drag {
        double start;
        double end;
    };
    const std::vector<Drag>& Drags() const { return drags_; }
    bool Shown() const { return shownAt_.has_value(); }
    std::optional<double> ShownAt() const { return shownAt_; }
    std::optional<double> UnloadedAt() const { return unloadedAt_; }
    // Pumps, waits, window-system calls and repeated unloads after the window was unloaded: the logic
    // should make none, unless it still owes the client a draft.
    long CallsAfterUnload() const;
    const std::vector<std::string>& Errors() const { return errors_; }
    long WaitCalls() const { return waitCalls_; }
    long PumpCalls() const { return pumpCalls_; }
    bool DialogTimerEnabled() const { return timerEnabled_; }

    // EventLoop
    void DoEvents() override;
    void WaitForEvent(Instant deadline) override;
    Instant Now() override { return ToInstant(Time()); }
    // The desktop's keyboard: every key the simulated user types through it.
    std::optional<Instant> LastKeyPressed() override;

    // The virtual clock's seconds as the event loop's instants and durations, to the nearest tick.
    static Instant ToInstant(double seconds) { return Instant{ToDuration(seconds)}; }
    static Duration ToDuration(double seconds) { return Duration{std::llround(seconds * 1e6)}; }
    static double ToSeconds(Duration duration) { return std::chrono::duration<double>(duration).count(); }

    // AnnouncerView
    std::string IdleCounterText() override { return idleCounter_; }
    void SetIdleCounterText(const std::string& text) override;
    std::string HomePageText() override { return homePage_; }
    std::string DisplayNameText() override { return displayName_; }
    void EnableDialogTimer() override;
    WindowHandle OwnWindow() override { return ownWindow_; }
    void Show() override;
    void Unload() override;
    void ReportError(const std::string& message) override { errors_.push_back(message); }
    void ShowPostReport(const std::string& report) override { postReports_.push_back({Time(), report}); }
    Duration TimeOfDay() override;

private:
    double IntervalSeconds() const { return ToSeconds(options_.dialogTimerInterval); }
    // Delivers every event due now to the sink's Record.
    void PumpPending();
    // The time of the timer's tick-th tick since it was last enabled (the first is tick 1).
    double GridPoint(long long tick) const;
    double NextTickTime() const;
    double NextScriptedTime() const;
    bool SomethingDueNow() const;
    // Hands to Record the scripted events due by now; true if there were any.
    bool RecordDueInput();
    // Hands one (merged) tick to Record if one is due; true if it did.
    bool RecordDueTick();
    void Deliver(WindowEvent event);
    // Moves the clock to `time`, or to the horizon and ends the run if `time` lies beyond it.
    void AdvanceWithin(double time, const char* what);
    std::optional<LResult> OnOwnWindowMessage(const MessageContext& message);
    void PlayMoveLoop();
    void NoteCallAfterUnload();

    Desktop& desktop_;
    SimHostOptions options_;
    WindowHandle ownWindow_ = kNoWindow;
    std::string idleCounter_ = kIdleCounterInitial;
    std::string homePage_;
    std::string displayName_;

    WindowEventSink* sink_ = nullptr;
    bool timerEnabled_ = false;
    double timerStart_ = 0.0;
    long long ticksPassed_ = 0;  // grid points of the current enabling already delivered or merged

    std::vector<ScriptedEvent> script_;  // sorted by time; those before nextScripted_ are delivered
    std::size_t nextScripted_ = 0;
    double dragSeconds_ = 2.0;  // the duration scripted with the last mouse-down delivered
    bool inMoveLoop_ = false;
    bool inWait_ = false;
    std::function<void()> waitObserver_;

    std::vector<Delivery> deliveries_;
    long ticksDelivered_ = 0;
    std::vector<std::pair<double, std::string>> idleCounterHistory_;
    std::vector<std::pair<double, std::string>> postReports_;
    std::vector<Drag> drags_;
    std::optional<double> shownAt_;
    std::optional<double> unloadedAt_;
    long callsAtUnload_ = 0;
    long hostCallsAfterUnload_ = 0;
    std::vector<std::string> errors_;
    long waitCalls_ = 0;
    long pumpCalls_ = 0;
    long idlePumps_ = 0;
    double lastPumpTime_ = -1.0;
};

// The event loop of another copy of the program on the same desktop, one that shows no window: nothing
// to pump, a clock that is the desktop's, and waits that let the desktop's time run.
class CopyEventLoop final : public EventLoop {
public:
    explicit CopyEventLoop(Desktop& desktop) : desktop_(desktop) {}
    void DoEvents() override {}
    void WaitForEvent(Instant deadline) override;
    Instant Now() override { return SimHost::ToInstant(desktop_.Clock().Now()); }
    std::optional<Instant> LastKeyPressed() override;

private:
    Desktop& desktop_;
};

}  // namespace vorivevo::sim
