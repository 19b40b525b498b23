// What the window's logic needs from the UI runtime: the event pump and waits, the clocks, the controls'
// state, the timer, the own window, unloading and the error report.
#pragma once

#include <string>

#include "window_system.h"

namespace vorivevo {

// The events of the window that reach the logic; the runtime reports nothing else.
enum class WindowEvent {
    NameBarPressed,  // any mouse button pressed on the name bar: drag
    StartClicked,    // the ON tile
    StopClicked,     // the OFF tile
    ExitClicked,     // the X tile
    DialogTimerTick,
    CloseRequest,  // the window system asks the window to close (not the Exit command)
};

// Implemented by the logic. The runtime's platform callbacks hand events to Record, which only notes
// them; the handlers run later, in our own frames, from HostRuntime::DoEvents. No exception crosses
// either call into a platform callback.
class WindowEventSink {
public:
    virtual ~WindowEventSink() = default;
    virtual void Record(WindowEvent event) noexcept = 0;
    // Runs what Record noted. May unwind (a command taking over, the program ending): call it only from
    // our own frames, never from a window procedure.
    virtual void RunRecorded() = 0;
    // Runs the timer ticks noted so far, and nothing else; swallows what they throw after reporting it.
    // For platform loops that we do not own (the system's move loop during a drag), where ticks must
    // go on but nothing may unwind.
    virtual void RunRecordedTicks() noexcept = 0;
};

class HostRuntime {
public:
    virtual ~HostRuntime() = default;

    void AttachSink(WindowEventSink* sink) { sink_ = sink; }

    // The event pump: runs the handlers of every event pending now, each nested inside the caller,
    // and returns when none is pending. Never waits for a new event.
    void DoEvents() {
        PumpPending();
        if (sink_ != nullptr) sink_->RunRecorded();
    }

    // Blocks until an event is pending or the monotonic clock reaches `deadline` (seconds), whichever
    // comes first; returns at once when an event is already pending. Runs no handler.
    virtual void WaitForEvent(double deadline) = 0;

    // Seconds on a clock that only moves forwards; for measuring waits.
    virtual double MonotonicSeconds() = 0;
    // Seconds since local midnight, with fraction.
    virtual double SecondsSinceMidnight() = 0;

    virtual std::string IdleCounterText() = 0;
    virtual void SetIdleCounterText(const std::string& text) = 0;
    virtual std::string HomePageText() = 0;
    virtual std::string DisplayNameText() = 0;
    // What the last post did, in the user's words (PostReport); the window shows it on request.
    virtual void ShowPostReport(const std::string& report) = 0;

    virtual int DialogTimerInterval() = 0;  // milliseconds
    virtual bool DialogTimerEnabled() = 0;
    virtual void SetDialogTimerEnabled(bool enabled) = 0;

    // The own window's handle; it exists (still invisible) before AnnounceStartUp runs.
    virtual WindowHandle OwnWindow() = 0;
    // Shows the window once start-up is done.
    virtual void Show() = 0;
    // Closes the window for good. The logic then ends the program: no handler runs after it.
    virtual void Unload() = 0;
    // Tells the user about an error raised inside a handler; the program ends after it.
    virtual void ReportError(const std::string& message) = 0;

protected:
    // Delivers every platform event pending now to the sink's Record, and returns.
    virtual void PumpPending() = 0;
    // For back ends whose platform loops need ticks run on the spot (see RunRecordedTicks).
    WindowEventSink* Sink() const { return sink_; }

private:
    WindowEventSink* sink_ = nullptr;
};

}  // namespace vorivevo
