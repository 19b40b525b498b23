// Draws the program's icon, a slanted window with a cyan title bar and a grey shadow, as an .ico file.
#include <array>
#include <cstddef>

#include "tile_art.h"

namespace vorivevo {
namespace {

constexpr int kTransparent = -1;

// Entries of the standard 16-colour palette that the picture uses.
constexpr int kBlack = 0;
constexpr int kGrey = 8;
constexpr int kCyan = 14;
constexpr int kWhite = 15;

constexpr std::array<Rgb, 16> kPalette16{{
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},
}};
// Two-colour images index black and white; the shadow there is a half-tone of black.
constexpr std::array<Rgb, 2> kPalette2{{{0x00, 0x00, 0x00}, {0xFF, 0xFF, 0xFF}}};
constexpr int kMonoWhite = 1;

// The window in the picture: an upright rectangle of `width` x `height` pixels whose rows are pushed
// right the higher they are, `slant` pixels in all, so that it leans like italic type.
struct Shape {
    int iconSize;
    int left, top, width, height, slant;
    int titleRows;      // cyan rows under the top outline
    int shadowOffset;   // pixels right and down
};

constexpr Shape kLargeShape{32, 1, 4, 23, 22, 6, 4, 2};
constexpr Shape kSmallShape{16, 0, 2, 12, 11, 3, 2, 1};

// Colour index at (x, y) of the leaning window, or kTransparent outside it.
int WindowCell(const Shape& s, int x, int y, bool monochrome) {
    const int v = y - s.top;
    if (v < 0 || v >= s.height) return kTransparent;
    const int u = x - s.left - (s.height - 1 - v) * s.slant / (s.height - 1);
    if (u < 0 || u >= s.width) return kTransparent;
    const bool outline = u == 0 || u == s.width - 1 || v == 0 || v == s.height - 1 || v == s.titleRows + 1;
    if (outline) return kBlack;
    if (v <= s.titleRows) return monochrome ? kBlack : kCyan;
    return monochrome ? kMonoWhite : kWhite;
}

std::vector<int> DrawPicture(const Shape& s, bool monochrome) {
    std::vector<int> cells(static_cast<std::size_t>(s.iconSize) * s.iconSize, kTransparent);
    for (int y = 0; y < s.iconSize; ++y) {
        for (int x = 0; x < s.iconSize; ++x) {
            int cell = WindowCell(s, x, y, monochrome);
            if (cell == kTransparent && WindowCell(s, x - s.shadowOffset, y - s.shadowOffset, monochrome) != kTransparent)
                cell = monochrome ? ((x + y) % 2 == 0 ? kBlack : kTransparent) : kGrey;
            cells[static_cast<std::size_t>(y) * s.iconSize + x] = cell;
        }
    }
    return cells;
}

void PutU16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

struct IconImage {
    int size;
    int bitCount;
    std::vector<Rgb> palette;
    std::vector<int> cells;
};

int RowBytes(int width, int bitCount) { return (width * bitCount + 31) / 32 * 4; }

std::uint32_t ImageBytes(const IconImage& image) {
    const int colourBits = RowBytes(image.size, image.bitCount) * image.size;
    const int maskBits = RowBytes(image.size, 1) * image.size;
    return static_cast<std::uint32_t>(40 + 4 * image.palette.size() + colourBits + maskBits);
}

// A device-independent bitmap as an icon holds it: the header counts the colour rows and the
// transparency mask rows together, and both run bottom-up.
void PutImage(std::vector<std::uint8_t>& out, const IconImage& image) {
    const int colourRow = RowBytes(image.size, image.bitCount);
    const int maskRow = RowBytes(image.size, 1);
    PutU32(out, 40);
    PutU32(out, static_cast<std::uint32_t>(image.size));
    PutU32(out, static_cast<std::uint32_t>(image.size * 2));
    PutU16(out, 1);
    PutU16(out, static_cast<unsigned>(image.bitCount));
    PutU32(out, 0);  // uncompressed
    PutU32(out, static_cast<std::uint32_t>((colourRow + maskRow) * image.size));
    for (int i = 0; i < 4; ++i) PutU32(out, 0);
    for (Rgb c : image.palette) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }

    const int pixelsPerByte = 8 / image.bitCount;
    for (int y = image.size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(colourRow), 0);
        for (int x = 0; x < image.size; ++x) {
            const int cell = image.cells[static_cast<std::size_t>(y) * image.size + x];
            // A transparent pixel must be black in the colour bits, or the screen under it is inverted.
            const int index = cell == kTransparent ? 0 : cell;
            const int shift = (pixelsPerByte - 1 - x % pixelsPerByte) * image.bitCount;
            row[static_cast<std::size_t>(x / pixelsPerByte)] |= static_cast<std::uint8_t>(index << shift);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = image.size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(maskRow), 0);
        for (int x = 0; x < image.size; ++x)
            if (image.cells[static_cast<std::size_t>(y) * image.size + x] == kTransparent)
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
}

}  // namespace

std::vector<std::uint8_t> RenderIconFile() {
    const std::vector<Rgb> palette16(kPalette16.begin(), kPalette16.end());
    const std::vector<Rgb> palette2(kPalette2.begin(), kPalette2.end());
    const std::array<IconImage, 3> images{{
        {32, 4, palette16, DrawPicture(kLargeShape, false)},
        {32, 1, palette2, DrawPicture(kLargeShape, true)},
        {16, 4, palette16, DrawPicture(kSmallShape, false)},
    }};

    std::vector<std::uint8_t> file;
    PutU16(file, 0);
    PutU16(file, 1);  // icon, not cursor
    PutU16(file, static_cast<unsigned>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const IconImage& image : images) {
        file.push_back(static_cast<std::uint8_t>(image.size));
        file.push_back(static_cast<std::uint8_t>(image.size));
        file.push_back(static_cast<std::uint8_t>(image.palette.size()));
        file.push_back(0);
        PutU16(file, 1);
        PutU16(file, static_cast<unsigned>(image.bitCount));
        PutU32(file, ImageBytes(image));
        PutU32(file, offset);
        offset += ImageBytes(image);
    }
    for (const IconImage& image : images) PutImage(file, image);
    return file;
}

}  // namespace vorivevo
