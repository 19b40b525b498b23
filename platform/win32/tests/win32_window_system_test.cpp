#include "win32_window_system.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <future>
#include <mutex>
#include <thread>

#include "remote_target.h"
#include "test_support.h"

namespace vorivevo {
namespace {

constexpr UINT kBlock = WM_APP + 1;
// The shortest time-out that still lets a loaded machine answer a live window.
constexpr UINT kShortTimeoutMs = 300;
const std::string kLoadedLine = "<Font Color=#FFAB3E>^v\xC3\xB7\xC2\xA4Now Loaded";

// What the ANSI target window saw and how it answers; shared with the target's thread.
struct AnsiTargetState {
    std::mutex mutex;
    std::string lastSetText;
    std::string shortAnswer;  // when set, WM_GETTEXT writes this instead of the window's text
    int buttonMessages = 0;
    HANDLE release = nullptr;
};

LRESULT CALLBACK AnsiTargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<AnsiTargetState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (state != nullptr) {
        switch (message) {
            case WM_SETTEXT: {
                std::lock_guard<std::mutex> lock(state->mutex);
                state->lastSetText = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
                break;
            }
            case WM_GETTEXT: {
                std::lock_guard<std::mutex> lock(state->mutex);
                if (state->shortAnswer.empty() || wParam == 0) break;
                const std::size_t count = std::min<std::size_t>(state->shortAnswer.size(), wParam - 1);
                state->shortAnswer.copy(reinterpret_cast<char*>(lParam), count);
                reinterpret_cast<char*>(lParam)[count] = '\0';
                return static_cast<LRESULT>(count);
            }
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP: {
                std::lock_guard<std::mutex> lock(state->mutex);
                ++state->buttonMessages;
                return 0;
            }
            case kBlock:
                WaitForSingleObject(state->release, 60000);
                return 0;
            default:
                break;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The length the claiming window reports, whatever its text.
std::atomic<LRESULT> claimedLength{0};

LRESULT CALLBACK ClaimProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETTEXTLENGTH) return claimedLength.load();
    if (message == WM_GETTEXT) {
        if (wParam < 4) return 0;
        std::wcscpy(reinterpret_cast<wchar_t*>(lParam), L"abc");
        return 3;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Windows of another thread, so that messages to them take the bounded path.
class TargetThread {
public:
    TargetThread() : release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        state_.release = release_.Get();
        std::promise<void> ready;
        std::future<void> created = ready.get_future();
        thread_ = std::thread([this, &ready] { Run(ready); });
        created.wait();
    }
    ~TargetThread() {
        SetEvent(release_.Get());
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    TargetThread(const TargetThread&) = delete;
    TargetThread& operator=(const TargetThread&) = delete;

    AnsiTargetState& State() { return state_; }
    void Release() { SetEvent(release_.Get()); }

    HWND ansi = nullptr;
    HWND firstChild = nullptr;  // a Unicode EDIT
    HWND secondChild = nullptr;
    HWND claimer = nullptr;

private:
    void Run(std::promise<void>& ready) {
        threadId_ = GetCurrentThreadId();
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSA ansiClass{};
        ansiClass.lpfnWndProc = AnsiTargetProc;
        ansiClass.hInstance = instance;
        ansiClass.lpszClassName = "VorivevoAnsiTarget";
        RegisterClassA(&ansiClass);
        WNDCLASSW claimClass{};
        claimClass.lpfnWndProc = ClaimProc;
        claimClass.hInstance = instance;
        claimClass.lpszClassName = L"VorivevoClaimTarget";
        RegisterClassW(&claimClass);

        ansi = CreateWindowExA(0, "VorivevoAnsiTarget", "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, instance,
                               nullptr);
        SetWindowLongPtrA(ansi, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state_));
        firstChild = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 40, 20, ansi, nullptr, instance, nullptr);
        secondChild = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 20, 40, 20, ansi, nullptr, instance, nullptr);
        claimer = CreateWindowExW(0, L"VorivevoClaimTarget", L"", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                  instance, nullptr);
        ready.set_value();
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        DestroyWindow(claimer);
        DestroyWindow(ansi);
    }

