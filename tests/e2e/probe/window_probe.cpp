// window_probe.exe: what the end-to-end tests ask of the window system that the X server cannot tell them.
//
//   window_probe style TITLE    "topmost=B toolwindow=B appwindow=B caption=B visible=B" of the top-level
//                               window titled TITLE (B is 0 or 1); exit 1 if there is none
//   window_probe close TITLE    post WM_CLOSE to it, as the task manager's "End task" does; exit 1 if none
//   window_probe raise TITLE    bring it to the front as a click on it would; exit 1 if none
//   window_probe zorder         the titles of the visible, titled top-level windows, front to back
//   window_probe tooltip TITLE  "left top right bottom" (screen pixels), then the text, of the tooltip
//                               that TITLE's program shows now; exit 1 if it shows none
//   window_probe accessible TITLE X Y [press]
//                               "role=N name=TEXT" of the child of TITLE at its client pixel (X, Y), as
//                               a screen reader reads it, then "description=TEXT"; with press, also its
//                               default action done as a screen reader would; exit 1 if it has no object
// Texts are printed as UTF-8.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>

namespace {

std::string Utf8(const wchar_t* text, int length) {
    if (text == nullptr || length <= 0) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    return out;
}

struct ToolTipSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindVisibleToolTip(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<ToolTipSearch*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (process != search.process || !IsWindowVisible(window) || _wcsicmp(className, L"tooltips_class32") != 0)
        return TRUE;
    search.found = window;
    return FALSE;
}

// The text of the tool a tooltip shows, as the tooltip itself hands it over: TTM_GETTEXT writes into
// memory of the tooltip's own process, so the request is made there. (Not every tooltip answers
// WM_GETTEXT with its tip.) The probe and the tooltip must be of one architecture.
std::string ToolTipText(HWND tooltip, DWORD processId) {
    constexpr std::size_t kChars = 2048;
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr) return "<cannot open the tooltip's process>";
    std::string text = "<no current tool>";
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, sizeof(TTTOOLINFOW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    if (remote != nullptr && WriteProcessMemory(process, remote, &tool, sizeof tool, nullptr) &&
        SendMessageW(tooltip, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(remote)) &&
        ReadProcessMemory(process, remote, &tool, sizeof tool, nullptr)) {
        tool.lpszText = reinterpret_cast<wchar_t*>(remote + sizeof(TTTOOLINFOW));
        const wchar_t empty = L'\0';
        WriteProcessMemory(process, tool.lpszText, &empty, sizeof empty, nullptr);
        WriteProcessMemory(process, remote, &tool, sizeof tool, nullptr);
        SendMessageW(tooltip, TTM_GETTEXTW, kChars, reinterpret_cast<LPARAM>(remote));
        wchar_t buffer[kChars] = {};
        ReadProcessMemory(process, tool.lpszText, buffer, sizeof buffer - sizeof(wchar_t), nullptr);
        text = Utf8(buffer, static_cast<int>(wcslen(buffer)));
    }
    if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return text;
}

int PrintToolTip(HWND owner) {
    ToolTipSearch search{0, nullptr};
    GetWindowThreadProcessId(owner, &search.process);
    EnumWindows(&FindVisibleToolTip, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) return 1;
    RECT rect{};
    GetWindowRect(search.found, &rect);
    std::printf("%ld %ld %ld %ld\n%s\n", rect.left, rect.top, rect.right, rect.bottom,
                ToolTipText(search.found, search.process).c_str());
    return 0;
}

int PrintAccessible(HWND window, int x, int y, bool press) {
    POINT point{x, y};
    const HWND child = ChildWindowFromPointEx(window, point, CWP_SKIPINVISIBLE);
    if (child == nullptr || child == window) {
        std::fprintf(stderr, "no child window at (%d, %d)\n", x, y);
        return 1;
    }
    CoInitialize(nullptr);
    IAccessible* object = nullptr;
    HRESULT result = AccessibleObjectFromWindow(child, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                reinterpret_cast<void**>(&object));
    if (FAILED(result) || object == nullptr) {
        std::fprintf(stderr, "AccessibleObjectFromWindow: 0x%08lx\n", static_cast<unsigned long>(result));
        return 1;
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role;
    VariantInit(&role);
    BSTR name = nullptr;
    BSTR description = nullptr;
    object->get_accRole(self, &role);
    object->get_accName(self, &name);
    object->get_accDescription(self, &description);
    std::printf("role=%ld name=%s\ndescription=%s\n", role.vt == VT_I4 ? role.lVal : -1L,
                Utf8(name, static_cast<int>(SysStringLen(name))).c_str(),
                Utf8(description, static_cast<int>(SysStringLen(description))).c_str());
    SysFreeString(name);
    SysFreeString(description);
    if (press) result = object->accDoDefaultAction(self);
    object->Release();
    return press && FAILED(result) ? 1 : 0;
}

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
    std::fprintf(stderr,
                 "usage: window_probe style|close|raise|tooltip TITLE, window_probe accessible TITLE X Y [press],"
                 " or window_probe zorder\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "zorder") == 0) return PrintZOrder();
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    const bool accessible = command == "accessible" && (argc == 5 || (argc == 6 && std::strcmp(argv[5], "press") == 0));
    if (!accessible && (argc != 3 || (command != "style" && command != "close" && command != "raise" &&
                                      command != "tooltip")))
        return Usage();
    const HWND window = FindTopLevel(argv[2]);
    if (window == nullptr) {
        std::fprintf(stderr, "no top-level window titled \"%s\"\n", argv[2]);
        return 1;
    }
    if (accessible) return PrintAccessible(window, std::atoi(argv[3]), std::atoi(argv[4]), argc == 6);
    if (command == "style") return PrintStyle(window);
    if (command == "raise") return Raise(window);
    if (command == "tooltip") return PrintToolTip(window);
    return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
}
