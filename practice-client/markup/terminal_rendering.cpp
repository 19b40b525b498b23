// Writing a marked-up line for a terminal.
#include "terminal_rendering.h"

#include <cstdlib>

namespace vorivevo::practice {

namespace {

constexpr char kReset[] = "\x1b[0m";
constexpr char kUnderline[] = "\x1b[4m";

bool NeedsEscape(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

void AppendSafely(std::string& out, const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (!NeedsEscape(byte)) {
            out += c;
            continue;
        }
        out += "\\x";
        out += digits[byte >> 4];
        out += digits[byte & 0x0F];
    }
}

int Square(int n) { return n * n; }

// The palette's 6 x 6 x 6 cube (16 to 231) and its greys (232 to 255), as xterm defines them.
int NearestPaletteColour(Rgb colour) {
    static const int levels[6] = {0, 95, 135, 175, 215, 255};
    auto nearestLevel = [](int value) {
        int best = 0;
        for (int i = 1; i < 6; ++i) {
            if (std::abs(levels[i] - value) < std::abs(levels[best] - value)) best = i;
        }
        return best;
    };
    const int r = nearestLevel(colour.red), g = nearestLevel(colour.green), b = nearestLevel(colour.blue);
    const int cubeDistance = Square(levels[r] - colour.red) + Square(levels[g] - colour.green) + Square(levels[b] - colour.blue);
    const int average = (colour.red + colour.green + colour.blue) / 3;
    const int grey = average < 8 ? 0 : average > 238 ? 23 : (average - 8 + 5) / 10;
    const int greyLevel = 8 + 10 * grey;
    const int greyDistance = Square(greyLevel - colour.red) + Square(greyLevel - colour.green) + Square(greyLevel - colour.blue);
    return greyDistance < cubeDistance ? 232 + grey : 16 + 36 * r + 6 * g + b;
}

std::string ColourSequence(Rgb colour, TerminalColours colours) {
    if (colours == TerminalColours::TrueColour) {
        return "\x1b[38;2;" + std::to_string(colour.red) + ';' + std::to_string(colour.green) + ';' +
               std::to_string(colour.blue) + 'm';
    }
    return "\x1b[38;5;" + std::to_string(NearestPaletteColour(colour)) + 'm';
}

}  // namespace

std::string RenderForTerminal(const MarkedUpLine& line, TerminalColours colours) {
    const bool styled = colours != TerminalColours::None;
    std::string out;
    for (std::size_t i = 0; i < line.spans.size(); ++i) {
        const MarkupSpan& span = line.spans[i];
        if (styled) {
            out += kReset;
            if (span.colour) out += ColourSequence(*span.colour, colours);
            if (span.link >= 0) out += kUnderline;
        }
        AppendSafely(out, span.text);
        const bool linkEnds = span.link >= 0 && (i + 1 == line.spans.size() || line.spans[i + 1].link != span.link);
        if (linkEnds) {
            if (styled) out += kReset;
            out += " <";
            AppendSafely(out, line.links[static_cast<std::size_t>(span.link)]);
            out += '>';
        }
    }
    if (styled && !line.spans.empty()) out += kReset;
    return out;
}

}  // namespace vorivevo::practice
