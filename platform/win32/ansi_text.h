// Text conversions at the window-system boundary: the core's UTF-8, the platform's UTF-16 and the
// machine's ANSI code page.
#pragma once

#include "win32_api.h"

#include <cstddef>
#include <string>

namespace vorivevo {

// Invalid UTF-8 turns into U+FFFD, as the platform's own conversion does.
std::wstring Utf8ToWide(const std::string& text);
// Keeps embedded NULs: every one of the `length` characters is converted.
std::string WideToUtf8(const wchar_t* text, std::size_t length);
std::string WideToUtf8(const std::wstring& text);

// Characters that the code page lacks become its default character, as the ANSI calls do.
std::string WideToAnsi(const wchar_t* text, std::size_t length, UINT codePage = CP_ACP);
std::wstring AnsiToWide(const char* text, std::size_t length, UINT codePage = CP_ACP);

// UTF-8 to what an ANSI call would hand a window, back in UTF-16: the text passes through the code
// page, so a character that the code page lacks reaches the window as the default character.
std::wstring ThroughAnsi(const std::string& utf8, UINT codePage = CP_ACP);

}  // namespace vorivevo
