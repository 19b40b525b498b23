// Draws the five tiles: four square-bevelled buttons and the softly bevelled idle panel.
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string_view>

#include "pixel_font.h"
#include "tile_art.h"

namespace vorivevo {
namespace {

constexpr int kTileHeight = 25;      // pixels, every tile
constexpr int kWideTileWidth = 96;   // name bar and idle panel; their controls are one pixel wider
constexpr int kSmallTileWidth = 33;  // command tiles

// Square bevel: the face spans rows 5..18 and columns 6..width-7.
constexpr int kTopBandRows = 5;
constexpr int kLeftBandCols = 6;
constexpr int kBottomBandRows = 6;
constexpr int kRightBandCols = 6;

constexpr Rgb kTopBand{0xDF, 0x8F, 0x00};
constexpr Rgb kLeftBand{0xD0, 0x88, 0x00};
constexpr Rgb kShadeBrown{0x4F, 0x2F, 0x00};
constexpr Rgb kNameBarBottom{0x5F, 0x38, 0x00};
constexpr Rgb kNameBarRight{0x60, 0x3F, 0x00};
constexpr Rgb kGlint{0xFF, 0xFF, 0x9F};
constexpr Rgb kNameBarGlint{0xFF, 0xFF, 0x6F};

// Idle panel: a flat face over rows 7..16 and columns 8..87, curving away on every side.
constexpr int kSoftFaceLeft = 8;
constexpr int kSoftFaceRight = 87;
constexpr int kSoftFaceTop = 7;
constexpr int kSoftFaceBottom = 16;
constexpr int kIdleWordsLeft = 10;   // "IDLE FOR:" keeps to columns 10..49, clear of the count
constexpr int kIdleWordsWidth = 40;

struct SquareStyle {
    Rgb bottom, right, glint;
    std::string_view words;
    int tracking;  // extra pixels between letters
};

Rgb Mix(Rgb from, Rgb to, double t) {
    auto channel = [t](std::uint8_t a, std::uint8_t b) {
        return static_cast<std::uint8_t>(std::lround(a + (b - a) * t));
    };
    return {channel(from.r, to.r), channel(from.g, to.g), channel(from.b, to.b)};
}

double SmoothStep(double edge0, double edge1, double x) {
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Which band a border pixel belongs to. Where two bands meet, the boundary runs diagonally from the
// tile's corner to the face's corner; the shadow side takes the pixels on the diagonal, as a raised
// edge does, except at the top-left where the glint sits on the mitre.
Rgb SquareBevelAt(int x, int y, int width, const SquareStyle& style) {
    const int fromTop = y;
    const int fromLeft = x;
    const int fromBottom = kTileHeight - 1 - y;
    const int fromRight = width - 1 - x;
    const bool top = fromTop < kTopBandRows;
    const bool left = fromLeft < kLeftBandCols;
    const bool bottom = fromBottom < kBottomBandRows;
    const bool right = fromRight < kRightBandCols;

    if (top && left) return fromLeft > fromTop ? kTopBand : kLeftBand;
    if (top && right) return fromRight <= fromTop ? style.right : kTopBand;
    if (bottom && left) return fromBottom <= fromLeft ? style.bottom : kLeftBand;
    if (bottom && right) return fromBottom <= fromRight ? style.bottom : style.right;
    if (top) return kTopBand;
    if (left) return kLeftBand;
    if (bottom) return style.bottom;
    if (right) return style.right;
    return kFaceOrange;
}

Image SquareTile(int width, const SquareStyle& style) {
    Image tile(width, kTileHeight, kFaceOrange);
    for (int y = 0; y < kTileHeight; ++y)
        for (int x = 0; x < width; ++x) tile.Set(x, y, SquareBevelAt(x, y, width, style));

    for (int i = 0; i < 4; ++i) tile.Set(2 + i, 1 + i, style.glint);

    const int faceWidth = width - kLeftBandCols - kRightBandCols;
    const int faceHeight = kTileHeight - kTopBandRows - kBottomBandRows;
    const int textX = kLeftBandCols + (faceWidth - LetteringWidth(style.words, style.tracking)) / 2;
    const int textY = kTopBandRows + (faceHeight - kLetteringHeight) / 2;
    DrawLettering(tile, textX, textY, style.words, kLetteringBlack, style.tracking);
    return tile;
}

// A cushion: away from the flat face the surface bends ever more steeply, so the shade grows faster
// than the distance; the side facing the top-left light stays a warm orange, the far side sinks to brown.
Rgb SoftBevelAt(int x, int y) {
    const double dx = x < kSoftFaceLeft    ? (x - kSoftFaceLeft) / double(kSoftFaceLeft)
                      : x > kSoftFaceRight ? (x - kSoftFaceRight) / double(kWideTileWidth - 1 - kSoftFaceRight)
                                           : 0.0;
    const double dy = y < kSoftFaceTop      ? (y - kSoftFaceTop) / double(kSoftFaceTop)
                      : y > kSoftFaceBottom ? (y - kSoftFaceBottom) / double(kTileHeight - 1 - kSoftFaceBottom)
                                            : 0.0;
    const double distance = std::hypot(dx, dy);
    if (distance == 0) return kFaceOrange;

    const double towardsLight = -(dx + dy) / (distance * std::sqrt(2.0));  // -1 .. 1
    const double lit = SmoothStep(-0.3, 0.3, towardsLight);
    const double topShare = std::abs(dy) / (std::abs(dx) + std::abs(dy));
    const Rgb litEdge = Mix(kLeftBand, kTopBand, topShare);
    const Rgb edge = Mix(kShadeBrown, litEdge, lit);
    const double depth = std::pow(std::min(distance, 1.0), 1.5);
    return Mix(kFaceOrange, edge, depth);
}

Image IdlePanelTile() {
    Image tile(kWideTileWidth, kTileHeight, kFaceOrange);
    for (int y = 0; y < kTileHeight; ++y)
        for (int x = 0; x < kWideTileWidth; ++x) tile.Set(x, y, SoftBevelAt(x, y));

    // A soft highlight fading out from just inside the top-left corner.
    constexpr double glintX = 4.5, glintY = 2.5, glintRadius = 4.5;
    for (int y = 0; y < kSoftFaceTop; ++y) {
        for (int x = 0; x < 2 * kSoftFaceLeft; ++x) {
            const double fade = 1.0 - std::hypot(x - glintX, (y - glintY) * 1.8) / glintRadius;
            if (fade > 0) tile.Set(x, y, Mix(tile.At(x, y), kGlint, std::min(1.0, fade * 1.6)));
        }
    }

    constexpr std::string_view words = "IDLE FOR:";
    const int textX = kIdleWordsLeft + (kIdleWordsWidth - LetteringWidth(words)) / 2;
    const int textY = kSoftFaceTop + (kSoftFaceBottom - kSoftFaceTop + 1 - kLetteringHeight) / 2;
    DrawLettering(tile, textX, textY, words, kLetteringBlack);
    return tile;
}

}  // namespace

Image RenderTile(ControlId tile) {
    switch (tile) {
        case ControlId::NameBar:
            return SquareTile(kWideTileWidth, {kNameBarBottom, kNameBarRight, kNameBarGlint, "-[ VORIVEVO ]-", 1});
        case ControlId::StartTile:
            return SquareTile(kSmallTileWidth, {kShadeBrown, kShadeBrown, kGlint, "ON", 0});
        case ControlId::StopTile:
            return SquareTile(kSmallTileWidth, {kShadeBrown, kShadeBrown, kGlint, "OFF", 0});
        case ControlId::ExitTile:
            return SquareTile(kSmallTileWidth, {kShadeBrown, kShadeBrown, kGlint, "X", 0});
        case ControlId::IdlePanel:
            return IdlePanelTile();
        default:
            throw std::invalid_argument("RenderTile: the control has no bitmap");
    }
}

}  // namespace vorivevo
