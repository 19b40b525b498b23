// window_probe.exe: what the end-to-end tests ask of the window system that the X server cannot tell them.
//
//   window_probe style TITLE    "topmost=B toolwindow=B appwindow=B caption=B visible=B" of the top-level
//                               window titled TITLE (B is 0 or 1); exit 1 if there is none
//   window_probe close TITLE    post WM_CLOSE to it, as the task manager's "End task" does; exit 1 if none
//   window_probe raise TITLE    bring it to the front as a click on it would; exit 1 if none
//   window_probe zorder         the titles of the visible, titled top-level windows, front to back
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

HWND FindTopLevel(const char* title) { return FindWindowA(nullptr, title); }

int Flag(LONG_PTR bits, LONG_PTR flag) { return (bits & flag) != 0 ? 1 : 0; }

int PrintStyle(HWND window) {
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    std::printf("topmost=%d toolwindow=%d appwindow=%d caption=%d visible=%d\n", Flag(exStyle, WS_EX_TOPMOST),
                Flag(exStyle, WS_EX_TOOLWINDOW), Flag(exStyle, WS_EX_APPWINDOW),
                (style & WS_CAPTION) == WS_CAPTION ? 1 : 0, IsWindowVisible(window) ? 1 : 0);
    return 0;
}

// Without a window manager nobody raises a clicked window for Wine, so the probe does what the
// window manager's click would make Windows do: activate it and put it on top of its band.
int Raise(HWND window) {
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window);
    return 0;
}

int PrintZOrder() {
    for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
        if (!IsWindowVisible(window)) continue;
        char title[256] = {};
        if (GetWindowTextA(window, title, sizeof title) > 0) std::printf("%s\n", title);
    }
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: window_probe style|close|raise TITLE, or window_probe zorder\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "zorder") == 0) return PrintZOrder();
    if (argc != 3) return Usage();
    const std::string command = argv[1];
    const HWND window = FindTopLevel(argv[2]);
    if (command != "style" && command != "close" && command != "raise") return Usage();
    if (window == nullptr) {
        std::fprintf(stderr, "no top-level window titled \"%s\"\n", argv[2]);
        return 1;
    }
    if (command == "style") return PrintStyle(window);
    if (command == "raise") return Raise(window);
    return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
}
