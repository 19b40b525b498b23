// Conversion between the core's UTF-8 and the Windows-1252 bytes that the simulated windows hold.
#pragma once

#include <string>

namespace vorivevo::sim {

// Every character that Windows-1252 lacks, and every malformed UTF-8 sequence, becomes one '?'.
std::string Utf8ToWindows1252(const std::string& utf8);

// Total: the five bytes that Windows-1252 leaves undefined map to the C1 controls of the same value,
// as the platform's conversion does, so that any byte string survives the round trip.
std::string Windows1252ToUtf8(const std::string& ansi);

}  // namespace vorivevo::sim
