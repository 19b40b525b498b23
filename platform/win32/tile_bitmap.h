// A tile's picture as a device-independent bitmap, made once at start-up from the artwork.
#pragma once

#include "win32_api.h"

#include "tile_art.h"
#include "win32_handles.h"

namespace vorivevo {

class TileBitmap {
public:
    // Throws std::runtime_error when the platform cannot make the bitmap.
    explicit TileBitmap(const Image& image);

    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    // Copies the whole bitmap to `dc` with its top-left corner at (0, 0), at its own size.
    void Draw(HDC dc) const noexcept;

private:
    GdiObject<HBITMAP> bitmap_;
    int width_;
    int height_;
};

}  // namespace vorivevo
