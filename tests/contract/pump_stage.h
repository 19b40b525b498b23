// The stage for the event pump's contract cases: a host and its window, built once on the simulated
// desktop and once on real windows, so that the same cases hold the simulated pump to the real one.
#pragma once

#include <memory>

#include "announcer_view.h"
#include "event_loop.h"
#include "window_events.h"

namespace vorivevo::contract {

class PumpStage {
public:
    virtual ~PumpStage() = default;

    virtual EventLoop& Events() = 0;
    virtual AnnouncerView& View() = 0;
    // Where the host sends the window's events.
    virtual void AttachSink(WindowEventSink* sink) = 0;

    // The user clicks the tile of a command (Start, Stop or Exit): input for the window, not yet pumped.
    virtual void Click(WindowEvent command) = 0;
    // Time passes and nothing pumps.
    virtual void LetTimePass(Duration time) = 0;
    // A loop of the system's that we do not own (the move loop of a drag) runs this long and dispatches
    // what comes meanwhile.
    virtual void RunSystemLoop(Duration time) = 0;
};

// Made by the back end the cases are linked with.
std::unique_ptr<PumpStage> MakePumpStage();

}  // namespace vorivevo::contract