    KernelHandle release_;
    AnsiTargetState state_;
    std::thread thread_;
    DWORD threadId_ = 0;
};

// Reads a window's text the way the automation routines do: length first, then a buffer of blanks.
std::string ReadText(WindowSystem& windows, WindowHandle window) {
    const LResult length = windows.SendMessageA(window, WM_GETTEXTLENGTH, 0, LParam{0});
    std::string buffer(static_cast<std::size_t>(std::max<LResult>(length, 0)), ' ');
    windows.SendMessageA(window, WM_GETTEXT, static_cast<WParam>(buffer.size()) + 1, TextBuffer{buffer});
    return buffer;
}

void WriteText(WindowSystem& windows, WindowHandle window, const std::string& text) {
    windows.SendMessageA(window, WM_SETTEXT, 0, TextIn{text});
}

class Win32WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (GetACP() != 1252) GTEST_SKIP() << "these cases expect the ANSI code page 1252, not " << GetACP();
    }

    TargetThread target;
    Win32WindowSystem windows{kShortTimeoutMs};
};

TEST_F(Win32WindowSystemTest, HandleZeroDoesNothing) {
    char buffer[8] = "xxxxxxx";
    std::string text = "  ";
    EXPECT_EQ(windows.GetWindow(kNoWindow, GW_CHILD), kNoWindow);
    EXPECT_EQ(windows.GetClassNameA(kNoWindow, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "xxxxxxx");
    EXPECT_EQ(windows.SendMessageA(kNoWindow, WM_GETTEXTLENGTH, 0, LParam{0}), 0);
    EXPECT_EQ(windows.SendMessageA(kNoWindow, WM_GETTEXT, 3, TextBuffer{text}), 0);
    EXPECT_EQ(text, "  ");
    EXPECT_EQ(windows.SendMessageA(kNoWindow, WM_SETTEXT, 0, TextIn{text}), 0);
    EXPECT_EQ(ReadText(windows, kNoWindow), "");
}

TEST_F(Win32WindowSystemTest, FindsTopLevelWindowByWholeClassIgnoringCase) {
    EXPECT_EQ(windows.FindWindowA("vorivevoansitarget"), ToWindowHandle(target.ansi));
    EXPECT_EQ(windows.FindWindowA("VorivevoAnsiTarg"), kNoWindow);
    EXPECT_EQ(windows.FindWindowA("VorivevoNoSuchClass"), kNoWindow);
}

TEST_F(Win32WindowSystemTest, WalksChildrenInCreationOrderAndReadsTheirClasses) {
    const WindowHandle first = windows.GetWindow(ToWindowHandle(target.ansi), GW_CHILD);
    EXPECT_EQ(first, ToWindowHandle(target.firstChild));
    const WindowHandle second = windows.GetWindow(first, GW_HWNDNEXT);
    EXPECT_EQ(second, ToWindowHandle(target.secondChild));
    EXPECT_EQ(windows.GetWindow(second, GW_HWNDNEXT), kNoWindow);

    std::string buffer(250, '\0');
    EXPECT_EQ(windows.GetClassNameA(ToWindowHandle(target.ansi), buffer.data(), 250), 18);
    EXPECT_STREQ(buffer.c_str(), "VorivevoAnsiTarget");
}

TEST_F(Win32WindowSystemTest, AnsiWindowReceivesTheCodePageBytes) {
    WriteText(windows, ToWindowHandle(target.ansi), kLoadedLine);
    std::lock_guard<std::mutex> lock(target.State().mutex);
    EXPECT_EQ(target.State().lastSetText, "<Font Color=#FFAB3E>^v\xF7\xA4Now Loaded");
}

TEST_F(Win32WindowSystemTest, LengthAndTextCountAnsiCharacters) {
    const WindowHandle window = ToWindowHandle(target.ansi);
    WriteText(windows, window, kLoadedLine);
    EXPECT_EQ(windows.SendMessageA(window, WM_GETTEXTLENGTH, 0, LParam{0}), 34);
    EXPECT_EQ(ReadText(windows, window), kLoadedLine);
}

TEST_F(Win32WindowSystemTest, UnicodeWindowGetsTextThroughTheCodePage) {
    const WindowHandle edit = ToWindowHandle(target.firstChild);
    WriteText(windows, edit, "\xD0\x96\xC3\xB7");  // U+0416 is not in Windows-1252, U+00F7 is
    EXPECT_EQ(windows.SendMessageA(edit, WM_GETTEXTLENGTH, 0, LParam{0}), 2);
    EXPECT_EQ(ReadText(windows, edit), "?\xC3\xB7");
    std::string buffer = "   ";
    EXPECT_FALSE(windows.Send(edit, WM_GETTEXT, 4, TextBuffer{buffer}).lossy) << "the box holds '?' itself";
    SetWindowTextW(target.firstChild, L"\x0416\x00F7");
    EXPECT_TRUE(windows.Send(edit, WM_GETTEXT, 4, TextBuffer{buffer}).lossy) << "read as " << buffer;
}

TEST_F(Win32WindowSystemTest, ShrunkTextLeavesItsNulAndTheFilling) {
    const WindowHandle window = ToWindowHandle(target.ansi);
    WriteText(windows, window, "abcdef");
    {
        std::lock_guard<std::mutex> lock(target.State().mutex);
        target.State().shortAnswer = "ab";
    }
    std::string buffer = "......";
    EXPECT_EQ(windows.SendMessageA(window, WM_GETTEXT, 7, TextBuffer{buffer}), 2);
    EXPECT_EQ(buffer, std::string("ab\0...", 6));
}

TEST_F(Win32WindowSystemTest, AbsurdLengthsAreCappedAndNegativeOnesAreZero) {
    const WindowHandle claimer = ToWindowHandle(target.claimer);
    claimedLength = INT_MAX;
    EXPECT_EQ(windows.SendMessageA(claimer, WM_GETTEXTLENGTH, 0, LParam{0}), 3);
    claimedLength = -5;
    EXPECT_EQ(windows.SendMessageA(claimer, WM_GETTEXTLENGTH, 0, LParam{0}), 0);
    std::string huge;
    EXPECT_EQ(windows.SendMessageA(claimer, WM_GETTEXT, static_cast<WParam>(-1), TextBuffer{huge}), 3);
    EXPECT_EQ(huge.substr(0, 4), std::string("abc\0", 4));
    EXPECT_LE(huge.size(), Win32WindowSystem::kMaxTextChars);
}

TEST_F(Win32WindowSystemTest, PlainBufferReadGetsUtf8CutAtACharacter) {
    const WindowHandle window = ToWindowHandle(target.ansi);
    WriteText(windows, window, "\xC3\xB7\xC2\xA4");
    char buffer[3] = {'x', 'x', 'x'};
    EXPECT_EQ(windows.SendMessageA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LParam>(buffer)), 2);
    EXPECT_STREQ(buffer, "\xC3\xB7");
}

