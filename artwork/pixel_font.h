// Our own blocky capital pixel face, 7 pixels high, for the tiles' lettering and the idle count.
#pragma once

#include <string_view>

#include "tile_art.h"

namespace vorivevo {

inline constexpr int kLetteringHeight = 7;  // pixels, capitals and digits alike

// The face holds the capitals the tiles use (D E F I L N O R V X), the digits, space, '-', '[', ']'
// and ':'. Any other character sets as a blank the width of a digit, so a caller's text never breaks
// the layout.

// Width in pixels of `text` set with one pixel between letters plus `tracking` more.
int LetteringWidth(std::string_view text, int tracking = 0);

// Sets `text` with its top-left corner at (x, y), clipped to the image.
void DrawLettering(Image& image, int x, int y, std::string_view text, Rgb colour, int tracking = 0);

}  // namespace vorivevo
