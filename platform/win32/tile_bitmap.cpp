#include "tile_bitmap.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace vorivevo {

TileBitmap::TileBitmap(const Image& image) : width_(image.width), height_(image.height) {
    if (width_ <= 0 || height_ <= 0 || image.pixels.size() != static_cast<std::size_t>(width_) * height_)
        throw std::runtime_error("tile image has no pixels");

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // negative: rows top-down, as the artwork holds them
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;

    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_ || bits == nullptr) throw std::runtime_error("CreateDIBSection failed for a tile");

    // 24-bit rows are stored blue first and padded to a multiple of 4 bytes.
    const std::size_t stride = (static_cast<std::size_t>(width_) * 3 + 3) & ~std::size_t{3};
    auto* rows = static_cast<std::uint8_t*>(bits);
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* out = rows + stride * y;
        for (int x = 0; x < width_; ++x) {
            const Rgb pixel = image.At(x, y);
            *out++ = pixel.b;
            *out++ = pixel.g;
            *out++ = pixel.r;
        }
    }
}

void TileBitmap::Draw(HDC dc) const noexcept {
    MemoryDc source(dc);
    if (source.Get() == nullptr) return;
    SelectScope select(source.Get(), bitmap_.Get());
    BitBlt(dc, 0, 0, width_, height_, source.Get(), 0, 0, SRCCOPY);
}

}  // namespace vorivevo