TEST_F(Win32WindowSystemTest, ButtonMessagesReachTheWindow) {
    const WindowHandle window = ToWindowHandle(target.ansi);
    windows.SendMessageA(window, WM_LBUTTONDOWN, 0, LParam{0});
    windows.SendMessageA(window, WM_LBUTTONUP, 0, LParam{0});
    std::lock_guard<std::mutex> lock(target.State().mutex);
    EXPECT_EQ(target.State().buttonMessages, 2);
}

TEST_F(Win32WindowSystemTest, HungWindowGivesZeroInsteadOfBlocking) {
    WriteText(windows, ToWindowHandle(target.ansi), "draft");
    // Sent, not posted: the target takes it before any message sent after it.
    SendNotifyMessageW(target.ansi, kBlock, 0, 0);
    EXPECT_EQ(windows.SendMessageA(ToWindowHandle(target.ansi), WM_GETTEXTLENGTH, 0, LParam{0}), 0);
    EXPECT_EQ(windows.SendMessageA(ToWindowHandle(target.ansi), WM_LBUTTONDOWN, 0, LParam{0}), 0);
    target.Release();
}

// A client that has just hung is not waited for again message after message: a post would otherwise
// cost one time-out per message.
TEST_F(Win32WindowSystemTest, ThreadThatLeftAMessageUnansweredIsSkippedForAWhile) {
    const WindowHandle window = ToWindowHandle(target.ansi);
    WriteText(windows, window, "draft");
    SendNotifyMessageW(target.ansi, kBlock, 0, 0);
    EXPECT_EQ(windows.SendMessageA(window, WM_GETTEXTLENGTH, 0, LParam{0}), 0);
    target.Release();
    windows.SendMessageA(window, WM_LBUTTONDOWN, 0, LParam{0});
    Win32WindowSystem other{kShortTimeoutMs};
    other.SendMessageA(window, WM_LBUTTONUP, 0, LParam{0});
    std::lock_guard<std::mutex> lock(target.State().mutex);
    EXPECT_EQ(target.State().buttonMessages, 1) << "only the window system that saw no hang sent its press";
}

