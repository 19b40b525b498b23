// Where the window's controls sit, in pixels at 96 dots per inch, and in which order they stack.
#pragma once

#include <array>

namespace vorivevo {

enum class ControlId { Text2, Text1, Picture5, Label1, Picture4, Picture3, Picture2, Picture1 };

struct ControlGeometry {
    ControlId id;
    int x, y, width, height;  // pixels at 96 DPI (15 twips each); Label1 relative to Picture5
    int tabIndex;             // -1: takes no focus
};

inline constexpr int kFormWidth = 96;   // pixels at 96 DPI: 1440 twips
inline constexpr int kFormHeight = 73;  // pixels at 96 DPI: 1095 twips
inline constexpr int kTwipsPerPixel = 15;

// Topmost first. Picture1 and Picture5 are one pixel wider than the window, and the text boxes reach
// 18 rows below it: only their top border row shows.
inline constexpr std::array<ControlGeometry, 8> kFormLayout{{
    {ControlId::Text2, 40, 72, 57, 19, 7},
    {ControlId::Text1, 0, 72, 41, 19, 6},
    {ControlId::Picture5, 0, 48, 97, 25, 4},
    {ControlId::Label1, 56, 8, 33, 9, 5},
    {ControlId::Picture4, 32, 24, 33, 25, 3},
    {ControlId::Picture3, 64, 24, 33, 25, 2},
    {ControlId::Picture2, 0, 24, 33, 25, 1},
    {ControlId::Picture1, 0, 0, 97, 25, 0},
}};

inline constexpr const ControlGeometry& GeometryOf(ControlId id) {
    for (const auto& g : kFormLayout)
        if (g.id == id) return g;
    return kFormLayout[0];
}

}  // namespace vorivevo
