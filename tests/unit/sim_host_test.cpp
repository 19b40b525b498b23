// The simulated host runtime: when waits wake, how ticks and input reach the logic, the move loop, and
// the end of a run. The logic's own tests rely on these timings being exact.
#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "chat_lines.h"
#include "desktop.h"
#include "horizon_reached.h"
#include "sim_host.h"
#include "world.h"

namespace vorivevo::sim {
namespace {

constexpr double kForever = std::numeric_limits<double>::infinity();

const char* Name(WindowEvent event) {
    switch (event) {
        case WindowEvent::NameBarPressed: return "MouseDown";
        case WindowEvent::StartClicked: return "Start";
        case WindowEvent::StopClicked: return "Stop";
        case WindowEvent::ExitClicked: return "Exit";
        case WindowEvent::DialogTimerTick: return "Tick";
        case WindowEvent::CloseRequest: return "Close";
    }
    return "?";
}

// Notes what reaches the logic and when: "Name@time" for Record, "ticks@time" for RunRecordedTicks
// and "run@time" for RunRecorded.
class NotingSink : public WindowEventSink {
public:
    explicit NotingSink(SimHost& host) : host_(host) {}
    void Record(WindowEvent event) noexcept override { Note(Name(event)); }
    void RunRecorded() override { Note("run"); }
    void RunRecordedTicks() noexcept override { Note("ticks"); }
    std::vector<std::string> notes;

private:
    void Note(const std::string& what) {
        std::ostringstream out;
        out << what << '@' << host_.Now();
        notes.push_back(out.str());
    }
    SimHost& host_;
};

class SimHostTest : public ::testing::Test {
protected:
    SimHost& MakeHost(SimHostOptions options = {}) {
        host.emplace(desktop, options);
        sink.emplace(*host);
        host->AttachSink(&*sink);
        return *host;
    }
    using Notes = std::vector<std::string>;
    Desktop desktop;
    std::optional<SimHost> host;
    std::optional<NotingSink> sink;
};

TEST_F(SimHostTest, WaitWakesAtTheEarliestOfInputTickAndDeadlineAndNeverGoesBack) {
    SimHostOptions options;
    options.dialogTimerIntervalMs = 3000;
    SimHost& h = MakeHost(options);
    h.Script(5.0, WindowEvent::StartClicked);
    h.SetDialogTimerEnabled(true);
    h.WaitForEvent(4.0);
    EXPECT_DOUBLE_EQ(h.Now(), 3.0) << "the first tick, one interval after enabling";
    h.WaitForEvent(4.0);
    EXPECT_DOUBLE_EQ(h.Now(), 3.0) << "the tick is still pending";
    h.DoEvents();
    h.WaitForEvent(4.0);
    EXPECT_DOUBLE_EQ(h.Now(), 4.0);
    h.WaitForEvent(100.0);
    EXPECT_DOUBLE_EQ(h.Now(), 5.0);
    h.DoEvents();
    h.WaitForEvent(2.0);
    EXPECT_GT(h.Now(), 5.0) << "a deadline in the past: time still passes, as between two readings of a clock";
    EXPECT_LT(h.Now(), 5.0 + 1e-9);
    h.WaitForEvent(kForever);
    EXPECT_DOUBLE_EQ(h.Now(), 6.0);
    EXPECT_EQ(sink->notes, (Notes{"Tick@3", "run@3", "Start@5", "run@5"}));
}

TEST_F(SimHostTest, WaitLoopWhoseDeadlineRoundsShortOfItsLengthStillEnds) {
    SimHost& h = MakeHost();
    desktop.Clock().AdvanceTo(2.2);
    // 2.2 + 0.4 - 2.2 comes out below 0.4 in binary floating point.
    const double start = h.MonotonicSeconds();
    int passes = 0;
    while (h.MonotonicSeconds() - start < 0.4) {
        ASSERT_LT(++passes, 10) << "the clock stood still at " << h.Now();
        h.WaitForEvent(start + 0.4);
    }
}

TEST_F(SimHostTest, TicksThatFellDueTogetherAreOneAndKeepTheirGrid) {
    SimHost& h = MakeHost();
    h.SetDialogTimerEnabled(true);
    desktop.Clock().AdvanceTo(3.5);
    h.DoEvents();
    h.SetDialogTimerEnabled(true);  // already enabled: no restart
    h.WaitForEvent(kForever);
    EXPECT_DOUBLE_EQ(h.Now(), 4.0);
    h.Script(4.5, WindowEvent::StopClicked);
    desktop.Clock().AdvanceTo(5.0);
    h.DoEvents();
    EXPECT_EQ(sink->notes, (Notes{"Tick@3.5", "run@3.5", "Stop@5", "Tick@5", "run@5"}))
        << "input comes before the tick in one pump";
    h.SetDialogTimerEnabled(false);
    desktop.Clock().AdvanceTo(5.2);
    h.SetDialogTimerEnabled(true);
    h.WaitForEvent(kForever);
    EXPECT_DOUBLE_EQ(h.Now(), 6.2) << "enabling anew restarts the interval";
}

TEST_F(SimHostTest, RunEndsWhenNothingCanHappenOrAtTheHorizon) {
    SimHostOptions options;
    options.horizon = 100.0;
    SimHost& h = MakeHost(options);
    EXPECT_THROW(h.WaitForEvent(kForever), HorizonReached);
    EXPECT_DOUBLE_EQ(h.Now(), 0.0);
    h.WaitForEvent(100.0);
    EXPECT_DOUBLE_EQ(h.Now(), 100.0) << "the horizon itself is still inside the run";
    h.Script(150.0, WindowEvent::ExitClicked);
    EXPECT_THROW(h.WaitForEvent(kForever), HorizonReached);
    EXPECT_DOUBLE_EQ(h.Now(), 100.0);
}

TEST_F(SimHostTest, WaitLetsTheWorldChangeOnTheWayAndWakesForWhatThatScripts) {
    SimHost& h = MakeHost();
    desktop.Clock().At(2.0, [&] { h.Script(2.5, WindowEvent::CloseRequest); });
    h.WaitForEvent(kForever);
    EXPECT_DOUBLE_EQ(h.Now(), 2.5);
}

TEST_F(SimHostTest, DragRunsDueTicksInsideAndOnlyRecordsInput) {
    SimHost& h = MakeHost();
    h.SetDialogTimerEnabled(true);
    h.ScriptDrag(0.5, 2.7);
    h.Script(2.2, WindowEvent::ExitClicked);
    h.WaitForEvent(kForever);
    h.DoEvents();
    ASSERT_DOUBLE_EQ(h.Now(), 0.5);
    sink->notes.clear();
    desktop.SendMessageA(h.OwnWindow(), WM_NCLBUTTONDOWN, HTCAPTION, LParam{0});
    EXPECT_DOUBLE_EQ(h.Now(), 3.2);
    EXPECT_EQ(sink->notes, (Notes{"Tick@1", "ticks@1", "Tick@2", "ticks@2", "Exit@2.2", "Tick@3", "ticks@3"}));
    ASSERT_EQ(h.Drags().size(), 1u);
    EXPECT_DOUBLE_EQ(h.Drags()[0].start, 0.5);
}

TEST_F(SimHostTest, DayClockCrossesMidnight) {
    SimHostOptions options;
    options.startOfDay = 86399.5;
    SimHost& h = MakeHost(options);
    EXPECT_DOUBLE_EQ(h.SecondsSinceMidnight(), 86399.5);
    desktop.Clock().AdvanceTo(1.0);
    EXPECT_DOUBLE_EQ(h.SecondsSinceMidnight(), 0.5);
    EXPECT_DOUBLE_EQ(h.MonotonicSeconds(), 1.0);
}

TEST_F(SimHostTest, EverythingAfterUnloadIsCountedAndAStuckPumpEndsTheRun) {
    SimHostOptions options;
    options.maxIdlePumps = 10;
    SimHost& h = MakeHost(options);
    desktop.SendMessageA(kNoWindow, WM_SETTEXT, 0, LParam{0});
    h.Unload();
    EXPECT_FALSE(desktop.IsWindow(h.OwnWindow()));
    EXPECT_EQ(h.CallsAfterUnload(), 0);
    h.DoEvents();
    desktop.FindWindowA("AOL Frame25");
    EXPECT_EQ(h.CallsAfterUnload(), 2);
    EXPECT_THROW(
        for (int i = 0; i < 20; ++i) h.DoEvents(), HorizonReached);
}

class SimWorld : public ::testing::Test {};

TEST_F(SimWorld, RunsTheAnnouncerToItsEndAndHandsBackTheTranscript) {
    WorldOptions options;
    options.client.mdiChildren = 3;
    options.client.roomPosition = 2;
    World world(options);
    world.Client().TypeDraft("my draft");
    world.host.Script(10.0, WindowEvent::ExitClicked);
    const RunOutcome outcome = world.Run();
    EXPECT_TRUE(outcome.returned) << outcome.endedBy;
    const std::string advert = AdvertLine(kHomePageInitial, kDisplayNameInitial);
    EXPECT_EQ(TranscriptDifference(outcome.transcript,
                                   {{0.0, advert}, {0.5, LoadedLine()}, {10.0, advert}, {10.4, UnloadedLine()}}, 1e-9),
              "");
    EXPECT_EQ(world.host.CallsAfterUnload(), 0);
    EXPECT_EQ(world.Client().EntryText(), "my draft");
}

TEST_F(SimWorld, RunWithoutExitEndsAtTheHorizon) {
    WorldOptions options;
    options.clientRunning = false;
    options.host.horizon = 30.0;
    World world(options);
    world.host.Script(1.0, WindowEvent::StartClicked);
    const RunOutcome outcome = world.Run();
    EXPECT_FALSE(outcome.returned);
    EXPECT_FALSE(outcome.endedBy.empty());
    EXPECT_DOUBLE_EQ(outcome.endTime, 30.0);
    EXPECT_TRUE(outcome.transcript.empty());
}

}  // namespace
}  // namespace vorivevo::sim
