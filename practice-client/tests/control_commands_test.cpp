// Tests of the control-file and command-line grammar: what a test writes is what the client does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control_commands.h"

namespace vorivevo::practice {
namespace {

using Kind = Command::Kind;

std::string Describe(const Command& c) {
    std::string dialog = c.dialog == DialogKind::Palette ? "palette" : "modal";
    switch (c.kind) {
        case Kind::OpenDialog: return "open " + dialog + " " + std::to_string(c.id);
        case Kind::CloseDialog: return "close " + dialog + " " + std::to_string(c.id);
        case Kind::Draft: return "draft [" + c.text + "]";
        case Kind::Hang: return "hang " + std::to_string(c.seconds);
        case Kind::Refuse: return std::string("refuse ") + (c.on ? "on" : "off");
        case Kind::CloseOnPress: return std::string("close-on-press ") + (c.on ? "on" : "off");
        case Kind::ShowEntry: return "show-entry";
        case Kind::Quit: return "quit";
        case Kind::KeepText: return std::string("keep-text ") + (c.on ? "on" : "off");
        case Kind::SlowSend: return "slow-send " + std::to_string(c.seconds);
        case Kind::Select: return "select " + std::to_string(c.start) + " " + std::to_string(c.end);
        case Kind::ShowCaret: return "show-caret";
        case Kind::SendLoop: return "send-loop " + std::to_string(c.seconds);
        case Kind::ShowFocus: return "show-focus";
        case Kind::FocusEntry: return "focus-entry";
        case Kind::TypeKeyboard: return "type-keyboard " + std::to_string(c.count) + " " + std::to_string(c.rate);
        case Kind::TypeThread: return "type-thread " + std::to_string(c.count) + " " + std::to_string(c.rate);
        case Kind::PostClick: return "post-click " + std::to_string(c.x) + " " + std::to_string(c.y);
    }
    return "?";
}

// "" means the line is ignored; "error: ..." that it is rejected with an error containing the rest.
std::string Outcome(const std::string& line) {
    ParsedLine parsed = ParseControlLine(line);
    if (!parsed.error.empty()) return "error: " + parsed.error;
    return parsed.command ? Describe(*parsed.command) : "";
}

TEST(ControlLine, ParsesEveryCommand) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"open-palette", "open palette 0"},
        {"open-modal 3", "open modal 3"},
        {"open-palette  4 ", "open palette 4"},
        {"close-palette 2", "close palette 2"},
        {"close-modal", "close modal 0"},
        {"draft hello  world ", "draft [hello  world ]"},
        {"draft", "draft []"},
        {"draft \\xF7\\xA4 \xC3\xB7", "draft [\\xF7\\xA4 \xC3\xB7]"},
        {"hang 1.5", "hang 1.500000"},
        {"hang 0", "hang 0.000000"},
        {"refuse on", "refuse on"},
        {"refuse off", "refuse off"},
        {"close-on-press on", "close-on-press on"},
        {"show-entry", "show-entry"},
        {"keep-text on", "keep-text on"},
        {"slow-send 3", "slow-send 3.000000"},
        {"send-loop 9", "send-loop 9.000000"},
        {"select 2 7", "select 2 7"},
        {"show-focus", "show-focus"},
        {"focus-entry", "focus-entry"},
        {"show-caret", "show-caret"},
        {"type-keyboard 300 50", "type-keyboard 300 50.000000"},
        {"type-thread 1 0.5", "type-thread 1 0.500000"},
        {"post-click -5 36", "post-click -5 36"},
        {"quit\r", "quit"},
        {"", ""},
        {"   ", ""},
        {"# a comment", ""},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(Outcome(line), expected) << "line: [" << line << "]";
}

