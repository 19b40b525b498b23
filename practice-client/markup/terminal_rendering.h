// A marked-up line as a terminal shows it: its visible text in its colours, each link's address after it.
#pragma once

#include <string>

#include "chat_markup.h"

namespace vorivevo::practice {

enum class TerminalColours {
    None,        // plain text
    Palette256,  // the nearest of the 256-colour palette's
    TrueColour,  // 24-bit colour, exactly as tagged
};

// The visible text with each link's text underlined and followed by " <ADDRESS>", in the tagged colours
// (SGR sequences; none with TerminalColours::None). Control bytes and the bytes Windows-1252 leaves
// undefined are written \xHH, so that a line can neither steer the terminal nor lose a byte when the
// rest is converted to the terminal's encoding. The result is still in the line's code page.
std::string RenderForTerminal(const MarkedUpLine& line, TerminalColours colours);

}  // namespace vorivevo::practice
