// Build-time tool: writes a PNG of the window as it first shows, enlarged by a whole factor.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "control_layout.h"
#include "pixel_font.h"
#include "png_file.h"
#include "tile_art.h"
#include "tool_output.h"

namespace {

using namespace vorivevo;

// The platform draws the idle-minutes counter over the idle panel, in a system font that portable code
// does not have; our own face sets its first value in the same place (centred across the counter's
// rectangle, top-aligned), so that the picture reads as the window does.
Image WindowAtStartUp() {
    constexpr std::string_view kInitialCount = "0";
    Image window = ComposeWindow();
    const ControlGeometry& panel = GeometryOf(ControlId::IdlePanel);
    const ControlGeometry& counter = GeometryOf(ControlId::IdleCounter);
    const int x = panel.x + counter.x + (counter.width - LetteringWidth(kInitialCount)) / 2;
    DrawLettering(window, x, panel.y + counter.y, kInitialCount, kLetteringBlack);
    return window;
}

}  // namespace

int main(int argc, char** argv) {
    const int factor = argc == 3 ? std::atoi(argv[2]) : 1;
    if (argc < 2 || argc > 3 || factor < 1) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [FACTOR]   (FACTOR: a whole number, 1 or more)\n", argv[0]);
        return 2;
    }
    return WriteToolOutput(argv[0], argv[1], EncodePng(ScaleNearest(WindowAtStartUp(), factor)));
}
