// Writes inputs that are awkward for the PNG encoder and its deflate, each beside its expected contents,
// for png_decode_test.sh to decode with ImageMagick and gzip. cases.txt lists them, one a line:
//   gz NAME MAX_BYTES                 NAME.gz, and NAME.raw: what it must inflate to
//   png NAME MAX_BYTES WIDTH HEIGHT   NAME.png, and NAME.rgb: its pixels
// MAX_BYTES (0: none) catches a compressor that still decodes right but has stopped finding matches.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "deflate.h"
#include "png_file.h"
#include "tile_art.h"

namespace {

using namespace vorivevo;
using Bytes = std::vector<std::uint8_t>;

std::string gDir;
std::ofstream gCases;

Bytes Random(std::size_t n) {
    static std::uint32_t state = 0x9E3779B9u;  // xorshift32: the same bytes on every run
    Bytes out(n);
    for (auto& b : out) {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    return out;
}

void Write(const std::string& name, const Bytes& bytes) {
    std::ofstream(gDir + "/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A gzip member holds a raw deflate stream, then the CRC-32 and the length of what it inflates to.
void GzCase(const std::string& name, const Bytes& data, std::size_t maxBytes = 0) {
    Bytes gz{0x1F, 0x8B, 8, 0, 0, 0, 0, 0, 0, 0xFF};
    const Bytes body = Deflate(data.data(), data.size());
    gz.insert(gz.end(), body.begin(), body.end());
    for (std::uint32_t v : {Crc32(data.data(), data.size()), static_cast<std::uint32_t>(data.size())})
        for (int shift : {0, 8, 16, 24}) gz.push_back(static_cast<std::uint8_t>(v >> shift));
    Write(name + ".gz", gz);
    Write(name + ".raw", data);
    gCases << "gz " << name << ' ' << maxBytes << '\n';
}

void PngCase(const std::string& name, const Image& image, std::size_t maxBytes = 0) {
    Write(name + ".png", EncodePng(image));
    Bytes rgb;
    for (Rgb c : image.pixels) rgb.insert(rgb.end(), {c.r, c.g, c.b});
    Write(name + ".rgb", rgb);
    gCases << "png " << name << ' ' << maxBytes << ' ' << image.width << ' ' << image.height << '\n';
}

Bytes Twice(const Bytes& part) {
    Bytes out = part;
    out.insert(out.end(), part.begin(), part.end());
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    gDir = argv[1];
    gCases.open(gDir + "/cases.txt");

    GzCase("empty", {});
    GzCase("one-byte", {0xFF});  // a 9-bit literal code and nothing else
    Bytes everyValue;
    for (int v = 0; v < 256; ++v) everyValue.push_back(static_cast<std::uint8_t>(v));
    GzCase("every-byte-value", everyValue);
    GzCase("long-run", Bytes(100000, 'a'), 1000);  // overlapping matches at distance 1, lengths of 258
    GzCase("no-repeats", Random(50000));
    // The farthest a match may reach, and one byte beyond it, which must go as literals.
    GzCase("distance-32768", Twice(Random(32768)), 40000);  // the first copy alone: about 34,600
    GzCase("distance-32769", Twice(Random(32769)));
    // Matches whose lengths sit at the edges of the length codes' ranges.
    const Bytes source = Random(300);
    Bytes edges = source;
    for (std::ptrdiff_t length : {3, 4, 10, 11, 12, 18, 19, 34, 35, 66, 67, 130, 131, 226, 227, 257, 258, 259}) {
        const Bytes gap = Random(7);
        edges.insert(edges.end(), gap.begin(), gap.end());
        edges.insert(edges.end(), source.begin(), source.begin() + length);
    }
    GzCase("length-edges", edges);

    PngCase("one-pixel", Image(1, 1, {0x12, 0x34, 0x56}));
    Image noise(61, 47, {0, 0, 0});
    const Bytes noiseBytes = Random(noise.pixels.size() * 3);
    for (std::size_t i = 0; i < noise.pixels.size(); ++i)
        noise.pixels[i] = {noiseBytes[3 * i], noiseBytes[3 * i + 1], noiseBytes[3 * i + 2]};
    PngCase("noise", noise);
    PngCase("flat-wide", Image(2000, 3, kFaceOrange), 400);
    // What the README shows; at 4x it must stay small, which only LZ77 across rows achieves.
    PngCase("window-4x", ScaleNearest(ComposeWindow(), 4), 6000);

    gCases.close();
    return gCases ? 0 : 1;
}
