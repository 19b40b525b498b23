// The window's events that reach the announcer, and the announcer's side of their delivery.
#pragma once

namespace vorivevo {

// The host reports nothing else.
enum class WindowEvent {
    NameBarPressed,   // any mouse button pressed on the name bar: drag
    StartClicked,     // the ON tile
    StopClicked,      // the OFF tile
    ExitClicked,      // the X tile
    DialogTimerTick,  // the dialog timer's interval has passed
    CloseRequest,     // the window system asks the window to close (not the Exit command)
};

// A short name for an event, for logs and the messages of failed tests.
inline const char* WindowEventName(WindowEvent event) {
    switch (event) {
        case WindowEvent::NameBarPressed: return "NameBar";
        case WindowEvent::StartClicked: return "Start";
        case WindowEvent::StopClicked: return "Stop";
        case WindowEvent::ExitClicked: return "Exit";
        case WindowEvent::DialogTimerTick: return "Tick";
        case WindowEvent::CloseRequest: return "Close";
    }
    return "?";
}

// Implemented by the announcer. The host's platform callbacks hand events to Record, which only notes
// them; they run later, in our own frames, from the host's EventLoop::DoEvents, which calls RunRecorded
// after it has pumped. No exception crosses either call into a platform callback.
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

}  // namespace vorivevo
