// Parsing of the control-file lines and the command line into commands and options.
#include "control_commands.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace vorivevo::practice {

namespace {

std::optional<int> ParseInt(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

std::optional<double> ParseSeconds(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
    if (value < 0 || value > kMaxHangSeconds) return std::nullopt;
    return value;
}

std::optional<bool> ParseSwitch(const std::string& text) {
    if (text == "on") return true;
    if (text == "off") return false;
    return std::nullopt;
}

ParsedLine Error(std::string message) {
    return ParsedLine{std::nullopt, std::move(message)};
}

ParsedLine Ok(Command command) {
    return ParsedLine{std::move(command), {}};
}

ParsedLine DialogCommand(Command::Kind kind, DialogKind dialog, const std::string& verb, const std::string& argument) {
    Command command;
    command.kind = kind;
    command.dialog = dialog;
    if (!argument.empty()) {
        auto id = ParseInt(argument);
        if (!id || *id <= 0) return Error(verb + ": the id must be a positive whole number");
        command.id = *id;
    }
    return Ok(command);
}

ParsedLine SwitchCommand(Command::Kind kind, const std::string& verb, const std::string& argument) {
    auto on = ParseSwitch(argument);
    if (!on) return Error(verb + ": expected on or off");
    Command command;
    command.kind = kind;
    command.on = *on;
    return Ok(command);
}

}  // namespace

ParsedLine ParseControlLine(const std::string& rawLine) {
    std::string line = rawLine;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') return {};

    // The draft keeps every byte after the single space that ends the verb, spaces included.
    std::size_t space = line.find(' ');
    std::string verb = line.substr(0, space);
    std::string argument = space == std::string::npos ? std::string() : line.substr(space + 1);
    if (verb == "draft") {
        Command command;
        command.kind = Command::Kind::Draft;
        command.text = argument;
        return Ok(command);
    }
    const std::size_t gap = argument.find(' ');
    const std::string first = argument.substr(0, gap);
    const std::string second = gap == std::string::npos ? std::string() : argument.substr(gap + 1);
    if (verb == "select") {
        const std::optional<int> start = ParseInt(first);
        const std::optional<int> end = ParseInt(second);
        if (!start || !end || *start < 0 || *end < 0) return Error("select: expected two positions from 0");
        Command command;
        command.kind = Command::Kind::Select;
        command.start = *start;
        command.end = *end;
        return Ok(command);
    }
    if (verb == "type-keyboard" || verb == "type-thread") {
        const std::optional<int> count = ParseInt(first);
        const std::optional<double> rate = ParseSeconds(second);
        if (!count || *count < 1 || *count > kMaxTypedKeys || !rate || *rate <= 0 || *rate > kMaxKeysPerSecond)
            return Error(verb + ": expected keys from 1 to 100000 and keys a second above 0, at most 1000");
        Command command;
        command.kind = verb == "type-keyboard" ? Command::Kind::TypeKeyboard : Command::Kind::TypeThread;
        command.count = *count;
        command.rate = *rate;
        return Ok(command);
    }
    if (verb == "post-click") {
        const std::optional<int> x = ParseInt(first);
        const std::optional<int> y = ParseInt(second);
        if (!x || !y) return Error("post-click: expected the screen point X Y");
        Command command;
        command.kind = Command::Kind::PostClick;
        command.x = *x;
        command.y = *y;
        return Ok(command);
    }

    while (!argument.empty() && (argument.back() == ' ' || argument.back() == '\t')) argument.pop_back();
    while (!argument.empty() && (argument.front() == ' ' || argument.front() == '\t')) argument.erase(0, 1);
    if (argument.find_first_of(" \t") != std::string::npos) return Error(verb + ": too many arguments");

    if (verb == "open-palette") return DialogCommand(Command::Kind::OpenDialog, DialogKind::Palette, verb, argument);
    if (verb == "open-modal") return DialogCommand(Command::Kind::OpenDialog, DialogKind::Modal, verb, argument);
    if (verb == "close-palette") return DialogCommand(Command::Kind::CloseDialog, DialogKind::Palette, verb, argument);
    if (verb == "close-modal") return DialogCommand(Command::Kind::CloseDialog, DialogKind::Modal, verb, argument);
    if (verb == "refuse") return SwitchCommand(Command::Kind::Refuse, verb, argument);
    if (verb == "close-on-press") return SwitchCommand(Command::Kind::CloseOnPress, verb, argument);
    if (verb == "keep-text") return SwitchCommand(Command::Kind::KeepText, verb, argument);
    if (verb == "hang" || verb == "slow-send" || verb == "send-loop") {
        auto seconds = ParseSeconds(argument);
        if (!seconds) return Error(verb + ": expected seconds from 0 to 3600");
        Command command;
        command.kind = verb == "hang"        ? Command::Kind::Hang
                       : verb == "slow-send" ? Command::Kind::SlowSend
                                             : Command::Kind::SendLoop;
        command.seconds = *seconds;
        return Ok(command);
    }
    if (verb == "show-entry" || verb == "show-caret" || verb == "show-focus" || verb == "focus-entry" ||
        verb == "quit") {
        if (!argument.empty()) return Error(verb + ": takes no argument");
        Command command;
        command.kind = verb == "quit"         ? Command::Kind::Quit
                       : verb == "show-entry" ? Command::Kind::ShowEntry
                       : verb == "show-caret" ? Command::Kind::ShowCaret
                       : verb == "show-focus" ? Command::Kind::ShowFocus
                                              : Command::Kind::FocusEntry;
        return Ok(command);
    }
    return Error("unknown command: " + verb);
}

ParsedOptions ParseCommandLine(const std::vector<std::string>& args) {
    ParsedOptions result;
    Options& options = result.options;
    auto fail = [&result](std::string message) {
        result.error = std::move(message);
        return result;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--log" || arg == "--control" || arg == "--title") {
            if (!value(text)) return fail(arg + " needs a value");
            (arg == "--log" ? options.logPath : arg == "--control" ? options.controlPath : options.title) = text;
        } else if (arg == "--rooms" || arg == "--room-position") {
            if (!value(text)) return fail(arg + " needs a value");
            auto number = ParseInt(text);
            if (!number) return fail(arg + ": not a whole number: " + text);
            (arg == "--rooms" ? options.rooms : options.roomPosition) = *number;
        } else if (arg == "--draft") {
            if (!value(text)) return fail(arg + " needs a value");
            Command command;
            command.kind = Command::Kind::Draft;
            command.text = text;
            options.startup.push_back(command);
        } else if (arg == "--keep-text" || arg == "--slow-send" || arg == "--send-loop" || arg == "--select") {
            // The same as the control command, before the client reports ready.
            std::string line = arg.substr(2);
            const int values = arg == "--select" ? 2 : arg == "--keep-text" ? 0 : 1;
            if (values == 0) line += " on";
            for (int v = 0; v < values; ++v) {
                if (!value(text)) return fail(arg + " needs " + (values == 2 ? "two values" : "a value"));
                line += " " + text;
            }
            ParsedLine parsed = ParseControlLine(line);
            if (!parsed.command) return fail(parsed.error);
            options.startup.push_back(*parsed.command);
        } else if (arg == "--refuse") {
            Command command;
            command.kind = Command::Kind::Refuse;
            command.on = true;
            options.startup.push_back(command);
        } else if (arg == "--close-on-press") {
            options.closeOnPress = true;
        } else if (arg == "--palette" || arg == "--modal") {
            Command command;
            command.kind = Command::Kind::OpenDialog;
            command.dialog = arg == "--palette" ? DialogKind::Palette : DialogKind::Modal;
            options.startup.push_back(command);
        } else {
            return fail("unknown option: " + arg);
        }
    }
    if (options.rooms < 1 || options.rooms > kMaxRooms) return fail("--rooms must be from 1 to 1000");
    if (options.roomPosition < 0 || options.roomPosition > options.rooms) {
        return fail("--room-position must be from 0 (no room) to the number of --rooms");
    }
    return result;
}

}  // namespace vorivevo::practice
