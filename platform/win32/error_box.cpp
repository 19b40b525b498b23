#include "error_box.h"

#include "ansi_text.h"

namespace vorivevo {

void ShowErrorBox(HWND owner, const std::string& message) noexcept {
    // Topmost, or our own topmost window could hide it.
    constexpr UINT kStyle = MB_OK | MB_ICONERROR | MB_TOPMOST | MB_SETFOREGROUND;
    try {
        const std::wstring text = Utf8ToWide(message.empty() ? std::string("Unknown error") : message);
        MessageBoxW(owner, text.c_str(), L"Vorivevo", kStyle);
    } catch (...) {
        MessageBoxW(owner, L"Unknown error", L"Vorivevo", kStyle);
    }
}

}  // namespace vorivevo
