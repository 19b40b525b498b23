// render-room-lines: the room's received lines, as the practice client logs them, shown as the room shows them.
//
//   render-room-lines [--colours=none|256|truecolour] < LINES
//
// Each input line is the body of a received-line record of the practice client's log (the line's ANSI
// bytes, \xHH escapes for the rest); each output line is that line rendered for a terminal, still in
// the client's code page (scripts/try-it.sh converts it).
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "chat_markup.h"
#include "terminal_rendering.h"

using namespace vorivevo::practice;

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The log writes every byte outside printable ASCII, and the backslash, as \xHH.
std::string DecodeLogEscapes(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && HexValue(text[i + 2]) >= 0 &&
            HexValue(text[i + 3]) >= 0) {
            bytes += static_cast<char>(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3]));
            i += 3;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    TerminalColours colours = TerminalColours::None;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--colours=none") == 0) {
            colours = TerminalColours::None;
        } else if (std::strcmp(argv[i], "--colours=256") == 0) {
            colours = TerminalColours::Palette256;
        } else if (std::strcmp(argv[i], "--colours=truecolour") == 0) {
            colours = TerminalColours::TrueColour;
        } else {
            std::fprintf(stderr, "usage: render-room-lines [--colours=none|256|truecolour] < LINES\n");
            return 64;
        }
    }
    std::string line;
    while (std::getline(std::cin, line)) {
        std::cout << RenderForTerminal(ParseChatMarkup(DecodeLogEscapes(line)), colours) << '\n';
    }
    return 0;
}
