// Form1, the window's logic: start-up, the commands and their takeover, the timer.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "draft_keeper.h"
#include "host_runtime.h"
#include "window_system.h"

namespace vorivevo {

class Varn32;

class Form1 final : public FormEventSink {
public:
    Form1(WindowSystem& windows, HostRuntime& runtime);
    ~Form1() override;

    // Everything from Form_Load to the end: runs start-up, shows the window, then runs the commands as
    // they arrive until Exit, a close request or an error. Returns the process's exit code.
    int Run();

    // Deepest nesting of the event pump seen so far (1 = a DoEvents called from a command).
    int MaxPumpDepth() const { return maxPumpDepth_; }

    // FormEventSink
    void Record(FormEvent event) noexcept override;
    void RunRecorded() override;
    void RunRecordedTicks() noexcept override;

    // The handlers, named after their control and event.
    void Form_Load();
    void Picture1_MouseDown();
    [[noreturn]] void Picture2_Click();
    [[noreturn]] void Picture3_Click();
    [[noreturn]] void Picture4_Click();
    void Timer1_Timer();

    enum class State { Idle, Announcing, Off };
    State CurrentState() const { return state_; }

private:
    // How long the program, once ending, still waits for the client to take back a draft it owes
    // (seconds): the window system's hold on a client that left a message unanswered, one time-out
    // and a retry.
    static constexpr double kOwedDraftGraceSeconds = 8.0;

    // Posts the line and shows what became of it.
    void Post(Varn32& varn, const std::string& line);
    [[noreturn]] void RunCommand(FormEvent command);
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
    std::deque<FormEvent> pending_;
    bool dragging_ = false;
    // An error raised by a tick run inside a platform loop, raised again in our own frames.
    std::string tickError_;
    int pumpDepth_ = 0;
    int maxPumpDepth_ = 0;
};

}  // namespace vorivevo
