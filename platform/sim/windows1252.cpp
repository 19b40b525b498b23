// Windows-1252: bytes 00-7F and A0-FF are the code points of the same value; 80-9F are the table below.
#include "windows1252.h"

#include <cstdint>

namespace vorivevo::sim {

namespace {

// The code points of bytes 80 to 9F. The five undefined bytes (81, 8D, 8F, 90, 9D) stand for the C1
// controls of the same value, which is how the platform round-trips them.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char ToAnsi(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) return static_cast<char>(codePoint);
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == codePoint) return static_cast<char>(0x80 + i);
    }
    return '?';
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

constexpr char32_t kBadCharacter = 0xFFFFFFFF;

// The code point that starts at utf8[i], moving i past it; kBadCharacter for a malformed sequence.
char32_t NextCodePoint(const std::string& utf8, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    int length = 0;
    char32_t codePoint = 0;
    if (lead < 0x80) {
        length = 1;
        codePoint = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
    } else {
        ++i;
        return kBadCharacter;
    }
    int taken = 1;
    while (taken < length && i + taken < utf8.size() && IsContinuation(static_cast<unsigned char>(utf8[i + taken]))) {
        codePoint = (codePoint << 6) | (static_cast<unsigned char>(utf8[i + taken]) & 0x3F);
        ++taken;
    }
    i += taken;
    // A cut-off sequence, an overlong form, a surrogate or a value past U+10FFFF is one bad character.
    const bool complete = taken == length;
    const bool overlong = (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
    const bool outOfRange = (codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF;
    return complete && !overlong && !outOfRange ? codePoint : kBadCharacter;
}

char32_t FromAnsi(unsigned char byte) { return (byte >= 0x80 && byte < 0xA0) ? kHighControls[byte - 0x80] : byte; }

}  // namespace

std::string Utf8ToWindows1252(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t codePoint = NextCodePoint(utf8, i);
        out += codePoint == kBadCharacter ? '?' : ToAnsi(codePoint);
    }
    return out;
}

std::string Windows1252ToUtf8(const std::string& ansi) {
    std::string out;
    out.reserve(ansi.size() + ansi.size() / 4);
    for (const char c : ansi) AppendUtf8(out, FromAnsi(static_cast<unsigned char>(c)));
    return out;
}

std::u16string Utf8ToUtf16(const std::string& utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t codePoint = NextCodePoint(utf8, i);
        if (codePoint == kBadCharacter) codePoint = 0xFFFD;
        if (codePoint < 0x10000) {
            out += static_cast<char16_t>(codePoint);
        } else {
            out += static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t unit = utf16[i];
        const bool pair = unit >= 0xD800 && unit < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
                          utf16[i + 1] < 0xE000;
        if (pair) {
            AppendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? char32_t{0xFFFD} : char32_t{unit});
        }
    }
    return out;
}

std::u16string Windows1252ToUtf16(const std::string& ansi) {
    std::u16string out;
    out.reserve(ansi.size());
    for (const char c : ansi) out += static_cast<char16_t>(FromAnsi(static_cast<unsigned char>(c)));
    return out;
}

bool InWindows1252(char16_t unit) { return unit == u'?' || ToAnsi(unit) != '?'; }

std::string Utf16ToWindows1252(const std::u16string& utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (const char16_t unit : utf16) out += ToAnsi(unit);
    return out;
}

}  // namespace vorivevo::sim
