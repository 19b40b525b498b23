// The announcer, the window's logic: start-up, the commands and their takeover, the timer.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "draft_keeper.h"
#include "host_runtime.h"
#include "window_system.h"

namespace vorivevo {

class ClientAutomation;

class Announcer final : public WindowEventSink {
public:
    Announcer(WindowSystem& windows, HostRuntime& runtime);
    ~Announcer() override;

    // Everything from AnnounceStartUp to the end: runs start-up, shows the window, then runs the commands as
    // they arrive until Exit, a close request or an error. Returns the process's exit code.
    int Run();

    // Deepest nesting of the event pump seen so far (1 = a DoEvents called from a command).
    int MaxPumpDepth() const { return maxPumpDepth_; }

    // WindowEventSink
    void Record(WindowEvent event) noexcept override;
    void RunRecorded() override;
    void RunRecordedTicks() noexcept override;

    // The handlers, named after their control and event.
    void AnnounceStartUp();
    void NameBarPressed();
    [[noreturn]] void StartClicked();
    [[noreturn]] void StopClicked();
    [[noreturn]] void ExitClicked();
    void DialogTimerTick();

    enum class State { Idle, Announcing, Off };
    State CurrentState() const { return state_; }

private:
    // How long the program, once ending, still waits for the client to take back a draft it owes
    // (seconds): the window system's hold on a client that left a message unanswered, one time-out
    // and a retry.
    static constexpr double kOwedDraftGraceSeconds = 8.0;

    // Posts the line and shows what became of it.
    void Post(ClientAutomation& automation, const std::string& line);
    [[noreturn]] void RunCommand(WindowEvent command);
    [[noreturn]] void StayIdle();
    [[noreturn]] void EndProgram();
    void SettleOwedDraftBeforeEnd();

    WindowSystem& windows_;
    HostRuntime& runtime_;
    State state_ = State::Idle;
    DraftKeeper drafts_;
    // Set once the program is ending: events are no longer noted or run.
    bool ending_ = false;

    // Events noted by Record and not yet run, oldest first. Consecutive ticks are merged.
    std::deque<WindowEvent> pending_;
    bool dragging_ = false;
    // An error raised by a tick run inside a platform loop, raised again in our own frames.
    std::string tickError_;
    int pumpDepth_ = 0;
    int maxPumpDepth_ = 0;
};

}  // namespace vorivevo
