// Conversion between the core's UTF-8, the Windows-1252 bytes that reach the simulated windows through
// ANSI messages, and the UTF-16 text that the windows hold, as Unicode windows do.
#pragma once

#include <string>

namespace vorivevo::sim {

// Every character that Windows-1252 lacks, and every malformed UTF-8 sequence, becomes one '?'.
std::string Utf8ToWindows1252(const std::string& utf8);

// Total: the five bytes that Windows-1252 leaves undefined map to the C1 controls of the same value,
// as the platform's conversion does, so that any byte string survives the round trip.
std::string Windows1252ToUtf8(const std::string& ansi);

// A malformed UTF-8 sequence becomes U+FFFD; a character beyond the BMP, two surrogates.
std::u16string Utf8ToUtf16(const std::string& utf8);
std::string Utf16ToUtf8(const std::u16string& utf16);

// One character for each byte, and one byte for each UTF-16 unit: '?' for every unit that Windows-1252
// lacks (each half of a surrogate pair included), as the platform's ANSI conversion does.
std::u16string Windows1252ToUtf16(const std::string& ansi);
std::string Utf16ToWindows1252(const std::u16string& utf16);
bool InWindows1252(char16_t unit);

}  // namespace vorivevo::sim
