// For the build-time tools that draw the artwork: writing what they made to the file named on their
// command line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace vorivevo {

// 0 when the bytes are in the file; otherwise says why on stderr, in the tool's name, and gives 1.
inline int WriteToolOutput(const char* tool, const char* path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out) return 0;
    std::fprintf(stderr, "%s: cannot write %s\n", tool, path);
    return 1;
}

}  // namespace vorivevo
