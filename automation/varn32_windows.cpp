// The window primitives and the timed wait.
#include <algorithm>
#include <cctype>

#include "varn32.h"

namespace vorivevo {

namespace {

bool ClassMatches(const std::string& className, const std::string& pattern) {
    if (className.size() < pattern.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        auto upper = [](char c) { return std::toupper(static_cast<unsigned char>(c)); };
        if (upper(className[i]) != upper(pattern[i])) return false;
    }
    return true;
}

}  // namespace

WindowHandle Varn32::FindChildByClass(WindowHandle parent, const std::string& pattern) {
    WindowHandle child = windows_.GetWindow(parent, GW_CHILD);
    for (int walked = 0; child != kNoWindow && walked < kMaxSiblingWalk; ++walked) {
        // The whole 250-character buffer is compared, so a class shorter than the pattern meets a NUL.
        if (ClassMatches(WindowClassOf(child), pattern)) return child;
        child = windows_.GetWindow(child, GW_HWNDNEXT);
    }
    return kNoWindow;
}

std::string Varn32::WindowClassOf(WindowHandle window) {
    std::string buffer(kClassBufferLength, '\0');
    windows_.GetClassNameA(window, buffer.data(), kClassBufferLength);
    return buffer;
}

std::string Varn32::ReadWindowText(WindowHandle window) {
    const LResult claimed = windows_.SendMessageA(window, WM_GETTEXTLENGTH, 0, LParam{0});
    const long length = static_cast<long>(std::clamp<LResult>(claimed, 0, kMaxTextLength));
    std::string buffer(static_cast<std::size_t>(length), ' ');
    windows_.SendMessageA(window, WM_GETTEXT, static_cast<WParam>(length) + 1, TextBuffer{buffer});
    return buffer;
}

void Varn32::WriteWindowText(WindowHandle window, const std::string& text) {
    windows_.SendMessageA(window, WM_SETTEXT, 0, TextIn{text});
}

void Varn32::PressWindow(WindowHandle window) {
    windows_.SendMessageA(window, WM_LBUTTONDOWN, 0, LParam{0});
    windows_.SendMessageA(window, WM_LBUTTONUP, 0, LParam{0});
}

void Varn32::PinAboveAll(WindowHandle window) {
    windows_.SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void Varn32::BeginWindowDrag(WindowHandle window) {
    runtime_.DoEvents();
    windows_.ReleaseCapture();
    // Runs the system's move loop; returns when the button is released.
    windows_.SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, LParam{0});
}

void Varn32::WaitSeconds(double seconds) {
    // The monotonic clock, not the clock of the day: a wait across midnight still lasts `seconds`. The
    // deadline is worked out once and compared as it is, so that rounding cannot leave the wait
    // short of a deadline that the runtime's wait already reached.
    const double deadline = runtime_.MonotonicSeconds() + std::max(seconds, 0.0);
    for (;;) {
        if (runtime_.MonotonicSeconds() >= deadline) return;
        runtime_.DoEvents();
        if (runtime_.MonotonicSeconds() >= deadline) return;
        runtime_.WaitForEvent(deadline);
    }
}

}  // namespace vorivevo
