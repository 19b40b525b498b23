// The window's artwork drawn by our own portable code: the five tiles, the composed window, the icon.
#pragma once

#include <cstdint>
#include <vector>

#include "control_layout.h"

namespace vorivevo {

struct Rgb {
    std::uint8_t r, g, b;
    friend bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
    friend bool operator!=(Rgb a, Rgb b) { return !(a == b); }
};

// The flat face of every tile; the window's dominant colour.
inline constexpr Rgb kFaceOrange{0xFF, 0xA0, 0x00};
// Lettering on the tiles.
inline constexpr Rgb kLetteringBlack{0x00, 0x00, 0x00};
// The outer top edge of a text box's sunken border is drawn in the button-shadow colour; this is its
// value in the standard colour scheme of current Windows versions and in Wine (160, 160, 160).
inline constexpr Rgb kTextBoxBorderTop{0xA0, 0xA0, 0xA0};

// Top-down rows, 24 bits a pixel.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;

    Image() = default;
    Image(int w, int h, Rgb fill) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}
    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    void Set(int x, int y, Rgb c) { pixels[static_cast<std::size_t>(y) * width + x] = c; }
};

// The bitmap of a tile: the name bar, the three command tiles or the idle panel (96 x 25 or 33 x 25).
// Throws std::invalid_argument for a control that has no bitmap.
Image RenderTile(ControlId tile);

// The window as the platform paints it at 96 DPI, without the counter's text: the tiles back to front,
// clipped to their rectangles, then the text boxes' top border row.
Image ComposeWindow();

// Nearest-neighbour enlargement by a whole factor (>= 1), for high display densities. A factor below 1
// (a density under 96 DPI) gives the image unchanged, since the tiles are never shrunk.
Image ScaleNearest(const Image& image, int factor);

// The program's icon: 32 x 32 in 16 colours, 32 x 32 in 2 colours, 16 x 16 in 16 colours, written as
// the bytes of an .ico file.
std::vector<std::uint8_t> RenderIconFile();

}  // namespace vorivevo
