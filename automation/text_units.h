// Positions in a box's text as the box counts them (UTF-16 units), over our UTF-8 strings.
#pragma once

#include <algorithm>
#include <optional>
#include <string>

namespace vorivevo {

// A byte that continues a UTF-8 character rather than beginning one.
inline bool IsFollowingByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// The units a UTF-8 text takes in the box: one a character, two for one beyond the 16-bit range.
inline unsigned CharactersIn(const std::string& text) {
    unsigned units = 0;
    for (const char c : text)
        if (!IsFollowingByte(c)) units += static_cast<unsigned char>(c) >= 0xF0 ? 2 : 1;
    return units;
}

// Where the box's unit `position` starts in UTF-8 `text` (its end when the text is shorter).
inline std::size_t Utf8Offset(const std::string& text, unsigned position) {
    std::size_t offset = 0;
    for (unsigned units = 0; offset < text.size() && units < position;) {
        const auto lead = static_cast<unsigned char>(text[offset]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        units += length == 4 ? 2 : 1;
        offset = std::min(text.size(), offset + length);
    }
    return offset;
}

// A text of ours, or part of one, in `text`. Four characters in a row are enough to tell, and a text cut
// or changed by the box keeps at least that much of what it was given.
inline bool HoldsTraceOf(const std::string& text, const std::string& ours) {
    constexpr std::size_t kTrace = 4;
    if (ours.empty()) return false;
    const std::size_t length = std::min(kTrace, ours.size());
    for (std::size_t at = 0; at + length <= ours.size(); ++at)
        if (text.find(ours.data() + at, 0, length) != std::string::npos) return true;
    return false;
}

// How many of the characters of `text` `now` still holds in their order (taken greedily, a lower bound).
inline unsigned CharactersKeptInOrder(const std::string& now, const std::string& text) {
    unsigned kept = 0;
    std::size_t from = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8Offset(text.substr(at, 4), 1);
        const std::size_t found = now.find(text.data() + at, from, length);
        if (found != std::string::npos) {
            ++kept;
            from = found + length;
        }
        at += length;
    }
    return kept;
}

// The characters of `now` that are not of `ours`, in the order the box holds them, when all of `ours` is
// there in order among them: the user typed into our text at one place or more, with caret keys between.
// `before` (when given) counts the units of those that come before the box's unit `caret`.
inline std::optional<std::string> KeysAmong(const std::string& now, const std::string& ours, unsigned caret = 0,
                                            unsigned* before = nullptr) {
    std::string keys;
    std::size_t mine = 0;
    unsigned units = 0;
    if (before != nullptr) *before = 0;
    for (std::size_t at = 0; at < now.size();) {
        const std::size_t length = Utf8Offset(now.substr(at, 4), 1);
        const std::string character = now.substr(at, length);
        const bool ourCharacter = mine < ours.size() && ours.compare(mine, length, character) == 0;
        if (ourCharacter) mine += length;
        if (!ourCharacter) keys += character;
        if (!ourCharacter && before != nullptr && units < caret) *before += CharactersIn(character);
        units += CharactersIn(character);
        at += length;
    }
    if (mine != ours.size()) return std::nullopt;
    return keys;
}

}  // namespace vorivevo
