// Build-time tool: writes the program's icon to the .ico file named on its command line.
#include <cstdio>

#include "tile_art.h"
#include "tool_output.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.ico\n", argv[0]);
        return 2;
    }
    return vorivevo::WriteToolOutput(argv[0], argv[1], vorivevo::RenderIconFile());
}
