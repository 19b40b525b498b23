// What the window says the last post did, at the local time it happened, for each way a post can end.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "world.h"

namespace vorivevo::sim {
namespace {

using Reports = std::vector<std::string>;

TEST(PostReport, SaysWhatEachStartUpPostDidAndWhen) {
    const struct {
        const char* what;
        double startOfDay;
        bool clientRunning;
        std::function<void(World&)> fault;
        Reports expected;
        double horizon = 20;
        bool boxEndsWithoutOurText = false;
    } cases[] = {
        {"a room that takes the lines", 14 * 3600 + 2 * 60 + 59.9, true, nullptr,
         {"Posted at 14:02", "Posted at 14:03"}},
        {"no client", 14 * 3600 + 3 * 60, false, nullptr,
         {"No chat room open at 14:03: nothing posted", "No chat room open at 14:03: nothing posted"}},
        {"a box that keeps its text", 9 * 3600, true, [](World& world) { world.Client().SetKeepsText(true); },
         {"The chat room did not take the line at 09:00: your typing is kept",
          "The chat room did not take the line at 09:00: your typing is kept"}},
        {"a client that never sends", 9 * 3600, true,
         [](World& world) { world.Client().SetSendBehaviour(SendBehaviour::NeverEmpties); },
         {"The chat room did not take the line at 09:00: your typing is kept",
          "The chat room did not take the line at 09:00: your typing is kept"}},
        // Hung for longer than both posts' waits: the second post does not even try.
        {"a hung client", 14 * 3600 + 4 * 60, true, [](World& world) { world.Client().Hang(30); },
         {"The client did not answer at 14:04: your typing is kept",
          "The client did not answer at 14:04: your typing is kept"}},
        // The box refuses text from the first press on, our line in it: the draft cannot go back, and the
        // next post says so rather than blaming a client that answers.
        {"a box that refuses the draft back", 9 * 3600, true,
         [](World& world) {
             ChatClient& client = world.Client();
             world.desktop.SetHandler(client.SendButton(), [&client](const MessageContext& message) {
                 if (message.message == WM_LBUTTONUP) client.SetKeepsText(true);
                 return std::optional<LResult>(0);
             });
         },
         {"The chat room did not take the line at 09:00: your typing is kept",
          "The entry box would not take your typing back at 09:00: nothing posted, it is tried again"}},
        {"another copy of the program holds the entry boxes", 9 * 3600, true,
         [](World& world) {
             static const int otherCopy = 0;
             world.desktop.ClaimEntryBoxes(&otherCopy);
         },
         {"Another copy of Vorivevo was posting at 09:00: nothing posted",
          "Another copy of Vorivevo was posting at 09:00: nothing posted"}},
        {"midnight between the two posts", 86400 - 0.2, true, nullptr, {"Posted at 23:59", "Posted at 00:00"}},
        // The box keeps our line for over a minute: the draft is given up on and the window says so for
        // good, and once the box takes text again the next post replaces our old line, not keeping it as
        // the user's typing.
        {"a box that keeps our line for over a minute", 9 * 3600, true,
         [](World& world) {
             ChatClient& client = world.Client();
             MessageHandler send = world.desktop.SetHandler(client.SendButton(), nullptr);
             world.desktop.SetHandler(client.SendButton(), [&world, &client, send](const MessageContext& message) {
                 if (world.host.Time() >= 65) return send(message);
                 if (message.message == WM_LBUTTONUP) client.SetKeepsText(true);
                 return std::optional<LResult>(0);
             });
             world.desktop.Clock().At(65, [&client] { client.SetKeepsText(false); });
             world.host.Script(70, WindowEvent::StopClicked);
         },
         {"The chat room did not take the line at 09:00: your typing is kept",
          "The entry box would not take your typing back at 09:00: nothing posted, it is tried again",
          "By 09:01 the entry box had not taken your typing back for a minute: it is no longer tried",
          "Posted at 09:01\nBy 09:01 the entry box had not taken your typing back for a minute: it is no longer tried",
          "Posted at 09:01\nBy 09:01 the entry box had not taken your typing back for a minute: it is no longer tried"},
         80, true},
    };
    for (const auto& c : cases) {
        WorldOptions options;
        options.clientRunning = c.clientRunning;
        options.host.startOfDay = c.startOfDay;
        options.host.horizon = c.horizon;
        World world(options);
        if (c.fault) c.fault(world);
        world.Run();
        Reports reports;
        for (const auto& [time, report] : world.host.PostReports()) reports.push_back(report);
        EXPECT_EQ(reports, c.expected) << c.what;
        if (c.boxEndsWithoutOurText) EXPECT_EQ(world.Client().EntryText().find("<Font"), std::string::npos) << c.what;
    }
}

}  // namespace
}  // namespace vorivevo::sim
