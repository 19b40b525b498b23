// The window's artwork: tile bitmaps, the composed window, scaling and the icon file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tile_art.h"

namespace vorivevo {

void PrintTo(Rgb c, std::ostream* os) {
    static const char* digits = "0123456789ABCDEF";
    *os << '#';
    for (int v : {c.r, c.g, c.b}) *os << digits[v >> 4] << digits[v & 15];
}

namespace {

std::string Hex(Rgb c) { return ::testing::PrintToString(c); }

// The artwork's colours are given as approximations; a tolerance keeps the checks about the design.
::testing::AssertionResult Near(Rgb actual, Rgb expected, int tolerance = 0x10) {
    if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Hex(actual) << " is not near " << Hex(expected);
}

int Brightness(Rgb c) { return c.r + c.g + c.b; }

struct Box {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    bool Empty() const { return right < 0; }
};

Box InkBox(const Image& tile) {
    Box box;
    for (int y = 0; y < tile.height; ++y)
        for (int x = 0; x < tile.width; ++x)
            if (tile.At(x, y) == kLetteringBlack) {
                box.left = std::min(box.left, x), box.right = std::max(box.right, x);
                box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
            }
    return box;
}

// Runs of inked columns: one per letter or mark, since every glyph's columns touch and letters are spaced.
int InkedColumnRuns(const Image& tile) {
    int runs = 0;
    bool previous = false;
    for (int x = 0; x < tile.width; ++x) {
        bool inked = false;
        for (int y = 0; y < tile.height; ++y) inked = inked || tile.At(x, y) == kLetteringBlack;
        runs += inked && !previous;
        previous = inked;
    }
    return runs;
}

constexpr Rgb kTopBand{0xDF, 0x8F, 0x00};
constexpr Rgb kLeftBand{0xD0, 0x88, 0x00};
constexpr Rgb kBrown{0x4F, 0x2F, 0x00};
constexpr Rgb kNameBarBottom{0x5F, 0x38, 0x00};
constexpr Rgb kNameBarRight{0x60, 0x3F, 0x00};

struct SquareCase {
    ControlId id;
    int width;
    int letters;  // marks in the lettering, spaces excluded
    Rgb bottom, right, glint;
};

const SquareCase kSquareTiles[] = {
    {ControlId::NameBar, 96, 12, kNameBarBottom, kNameBarRight, {0xFF, 0xFF, 0x6F}},
    {ControlId::StartTile, 33, 2, kBrown, kBrown, {0xFF, 0xFF, 0x9F}},
    {ControlId::StopTile, 33, 3, kBrown, kBrown, {0xFF, 0xFF, 0x9F}},
    {ControlId::ExitTile, 33, 1, kBrown, kBrown, {0xFF, 0xFF, 0x9F}},
};

TEST(SquareTile, SizeFaceAndBevelBands) {
    for (const auto& c : kSquareTiles) {
        const Image tile = RenderTile(c.id);
        SCOPED_TRACE("tile width " + std::to_string(c.width) + ", letters " + std::to_string(c.letters));
        ASSERT_EQ(tile.width, c.width);
        ASSERT_EQ(tile.height, 25);
        ASSERT_EQ(tile.pixels.size(), std::size_t(c.width) * 25);

        const int w = c.width;
        for (int y = 5; y <= 18; ++y)
            for (int x = 6; x <= w - 7; ++x)
                ASSERT_TRUE(tile.At(x, y) == kFaceOrange || tile.At(x, y) == kLetteringBlack)
                    << "face pixel (" << x << ", " << y << ") is " << Hex(tile.At(x, y));
        for (int y = 5; y <= 18; ++y) {
            EXPECT_NE(tile.At(5, y), kFaceOrange) << "left band at row " << y;
            EXPECT_NE(tile.At(w - 6, y), kFaceOrange) << "right band at row " << y;
        }

        for (int y = 0; y <= 4; ++y) EXPECT_TRUE(Near(tile.At(w / 2, y), kTopBand)) << "top band row " << y;
        for (int x = 0; x <= 5; ++x) EXPECT_TRUE(Near(tile.At(x, 12), kLeftBand)) << "left band column " << x;
        for (int y = 19; y <= 24; ++y) EXPECT_TRUE(Near(tile.At(w / 2, y), c.bottom)) << "bottom band row " << y;
        for (int x = w - 6; x < w; ++x) EXPECT_TRUE(Near(tile.At(x, 12), c.right)) << "right band column " << x;
    }
}

TEST(SquareTile, GlintSitsOnTheTopLeftMitre) {
    for (const auto& c : kSquareTiles) {
        const Image tile = RenderTile(c.id);
        int glints = 0;
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < tile.width; ++x) glints += tile.At(x, y) == c.glint;
        EXPECT_EQ(glints, 4) << "tile width " << c.width;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(tile.At(2 + i, 1 + i), c.glint) << "glint pixel (" << 2 + i << ", " << 1 + i << ")";
    }
}

// The light and dark bands meet on a diagonal: each row of a corner gives one more pixel to the dark side.
TEST(SquareTile, MitresRunDiagonally) {
    for (const auto& c : kSquareTiles) {
        const Image tile = RenderTile(c.id);
        const int w = c.width;
        for (int y = 0; y <= 4; ++y) {
            int dark = 0;
            for (int x = w - 6; x < w; ++x) dark += Brightness(tile.At(x, y)) < Brightness(kLeftBand) / 2;
            EXPECT_EQ(dark, y + 1) << "top-right corner, row " << y << ", width " << w;
            EXPECT_LT(Brightness(tile.At(w - 1 - y, y)), Brightness(kLeftBand) / 2) << "row " << y;
        }
        for (int k = 0; k <= 5; ++k) {
            int dark = 0;
            for (int x = 0; x <= 5; ++x) dark += Brightness(tile.At(x, 19 + k)) < Brightness(kLeftBand) / 2;
            EXPECT_EQ(dark, k + 1) << "bottom-left corner, row " << 19 + k << ", width " << w;
        }
    }
}

TEST(SquareTile, LetteringIsCentredOnTheFace) {
    for (const auto& c : kSquareTiles) {
        const Image tile = RenderTile(c.id);
        const Box ink = InkBox(tile);
        SCOPED_TRACE("tile width " + std::to_string(c.width) + ", letters " + std::to_string(c.letters));
        ASSERT_FALSE(ink.Empty());
        EXPECT_GE(ink.left, 6);
        EXPECT_LE(ink.right, c.width - 7);
        EXPECT_GE(ink.top, 5);
        EXPECT_LE(ink.bottom, 18);
        const int height = ink.bottom - ink.top + 1;
        EXPECT_TRUE(height >= 6 && height <= 9) << "lettering is " << height << " pixels high";
        const int leftMargin = ink.left - 6, rightMargin = (c.width - 7) - ink.right;
        EXPECT_LE(std::abs(leftMargin - rightMargin), 1) << "margins " << leftMargin << " and " << rightMargin;
        const int topMargin = ink.top - 5, bottomMargin = 18 - ink.bottom;
        EXPECT_LE(std::abs(topMargin - bottomMargin), 1) << "margins " << topMargin << " and " << bottomMargin;
        EXPECT_EQ(InkedColumnRuns(tile), c.letters);
    }
}

TEST(IdlePanelTile, SoftBevelAroundAFlatFace) {
    const Image tile = RenderTile(ControlId::IdlePanel);
    ASSERT_EQ(tile.width, 96);
    ASSERT_EQ(tile.height, 25);
    for (int y = 7; y <= 16; ++y)
        for (int x = 8; x <= 87; ++x)
            ASSERT_TRUE(tile.At(x, y) == kFaceOrange || tile.At(x, y) == kLetteringBlack)
                << "flat face pixel (" << x << ", " << y << ") is " << Hex(tile.At(x, y));
    for (int x = 8; x <= 87; ++x) {
        EXPECT_NE(tile.At(x, 6), kFaceOrange) << "column " << x;
        EXPECT_NE(tile.At(x, 17), kFaceOrange) << "column " << x;
    }

    // The shading deepens step by step towards the bottom and the right, ending in dark brown.
    for (int y = 17; y <= 24; ++y)
        EXPECT_LT(Brightness(tile.At(48, y)), Brightness(tile.At(48, y - 1))) << "row " << y;
    for (int x = 88; x <= 95; ++x)
        EXPECT_LT(Brightness(tile.At(x, 12)), Brightness(tile.At(x - 1, 12))) << "column " << x;
    EXPECT_TRUE(Near(tile.At(48, 24), kBrown));
    EXPECT_TRUE(Near(tile.At(95, 12), kBrown));
    EXPECT_GT(Brightness(tile.At(48, 17)), Brightness(kTopBand)) << "the first step is gentle";

    // The lit sides stay orange.
    EXPECT_TRUE(Near(tile.At(48, 0), kTopBand));
    EXPECT_TRUE(Near(tile.At(0, 12), kLeftBand));

    // A soft glint larger than the square tiles' four pixels, brightest in the top-left corner.
    int pale = 0;
    Rgb brightest{0, 0, 0};
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 16; ++x) {
            const Rgb p = tile.At(x, y);
            pale += p.r == 0xFF && p.g > 0xC0;
            if (Brightness(p) > Brightness(brightest)) brightest = p;
        }
    EXPECT_GT(pale, 4);
    EXPECT_TRUE(Near(brightest, {0xFF, 0xFF, 0x9F}, 0x20));
}

