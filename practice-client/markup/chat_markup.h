// How a chat room reads the mark-up in a line: which bytes show, in which colour, and which are links.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorivevo::practice {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(Rgb a, Rgb b) { return a.red == b.red && a.green == b.green && a.blue == b.blue; }
    friend bool operator!=(Rgb a, Rgb b) { return !(a == b); }
};

// A run of visible bytes that look alike. Bytes are the line's own (the client's ANSI code page).
struct MarkupSpan {
    std::string text;
    std::optional<Rgb> colour;  // none: the room's own text colour
    int link = -1;              // index into MarkedUpLine::links; -1: not part of a link
};

struct MarkedUpLine {
    // Never empty texts; neighbours always differ in colour or link.
    std::vector<MarkupSpan> spans;
    // Each anchor's address, in the order the anchors open; an anchor whose text is empty still has one.
    std::vector<std::string> links;

    std::string VisibleText() const;
};

// Reads a line as a lenient room does. Recognised tags (names and attributes in any case):
//   <font color=#RRGGBB>  the text after it in that colour, until </font> or the next colour tag
//   </font>               back to the colour before the matching <font>
//   <a href=ADDRESS>      the text after it links to ADDRESS, until </a> or the line's end; an anchor
//                         opened inside another ends the first
//   </a>                  ends the anchor
// Blanks may follow "<" and "/" and precede ">", as in "< a href=" (the advertisement line's spelling),
// and surround "=". A value is a run without blanks, or quoted with " or '. A tag ends at its first
// ">". Everything else shows as text, byte for byte: unknown tags, other attributes, bad colours, empty
// addresses, and closing tags with nothing open. So the visible text is always the line less exactly
// the tags recognised.
MarkedUpLine ParseChatMarkup(std::string_view line);

}  // namespace vorivevo::practice
