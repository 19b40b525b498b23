// UTF-8, UTF-16 and ANSI conversions through the Win32 code-page functions.
#include "text_codec.h"

#include <windows.h>

namespace vorivevo::practice {

namespace {

std::wstring ToWide(UINT codePage, DWORD flags, const std::string& text, bool& ok) {
    ok = true;
    if (text.empty()) return {};
    int size = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0) {
        ok = false;
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string FromWide(UINT codePage, const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string narrow(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size, nullptr,
                        nullptr);
    return narrow;
}

}  // namespace

std::wstring Utf8ToWide(const std::string& text) {
    bool ok = false;
    return ToWide(CP_UTF8, 0, text, ok);
}

std::string WideToUtf8(const std::wstring& text) {
    return FromWide(CP_UTF8, text);
}

std::string ToAnsi(const std::string& text) {
    bool ok = false;
    std::wstring wide = ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, text, ok);
    return ok ? FromWide(CP_ACP, wide) : text;
}

}  // namespace vorivevo::practice
