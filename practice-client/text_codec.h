// Conversions between the texts we are handed (UTF-8, UTF-16) and the ANSI code page our windows use.
#pragma once

#include <string>

namespace vorivevo::practice {

std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

// Valid UTF-8 is converted to the ANSI code page (1252 under our Wine set-up, so "÷¤" becomes the
// bytes F7 A4). Anything else is taken to be ANSI bytes already and returned as it is, so a test
// can also write raw bytes.
std::string ToAnsi(const std::string& text);

}  // namespace vorivevo::practice
