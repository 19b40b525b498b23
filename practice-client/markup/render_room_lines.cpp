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
#include "log_format.h"
#include "terminal_rendering.h"

using namespace vorivevo::practice;

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
        std::cout << RenderForTerminal(ParseChatMarkup(DecodeEscapes(line)), colours) << '\n';
    }
    return 0;
}
