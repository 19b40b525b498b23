// Deflate with the fixed Huffman codes and a greedy LZ77 search; CRC-32 and Adler-32.
#include "deflate.h"

#include <algorithm>
#include <array>

namespace vorivevo {
namespace {

constexpr std::size_t kWindow = 32768;  // bytes: the farthest a match may reach back
constexpr std::size_t kMinMatch = 3;    // bytes
constexpr std::size_t kMaxMatch = 258;  // bytes
// How many earlier places with the same first three bytes are tried: enough for the repeats of a
// scaled picture, where the best match is nearly always among the most recent ones.
constexpr int kMaxChain = 256;
constexpr int kHashBits = 15;

// Codes 257..285: the shortest length each stands for and the extra bits that add to it.
constexpr std::array<std::uint16_t, 29> kLengthBase{3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase{1,    2,    3,    4,    5,    7,     9,     13,    17,  25,
                                                      33,   49,   65,   97,   129,  193,   257,   385,   513, 769,
                                                      1025, 1537, 2049, 3073, 4097, 6145,  8193,  12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Deflate packs bits from the least significant end of each byte; Huffman codes go in from their
// most significant bit, extra bits from their least.
class BitWriter {
public:
    void Bits(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) Bit((value >> i) & 1);
    }
    void Code(std::uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i) Bit((code >> i) & 1);
    }
    std::vector<std::uint8_t> Finish() {
        if (used_ > 0) out_.push_back(pending_);
        pending_ = 0;
        used_ = 0;
        return std::move(out_);
    }

private:
    void Bit(std::uint32_t bit) {
        pending_ = static_cast<std::uint8_t>(pending_ | bit << used_);
        if (++used_ == 8) {
            out_.push_back(pending_);
            pending_ = 0;
            used_ = 0;
        }
    }

    std::vector<std::uint8_t> out_;
    std::uint8_t pending_ = 0;
    int used_ = 0;
};

// The fixed literal/length code: 0..143 in 8 bits, 144..255 in 9, 256..279 in 7, 280..287 in 8.
void PutSymbol(BitWriter& bits, unsigned symbol) {
    if (symbol < 144)
        bits.Code(0x30 + symbol, 8);
    else if (symbol < 256)
        bits.Code(0x190 + (symbol - 144), 9);
    else if (symbol < 280)
        bits.Code(symbol - 256, 7);
    else
        bits.Code(0xC0 + (symbol - 280), 8);
}

// The last table entry whose base does not exceed `value`.
template <typename Table>
std::size_t CodeIndex(const Table& bases, std::size_t value) {
    std::size_t index = bases.size() - 1;
    while (bases[index] > value) --index;
    return index;
}

void PutMatch(BitWriter& bits, std::size_t length, std::size_t distance) {
    const std::size_t l = CodeIndex(kLengthBase, length);
    PutSymbol(bits, static_cast<unsigned>(257 + l));
    bits.Bits(static_cast<std::uint32_t>(length - kLengthBase[l]), kLengthExtra[l]);
    const std::size_t d = CodeIndex(kDistanceBase, distance);
    bits.Code(static_cast<std::uint32_t>(d), 5);
    bits.Bits(static_cast<std::uint32_t>(distance - kDistanceBase[d]), kDistanceExtra[d]);
}

std::uint32_t HashAt(const std::uint8_t* p) {
    const std::uint32_t v = static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
    return (v * 2654435761u) >> (32 - kHashBits);
}

}  // namespace

std::vector<std::uint8_t> Deflate(const std::uint8_t* data, std::size_t size) {
    BitWriter bits;
    bits.Bits(1, 1);  // the last block
    bits.Bits(1, 2);  // compressed with the fixed codes

    // Positions are stored plus one, so that zero means "none".
    std::vector<std::size_t> head(std::size_t{1} << kHashBits, 0);
    std::vector<std::size_t> previous(kWindow, 0);
    auto insert = [&](std::size_t pos) {
        if (pos + kMinMatch > size) return;
        const std::uint32_t h = HashAt(data + pos);
        previous[pos % kWindow] = head[h];
        head[h] = pos + 1;
    };

    std::size_t pos = 0;
    while (pos < size) {
        std::size_t bestLength = 0, bestDistance = 0;
        if (pos + kMinMatch <= size) {
            const std::size_t limit = std::min(kMaxMatch, size - pos);
            std::size_t candidate = head[HashAt(data + pos)];
            for (int tries = 0; candidate != 0 && tries < kMaxChain; ++tries) {
                const std::size_t from = candidate - 1;
                if (pos - from > kWindow) break;
                std::size_t length = 0;
                while (length < limit && data[from + length] == data[pos + length]) ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = pos - from;
                    if (length == limit) break;
                }
                const std::size_t next = previous[from % kWindow];
                // A slot reused by a newer position ends the chain: what it pointed to is out of reach.
                if (next >= candidate) break;
                candidate = next;
            }
        }
        if (bestLength >= kMinMatch) {
            PutMatch(bits, bestLength, bestDistance);
            for (std::size_t i = 0; i < bestLength; ++i) insert(pos + i);
            pos += bestLength;
        } else {
            PutSymbol(bits, data[pos]);
            insert(pos);
            ++pos;
        }
    }
    PutSymbol(bits, 256);  // end of block
    return bits.Finish();
}

std::vector<std::uint8_t> ZlibCompress(const std::uint8_t* data, std::size_t size) {
    // Deflate with a 32 KiB window; the second byte makes the pair a multiple of 31 and says "fast".
    std::vector<std::uint8_t> out{0x78, 0x5E};
    const std::vector<std::uint8_t> body = Deflate(data, size);
    out.insert(out.end(), body.begin(), body.end());
    const std::uint32_t adler = Adler32(data, size);
    for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<std::uint8_t>(adler >> shift));
    return out;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t Adler32(const std::uint8_t* data, std::size_t size) {
    constexpr std::uint32_t kModulus = 65521;  // the largest prime below 2^16
    std::uint32_t a = 1, b = 0;
    for (std::size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % kModulus;
        b = (b + a) % kModulus;
    }
    return b << 16 | a;
}

}  // namespace vorivevo
