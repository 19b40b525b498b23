// The simulated host: when waits wake, how ticks and input reach the logic, the move loop, and
// the end of a run. The logic's own tests rely on these timings being exact.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "chat_lines.h"
#include "desktop.h"
#include "horizon_reached.h"
#include "sim_host.h"
#include "sim_thread.h"
#include "table_expectations.h"
#include "world.h"

namespace vorivevo::sim {
namespace {

Instant At(double seconds) { return SimHost::ToInstant(seconds); }

// Notes what reaches the logic and when: "Name@time" for Record, "ticks@time" for RunRecordedTicks
// and "run@time" for RunRecorded.
class NotingSink : public WindowEventSink {
public:
    explicit NotingSink(SimHost& host) : host_(host) {}
    void Record(WindowEvent event) noexcept override { Note(WindowEventName(event)); }
    void RunRecorded() override { Note("run"); }
    void RunRecordedTicks() noexcept override { Note("ticks"); }
    std::vector<std::string> notes;

private:
    void Note(const std::string& what) {
        std::ostringstream out;
        out << what << '@' << host_.Time();
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
    options.dialogTimerInterval = std::chrono::seconds(3);
    SimHost& h = MakeHost(options);
    h.Script(5.0, WindowEvent::StartClicked);
    h.EnableDialogTimer();
    h.WaitForEvent(At(4.0));
    EXPECT_DOUBLE_EQ(h.Time(), 3.0) << "the first tick, one interval after enabling";
    h.WaitForEvent(At(4.0));
    EXPECT_DOUBLE_EQ(h.Time(), 3.0) << "the tick is still pending";
    h.DoEvents();
    h.WaitForEvent(At(4.0));
    EXPECT_DOUBLE_EQ(h.Time(), 4.0);
    h.WaitForEvent(At(100.0));
    EXPECT_DOUBLE_EQ(h.Time(), 5.0);
    h.DoEvents();
    h.WaitForEvent(At(2.0));
    EXPECT_DOUBLE_EQ(h.Time(), 5.0) << "a deadline in the past: at once";
    h.WaitForEvent(kNever);
    EXPECT_DOUBLE_EQ(h.Time(), 6.0);
    EXPECT_EQ(sink->notes, (Notes{"Tick@3", "run@3", "Start@5", "run@5"}));
}

// The virtual clock counts seconds in binary floating point, where 2.2 + 0.4 - 2.2 comes out below 0.4:
// read as whole microseconds, a wait to start + length still ends.
TEST_F(SimHostTest, WaitLoopWhoseDeadlineRoundsShortOfItsLengthStillEnds) {
    SimHost& h = MakeHost();
    desktop.Clock().AdvanceTo(2.2);
    const Instant start = h.Now();
    const Duration length = std::chrono::milliseconds(400);
    int passes = 0;
    while (h.Now() - start < length) {
        ASSERT_LT(++passes, 10) << "the clock stood still at " << h.Time();
        h.WaitForEvent(start + length);
    }
}

TEST_F(SimHostTest, TicksThatFellDueTogetherAreOneAndKeepTheirGrid) {
    SimHost& h = MakeHost();
    h.EnableDialogTimer();
    desktop.Clock().AdvanceTo(3.5);
    h.DoEvents();
    h.EnableDialogTimer();  // already enabled: no restart
    h.WaitForEvent(kNever);
    EXPECT_DOUBLE_EQ(h.Time(), 4.0);
    h.Script(4.5, WindowEvent::StopClicked);
    desktop.Clock().AdvanceTo(5.0);
    h.DoEvents();
    EXPECT_EQ(sink->notes, (Notes{"Tick@3.5", "run@3.5", "Stop@5", "Tick@5", "run@5"}))
        << "input comes before the tick in one pump";
}

TEST_F(SimHostTest, RunEndsWhenNothingCanHappenOrAtTheHorizon) {
    SimHostOptions options;
    options.horizon = 100.0;
    SimHost& h = MakeHost(options);
    EXPECT_THROW(h.WaitForEvent(kNever), HorizonReached);
    EXPECT_DOUBLE_EQ(h.Time(), 0.0);
    h.WaitForEvent(At(100.0));
    EXPECT_DOUBLE_EQ(h.Time(), 100.0) << "the horizon itself is still inside the run";
    h.Script(150.0, WindowEvent::ExitClicked);
    EXPECT_THROW(h.WaitForEvent(kNever), HorizonReached);
    EXPECT_DOUBLE_EQ(h.Time(), 100.0);
}

TEST_F(SimHostTest, WaitLetsTheWorldChangeOnTheWayAndWakesForWhatThatScripts) {
    SimHost& h = MakeHost();
    desktop.Clock().At(2.0, [&] { h.Script(2.5, WindowEvent::CloseRequest); });
    h.WaitForEvent(kNever);
    EXPECT_DOUBLE_EQ(h.Time(), 2.5);
}

TEST_F(SimHostTest, DragRunsDueTicksInsideAndOnlyRecordsInput) {
    SimHost& h = MakeHost();
    h.EnableDialogTimer();
    h.ScriptDrag(0.5, 2.7);
    h.Script(2.2, WindowEvent::ExitClicked);
    h.WaitForEvent(kNever);
    h.DoEvents();
    ASSERT_DOUBLE_EQ(h.Time(), 0.5);
    sink->notes.clear();
    desktop.SendMessageA(h.OwnWindow(), WM_NCLBUTTONDOWN, HTCAPTION, LParam{0});
    EXPECT_DOUBLE_EQ(h.Time(), 3.2);
    EXPECT_EQ(sink->notes, (Notes{"Tick@1", "ticks@1", "Tick@2", "ticks@2", "Exit@2.2", "Tick@3", "ticks@3"}));
    ASSERT_EQ(h.Drags().size(), 1u);
    EXPECT_DOUBLE_EQ(h.Drags()[0].start, 0.5);
}

TEST_F(SimHostTest, DayClockCrossesMidnight) {
    SimHostOptions options;
    options.startOfDay = 86399.5;
    SimHost& h = MakeHost(options);
    EXPECT_DOUBLE_EQ(SimHost::ToSeconds(h.TimeOfDay()), 86399.5);
    desktop.Clock().AdvanceTo(1.0);
    EXPECT_DOUBLE_EQ(SimHost::ToSeconds(h.TimeOfDay()), 0.5);
    EXPECT_DOUBLE_EQ(SimHost::ToSeconds(h.Now().time_since_epoch()), 1.0);
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
    EXPECT_TRUE(
        TranscriptIs(outcome.transcript, {{0.0, advert}, {0.5, LoadedLine()}, {10.0, advert}, {10.4, UnloadedLine()}}));
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

// Another program's thread: its wait for a deadline lets the caller go on at the time it was at (run
// nested, a copy's five-second wait would have moved the caller's clock five seconds in one call), the
// world's events come in their order meanwhile, and what still waits when the thread goes unwinds.
TEST(SimThread, ItsWaitsLeaveTheCallersTimeAlone) {
    VirtualClock clock;
    std::vector<std::string> seen;
    bool unwound = false;
    {
        SimThread other(clock);
        clock.At(1.0, [&] {
            other.Start([&] {
                clock.AdvanceTo(6.0);
                seen.push_back("other at " + std::to_string(clock.Now()));
                struct Unwound {
                    bool& flag;
                    ~Unwound() { flag = true; }
                } guard{unwound};
                clock.AdvanceTo(100.0);
            });
        });
        clock.At(2.0, [&] { seen.push_back("world at " + std::to_string(clock.Now())); });
        clock.AdvanceTo(1.5);
        EXPECT_EQ(clock.Now(), 1.5);
        clock.AdvanceTo(10.0);
        EXPECT_TRUE(other.Busy());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"world at 2.000000", "other at 6.000000"}));
    EXPECT_TRUE(unwound);
}

}  // namespace
}  // namespace vorivevo::sim
