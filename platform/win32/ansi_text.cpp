#include "ansi_text.h"

#include <climits>
#include <stdexcept>

namespace vorivevo {
namespace {

// The conversion functions count in int; texts beyond that are not ours to convert.
int CheckedLength(std::size_t length) {
    if (length > static_cast<std::size_t>(INT_MAX / 4)) throw std::length_error("text too long to convert");
    return static_cast<int>(length);
}

std::wstring MultiByteToWide(UINT codePage, const char* text, std::size_t length) {
    const int count = CheckedLength(length);
    if (count == 0) return {};
    const int needed = MultiByteToWideChar(codePage, 0, text, count, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, text, count, wide.data(), needed);
    return wide;
}

std::string WideToMultiByte(UINT codePage, const wchar_t* text, std::size_t length) {
    const int count = CheckedLength(length);
    if (count == 0) return {};
    const int needed = WideCharToMultiByte(codePage, 0, text, count, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(codePage, 0, text, count, bytes.data(), needed, nullptr, nullptr);
    return bytes;
}

}  // namespace

std::wstring Utf8ToWide(const std::string& text) { return MultiByteToWide(CP_UTF8, text.data(), text.size()); }

std::string WideToUtf8(const wchar_t* text, std::size_t length) { return WideToMultiByte(CP_UTF8, text, length); }

std::string WideToUtf8(const std::wstring& text) { return WideToUtf8(text.data(), text.size()); }

std::string WideToAnsi(const wchar_t* text, std::size_t length, UINT codePage) {
    return WideToMultiByte(codePage, text, length);
}

std::wstring AnsiToWide(const char* text, std::size_t length, UINT codePage) {
    return MultiByteToWide(codePage, text, length);
}

std::wstring ThroughAnsi(const std::string& utf8, UINT codePage) {
    const std::wstring wide = Utf8ToWide(utf8);
    const std::string ansi = WideToAnsi(wide.data(), wide.size(), codePage);
    return AnsiToWide(ansi.data(), ansi.size(), codePage);
}

}  // namespace vorivevo
