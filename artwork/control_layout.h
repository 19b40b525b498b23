// Where the window's controls sit, in pixels at 96 dots per inch, and in which order they stack.
#pragma once

#include <array>

namespace vorivevo {

enum class ControlId { DisplayNameBox, HomePageBox, IdlePanel, IdleCounter, ExitTile, StopTile, StartTile, NameBar };

struct ControlGeometry {
    ControlId id;
    int x, y, width, height;  // pixels at 96 DPI (15 twips each); the counter relative to the idle panel
    int tabIndex;             // -1: takes no focus
};

inline constexpr int kWindowWidth = 96;   // pixels at 96 DPI: 1440 twips
inline constexpr int kWindowHeight = 73;  // pixels at 96 DPI: 1095 twips
inline constexpr int kTwipsPerPixel = 15;

// Topmost first. The name bar and the idle panel are one pixel wider than the window, and the text boxes reach
// 18 rows below it: only their top border row shows.
inline constexpr std::array<ControlGeometry, 8> kWindowLayout{{
    {ControlId::DisplayNameBox, 40, 72, 57, 19, 7},
    {ControlId::HomePageBox, 0, 72, 41, 19, 6},
    {ControlId::IdlePanel, 0, 48, 97, 25, 4},
    {ControlId::IdleCounter, 56, 8, 33, 9, 5},
    {ControlId::ExitTile, 32, 24, 33, 25, 3},
    {ControlId::StopTile, 64, 24, 33, 25, 2},
    {ControlId::StartTile, 0, 24, 33, 25, 1},
    {ControlId::NameBar, 0, 0, 97, 25, 0},
}};

inline constexpr const ControlGeometry& GeometryOf(ControlId id) {
    for (const auto& g : kWindowLayout)
        if (g.id == id) return g;
    return kWindowLayout[0];
}

}  // namespace vorivevo
