// What tests can tell the practice client, from its command line or its control file, as data.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vorivevo::practice {

enum class DialogKind { Palette, Modal };

struct Command {
    enum class Kind {
        OpenDialog, CloseDialog, Draft, Hang, Refuse, CloseOnPress, ShowEntry, Quit,
        KeepText, SlowSend, Select, ShowCaret, SendLoop, ShowFocus, FocusEntry,
        TypeKeyboard, TypeThread, PostClick,
    };
    Kind kind = Kind::Quit;
    DialogKind dialog = DialogKind::Palette;  // OpenDialog, CloseDialog
    int id = 0;                               // dialog id; 0: the next free id (open), the topmost (close)
    std::string text;                         // Draft: as written, before any code-page conversion
    double seconds = 0;                       // Hang, SlowSend, SendLoop
    bool on = false;                          // Refuse, CloseOnPress, KeepText
    int start = 0, end = 0;                   // Select: the caret and selection in the entry box
    int count = 0;                            // TypeKeyboard, TypeThread: keys to type
    double rate = 0;                          // TypeKeyboard, TypeThread: keys a second
    int x = 0, y = 0;                         // PostClick: the screen point
};

// One control-file line. Blank lines and lines starting with '#' give neither a command nor an error.
struct ParsedLine {
    std::optional<Command> command;
    std::string error;
};
ParsedLine ParseControlLine(const std::string& line);

struct Options {
    std::string logPath;      // UTF-8; empty: no log
    std::string controlPath;  // UTF-8; empty: no control file
    std::string title = "Practice Chat";
    int rooms = 1;            // MDI children in all
    int roomPosition = 1;     // the chat room's place among them counting from the top; 0: no room
    bool closeOnPress = false;
    std::vector<Command> startup;  // run in order before the client reports ready
};

struct ParsedOptions {
    Options options;
    std::string error;  // empty when the command line was understood
};
// `args` without the program name.
ParsedOptions ParseCommandLine(const std::vector<std::string>& args);

// Hang durations past this are surely a mistake in a test, not a wish to wait.
constexpr double kMaxHangSeconds = 3600;
constexpr int kMaxRooms = 1000;
constexpr int kMaxTypedKeys = 100000;
constexpr double kMaxKeysPerSecond = 1000;

}  // namespace vorivevo::practice
