// A small deterministic deflate compressor and the two checksums that its containers carry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorivevo {

// A raw deflate stream of `size` bytes: one block with the fixed Huffman codes, matches found by a
// greedy LZ77 search over the last 32 KiB. Our own code, so that the same input always gives the same
// bytes, whatever library version the machine has.
std::vector<std::uint8_t> Deflate(const std::uint8_t* data, std::size_t size);

// A zlib stream (header, deflate, Adler-32 of the input), as a PNG's image data holds it.
std::vector<std::uint8_t> ZlibCompress(const std::uint8_t* data, std::size_t size);

// The CRC of PNG chunks and gzip members (polynomial 0xEDB88320); pass the previous result to continue.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);

std::uint32_t Adler32(const std::uint8_t* data, std::size_t size);

}  // namespace vorivevo
