// Images as PNG files, for the pictures of the window that the README shows.
#pragma once

#include <cstdint>
#include <vector>

#include "tile_art.h"

namespace vorivevo {

// The bytes of a PNG file of `image`: 8-bit RGB, not interlaced, no filtering, one image data chunk
// and no optional chunks, so that an image always gives the same file. Throws std::invalid_argument for
// an image without pixels, which PNG cannot hold.
std::vector<std::uint8_t> EncodePng(const Image& image);

}  // namespace vorivevo
