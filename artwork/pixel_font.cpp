// The glyphs of our blocky capital face and the routines that set them.
#include "pixel_font.h"

#include <array>
#include <cstring>

namespace vorivevo {
namespace {

struct Glyph {
    char ch;
    std::array<const char*, kLetteringHeight> rows;  // '#' is ink; every row has the glyph's width
};

// Two-pixel stems keep the letters solid at this size; each glyph's inked columns touch one another, so
// a blank column always separates two letters.
constexpr std::array<Glyph, 25> kGlyphs{{
    {' ', {".", ".", ".", ".", ".", ".", "."}},
    {'-', {"...", "...", "...", "###", "...", "...", "..."}},
    {'[', {"###", "##.", "##.", "##.", "##.", "##.", "###"}},
    {']', {"###", ".##", ".##", ".##", ".##", ".##", "###"}},
    {':', {"..", "##", "##", "..", "##", "##", ".."}},
    {'D', {"####.", "##.##", "##.##", "##.##", "##.##", "##.##", "####."}},
    {'E', {"####", "##..", "##..", "###.", "##..", "##..", "####"}},
    {'F', {"####", "##..", "##..", "###.", "##..", "##..", "##.."}},
    {'I', {"##", "##", "##", "##", "##", "##", "##"}},
    {'L', {"##..", "##..", "##..", "##..", "##..", "##..", "####"}},
    {'N', {"##..##", "###.##", "######", "##.###", "##..##", "##..##", "##..##"}},
    {'O', {".###.", "##.##", "##.##", "##.##", "##.##", "##.##", ".###."}},
    {'R', {"####.", "##.##", "##.##", "####.", "##.##", "##.##", "##.##"}},
    {'V', {"##.##", "##.##", "##.##", "##.##", ".###.", ".###.", "..#.."}},
    {'X', {"##.##", "##.##", ".###.", "..#..", ".###.", "##.##", "##.##"}},
    {'0', {".###.", "##.##", "##.##", "##.##", "##.##", "##.##", ".###."}},
    {'1', {".##.", "###.", ".##.", ".##.", ".##.", ".##.", "####"}},
    {'2', {".###.", "##.##", "...##", "..##.", ".##..", "##...", "#####"}},
    {'3', {"####.", "...##", "...##", ".###.", "...##", "...##", "####."}},
    {'4', {"##.##", "##.##", "##.##", "#####", "...##", "...##", "...##"}},
    {'5', {"#####", "##...", "####.", "...##", "...##", "##.##", ".###."}},
    {'6', {".###.", "##...", "####.", "##.##", "##.##", "##.##", ".###."}},
    {'7', {"#####", "...##", "...##", "..##.", "..##.", ".##..", ".##.."}},
    {'8', {".###.", "##.##", "##.##", ".###.", "##.##", "##.##", ".###."}},
    {'9', {".###.", "##.##", "##.##", ".####", "...##", "...##", ".###."}},
}};

constexpr Glyph kUnknown{'\0', {".....", ".....", ".....", ".....", ".....", ".....", "....."}};

const Glyph& GlyphFor(char ch) {
    for (const auto& glyph : kGlyphs)
        if (glyph.ch == ch) return glyph;
    return kUnknown;
}

int GlyphWidth(const Glyph& glyph) { return static_cast<int>(std::strlen(glyph.rows[0])); }

}  // namespace

int LetteringWidth(std::string_view text, int tracking) {
    if (text.empty()) return 0;
    int width = 0;
    for (char ch : text) width += GlyphWidth(GlyphFor(ch)) + 1 + tracking;
    return width - 1 - tracking;
}

void DrawLettering(Image& image, int x, int y, std::string_view text, Rgb colour, int tracking) {
    for (char ch : text) {
        const Glyph& glyph = GlyphFor(ch);
        const int width = GlyphWidth(glyph);
        for (int row = 0; row < kLetteringHeight; ++row) {
            const int py = y + row;
            if (py < 0 || py >= image.height) continue;
            for (int col = 0; col < width; ++col) {
                const int px = x + col;
                if (glyph.rows[row][col] == '#' && px >= 0 && px < image.width) image.Set(px, py, colour);
            }
        }
        x += width + 1 + tracking;
    }
}

}  // namespace vorivevo
