// What the announcer needs of its window: the controls it reads and writes, the dialog timer, the
// window's life, and what it tells the user.
#pragma once

#include <string>

#include "event_loop.h"
#include "window_system.h"

namespace vorivevo {

class AnnouncerView {
public:
    virtual ~AnnouncerView() = default;

    virtual std::string IdleCounterText() = 0;
    virtual void SetIdleCounterText(const std::string& text) = 0;
    virtual std::string HomePageText() = 0;
    virtual std::string DisplayNameText() = 0;

    // Starts the dialog timer, which ticks every kDialogTimerInterval from then on. Enabling it while it
    // runs keeps its interval going rather than restarting it; one that could not start stays stopped, so
    // that the next enabling tries again. Only Unload stops it.
    virtual void EnableDialogTimer() = 0;

    // The own window's handle; it exists (still invisible) before the start-up announcement.
    virtual WindowHandle OwnWindow() = 0;
    // Shows the window once start-up is done.
    virtual void Show() = 0;
    // Closes the window for good. The announcer then ends the program: no handler runs after it.
    virtual void Unload() = 0;
    // Tells the user about an error raised inside a handler; the program ends after it.
    virtual void ReportError(const std::string& message) = 0;
    // What the last post did, in the user's words (PostReport); the window shows it on request.
    virtual void ShowPostReport(const std::string& report) = 0;

    // The local clock's time since midnight, for telling the user when something happened. Only what the
    // user reads needs it; waits never see it (they measure on the event loop's monotonic clock).
    virtual Duration TimeOfDay() = 0;
};

}  // namespace vorivevo