TEST_F(Win32WindowSystemTest, OwnThreadsWindowsAreServedDirectly) {
    UniqueWindow edit(CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 40, 20, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
    const WindowHandle window = ToWindowHandle(edit.Get());
    WriteText(windows, window, kLoadedLine);
    EXPECT_EQ(ReadText(windows, window), kLoadedLine);
}

TEST_F(Win32WindowSystemTest, WhatTheBoxHoldsOfALineIsItsTextThroughTheCodePage) {
    const WindowHandle edit = ToWindowHandle(target.firstChild);
    const std::string line = "Zo\xC3\xAB \xD0\x96";  // U+00EB is in Windows-1252, U+0416 is not
    WriteText(windows, edit, line);
    EXPECT_EQ(windows.ThroughCodePage(line), ReadText(windows, edit));
}

// Each copy of the program is a process of its own; another thread stands for one here.
TEST(Win32EntryBoxes, OneCopyAtATimeHoldsThem) {
    Win32WindowSystem first;
    ASSERT_TRUE(first.ClaimEntryBoxes(&first));
    EXPECT_TRUE(first.ClaimEntryBoxes(&first)) << "held already";
    auto otherCopy = [] {
        Win32WindowSystem second;
        return second.ClaimEntryBoxes(&second);
    };
    EXPECT_FALSE(std::async(std::launch::async, otherCopy).get());
    first.ReleaseEntryBoxes(&first);
    EXPECT_TRUE(std::async(std::launch::async, otherCopy).get());
    // The other copy lets go as it ends (released, or abandoned with its thread): the next copy gets them.
    EXPECT_TRUE(first.ClaimEntryBoxes(&first));
}

TEST_F(Win32WindowSystemTest, TopmostHandleValueMakesOwnWindowTopmost) {
    UniqueWindow popup(CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                       GetModuleHandleW(nullptr), nullptr));
    // HWND_TOPMOST as the core passes it: -1 in 32 bits (the platform's macro hides the core's name here).
    windows.SetWindowPos(ToWindowHandle(popup.Get()), 0xFFFFFFFFu, 0, 0, 0, 0, 3);
    EXPECT_NE(GetWindowLongW(popup.Get(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    RECT rect{};
    GetWindowRect(popup.Get(), &rect);
    EXPECT_EQ(rect.right - rect.left, 10);
}

// The chat client runs in its own process, where text has to be copied across; there a time-out must
// bound the text messages too.
class Win32WindowSystemRemoteTest : public Win32WindowSystemTest {
protected:
    test::RemoteTarget remote;
};

TEST_F(Win32WindowSystemRemoteTest, TextCrossesTheProcessBoundaryInTheCodePage) {
    ASSERT_NE(remote.Window(), nullptr);
    const WindowHandle window = windows.FindWindowA(remote.ClassName());
    ASSERT_EQ(window, ToWindowHandle(remote.Window()));
    WriteText(windows, window, kLoadedLine);
    EXPECT_EQ(windows.SendMessageA(window, test::kRemoteSetByte, 22, LParam{0}), 0xF7);
    EXPECT_EQ(windows.SendMessageA(window, test::kRemoteSetByte, 23, LParam{0}), 0xA4);
    EXPECT_EQ(windows.SendMessageA(window, WM_GETTEXTLENGTH, 0, LParam{0}), 34);
    EXPECT_EQ(ReadText(windows, window), kLoadedLine);
}

TEST_F(Win32WindowSystemRemoteTest, HungRemoteWindowGivesZeroForEveryTextMessage) {
    ASSERT_NE(remote.Window(), nullptr);
    const WindowHandle window = ToWindowHandle(remote.Window());
    WriteText(windows, window, "draft");
    remote.Block();
    std::string buffer = "     ";
    EXPECT_EQ(windows.SendMessageA(window, WM_GETTEXTLENGTH, 0, LParam{0}), 0);
    EXPECT_EQ(windows.SendMessageA(window, WM_GETTEXT, 6, TextBuffer{buffer}), 0);
    EXPECT_EQ(buffer, "     ");
    EXPECT_EQ(windows.SendMessageA(window, WM_SETTEXT, 0, TextIn{kLoadedLine}), 0);
    remote.Release();
}

}  // namespace
}  // namespace vorivevo
