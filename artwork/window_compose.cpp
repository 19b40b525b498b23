// Puts the tiles together as the window shows them, and enlarges images for dense displays.
#include <algorithm>

#include "tile_art.h"

namespace vorivevo {
namespace {

// A tile's bitmap sits at its control's top-left corner at its own size; the control clips it, and the
// window clips the control.
void PaintClipped(Image& target, const Image& bitmap, const ControlGeometry& control) {
    const int right = std::min({control.x + control.width, control.x + bitmap.width, target.width});
    const int bottom = std::min({control.y + control.height, control.y + bitmap.height, target.height});
    for (int y = std::max(control.y, 0); y < bottom; ++y)
        for (int x = std::max(control.x, 0); x < right; ++x)
            target.Set(x, y, bitmap.At(x - control.x, y - control.y));
}

// Only a text box's top border row can reach into the window; the rest of the box lies below it.
void PaintTextBoxTopEdge(Image& target, const ControlGeometry& box) {
    if (box.y < 0 || box.y >= target.height) return;
    const int right = std::min(box.x + box.width, target.width);
    for (int x = std::max(box.x, 0); x < right; ++x) target.Set(x, box.y, kTextBoxBorderTop);
}

}  // namespace

Image ComposeWindow() {
    constexpr Rgb buttonFace{0xF0, 0xF0, 0xF0};  // the window's own background, wholly covered
    Image window(kWindowWidth, kWindowHeight, buttonFace);
    for (ControlId tile : {ControlId::NameBar, ControlId::StartTile, ControlId::StopTile, ControlId::ExitTile,
                              ControlId::IdlePanel})
        PaintClipped(window, RenderTile(tile), GeometryOf(tile));
    PaintTextBoxTopEdge(window, GeometryOf(ControlId::HomePageBox));
    PaintTextBoxTopEdge(window, GeometryOf(ControlId::DisplayNameBox));
    return window;
}

Image ScaleNearest(const Image& image, int factor) {
    if (factor <= 1) return image;
    Image scaled(image.width * factor, image.height * factor, {0, 0, 0});
    for (int y = 0; y < scaled.height; ++y)
        for (int x = 0; x < scaled.width; ++x) scaled.Set(x, y, image.At(x / factor, y / factor));
    return scaled;
}

}  // namespace vorivevo
