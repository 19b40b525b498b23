// Form1's handlers, and how a command that arrives while another runs takes over from it.
//
// Window procedures only note events (Record). The handlers run from HostRuntime::DoEvents, in our own
// frames: a tick or a drag runs nested and returns; a new command unwinds the running one, by an
// exception of our own, back to Run, which then starts it. So however many commands arrive, the stack
// holds at most one command, and the interrupted one never resumes.
#include "form1.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "chat_lines.h"
#include "post_report.h"
#include "varn32.h"

namespace vorivevo {

namespace {

// Unwinds the running command so that the command at the front of the queue can start.
struct CommandTakeover {};
// Unwinds everything: the program ends.
struct ProgramEnd {};

bool IsCommand(FormEvent event) {
    return event == FormEvent::Picture2Click || event == FormEvent::Picture3Click ||
           event == FormEvent::Picture4Click;
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

Form1::Form1(WindowSystem& windows, HostRuntime& runtime) : windows_(windows), runtime_(runtime) {}

Form1::~Form1() = default;

int Form1::Run() {
    try {
        try {
            Form_Load();
        } catch (const CommandTakeover&) {
            // The window is not shown yet, so no command can arrive; should one, it runs below.
        }
        runtime_.Show();
        for (;;) {
            try {
                if (!pending_.empty() && IsCommand(pending_.front())) {
                    const FormEvent command = pending_.front();
                    pending_.pop_front();
                    RunCommand(command);
                }
                StayIdle();
            } catch (const CommandTakeover&) {
                // The next pass starts the command that took over.
            }
        }
    } catch (const ProgramEnd&) {
        SettleOwedDraftBeforeEnd();
        runtime_.Unload();
        return 0;
    } catch (const std::exception& error) {
        ending_ = true;
        SettleOwedDraftBeforeEnd();
        runtime_.ReportError(error.what());
        runtime_.Unload();
        return 1;
    }
}

// Runs once the stack has unwound, so that every post has given back or kept what it owed. The window
// stays until then; what comes meanwhile is taken off the queue and dropped. An answer awaited with no
// draft at stake does not hold the end up.
void Form1::SettleOwedDraftBeforeEnd() {
    Varn32 varn(windows_, runtime_, drafts_);
    const double giveUp = runtime_.MonotonicSeconds() + kOwedDraftGraceSeconds;
    while (drafts_.OwesDraft() && !varn.SettleOwedDraft() && runtime_.MonotonicSeconds() < giveUp) {
        runtime_.WaitForEvent(std::min(giveUp, drafts_.NextTry()));
        runtime_.DoEvents();
    }
}

void Form1::RunCommand(FormEvent command) {
    switch (command) {
        case FormEvent::Picture2Click: Picture2_Click();
        case FormEvent::Picture3Click: Picture3_Click();
        case FormEvent::Picture4Click: Picture4_Click();
        default: break;
    }
    StayIdle();
}

void Form1::StayIdle() {
    Varn32 varn(windows_, runtime_, drafts_);
    for (;;) {
        varn.SettleOwedDraftWhenDue();
        // For ever, unless a draft is owed to the client and must be tried again.
        runtime_.WaitForEvent(drafts_.NextTry());
        runtime_.DoEvents();
    }
}

void Form1::EndProgram() {
    pending_.clear();
    ending_ = true;
    throw ProgramEnd{};
}

void Form1::Record(FormEvent event) noexcept {
    if (ending_) return;
    try {
        // Ticks that fall due while nothing dispatches are one tick.
        if (event == FormEvent::Timer1Tick && !pending_.empty() && pending_.back() == FormEvent::Timer1Tick) return;
        pending_.push_back(event);
    } catch (...) {
        // Out of memory: the event is lost, as the platform would lose input it cannot queue.
    }
}

void Form1::RunRecorded() {
    if (ending_) return;
    DepthCount depth(pumpDepth_, maxPumpDepth_);
    if (!tickError_.empty()) throw std::runtime_error(tickError_);
    while (!pending_.empty()) {
        switch (pending_.front()) {
            case FormEvent::Timer1Tick:
                pending_.pop_front();
                Timer1_Timer();
                break;
            case FormEvent::Picture1MouseDown:
                pending_.pop_front();
                // A mouse-down noted while the window is already being dragged belongs to that drag.
                if (!dragging_) Picture1_MouseDown();
                break;
            case FormEvent::CloseRequest:
                // Not Exit: the window is going, so nothing more is posted.
                EndProgram();
            default:
                throw CommandTakeover{};
        }
    }
}

void Form1::RunRecordedTicks() noexcept {
    if (ending_) return;
    try {
        // A tick may bring more events (a message sent to our window while it waits on the client), and
        // noting them may move the queue: look each tick up afresh, and run only those noted by now.
        auto ticks = std::count(pending_.begin(), pending_.end(), FormEvent::Timer1Tick);
        for (; ticks > 0; --ticks) {
            const auto tick = std::find(pending_.begin(), pending_.end(), FormEvent::Timer1Tick);
            if (tick == pending_.end()) break;
            pending_.erase(tick);
            Timer1_Timer();
        }
    } catch (const std::exception& error) {
        // We are inside a platform loop: the error is raised again at the next dispatch in our frames.
        tickError_ = error.what();
    } catch (...) {
        tickError_ = "unknown error in the timer";
    }
}

void Form1::Post(Varn32& varn, const std::string& line) {
    const PostResult result = varn.PostToChat(line);
    runtime_.ShowPostReport(PostReport(result, runtime_.SecondsSinceMidnight()));
}

void Form1::Form_Load() {
    Varn32 varn(windows_, runtime_, drafts_);
    varn.PinAboveAll(runtime_.OwnWindow());
    Post(varn, AdvertLine(runtime_.Text1Text(), runtime_.Text2Text()));
    varn.WaitSeconds(0.5);
    Post(varn, LoadedLine());
}

void Form1::Picture1_MouseDown() {
    dragging_ = true;
    struct DragEnd {
        bool& dragging;
        ~DragEnd() { dragging = false; }
    } dragEnd{dragging_};
    Varn32(windows_, runtime_, drafts_).BeginWindowDrag(runtime_.OwnWindow());
}

void Form1::Picture2_Click() {
    state_ = State::Announcing;
    Varn32 varn(windows_, runtime_, drafts_);
    for (;;) {
        runtime_.SetTimer1Enabled(true);
        Post(varn, AdvertLine(runtime_.Text1Text(), runtime_.Text2Text()));
        varn.WaitSeconds(0.5);
        Post(varn, IdleLine(runtime_.Label1Text()));
        varn.WaitSeconds(60);
        runtime_.SetLabel1Text(NextCount(runtime_.Label1Text()));
    }
}

void Form1::Picture3_Click() {
    state_ = State::Off;
    Varn32 varn(windows_, runtime_, drafts_);
    runtime_.SetLabel1Text("0");
    Post(varn, AdvertLine(runtime_.Text1Text(), runtime_.Text2Text()));
    varn.WaitSeconds(0.5);
    Post(varn, OffLine());
    StayIdle();
}

void Form1::Picture4_Click() {
    Varn32 varn(windows_, runtime_, drafts_);
    Post(varn, AdvertLine(runtime_.Text1Text(), runtime_.Text2Text()));
    varn.WaitSeconds(0.4);
    Post(varn, UnloadedLine());
    EndProgram();
}

void Form1::Timer1_Timer() {
    Varn32 varn(windows_, runtime_, drafts_);
    varn.SettleOwedDraftWhenDue();
    varn.DismissPalette();
    varn.DismissModal();
}

}  // namespace vorivevo
