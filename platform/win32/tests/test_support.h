// Helpers shared by the Win32 back-end tests: pumping our own thread's messages, and reading pixels.
#pragma once

#include "win32_api.h"

#include <string>
#include <vector>

#include "tile_art.h"
#include "win32_handles.h"

namespace vorivevo::test {

// Dispatches every message queued for the calling thread.
inline void PumpThreadMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// A 24-bit memory bitmap to paint into and read back, top-down.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height), dc_(nullptr) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
        select_ = SelectObject(dc_.Get(), bitmap_.Get());
    }
    ~Canvas() { SelectObject(dc_.Get(), select_); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_.Get(); }
    Rgb At(int x, int y) const {
        GdiFlush();
        const auto* row = static_cast<const unsigned char*>(bits_) + Stride() * y;
        return Rgb{row[x * 3 + 2], row[x * 3 + 1], row[x * 3]};
    }

private:
    std::size_t Stride() const { return (static_cast<std::size_t>(width_) * 3 + 3) & ~std::size_t{3}; }
    int width_;
    int height_;
    MemoryDc dc_;
    GdiObject<HBITMAP> bitmap_;
    void* bits_ = nullptr;
    HGDIOBJ select_ = nullptr;
};

inline Rgb FromColorRef(COLORREF colour) {
    return Rgb{GetRValue(colour), GetGValue(colour), GetBValue(colour)};
}

inline std::string Describe(Rgb c) {
    return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

}  // namespace vorivevo::test
