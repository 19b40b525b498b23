// The event pump's contract, which the announcer's takeover and its dialog timer rest on: the simulated
// host on Linux, the Win32 host under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "pump_stage.h"
#include "window_controls.h"

namespace vorivevo::contract {
namespace {

using Notes = std::vector<std::string>;

// What reaches the sink, in order: the event for Record, "ticks" for RunRecordedTicks and "run" for
// RunRecorded.
class NotingSink final : public WindowEventSink {
public:
    void Record(WindowEvent event) noexcept override { notes.push_back(WindowEventName(event)); }
    void RunRecorded() override { notes.push_back("run"); }
    void RunRecordedTicks() noexcept override { notes.push_back("ticks"); }
    Notes notes;
};

class EventPumpContract : public ::testing::Test {
protected:
    void SetUp() override {
        stage_ = MakePumpStage();
        stage_->AttachSink(&sink_);
    }
    void TearDown() override { stage_->AttachSink(nullptr); }

    static Duration Intervals(double count) {
        return std::chrono::duration_cast<Duration>(std::chrono::duration<double, std::milli>(kDialogTimerInterval) * count);
    }
    EventLoop& Events() { return stage_->Events(); }

    std::unique_ptr<PumpStage> stage_;
    NotingSink sink_;
};

// A tick that ran late must not be followed by its missed brothers: the announcer would press the
// client's dialogs several times in a row.
TEST_F(EventPumpContract, TicksThatFellDueWhileNothingPumpedAreOne) {
    stage_->View().EnableDialogTimer();
    stage_->LetTimePass(Intervals(3.5));
    Events().DoEvents();
    Events().DoEvents();
    EXPECT_EQ(sink_.notes, (Notes{"Tick", "run", "run"}));
}

// A command must never wait behind the dialog timer.
TEST_F(EventPumpContract, InputComesBeforeATickThatFellDueEarlier) {
    stage_->View().EnableDialogTimer();
    stage_->LetTimePass(Intervals(1.5));
    stage_->Click(WindowEvent::StopClicked);
    Events().DoEvents();
    EXPECT_EQ(sink_.notes, (Notes{"Stop", "Tick", "run"}));
}

// While the user drags the window the dialogs are still answered, but a command waits for our own frames,
// where it may take over.
TEST_F(EventPumpContract, TicksRunOnTheSpotInsideASystemLoopAndInputWaitsForThePump) {
    stage_->View().EnableDialogTimer();
    stage_->Click(WindowEvent::StartClicked);
    stage_->RunSystemLoop(Intervals(2.5));
    const Notes inLoop = sink_.notes;
    Events().DoEvents();

    EXPECT_EQ(std::count(inLoop.begin(), inLoop.end(), "Start"), 1) << ::testing::PrintToString(inLoop);
    EXPECT_EQ(std::count(inLoop.begin(), inLoop.end(), "run"), 0) << ::testing::PrintToString(inLoop);
    const auto ticks = std::count(inLoop.begin(), inLoop.end(), "Tick");
    EXPECT_GE(ticks, 1) << ::testing::PrintToString(inLoop);
    for (std::size_t i = 0; i < inLoop.size(); ++i) {
        if (inLoop[i] != "Tick") continue;
        EXPECT_TRUE(i + 1 < inLoop.size() && inLoop[i + 1] == "ticks")
            << "tick " << i << " did not run on the spot: " << ::testing::PrintToString(inLoop);
    }
    EXPECT_EQ(sink_.notes.back(), "run");
}

TEST_F(EventPumpContract, WaitReturnsAtOnceForQueuedInputAndLeavesItToThePump) {
    stage_->Click(WindowEvent::StartClicked);
    const Instant start = Events().Now();
    Events().WaitForEvent(start + std::chrono::seconds(600));
    EXPECT_LT(Events().Now() - start, std::chrono::seconds(300)) << "waited for the deadline despite the input";
    EXPECT_EQ(sink_.notes, Notes{}) << "a wait runs no handler";
    Events().DoEvents();
    EXPECT_EQ(sink_.notes, (Notes{"Start", "run"}));
}

// Start enables the timer at every cycle; restarting it each time would put the dialogs' presses off.
TEST_F(EventPumpContract, EnablingAnEnabledTimerDoesNotRestartIt) {
    stage_->View().EnableDialogTimer();
    stage_->LetTimePass(Intervals(1.5));
    stage_->View().EnableDialogTimer();
    Events().DoEvents();
    EXPECT_EQ(sink_.notes, (Notes{"Tick", "run"})) << "the tick due before the second enabling was lost";
}

// The timer's first tick bounds a wait that would not return: it fails here instead of hanging.
TEST_F(EventPumpContract, WaitForAPassedDeadlineReturnsAtOnce) {
    stage_->View().EnableDialogTimer();
    Events().WaitForEvent(Events().Now() - std::chrono::seconds(1));
    Events().WaitForEvent(Instant::min());
    Events().DoEvents();
    EXPECT_EQ(sink_.notes, Notes{"run"}) << "a wait lasted until the timer's first tick";
}

}  // namespace
}  // namespace vorivevo::contract