TEST(IdlePanelTile, WordsOnTheLeftAndAnEmptyFaceForTheCount) {
    const Image tile = RenderTile(ControlId::IdlePanel);
    const Box ink = InkBox(tile);
    ASSERT_FALSE(ink.Empty());
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 49);
    EXPECT_GE(ink.top, 7);
    EXPECT_LE(ink.bottom, 16);
    EXPECT_EQ(InkedColumnRuns(tile), 8) << "I D L E F O R :";

    for (int y = 8; y <= 16; ++y)
        for (int x = 56; x <= 87; ++x)
            ASSERT_EQ(tile.At(x, y), kFaceOrange) << "the counter's area at (" << x << ", " << y << ")";
    EXPECT_NE(tile.At(88, 12), kFaceOrange) << "the counter's last column lies just beyond the face";
}

TEST(RenderTile, ControlsWithoutABitmapAreRejected) {
    EXPECT_THROW(RenderTile(ControlId::IdleCounter), std::invalid_argument);
    EXPECT_THROW(RenderTile(ControlId::HomePageBox), std::invalid_argument);
}

// Expects the window's pixels (x0..x1, y) to be the tile's pixels shifted by (dx, dy).
void ExpectRowFrom(const Image& window, int y, int x0, int x1, const Image& tile, int dx, int dy) {
    for (int x = x0; x <= x1; ++x)
        ASSERT_EQ(window.At(x, y), tile.At(x - dx, y - dy)) << "window pixel (" << x << ", " << y << ")";
}

