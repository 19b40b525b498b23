// The announcer's handlers, and how a command that arrives while another runs takes over from it.
//
// Window procedures only note events (Record). The handlers run from EventLoop::DoEvents, in our own
// frames: a tick or a drag runs nested and returns; a new command unwinds the running one, by an
// exception of our own, back to Run, which then starts it. So however many commands arrive, the stack
// holds at most one command, and the interrupted one never resumes.
#include "announcer.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "chat_lines.h"
#include "client_automation.h"
#include "post_report.h"

namespace vorivevo {

namespace {

// Unwinds the running command so that the command at the front of the queue can start.
struct CommandTakeover {};
// Unwinds everything: the program ends.
struct ProgramEnd {};

bool IsCommand(WindowEvent event) {
    return event == WindowEvent::StartClicked || event == WindowEvent::StopClicked ||
           event == WindowEvent::ExitClicked;
}

class DepthCount {
public:
    DepthCount(int& depth, int& deepest) : depth_(depth) {
        if (++depth_ > deepest) deepest = depth_;
    }
    ~DepthCount() { --depth_; }
    DepthCount(const DepthCount&) = delete;
    DepthCount& operator=(const DepthCount&) = delete;

private:
    int& depth_;
};

}  // namespace

Announcer::Announcer(WindowSystem& windows, EventLoop& events, AnnouncerView& view)
    : windows_(windows), events_(events), view_(view) {}

Announcer::~Announcer() = default;

int Announcer::Run() {
    try {
        try {
            AnnounceStartUp();
        } catch (const CommandTakeover&) {
            // The window is not shown yet, so no command can arrive; should one, it runs below.
        }
        view_.Show();
        for (;;) {
            try {
                if (!pending_.empty() && IsCommand(pending_.front())) {
                    const WindowEvent command = pending_.front();
                    pending_.pop_front();
                    RunCommand(command);
                }
                StayIdle();
            } catch (const CommandTakeover&) {
                // The next pass starts the command that took over.
            }
        }
    } catch (const ProgramEnd&) {
        view_.Unload();
        SettleOwedDraftBeforeEnd();
        return 0;
    } catch (const std::exception& error) {
        ending_ = true;
        view_.ReportError(error.what());
        view_.Unload();
        SettleOwedDraftBeforeEnd();
        return 1;
    }
}

// Runs once the stack has unwound, so that every post has given back or kept what it owed, and once the
// window has gone: the user who closed it, perhaps because the client looked frozen, must not lose their
// draft to our line once the client wakes. What comes meanwhile is taken off the queue and dropped. An
// answer awaited with no draft at stake does not hold the end up.
void Announcer::SettleOwedDraftBeforeEnd() {
    ClientAutomation automation(windows_, events_, drafts_);
    const Instant giveUp = events_.Now() + kOwedDraftGrace;
    while (drafts_.OwesDraft() && !automation.SettleOwedDraft() && events_.Now() < giveUp) {
        events_.WaitForEvent(std::min(giveUp, drafts_.NextTry()));
        events_.DoEvents();
    }
}

void Announcer::RunCommand(WindowEvent command) {
    switch (command) {
        case WindowEvent::StartClicked:
            StartClicked();
            break;
        case WindowEvent::StopClicked:
            StopClicked();
            break;
        case WindowEvent::ExitClicked:
            ExitClicked();
            break;
        default:
            break;
    }
    StayIdle();
}

void Announcer::StayIdle() {
    ClientAutomation automation(windows_, events_, drafts_);
    for (;;) {
        automation.SettleOwedDraftWhenDue();
        NoteGivenUpDraft();
        // For ever, unless a draft is owed to the client and must be tried again.
        events_.WaitForEvent(drafts_.NextTry());
        events_.DoEvents();
    }
}

void Announcer::EndProgram() {
    pending_.clear();
    ending_ = true;
    throw ProgramEnd{};
}

void Announcer::Record(WindowEvent event) noexcept {
    if (ending_) return;
    try {
        // Ticks that fall due while nothing dispatches are one tick.
        const bool tickAfterTick = event == WindowEvent::DialogTimerTick && !pending_.empty() &&
                                   pending_.back() == WindowEvent::DialogTimerTick;
        if (tickAfterTick) return;
        pending_.push_back(event);
    } catch (...) {
        // Out of memory: the event is lost, as the platform would lose input it cannot queue.
    }
}

void Announcer::RunRecorded() {
    if (ending_) return;
    DepthCount depth(pumpDepth_, maxPumpDepth_);
    if (!tickError_.empty()) throw std::runtime_error(tickError_);
    while (!pending_.empty()) {
        switch (pending_.front()) {
            case WindowEvent::DialogTimerTick:
                pending_.pop_front();
                DialogTimerTick();
                break;
            case WindowEvent::NameBarPressed:
                pending_.pop_front();
                // A mouse-down noted while the window is already being dragged belongs to that drag.
                if (!dragging_) NameBarPressed();
                break;
            case WindowEvent::CloseRequest:
                // Not Exit: the window is going, so nothing more is posted.
                EndProgram();
                break;
            case WindowEvent::StartClicked:
            case WindowEvent::StopClicked:
            case WindowEvent::ExitClicked:
                throw CommandTakeover{};
        }
    }
}

void Announcer::RunRecordedTicks() noexcept {
    if (ending_) return;
    try {
        // A tick may bring more events (a message sent to our window while it waits on the client), and
        // noting them may move the queue: look each tick up afresh, and run only those noted by now.
        auto ticks = std::count(pending_.begin(), pending_.end(), WindowEvent::DialogTimerTick);
        for (; ticks > 0; --ticks) {
            const auto tick = std::find(pending_.begin(), pending_.end(), WindowEvent::DialogTimerTick);
            if (tick == pending_.end()) break;
            pending_.erase(tick);
            DialogTimerTick();
        }
    } catch (const std::exception& error) {
        // We are inside a platform loop: the error is raised again at the next dispatch in our frames.
        tickError_ = error.what();
    } catch (...) {
        tickError_ = "unknown error in the timer";
    }
}

void Announcer::Post(ClientAutomation& automation, const std::string& line) {
    const PostResult result = automation.PostToChat(line);
    NoteGivenUpDraft();
    view_.ShowPostReport(PostReport(result, view_.TimeOfDay()) + givenUpNote_);
}

void Announcer::NoteGivenUpDraft() {
    if (!drafts_.TakeGiveUpNote()) return;
    givenUpNote_ = "\n" + DraftGivenUpReport(view_.TimeOfDay());
    view_.ShowPostReport(givenUpNote_.substr(1));
}

void Announcer::Announce(ClientAutomation& automation, const std::string& statusLine, Duration gap) {
    Post(automation, AdvertLine(view_.HomePageText(), view_.DisplayNameText()));
    automation.WaitSeconds(gap);
    Post(automation, statusLine);
}

void Announcer::AnnounceStartUp() {
    ClientAutomation automation(windows_, events_, drafts_);
    automation.PinAboveAll(view_.OwnWindow());
    Announce(automation, LoadedLine(), kAnnounceGap);
}

void Announcer::NameBarPressed() {
    dragging_ = true;
    struct DragEnd {
        bool& dragging;
        ~DragEnd() { dragging = false; }
    } dragEnd{dragging_};
    ClientAutomation(windows_, events_, drafts_).BeginWindowDrag(view_.OwnWindow());
}

// The counter can change only by a command, and a command that arrives during an announcement takes over
// from it: so the idle line may be made before its announcement starts.
void Announcer::StartClicked() {
    state_ = State::Announcing;
    ClientAutomation automation(windows_, events_, drafts_);
    for (;;) {
        view_.EnableDialogTimer();
        Announce(automation, IdleLine(view_.IdleCounterText()), kAnnounceGap);
        automation.WaitSeconds(kMinuteWait);
        view_.SetIdleCounterText(NextCount(view_.IdleCounterText()));
    }
}

void Announcer::StopClicked() {
    state_ = State::Off;
    ClientAutomation automation(windows_, events_, drafts_);
    view_.SetIdleCounterText("0");
    Announce(automation, OffLine(), kAnnounceGap);
    StayIdle();
}

void Announcer::ExitClicked() {
    ClientAutomation automation(windows_, events_, drafts_);
    Announce(automation, UnloadedLine(), kExitGap);
    EndProgram();
}

void Announcer::DialogTimerTick() {
    ClientAutomation automation(windows_, events_, drafts_);
    automation.SettleOwedDraftWhenDue();
    NoteGivenUpDraft();
    automation.DismissPalette();
    automation.DismissModal();
}

}  // namespace vorivevo
