// Escaping and framing of the practice client's log records.
#include "log_format.h"

#include <cstdio>

namespace vorivevo::practice {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void AppendHexEscape(std::string& out, unsigned char byte) {
    static const char digits[] = "0123456789ABCDEF";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

}  // namespace

std::string EscapeForLog(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out += c;
        } else {
            AppendHexEscape(out, byte);
        }
    }
    return out;
}

std::string EscapeReceivedText(const std::string& bytes) {
    std::string out = EscapeForLog(bytes);
    if (!out.empty() && out[0] == '#') out.replace(0, 1, "\\x23");
    return out;
}

std::string DecodeEscapes(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            int high = HexValue(text[i + 2]);
            int low = HexValue(text[i + 3]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string FormatRecord(std::uint64_t epochMilliseconds, const std::string& body) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%llu.%03u", static_cast<unsigned long long>(epochMilliseconds / 1000),
                  static_cast<unsigned>(epochMilliseconds % 1000));
    std::string record = stamp;
    record += '\t';
    record += body;
    record += '\n';
    return record;
}

}  // namespace vorivevo::practice
