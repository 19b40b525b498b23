// Start, Stop, Exit, the drag and the timer, and how a command takes over from another, in virtual time.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "expected_lines.h"
#include "table_expectations.h"
#include "world.h"

namespace vorivevo::sim {
namespace {

using namespace expected;

using Lines = std::vector<TranscriptLine>;

Lines StartUp() { return {{0.0, kAdvert}, {0.5, kLoaded}}; }

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

WorldOptions Horizon(double seconds) {
    WorldOptions options;
    options.host.horizon = seconds;
    return options;
}

TEST(AnnouncerCommands, StartThenStopThirtySecondsLater) {
    World world(Horizon(200));
    world.host.Script(10, WindowEvent::StartClicked);
    world.host.Script(40, WindowEvent::StopClicked);
    const RunOutcome outcome = world.Run();
    EXPECT_TRUE(TranscriptIs(outcome.transcript,
                             StartUp() + Lines{{10.0, kAdvert}, {10.5, Idle("0")}, {40.0, kAdvert}, {40.5, kOff}}));
    EXPECT_EQ(world.host.IdleCounterText(), "0");
    EXPECT_EQ(world.announcer.CurrentState(), Announcer::State::Off);
    EXPECT_TRUE(world.host.DialogTimerEnabled()) << "Stop leaves the timer as it was";
}

TEST(AnnouncerCommands, AnHourOfAnnouncingCountsOnOncePerCycle) {
    WorldOptions options = Horizon(3700);
    options.sendMessageCost = 0.001;  // posts take time, so lines come a little after their due time
    World world(options);
    const double start = 5.0;
    world.host.Script(start, WindowEvent::StartClicked);
    const RunOutcome outcome = world.Run();

    std::vector<TranscriptLine> lines(outcome.transcript.begin() + 2, outcome.transcript.end());
    ASSERT_GE(lines.size(), 2u * 59);
    double postTime = 0;  // the longest post seen, bounding how late a line may be
    for (std::size_t k = 0; 2 * k + 1 < lines.size(); ++k) {
        const double due = start + 60.5 * k + 0.5;
        EXPECT_EQ(lines[2 * k].text, kAdvert) << "cycle " << k;
        EXPECT_EQ(lines[2 * k + 1].text, Idle(std::to_string(k))) << "cycle " << k;
        const double late = lines[2 * k + 1].time - due;
        EXPECT_GE(late, 0.0) << "cycle " << k;
        if (k == 0) postTime = late;
        EXPECT_LE(late, (2 * k + 1) * postTime + kExact) << "cycle " << k << ": later than its posts explain";
    }
    // The counter shows k + 1 from 60.5 (k + 1) s after the click on, plus the posts' time.
    const auto& history = world.host.IdleCounterHistory();
    ASSERT_GE(history.size(), 59u);
    for (std::size_t i = 0; i < history.size(); ++i) {
        const std::size_t k = i + 1;
        EXPECT_EQ(history[i].second, std::to_string(k));
        EXPECT_GE(history[i].first, start + 60.5 * k);
        EXPECT_LE(history[i].first, start + 60.5 * k + 2 * k * postTime + kExact);
    }
}

TEST(AnnouncerCommands, StartAgainDuringTheMinutesWaitRepeatsTheCount) {
    World world(Horizon(100));
    world.host.Script(10, WindowEvent::StartClicked);
    world.host.Script(40, WindowEvent::StartClicked);
    const RunOutcome outcome = world.Run();
    EXPECT_TRUE(TranscriptIs(outcome.transcript, StartUp() + Lines{{10.0, kAdvert}, {10.5, Idle("0")},
                                                                   {40.0, kAdvert}, {40.5, Idle("0")}}));
}

TEST(AnnouncerCommands, StartAgainBeforeTheIdleLineSupersedesTheCycle) {
    World world(Horizon(30));
    world.host.Script(10, WindowEvent::StartClicked);
    world.host.Script(10.2, WindowEvent::StartClicked);
    const RunOutcome outcome = world.Run();
    EXPECT_TRUE(TranscriptIs(outcome.transcript,
                             StartUp() + Lines{{10.0, kAdvert}, {10.2, kAdvert}, {10.7, Idle("0")}}));
}

TEST(AnnouncerCommands, StopWhileOffPostsAgainAndStartAfterStopCountsFromZero) {
    World world(Horizon(300));
    world.host.Script(10, WindowEvent::StartClicked);
    world.host.Script(80, WindowEvent::StopClicked);  // the counter stood at 1
    world.host.Script(90, WindowEvent::StopClicked);
    world.host.Script(100, WindowEvent::StartClicked);
    const RunOutcome outcome = world.Run();
    EXPECT_TRUE(TranscriptIs(outcome.transcript, StartUp() + Lines{{10.0, kAdvert}, {10.5, Idle("0")},
                                                                   {70.5, kAdvert}, {71.0, Idle("1")},
                                                                   {80.0, kAdvert}, {80.5, kOff},
                                                                   {90.0, kAdvert}, {90.5, kOff},
                                                                   {100.0, kAdvert}, {100.5, Idle("0")},
                                                                   {160.5, kAdvert}, {161.0, Idle("1")},
                                                                   {221.0, kAdvert}, {221.5, Idle("2")},
                                                                   {281.5, kAdvert}, {282.0, Idle("3")}}));
}

TEST(AnnouncerCommands, ExitDuringExitPostsAdvertTwiceAndUnloadedOnce) {
    World world(Horizon(100));
    world.host.Script(10, WindowEvent::ExitClicked);
    world.host.Script(10.2, WindowEvent::ExitClicked);
    const RunOutcome outcome = world.Run();
    EXPECT_TRUE(outcome.returned);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(TranscriptIs(outcome.transcript,
                             StartUp() + Lines{{10.0, kAdvert}, {10.2, kAdvert}, {10.6, kUnloaded}}));
    ASSERT_TRUE(world.host.UnloadedAt().has_value());
    EXPECT_DOUBLE_EQ(*world.host.UnloadedAt(), 10.6);
    EXPECT_EQ(world.host.CallsAfterUnload(), 0);
}

TEST(AnnouncerCommands, ExitWhileAnnouncingEndsWithoutAnotherIdleLine) {
    World world(Horizon(1000));
    world.host.Script(10, WindowEvent::StartClicked);
    world.host.Script(30, WindowEvent::ExitClicked);
    const RunOutcome outcome = world.Run();
    EXPECT_TRUE(outcome.returned);
    EXPECT_TRUE(TranscriptIs(outcome.transcript, StartUp() + Lines{{10.0, kAdvert}, {10.5, Idle("0")},
                                                                   {30.0, kAdvert}, {30.4, kUnloaded}}));
    EXPECT_DOUBLE_EQ(outcome.endTime, 30.4);
    EXPECT_EQ(world.host.CallsAfterUnload(), 0);
}

// Exit while Send holds our line in the box (the client looks frozen): the window goes at once, but the
// program stays, posting nothing, until the draft is back, or for two minutes at most.
TEST(AnnouncerCommands, ExitWhileOurLineIsInTheBoxStaysHiddenUntilTheDraftIsBack) {
    const struct {
        double sendSeconds;
        double endTime;
    } cases[] = {
        {60, 70.5},         // Send returns at 70 s, and the draft follows at the next try
        {1000, 12.4 + 120}, // the line is still in the box when the program gives up
    };
    for (const auto& c : cases) {
        World world(Horizon(2000));
        world.Client().TypeDraft("my draft");
        world.desktop.Clock().At(5, [&world, &c] { world.Client().SetSendSeconds(c.sendSeconds); });
        world.host.Script(10, WindowEvent::ExitClicked);
        const RunOutcome outcome = world.Run();
        ASSERT_TRUE(outcome.returned) << outcome.endedBy;
        ASSERT_TRUE(world.host.UnloadedAt().has_value());
        // The press waits out the time-out; "Now Unloaded" then finds the client owing its answer.
        EXPECT_DOUBLE_EQ(*world.host.UnloadedAt(), 12.4) << "Send for " << c.sendSeconds << " s";
        EXPECT_NEAR(outcome.endTime, c.endTime, 0.5) << "Send for " << c.sendSeconds << " s";
        const bool lineWent = c.sendSeconds + 10 < outcome.endTime;
        EXPECT_TRUE(TranscriptIs(outcome.transcript, lineWent ? StartUp() + Lines{{c.sendSeconds + 10, kAdvert}}
                                                              : StartUp()))
            << "Send for " << c.sendSeconds << " s";
        if (lineWent) EXPECT_EQ(world.Client().EntryText(), "my draft") << "Send for " << c.sendSeconds << " s";
    }
}

TEST(AnnouncerCommands, CloseRequestEndsAtOnceWithoutPosting) {
    World world(Horizon(1000));
    world.host.Script(10, WindowEvent::StartClicked);
    world.host.Script(10.3, WindowEvent::CloseRequest);  // during the half-second wait
    const RunOutcome outcome = world.Run();
    EXPECT_TRUE(outcome.returned);
    EXPECT_TRUE(TranscriptIs(outcome.transcript, StartUp() + Lines{{10.0, kAdvert}}));
    EXPECT_DOUBLE_EQ(outcome.endTime, 10.3);
    EXPECT_EQ(world.host.CallsAfterUnload(), 0);
}

TEST(AnnouncerCommands, ModalLeftOpenBeforeStartIsPressedAtTheFirstTickAfterIt) {
    World world(Horizon(30));
    DialogOptions stays;
    stays.closeOnDismiss = false;
    const WindowHandle modal = world.dialogs.Open(DialogKind::Modal, stays);
    world.host.Script(10, WindowEvent::StartClicked);
    world.Run();
    const auto& presses = world.dialogs.Presses();
    ASSERT_FALSE(presses.empty());
    EXPECT_EQ(presses.front().dialog, modal);
    EXPECT_EQ(presses.front().child, 1);
    EXPECT_DOUBLE_EQ(presses.front().time, 11.0) << "one interval after Start enabled the timer";
    EXPECT_EQ(presses.size(), 20u) << "once a second from then on";
}

TEST(AnnouncerCommands, OneTickPressesPaletteBeforeModalAndOnePaletteAtATime) {
    World world(Horizon(14));
    const WindowHandle modal = world.dialogs.Open(DialogKind::Modal);
    const WindowHandle lowerPalette = world.dialogs.Open(DialogKind::Palette);
    const WindowHandle upperPalette = world.dialogs.Open(DialogKind::Palette);
    world.host.Script(10, WindowEvent::StartClicked);
    world.Run();
    const auto& presses = world.dialogs.Presses();
    ASSERT_EQ(presses.size(), 3u);
    EXPECT_EQ(presses[0].dialog, upperPalette);
    EXPECT_EQ(presses[1].dialog, modal);
    EXPECT_DOUBLE_EQ(presses[0].time, presses[1].time);
    EXPECT_EQ(presses[2].dialog, lowerPalette);
    EXPECT_DOUBLE_EQ(presses[2].time, presses[0].time + 1.0);
}

TEST(AnnouncerCommands, TicksGoOnDuringADragAndWhileOff) {
    World world(Horizon(40));
    DialogOptions stays;
    stays.closeOnDismiss = false;
    world.dialogs.Open(DialogKind::Palette, stays);
    world.host.Script(10, WindowEvent::StartClicked);
    world.host.ScriptDrag(12.5, 5.0);  // inside the minute's wait, over five ticks
    world.host.Script(25, WindowEvent::StopClicked);
    const RunOutcome outcome = world.Run();

    std::vector<double> pressTimes;
    for (const auto& press : world.dialogs.Presses()) pressTimes.push_back(press.time);
    std::vector<double> expectedTimes;
    for (double t = 11; t <= 40; t += 1) expectedTimes.push_back(t);
    EXPECT_EQ(pressTimes, expectedTimes);
    ASSERT_EQ(world.host.Drags().size(), 1u);
    EXPECT_DOUBLE_EQ(world.host.Drags()[0].end, 17.5);
    // The drag interrupted nothing: the cycle went on, then Stop.
    EXPECT_TRUE(TranscriptIs(outcome.transcript,
                             StartUp() + Lines{{10.0, kAdvert}, {10.5, Idle("0")}, {25.0, kAdvert}, {25.5, kOff}}));
}

TEST(AnnouncerCommands, WaitThatRanOutDuringADragEndsWhenTheDragEnds) {
    World world(Horizon(30));
    world.host.Script(10, WindowEvent::StartClicked);
    world.host.ScriptDrag(10.1, 3.0);  // the half-second wait runs out at 10.5, mid-drag
    const RunOutcome outcome = world.Run();
    EXPECT_TRUE(TranscriptIs(outcome.transcript, StartUp() + Lines{{10.0, kAdvert}, {13.1, Idle("0")}}));
}

TEST(AnnouncerCommands, TypingIntoTheTextBoxesChangesTheNextLines) {
    World world(Horizon(20));
    world.desktop.Clock().At(5, [&] {
        world.host.SetHomePageText("http://example.test/a b");
        world.host.SetDisplayNameText("Someone");
    });
    world.host.Script(10, WindowEvent::StopClicked);
    const RunOutcome outcome = world.Run();
    ASSERT_EQ(outcome.transcript.size(), 4u);
    EXPECT_EQ(outcome.transcript[2].text, kPrefix + "< a href=http://example.test/a b><Font Color=#FFAB3E>Someone</a>");
}

// A command that takes over in the middle of a post must leave the user's draft in the box, never our
// line; tried at every moment of the posts' span.
TEST(AnnouncerCommands, AbandonedPostKeepsTheUsersDraft) {
    for (int step = 0; step <= 60; ++step) {
        WorldOptions options = Horizon(40);
        options.client.mdiChildren = 4;
        options.client.roomPosition = 3;  // the room search dispatches events on its way
        options.sendMessageCost = 0.001;
        World world(options);
        world.Client().TypeDraft("half-typed reply");
        world.host.Script(10, WindowEvent::StartClicked);
        const double stopAt = 10 + step * 0.002;
        world.host.Script(stopAt, WindowEvent::StopClicked);
        const RunOutcome outcome = world.Run();

        char label[64];
        std::snprintf(label, sizeof label, "Stop at %.3f s", stopAt);
        EXPECT_EQ(world.Client().EntryText(), "half-typed reply") << label;
        ASSERT_GE(outcome.transcript.size(), 2u) << label;
        EXPECT_EQ(outcome.transcript.back().text, kOff) << label;
        for (const auto& line : outcome.transcript) EXPECT_NE(line.text, "half-typed reply") << label;
    }
}

// Messages to our window that arrive while a tick runs inside a drag's move loop are noted as the tick
// runs: the ticks' walk over the queue must survive the queue growing (and moving) under it.
TEST(AnnouncerCommands, EventsNotedDuringATickInsideADragRunAfterIt) {
    World world(Horizon(30));
    DialogOptions stays;
    stays.closeOnDismiss = false;
    const WindowHandle modal = world.dialogs.Open(DialogKind::Modal, stays);
    const WindowHandle icon = world.dialogs.ChildrenOf(modal)[1];
    world.desktop.SetHandler(icon, [&](const MessageContext& message) -> std::optional<LResult> {
        if (message.message == WM_LBUTTONUP && world.host.Time() < 3)
            for (int i = 0; i < 2000; ++i) world.announcer.Record(WindowEvent::StopClicked);
        return LResult{0};
    });
    world.host.Script(1, WindowEvent::StartClicked);
    world.host.ScriptDrag(1.5, 3.0);
    world.host.Script(10, WindowEvent::ExitClicked);
    const RunOutcome outcome = world.Run();
    ASSERT_TRUE(outcome.returned) << outcome.endedBy;
    EXPECT_EQ(outcome.transcript.back().text, kUnloaded);
    EXPECT_EQ(world.announcer.CurrentState(), Announcer::State::Off);
}

TEST(AnnouncerCommands, HundredThousandCommandsKeepThePumpShallow) {
    WorldOptions options = Horizon(1e9);
    options.host.logDeliveries = false;
    options.client.mdiChildren = 3;
    options.client.roomPosition = 2;  // so that posts dispatch inside their room search too
    World world(options);
    world.desktop.SetTrafficRecording(false);
    const WindowEvent commands[] = {WindowEvent::StartClicked, WindowEvent::StopClicked, WindowEvent::StartClicked,
                                  WindowEvent::NameBarPressed};
    double t = 1.0;
    for (int i = 0; i < 100000; ++i) {
        t += (i % 7 == 0) ? 0.25 : 0.0;  // often several at once, so some land inside posts
        world.host.Script(t + i * 1e-4, commands[i % 4]);
    }
    world.host.Script(t + 20, WindowEvent::ExitClicked);
    const RunOutcome outcome = world.Run();
    EXPECT_TRUE(outcome.returned) << outcome.endedBy;
    EXPECT_LE(world.announcer.MaxPumpDepth(), 2) << "a drag's own dispatch inside a command's";
    EXPECT_EQ(outcome.transcript.back().text, kUnloaded);
}

}  // namespace
}  // namespace vorivevo::sim
