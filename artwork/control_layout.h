// The window's parts: what each shows and does, where it sits in pixels at 96 dots per inch, and in
// which order they stack.
//
// Left to right, top to bottom (with the names a form designer gave them, for whoever knows those):
//
//   part            shows                          does                                      designer's name
//   NameBar         "-[ VORIVEVO ]-"               drag the window by it                     Picture1, MouseDown
//   StartTile       ON                             Start: posts the idle line every minute   Picture2, Click
//   ExitTile        X                              Exit: posts "Now Unloaded", then ends     Picture4, Click
//   StopTile        OFF                            Stop: posts "Status: Off!", count to 0    Picture3, Click
//   IdlePanel       IDLE FOR: and the counter      nothing                                   Picture5
//   IdleCounter     the idle minutes               drawn on the idle panel                   Label1
//   HomePageBox     the home page address          typed into (Tab); the advertisement       Text1
//                   (only its top edge shows)      line links to it
//   DisplayNameBox  the display name (the same)    typed into; the advertisement shows it    Text2
//   the dialog timer                               presses the client's dialogs every second Timer1
//   the window      the caption "Form1"            found by it                               Form1
#pragma once

#include <array>
#include <cstddef>

namespace vorivevo {

// Topmost first: the order the controls stack in, and their places in kWindowLayout.
enum class ControlId { DisplayNameBox, HomePageBox, IdlePanel, IdleCounter, ExitTile, StopTile, StartTile, NameBar };
inline constexpr std::size_t kControlCount = 8;

// The five tiles, each a child window with a bitmap: left to right, top to bottom.
inline constexpr ControlId kTiles[] = {ControlId::NameBar, ControlId::StartTile, ControlId::ExitTile,
                                       ControlId::StopTile, ControlId::IdlePanel};

constexpr bool IsTile(ControlId id) {
    for (const ControlId tile : kTiles)
        if (tile == id) return true;
    return false;
}

struct ControlGeometry {
    ControlId id;
    int x, y, width, height;  // pixels at 96 DPI (15 twips each); the counter relative to the idle panel
    int tabIndex;             // -1: takes no focus
};

inline constexpr int kWindowWidth = 96;   // pixels at 96 DPI: 1440 twips
inline constexpr int kWindowHeight = 73;  // pixels at 96 DPI: 1095 twips
inline constexpr int kTwipsPerPixel = 15;

// Topmost first, as ControlId lists them. The name bar and the idle panel are one pixel wider than the
// window, and the text boxes reach 18 rows below it: only their top border row shows.
inline constexpr std::array<ControlGeometry, kControlCount> kWindowLayout{{
    {ControlId::DisplayNameBox, 40, 72, 57, 19, 7},
    {ControlId::HomePageBox, 0, 72, 41, 19, 6},
    {ControlId::IdlePanel, 0, 48, 97, 25, 4},
    {ControlId::IdleCounter, 56, 8, 33, 9, 5},
    {ControlId::ExitTile, 32, 24, 33, 25, 3},
    {ControlId::StopTile, 64, 24, 33, 25, 2},
    {ControlId::StartTile, 0, 24, 33, 25, 1},
    {ControlId::NameBar, 0, 0, 97, 25, 0},
}};

constexpr bool EachControlAtItsPlace() {
    for (std::size_t i = 0; i < kWindowLayout.size(); ++i)
        if (static_cast<std::size_t>(kWindowLayout[i].id) != i) return false;
    return true;
}
static_assert(EachControlAtItsPlace(), "kWindowLayout lists the controls in ControlId's order");

// Every ControlId has its entry, so there is no id to miss.
constexpr const ControlGeometry& GeometryOf(ControlId id) { return kWindowLayout[static_cast<std::size_t>(id)]; }

}  // namespace vorivevo
