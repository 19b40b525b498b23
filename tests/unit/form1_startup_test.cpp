// Start-up: the window pinned, the advertisement line and "Now Loaded" half a second apart.
#include <gtest/gtest.h>

#include "form1_lines.h"
#include "world.h"

namespace vorivevo::sim {
namespace {

using namespace expected;

TEST(Form1Startup, PinsThenPostsAdvertThenLoadedHalfASecondLater) {
    World world;
    const RunOutcome outcome = world.Run();
    EXPECT_EQ(TranscriptDifference(outcome.transcript, {{0.0, kAdvert}, {0.5, kLoaded}}, 1e-9), "");
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
    EXPECT_EQ(world.host.Label1Text(), "0");
    EXPECT_FALSE(world.host.Timer1Enabled());
    EXPECT_EQ(world.form.CurrentState(), Form1::State::Idle);
}

TEST(Form1Startup, PostsTakeTheirTimeAndTheWaitStillSeparatesThem) {
    WorldOptions options;
    options.sendMessageCost = 0.01;
    World world(options);
    const RunOutcome outcome = world.Run();
    ASSERT_EQ(outcome.transcript.size(), 2u);
    EXPECT_GE(outcome.transcript[1].time - outcome.transcript[0].time, 0.5);
}

TEST(Form1Startup, WithoutClientStartsAndShowsAllTheSame) {
    WorldOptions options;
    options.clientRunning = false;
    World world(options);
    world.Run();
    EXPECT_TRUE(world.host.Shown());
    EXPECT_GE(*world.host.ShownAt(), 0.5);
    EXPECT_TRUE(world.host.Errors().empty());
}

TEST(Form1Startup, WaitAcrossMidnightStillLastsHalfASecond) {
    WorldOptions options;
    options.host.startOfDay = 86400.0 - 0.2;
    World world(options);
    const RunOutcome outcome = world.Run();
    EXPECT_EQ(TranscriptDifference(outcome.transcript, {{0.0, kAdvert}, {0.5, kLoaded}}, 1e-9), "");
}

TEST(Form1Startup, EmptyDisplayNameKeepsBothColourTags) {
    WorldOptions options;
    options.host.text2 = "";
    World world(options);
    const RunOutcome outcome = world.Run();
    ASSERT_FALSE(outcome.transcript.empty());
    EXPECT_EQ(outcome.transcript[0].text,
              kPrefix + "< a href=https://vorivevo.net/><Font Color=#FFAB3E></a>");
}

TEST(Form1Startup, UserDraftSurvivesStartUp) {
    World world;
    world.Client().TypeDraft("brb \u00F7");
    const RunOutcome outcome = world.Run();
    EXPECT_EQ(outcome.transcript.size(), 2u);
    EXPECT_EQ(world.Client().EntryText(), "brb \u00F7");
}

}  // namespace
}  // namespace vorivevo::sim
