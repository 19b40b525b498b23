// The window-system operations over user32, bounded so that a hung window cannot stall our only thread.
#pragma once

#include "win32_api.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "window_system.h"

namespace vorivevo {

// Handles cross the core as 32 bits. The platform keeps window handles within 32 bits and sign-extends
// them on 64-bit Windows, which also turns 0xFFFFFFFF back into HWND_TOPMOST.
inline HWND ToHwnd(WindowHandle window) noexcept {
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(window)));
}
inline WindowHandle ToWindowHandle(HWND window) noexcept {
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

// Messages to windows of other threads (other programs') go through SendMessageTimeout with
// SMTO_ABORTIFHUNG; one that fails or is not answered in time is Delivery::NoAnswer (and see
// kUnansweredHoldMs), and the platform still hands it to the window later. Messages to our own thread's
// windows are sent plainly, so that the system's move loop started by WM_NCLBUTTONDOWN runs inside the
// call. Text travels as UTF-16 (the ANSI messages are not bounded by the time-out under every
// implementation) after passing through the ANSI code page, so the window gets what an ANSI call would
// have given it, and lengths and buffer sizes count ANSI characters.
//
// The plain-LParam SendMessageA also takes the text messages: WM_GETTEXTLENGTH counts ANSI characters,
// WM_SETTEXT takes a NUL-terminated UTF-8 string, WM_GETTEXT fills a char buffer of wParam bytes with
// UTF-8, NUL-terminated. TextIn serves only WM_SETTEXT and TextBuffer only WM_GETTEXT; any other message
// with them is not sent and answers 0. A WM_GETTEXT that fails leaves the TextBuffer as it was. The
// answer to WM_GETTEXTLENGTH and WM_GETTEXT counts ANSI characters.
class Win32WindowSystem final : public WindowSystem {
public:
    static constexpr UINT kDefaultTimeoutMs = 2000;
    // After a thread has left a message unanswered, further messages to its windows fail at once for
    // this long (milliseconds), so that a hung client costs one time-out per post, not one per message,
    // and Exit still ends soon.
    static constexpr ULONGLONG kUnansweredHoldMs = 5000;
    // The most characters a read accepts: a window that reports more is read only this far.
    static constexpr std::size_t kMaxTextChars = std::size_t{1} << 20;

    explicit Win32WindowSystem(UINT timeoutMs = kDefaultTimeoutMs, UINT codePage = CP_ACP) noexcept;

    WindowHandle FindWindowA(const std::string& className) override;
    WindowHandle GetWindow(WindowHandle window, unsigned command) override;
    int GetClassNameA(WindowHandle window, char* buffer, int size) override;
    Reply Send(WindowHandle window, Message message, WParam wParam, LParam lParam) override;
    Reply Send(WindowHandle window, Message message, WParam wParam, TextIn lParam) override;
    Reply Send(WindowHandle window, Message message, WParam wParam, TextBuffer lParam) override;
    void SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                      unsigned flags) override;
    void ReleaseCapture() override;

private:
    Reply SendWide(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;
    Reply AnsiTextLength(HWND window) const;
    Reply SetText(HWND window, const std::string& utf8) const;
    Reply GetText(HWND window, WParam size, std::string& text) const;

    UINT timeoutMs_;
    UINT codePage_;
    mutable DWORD unansweredThread_ = 0;
    mutable ULONGLONG unansweredUntil_ = 0;
};

}  // namespace vorivevo
