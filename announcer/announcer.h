// The announcer, the window's logic: the start-up announcement, the commands and how one takes over from
// another, and the dialog timer.
#pragma once

#include <chrono>
#include <deque>
#include <string>

#include "announcer_view.h"
#include "draft_keeper.h"
#include "event_loop.h"
#include "window_events.h"
#include "window_system.h"

namespace vorivevo {

class ClientAutomation;

class Announcer final : public WindowEventSink {
public:
    // Between the advertisement line and the status line of the start-up announcement, Start and Stop.
    static constexpr Duration kAnnounceGap = std::chrono::milliseconds(500);
    // From one idle line to the next advertisement line while announcing.
    static constexpr Duration kMinuteWait = std::chrono::seconds(60);
    // Between the advertisement line and "Now Unloaded" on Exit.
    static constexpr Duration kExitGap = std::chrono::milliseconds(400);
    // How long the program, its window gone, still waits for the client to take back a draft it owes:
    // long enough for a client that froze for a while, short enough that a process nobody sees does not
    // stay for good.
    static constexpr Duration kOwedDraftGrace = std::chrono::minutes(2);

    Announcer(WindowSystem& windows, EventLoop& events, AnnouncerView& view);
    ~Announcer() override;

    // Everything from the start-up announcement to the end: shows the window once start-up is done, then
    // runs the commands as they arrive until Exit, a close request or an error. Returns the process's
    // exit code.
    int Run();

    // Deepest nesting of the event pump seen so far (1 = a DoEvents called from a command).
    int MaxPumpDepth() const { return maxPumpDepth_; }

    // WindowEventSink
    void Record(WindowEvent event) noexcept override;
    void RunRecorded() override;
    void RunRecordedTicks() noexcept override;

    enum class State { Idle, Announcing, Off };
    State CurrentState() const { return state_; }

private:
    // The handlers.
    void AnnounceStartUp();
    void NameBarPressed();
    [[noreturn]] void StartClicked();
    [[noreturn]] void StopClicked();
    [[noreturn]] void ExitClicked();
    void DialogTimerTick();

    // The advertisement line, then after `gap` the status line: every announcement goes so.
    void Announce(ClientAutomation& automation, const std::string& statusLine, Duration gap);
    // Posts the line and shows what became of it.
    void Post(ClientAutomation& automation, const std::string& line);
    [[noreturn]] void RunCommand(WindowEvent command);
    [[noreturn]] void StayIdle();
    [[noreturn]] void EndProgram();
    void SettleOwedDraftBeforeEnd();
    // Tells the user once that a draft owed to the client was given up on; the note stays under every
    // later report.
    void NoteGivenUpDraft();

    WindowSystem& windows_;
    EventLoop& events_;
    AnnouncerView& view_;
    State state_ = State::Idle;
    DraftKeeper drafts_;
    std::string givenUpNote_;
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
