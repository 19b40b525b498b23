// The status lines posted into the chat room, with the client's mark-up.
#pragma once

#include <string>

namespace vorivevo {

// Every line starts with these 24 characters (UTF-8 here; "÷¤" reach the client as ANSI bytes).
inline const std::string LinePrefix = "<Font Color=#FFAB3E>^v\u00F7\u00A4";

// The texts from the controls go in as they stand: no quoting, no escaping.
std::string AdvertLine(const std::string& homePage, const std::string& displayName);
std::string LoadedLine();
std::string IdleLine(const std::string& minutes);
std::string OffLine();
std::string UnloadedLine();

// The counter's next value: its leading decimal digits read as a number, plus one, as decimal digits.
// Works on the digits themselves, so no count can overflow.
std::string NextCount(const std::string& counter);

}  // namespace vorivevo