TEST(ComposeWindow, PaintsTheTilesBackToFront) {
    const Image window = ComposeWindow();
    ASSERT_EQ(window.width, 96);
    ASSERT_EQ(window.height, 73);
    const Image bar = RenderTile(ControlId::NameBar), start = RenderTile(ControlId::StartTile),
                stop = RenderTile(ControlId::StopTile), exitTile = RenderTile(ControlId::ExitTile),
                idle = RenderTile(ControlId::IdlePanel);

    for (int y = 0; y <= 23; ++y) ExpectRowFrom(window, y, 0, 95, bar, 0, 0);
    // Row 24: the command row's top pixels, not the name bar's bottom row.
    for (int y = 24; y <= 47; ++y) {
        ExpectRowFrom(window, y, 0, 31, start, 0, 24);
        ExpectRowFrom(window, y, 32, 64, exitTile, 32, 24);
        ExpectRowFrom(window, y, 65, 95, stop, 64, 24);
    }
    // Row 48: the idle panel's top pixels; the panel runs to the window's last row but one.
    for (int y = 48; y <= 71; ++y) ExpectRowFrom(window, y, 0, 95, idle, 0, 48);
    EXPECT_NE(window.At(32, 30), start.At(32, 6)) << "the seams must differ to tell the stacking apart";
    EXPECT_NE(window.At(64, 30), stop.At(0, 6)) << "the seams must differ to tell the stacking apart";
}

TEST(ComposeWindow, BottomRowIsTheTextBoxesTopBorder) {
    const Image window = ComposeWindow();
    for (int x = 0; x < 96; ++x) ASSERT_EQ(window.At(x, 72), kTextBoxBorderTop) << "column " << x;
}

