// The window-system operations over user32, bounded so that a hung window cannot stall our only thread.
#pragma once

#include "win32_api.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tick_deadline.h"
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

// Messages to windows of other threads (other programs') are bounded by kAnswerTimeout; one not
// answered in time is Delivery::NoAnswer, and the platform still hands it to the window later. Those that
// FollowedToItsReturn names go through SendMessageCallback, and the wait for their answer handles only
// messages sent to our thread and the callbacks (never input, so no event of ours runs inside it): one
// whose answer does not come in time stays in flight until its callback comes, at any later peek of
// ours, or its window has gone, and meanwhile every message to its thread is NoAnswer at once. That
// answer says that its handler has returned, where an answer to a later message would not (a handler
// with a message loop answers from inside it). The others (with pointers, which the platform sends only
// synchronously) go through SendMessageTimeout with SMTO_ABORTIFHUNG, and after one goes unanswered its
// thread gets nothing for kUnansweredHold. Messages to our own thread's windows are sent plainly, so
// that the system's move loop started by WM_NCLBUTTONDOWN runs inside the call. Text travels as UTF-16 (the ANSI messages are not bounded by the time-out under every
// implementation) after passing through the ANSI code page, so the window gets what an ANSI call would
// have given it, and lengths and buffer sizes count ANSI characters.
//
// The plain-LParam SendMessageA also takes the text messages: WM_GETTEXTLENGTH counts ANSI characters,
// WM_SETTEXT takes a NUL-terminated UTF-8 string, WM_GETTEXT fills a char buffer of wParam bytes with
// UTF-8, NUL-terminated. TextIn serves only WM_SETTEXT and EM_REPLACESEL, and TextBuffer only WM_GETTEXT;
// any other message with them is not sent and answers 0. A WM_GETTEXT that fails leaves the TextBuffer as it was. The
// answer to WM_GETTEXTLENGTH and WM_GETTEXT counts ANSI characters.
class Win32WindowSystem final : public WindowSystem {
public:
    static constexpr UINT kDefaultTimeoutMs = static_cast<UINT>(kAnswerTimeout.count());
    static constexpr DWORD kUnansweredHoldMs = static_cast<DWORD>(kUnansweredHold.count());
    // The most characters a read accepts: a window that reports more is read only this far.
    static constexpr std::size_t kMaxTextChars = std::size_t{1} << 20;

    explicit Win32WindowSystem(UINT timeoutMs = kDefaultTimeoutMs, UINT codePage = CP_ACP) noexcept;
    ~Win32WindowSystem() override;
    Win32WindowSystem(const Win32WindowSystem&) = delete;
    Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

    WindowHandle FindWindowA(const std::string& className) override;
    WindowHandle GetWindow(WindowHandle window, unsigned command) override;
    int GetClassNameA(WindowHandle window, char* buffer, int size) override;
    Reply Send(WindowHandle window, Message message, WParam wParam, LParam lParam) override;
    Reply Send(WindowHandle window, Message message, WParam wParam, TextIn lParam) override;
    Reply Send(WindowHandle window, Message message, WParam wParam, TextBuffer lParam) override;
    void SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                      unsigned flags) override;
    void ReleaseCapture() override;
    std::string ThroughCodePage(const std::string& text) override;
    // A named mutex of the user's session, so a copy is a process (or a thread: the thread that holds a
    // mutex takes it again at once). The platform lets go of it when our process ends, however it ends.
    bool ClaimEntryBoxes(const void* copy) override;
    void ReleaseEntryBoxes(const void* copy) override;
    // GetGUIThreadInfo of the window's thread.
    WindowHandle FocusOfThread(WindowHandle window) override;
    // SetFocus with our thread's input joined to the window's thread for the moment (AttachThreadInput):
    // SetFocus works only within the calling thread's input, and the join is what lets it reach another
    // program's windows. While joined, the focus change's own messages (WM_KILLFOCUS, WM_SETFOCUS) go to
    // that thread and are waited for without a time-out, which is why it must have answered just before.
    bool MoveThreadFocus(WindowHandle from, WindowHandle to) override;

private:
    // A message sent through SendMessageCallback, filled in by its callback; shared with the callback,
    // which may come after this object has gone.
    struct Followed {
        DWORD thread = 0;
        HWND window = nullptr;
        bool answered = false;
        LRESULT result = 0;
    };

    static void CALLBACK OnAnswer(HWND window, UINT message, ULONG_PTR data, LRESULT result) noexcept;
    Reply SendWide(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;
    Reply SendFollowed(HWND window, DWORD thread, UINT message, WPARAM wParam, LPARAM lParam) const;
    // False while a message followed to its return is in flight to the thread.
    bool ThreadIsFree(DWORD thread) const;
    // False while the thread owes an answer, or is held off after leaving one unanswered.
    bool ThreadAnswers(DWORD thread) const;
    Reply AnsiTextLength(HWND window) const;
    Reply SetText(HWND window, const std::string& utf8) const;
    Reply GetText(HWND window, WParam size, std::string& text) const;

    UINT timeoutMs_;
    UINT codePage_;
    mutable DWORD unansweredThread_ = 0;
    mutable TickDeadline unansweredHold_;
    mutable std::vector<std::shared_ptr<Followed>> inFlight_;
    struct MutexCloser {
        void operator()(HANDLE mutex) const noexcept { CloseHandle(mutex); }
    };
    std::unique_ptr<void, MutexCloser> entryBoxes_;
    bool holdsEntryBoxes_ = false;
};

}  // namespace vorivevo
