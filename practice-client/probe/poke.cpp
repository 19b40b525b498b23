// poke.exe: a console probe that drives the practice client from another process the way the companion does.
//
//   poke locate              where the chat room is; exit 1 if there is none
//   poke post TEXT           post TEXT (\xHH escapes allowed) keeping the draft; exit 2 if never taken
//   poke read                print the entry box's text, escaped like the log
//   poke press-palette       press the first icon of the topmost palette; exit 1 if none
//   poke press-modal         the same for the topmost modal dialog
//   poke tree                print the client's window tree
//   poke transcript          the room's transcript: its rectangle on the screen, then its lines
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "../log_format.h"

using vorivevo::practice::DecodeEscapes;
using vorivevo::practice::EscapeForLog;

namespace {

// Presses repeated until the box empties; past this the client is taken to refuse the line.
constexpr int kMaxSendPresses = 20;
// How many MDI children after the first one the room search looks at.
constexpr int kMaxRoomSearchSteps = 100;

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool ClassStartsWith(HWND window, const char* prefix) {
    std::string name = ClassOf(window);
    std::size_t length = std::strlen(prefix);
    return name.size() >= length && _strnicmp(name.c_str(), prefix, length) == 0;
}

HWND FindChildByClass(HWND parent, const char* prefix) {
    if (!parent) return nullptr;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassStartsWith(child, prefix)) return child;
    }
    return nullptr;
}

HWND Next(HWND window, int steps) {
    for (int i = 0; i < steps && window; ++i) window = GetWindow(window, GW_HWNDNEXT);
    return window;
}

// The room and its place among the MDI children counting from the top (1 = topmost).
HWND LocateRoom(int* position) {
    HWND mdi = FindChildByClass(FindWindowA("AOL Frame25", nullptr), "MDIClient");
    HWND child = mdi ? GetWindow(mdi, GW_CHILD) : nullptr;
    for (int step = 0; child && step <= kMaxRoomSearchSteps; ++step, child = GetWindow(child, GW_HWNDNEXT)) {
        if (FindChildByClass(child, "RICHCNTL") && FindChildByClass(child, "_AOL_Listbox")) {
            if (position) *position = step + 1;
            return child;
        }
    }
    return nullptr;
}

HWND LocateEntry() {
    return Next(FindChildByClass(LocateRoom(nullptr), "RICHCNTL"), 7);
}

HWND LocateSend() {
    return Next(FindChildByClass(LocateRoom(nullptr), "_AOL_ICON"), 6);
}

std::string ReadText(HWND window) {
    if (!window) return {};
    auto length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    auto copied = SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void WriteText(HWND window, const std::string& text) {
    if (window) SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Press(HWND window) {
    if (!window) return;
    SendMessageA(window, WM_LBUTTONDOWN, 0, 0);
    SendMessageA(window, WM_LBUTTONUP, 0, 0);
}

int Locate() {
    int position = 0;
    HWND room = LocateRoom(&position);
    if (!room) {
        std::printf("no room\n");
        return 1;
    }
    std::printf("room %d entry %s send %s\n", position, ClassOf(LocateEntry()).c_str(), ClassOf(LocateSend()).c_str());
    return 0;
}

int Post(const std::string& line) {
    if (!LocateRoom(nullptr)) {
        std::printf("no room\n");
        return 1;
    }
    DWORD start = GetTickCount();
    std::string draft = ReadText(LocateEntry());
    WriteText(LocateEntry(), "");
    WriteText(LocateEntry(), line);
    int presses = 0;
    while (!ReadText(LocateEntry()).empty() && presses < kMaxSendPresses) {
        Press(LocateSend());
        ++presses;
    }
    bool sent = ReadText(LocateEntry()).empty();
    if (!sent) WriteText(LocateEntry(), "");
    WriteText(LocateEntry(), draft);
    std::printf("%s after %d press(es) in %lu ms; draft %s\n", sent ? "sent" : "not sent", presses,
                static_cast<unsigned long>(GetTickCount() - start), EscapeForLog(draft).c_str());
    return sent ? 0 : 2;
}

int PressDialog(const char* className) {
    HWND icon = FindChildByClass(FindWindowA(className, nullptr), "_AOL_Icon");
    if (!icon) {
        std::printf("no %s\n", className);
        return 1;
    }
    Press(icon);
    std::printf("pressed\n");
    return 0;
}

void PrintTree(HWND window, int depth) {
    for (; window; window = GetWindow(window, GW_HWNDNEXT)) {
        std::printf("%*s%s \"%s\"\n", depth * 2, "", ClassOf(window).c_str(), EscapeForLog(ReadText(window)).c_str());
        PrintTree(GetWindow(window, GW_CHILD), depth + 1);
    }
}

// "LEFT TOP RIGHT BOTTOM" (screen pixels, right and bottom excluded), then each line of its text, escaped.
int Transcript() {
    HWND transcript = FindChildByClass(LocateRoom(nullptr), "RICHCNTL");
    RECT rect{};
    if (!transcript || !GetWindowRect(transcript, &rect)) {
        std::printf("no room\n");
        return 1;
    }
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    const std::string text = ReadText(transcript);
    for (std::size_t begin = 0; begin < text.size();) {
        std::size_t end = text.find_first_of("\r\n", begin);
        if (end == std::string::npos) end = text.size();
        std::printf("%s\n", EscapeForLog(text.substr(begin, end - begin)).c_str());
        begin = text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
    }
    return 0;
}

int Tree() {
    HWND frame = FindWindowA("AOL Frame25", nullptr);
    if (frame) PrintTree(frame, 0);
    for (const char* dialogClass : {"_AOL_Palette", "_AOL_Modal"}) {
        for (HWND dialog = FindWindowExA(nullptr, nullptr, dialogClass, nullptr); dialog;
             dialog = FindWindowExA(nullptr, dialog, dialogClass, nullptr)) {
            std::printf("%s \"%s\"\n", dialogClass, EscapeForLog(ReadText(dialog)).c_str());
            PrintTree(GetWindow(dialog, GW_CHILD), 1);
        }
    }
    return frame ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "locate" && argc == 2) return Locate();
    if (command == "post" && argc == 3) return Post(DecodeEscapes(argv[2]));
    if (command == "read" && argc == 2) {
        std::printf("%s\n", EscapeForLog(ReadText(LocateEntry())).c_str());
        return LocateEntry() ? 0 : 1;
    }
    if (command == "press-palette" && argc == 2) return PressDialog("_AOL_Palette");
    if (command == "press-modal" && argc == 2) return PressDialog("_AOL_Modal");
    if (command == "tree" && argc == 2) return Tree();
    if (command == "transcript" && argc == 2) return Transcript();
    std::fprintf(stderr, "usage: poke locate | post TEXT | read | press-palette | press-modal | tree | transcript\n");
    return 64;
}