TEST(ScaleNearest, RepeatsEachPixelFactorTimes) {
    Image image(3, 2, {0, 0, 0});
    image.Set(0, 0, {1, 2, 3});
    image.Set(2, 1, {4, 5, 6});
    const Image big = ScaleNearest(image, 3);
    ASSERT_EQ(big.width, 9);
    ASSERT_EQ(big.height, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(big.At(x, y), image.At(x / 3, y / 3)) << "(" << x << ", " << y << ")";

    for (int factor : {1, 0, -2}) {
        const Image same = ScaleNearest(image, factor);
        EXPECT_EQ(same.width, 3) << "factor " << factor;
        EXPECT_EQ(same.height, 2) << "factor " << factor;
        EXPECT_TRUE(same.pixels == image.pixels) << "factor " << factor;
    }
}

unsigned U16(const std::vector<std::uint8_t>& b, std::size_t at) { return b.at(at) | b.at(at + 1) << 8; }
std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

TEST(IconFile, HoldsThreeImagesOfTheRightSizesAndDepths) {
    const std::vector<std::uint8_t> ico = RenderIconFile();
    ASSERT_GE(ico.size(), 6u + 3 * 16);
    EXPECT_EQ(U16(ico, 0), 0u);
    EXPECT_EQ(U16(ico, 2), 1u) << "type 1 is an icon";
    ASSERT_EQ(U16(ico, 4), 3u);

    struct Expected { int size, colours, bits; };
    const Expected expected[] = {{32, 16, 4}, {32, 2, 1}, {16, 16, 4}};
    std::size_t end = 6 + 3 * 16;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        const std::size_t entry = 6 + 16 * std::size_t(i);
        const auto& e = expected[i];
        EXPECT_EQ(ico[entry], e.size);
        EXPECT_EQ(ico[entry + 1], e.size);
        EXPECT_EQ(ico[entry + 2], e.colours);
        EXPECT_EQ(U16(ico, entry + 4), 1u) << "planes";
        EXPECT_EQ(U16(ico, entry + 6), unsigned(e.bits));
        const std::uint32_t bytes = U32(ico, entry + 8), offset = U32(ico, entry + 12);
        ASSERT_EQ(offset, end) << "images follow one another without gaps";
        ASSERT_LE(std::size_t(offset) + bytes, ico.size());
        end = offset + bytes;

        // The bitmap header counts colour rows and mask rows together; rows are padded to 4 bytes.
        EXPECT_EQ(U32(ico, offset), 40u);
        EXPECT_EQ(U32(ico, offset + 4), std::uint32_t(e.size));
        EXPECT_EQ(U32(ico, offset + 8), std::uint32_t(2 * e.size));
        EXPECT_EQ(U16(ico, offset + 14), unsigned(e.bits));
        const int colourRow = (e.size * e.bits + 31) / 32 * 4, maskRow = (e.size + 31) / 32 * 4;
        EXPECT_EQ(bytes, std::uint32_t(40 + 4 * e.colours + (colourRow + maskRow) * e.size));
    }
    EXPECT_EQ(end, ico.size());
}

// Reads pixel (x, y) of icon image `i`: its palette colour and whether the mask makes it transparent.
struct IconPixel { Rgb colour; bool transparent; };

IconPixel IconPixelAt(const std::vector<std::uint8_t>& ico, int i, int x, int y) {
    const int size = ico[6 + 16 * i], bits = ico[6 + 16 * i + 6];
    const std::size_t offset = U32(ico, 6 + 16 * std::size_t(i) + 12);
    const std::size_t pixels = offset + 40 + 4 * (std::size_t(1) << bits);
    const std::size_t colourRow = (size * bits + 31) / 32 * 4, maskRow = (size + 31) / 32 * 4;
    const std::size_t mask = pixels + colourRow * size;
    const std::size_t row = size - 1 - y;  // rows run bottom-up
    const int bit = x * bits;
    const int index = ico[pixels + row * colourRow + bit / 8] >> (8 - bits - bit % 8) & ((1 << bits) - 1);
    const std::size_t entry = offset + 40 + 4 * std::size_t(index);
    return {{ico[entry + 2], ico[entry + 1], ico[entry]}, (ico[mask + row * maskRow + x / 8] >> (7 - x % 8) & 1) != 0};
}

// A white window with a cyan title bar and a grey shadow (black and white only in the two-colour image),
// on a transparent ground.
TEST(IconFile, PicturesShowTheWindowOnATransparentGround) {
    const std::vector<std::uint8_t> ico = RenderIconFile();
    for (int i : {0, 1, 2}) {
        SCOPED_TRACE("image " + std::to_string(i));
        const int size = ico[6 + 16 * i];
        int cyan = 0, white = 0, grey = 0, black = 0, clear = 0, firstCyanRow = size, lastWhiteRow = -1;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const IconPixel p = IconPixelAt(ico, i, x, y);
                if (p.transparent) {
                    ++clear;
                    // Anything but black under a set mask bit inverts the desktop instead of showing it.
                    ASSERT_EQ(p.colour, Rgb({0, 0, 0})) << "transparent (" << x << ", " << y << ")";
                    continue;
                }
                if (p.colour == Rgb{0x00, 0xFF, 0xFF}) ++cyan, firstCyanRow = std::min(firstCyanRow, y);
                if (p.colour == Rgb{0xFF, 0xFF, 0xFF}) ++white, lastWhiteRow = y;
                grey += p.colour == Rgb{0x80, 0x80, 0x80};
                black += p.colour == Rgb{0, 0, 0};
            }
        EXPECT_GT(white, size * size / 6) << "the window's body";
        EXPECT_GT(black, 0) << "the outline";
        EXPECT_GT(clear, 0);
        EXPECT_TRUE(IconPixelAt(ico, i, 0, 0).transparent) << "the corners show the desktop";
        if (i == 1) continue;
        EXPECT_GT(cyan, 0);
        EXPECT_GT(white, cyan) << "the window's body is larger than its title bar";
        EXPECT_GT(grey, 0);
        EXPECT_LT(firstCyanRow, lastWhiteRow) << "the title bar is on top";
    }
}

}  // namespace
}  // namespace vorivevo
