// PNG chunks around our own zlib stream.
#include "png_file.h"

#include <stdexcept>
#include <string_view>

#include "deflate.h"

namespace vorivevo {
namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Length, type, data, and a CRC over type and data.
void PutChunk(std::vector<std::uint8_t>& out, std::string_view type, const std::vector<std::uint8_t>& data) {
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    PutU32(out, Crc32(out.data() + typeAt, out.size() - typeAt));
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const Image& image) {
    if (image.width <= 0 || image.height <= 0) throw std::invalid_argument("EncodePng: the image has no pixels");

    std::vector<std::uint8_t> header;
    PutU32(header, static_cast<std::uint32_t>(image.width));
    PutU32(header, static_cast<std::uint32_t>(image.height));
    constexpr std::uint8_t kBitDepth = 8, kTrueColour = 2;
    header.insert(header.end(), {kBitDepth, kTrueColour, 0 /* deflate */, 0 /* adaptive filters */, 0 /* no interlace */});

    // Every row with filter 0: the scaled picture's repeats are what LZ77 finds best as they are.
    std::vector<std::uint8_t> raw;
    raw.reserve(static_cast<std::size_t>(image.height) * (1 + 3 * static_cast<std::size_t>(image.width)));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < image.width; ++x) {
            const Rgb c = image.At(x, y);
            raw.insert(raw.end(), {c.r, c.g, c.b});
        }
    }

    std::vector<std::uint8_t> file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", ZlibCompress(raw.data(), raw.size()));
    PutChunk(file, "IEND", {});
    return file;
}

}  // namespace vorivevo
