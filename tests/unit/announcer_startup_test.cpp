// Start-up: the window pinned, the advertisement line and "Now Loaded" half a second apart.
#include <gtest/gtest.h>

#include "expected_lines.h"
#include "table_expectations.h"
#include "world.h"

namespace vorivevo::sim {
namespace {

using namespace expected;

TEST(AnnouncerStartUp, PinsThenPostsAdvertThenLoadedHalfASecondLater) {
    World world;
    const RunOutcome outcome = world.Run();
    EXPECT_TRUE(TranscriptIs(outcome.transcript, {{0.0, kAdvert}, {0.5, kLoaded}}));
    // Byte for byte as the client received them: F7 A4 right after "^v".
    ASSERT_EQ(world.Client().Received().size(), 2u);
    for (const auto& line : world.Client().Received())
        EXPECT_EQ(line.bytes.substr(0, 24), "<Font Color=#FFAB3E>^v\xF7\xA4") << line.bytes;
    EXPECT_EQ(world.Client().Received()[1].bytes, "<Font Color=#FFAB3E>^v\xF7\xA4Now Loaded");

    ASSERT_FALSE(world.desktop.SetWindowPosCalls().empty());
    const SetWindowPosCall& pin = world.desktop.SetWindowPosCalls().front();
    EXPECT_EQ(pin.window, world.host.OwnWindow());
    EXPECT_EQ(pin.insertAfter, HWND_TOPMOST);
    EXPECT_EQ(pin.flags, SWP_NOSIZE | SWP_NOMOVE);
    ASSERT_TRUE(world.host.ShownAt().has_value());
    EXPECT_DOUBLE_EQ(*world.host.ShownAt(), 0.5) << "shown when start-up returns";
    EXPECT_EQ(world.host.IdleCounterText(), "0");
    EXPECT_FALSE(world.host.DialogTimerEnabled());
    EXPECT_EQ(world.announcer.CurrentState(), Announcer::State::Idle);
}

TEST(AnnouncerStartUp, PostsTakeTheirTimeAndTheWaitStillSeparatesThem) {
    WorldOptions options;
    options.sendMessageCost = 0.01;
    World world(options);
    const RunOutcome outcome = world.Run();
    ASSERT_EQ(outcome.transcript.size(), 2u);
    EXPECT_GE(outcome.transcript[1].time - outcome.transcript[0].time, 0.5);
}

TEST(AnnouncerStartUp, WithoutClientStartsAndShowsAllTheSame) {
    WorldOptions options;
    options.clientRunning = false;
    World world(options);
    world.Run();
    EXPECT_TRUE(world.host.Shown());
    EXPECT_GE(*world.host.ShownAt(), 0.5);
    EXPECT_TRUE(world.host.Errors().empty());
}

TEST(AnnouncerStartUp, EmptyDisplayNameKeepsBothColourTags) {
    WorldOptions options;
    options.host.displayName = "";
    World world(options);
    const RunOutcome outcome = world.Run();
    ASSERT_FALSE(outcome.transcript.empty());
    EXPECT_EQ(outcome.transcript[0].text,
              kPrefix + "< a href=https://vorivevo.net/><Font Color=#FFAB3E></a>");
}

TEST(AnnouncerStartUp, UserDraftSurvivesStartUp) {
    World world;
    world.Client().TypeDraft("brb \u00F7");
    const RunOutcome outcome = world.Run();
    EXPECT_EQ(outcome.transcript.size(), 2u);
    EXPECT_EQ(world.Client().EntryText(), "brb \u00F7");
}

}  // namespace
}  // namespace vorivevo::sim