TEST(ControlLine, RejectsMalformedLines) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"hang -1", "error: hang: expected seconds from 0 to 3600"},
        {"hang 3601", "error: hang: expected seconds from 0 to 3600"},
        {"hang 2s", "error: hang: expected seconds from 0 to 3600"},
        {"hang", "error: hang: expected seconds from 0 to 3600"},
        {"refuse maybe", "error: refuse: expected on or off"},
        {"select 2", "error: select: expected two positions from 0"},
        {"select 2 -7", "error: select: expected two positions from 0"},
        {"type-keyboard 0 50", "error: type-keyboard: expected keys from 1 to 100000 and keys a second above 0, at most 1000"},
        {"type-thread 300 0", "error: type-thread: expected keys from 1 to 100000 and keys a second above 0, at most 1000"},
        {"type-thread 300", "error: type-thread: expected keys from 1 to 100000 and keys a second above 0, at most 1000"},
        {"post-click 5", "error: post-click: expected the screen point X Y"},
        {"open-palette 0", "error: open-palette: the id must be a positive whole number"},
        {"close-modal x", "error: close-modal: the id must be a positive whole number"},
        {"open-palette 1 2", "error: open-palette: too many arguments"},
        {"quit now", "error: quit: takes no argument"},
        {"Quit", "error: unknown command: Quit"},
        {" quit", "error: unknown command: "},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(Outcome(line), expected) << "line: [" << line << "]";
}

TEST(CommandLine, DefaultsToOneRoomOnTopAndNoFiles) {
    ParsedOptions parsed = ParseCommandLine({});
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.rooms, 1);
    EXPECT_EQ(parsed.options.roomPosition, 1);
    EXPECT_EQ(parsed.options.logPath, "");
    EXPECT_EQ(parsed.options.controlPath, "");
    EXPECT_TRUE(parsed.options.startup.empty());
}

TEST(CommandLine, StartupCommandsKeepTheirOrder) {
    ParsedOptions parsed =
        ParseCommandLine({"--log", "Z:\\tmp\\log", "--control", "c", "--rooms", "150", "--room-position", "120",
                          "--draft", "a b", "--refuse", "--palette", "--modal", "--palette", "--close-on-press",
                          "--keep-text", "--slow-send", "3", "--send-loop", "9", "--select", "2", "7"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.logPath, "Z:\\tmp\\log");
    EXPECT_EQ(parsed.options.controlPath, "c");
    EXPECT_EQ(parsed.options.rooms, 150);
    EXPECT_EQ(parsed.options.roomPosition, 120);
    EXPECT_TRUE(parsed.options.closeOnPress);
    std::vector<std::string> startup;
    for (const Command& command : parsed.options.startup) startup.push_back(Describe(command));
    EXPECT_EQ(startup, (std::vector<std::string>{"draft [a b]", "refuse on", "open palette 0", "open modal 0",
                                                 "open palette 0", "keep-text on", "slow-send 3.000000",
                                                 "send-loop 9.000000", "select 2 7"}));
}

TEST(CommandLine, RoomPositionZeroMeansNoRoom) {
    ParsedOptions parsed = ParseCommandLine({"--rooms", "3", "--room-position", "0"});
    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.roomPosition, 0);
}

TEST(CommandLine, RejectsWhatItCannotHonour) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--rooms", "0"}, "--rooms must be from 1 to 1000"},
        {{"--rooms", "1001"}, "--rooms must be from 1 to 1000"},
        {{"--rooms", "3", "--room-position", "4"}, "--room-position must be from 0 (no room) to the number of --rooms"},
        {{"--room-position", "-1"}, "--room-position must be from 0 (no room) to the number of --rooms"},
        {{"--rooms", "2x"}, "--rooms: not a whole number: 2x"},
        {{"--log"}, "--log needs a value"},
        {{"--draft"}, "--draft needs a value"},
        {{"--hang", "1"}, "unknown option: --hang"},
    };
    for (const auto& [args, expected] : cases) {
        EXPECT_EQ(ParseCommandLine(args).error, expected) << "first argument: " << args.front();
    }
}

}  // namespace
}  // namespace vorivevo::practice
