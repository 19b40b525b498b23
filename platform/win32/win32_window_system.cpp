#include "win32_window_system.h"

#include <algorithm>
#include <cstring>

#include "ansi_text.h"

namespace vorivevo {
namespace {

std::size_t ClampCount(LRESULT count, std::size_t most) {
    if (count <= 0) return 0;
    return std::min(static_cast<std::size_t>(count), most);
}

// Runs the messages sent to our thread and the callbacks due to it, and nothing else.
void RunSentMessagesAndCallbacks() {
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace

Win32WindowSystem::Win32WindowSystem(UINT timeoutMs, UINT codePage) noexcept
    : timeoutMs_(timeoutMs), codePage_(codePage) {}

WindowHandle Win32WindowSystem::FindWindowA(const std::string& className) {
    return ToWindowHandle(::FindWindowA(className.c_str(), nullptr));
}

WindowHandle Win32WindowSystem::GetWindow(WindowHandle window, unsigned command) {
    if (window == kNoWindow) return kNoWindow;
    return ToWindowHandle(::GetWindow(ToHwnd(window), command));
}

int Win32WindowSystem::GetClassNameA(WindowHandle window, char* buffer, int size) {
    if (window == kNoWindow || buffer == nullptr || size <= 0) return 0;
    return ::GetClassNameA(ToHwnd(window), buffer, size);
}

void CALLBACK Win32WindowSystem::OnAnswer(HWND, UINT, ULONG_PTR data, LRESULT result) noexcept {
    auto* answered = reinterpret_cast<std::shared_ptr<Followed>*>(data);
    (*answered)->answered = true;
    (*answered)->result = result;
    delete answered;
}

bool Win32WindowSystem::ThreadIsFree(DWORD thread) const {
    const auto toThread = [thread](const std::shared_ptr<Followed>& followed) { return followed->thread == thread; };
    if (std::none_of(inFlight_.begin(), inFlight_.end(), toThread)) return true;
    // Callbacks come only when we look. The messages sent to our thread run then too, and a handler among
    // them may send in its turn and so come back here: no place in the list is held across the look.
    RunSentMessagesAndCallbacks();
    inFlight_.erase(std::remove_if(inFlight_.begin(), inFlight_.end(),
                                   [](const std::shared_ptr<Followed>& followed) {
                                       return followed->answered || !IsWindow(followed->window);
                                   }),
                    inFlight_.end());
    return std::none_of(inFlight_.begin(), inFlight_.end(), toThread);
}

Reply Win32WindowSystem::SendFollowed(HWND window, DWORD thread, UINT message, WPARAM wParam, LPARAM lParam) const {
    auto followed = std::make_shared<Followed>();
    followed->thread = thread;
    followed->window = window;
    // The callback's own reference, which it releases; should the callback never come (its window went
    // before the message was handled), it stays.
    auto* reference = new std::shared_ptr<Followed>(followed);
    if (!SendMessageCallbackW(window, message, wParam, lParam, OnAnswer, reinterpret_cast<ULONG_PTR>(reference))) {
        delete reference;
        return Reply{IsWindow(window) ? Delivery::NoAnswer : Delivery::NoWindow, 0};
    }
    const TickDeadline deadline = TickDeadline::FromNow(timeoutMs_);
    for (;;) {
        RunSentMessagesAndCallbacks();
        if (followed->answered) return Reply{Delivery::Answered, followed->result};
        if (!IsWindow(window)) return Reply{Delivery::NoWindow, 0};
        const DWORD left = deadline.Left();
        if (left == 0) break;
        MsgWaitForMultipleObjectsEx(0, nullptr, left, QS_SENDMESSAGE, 0);
    }
    inFlight_.push_back(followed);
    return Reply{Delivery::NoAnswer, 0};
}

bool Win32WindowSystem::ThreadAnswers(DWORD thread) const {
    if (!ThreadIsFree(thread)) return false;
    if (thread != unansweredThread_) return true;
    if (!unansweredHold_.Over()) return false;
    // Forgotten once over, so that the tick count coming round again cannot bring the hold back.
    unansweredThread_ = 0;
    return true;
}

Reply Win32WindowSystem::SendWide(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (thread == 0) return Reply{Delivery::NoWindow, 0};
    if (thread == GetCurrentThreadId()) return Reply{Delivery::Answered, ::SendMessageW(window, message, wParam, lParam)};
    if (!ThreadAnswers(thread)) return Reply{Delivery::NoAnswer, 0};
    if (FollowedToItsReturn(message)) return SendFollowed(window, thread, message, wParam, lParam);
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs_, &answer) == 0) {
        // A window that went away in the meantime says nothing about its thread.
        if (!IsWindow(window)) return Reply{Delivery::NoWindow, 0};
        unansweredThread_ = thread;
        unansweredHold_ = TickDeadline::FromNow(kUnansweredHoldMs);
        return Reply{Delivery::NoAnswer, 0};
    }
    return Reply{Delivery::Answered, static_cast<LResult>(answer)};
}

Reply Win32WindowSystem::Send(WindowHandle window, Message message, WParam wParam, LParam lParam) {
    if (window == kNoWindow) return Reply{Delivery::NoWindow, 0};
    const HWND target = ToHwnd(window);
    switch (message) {
        case WM_GETTEXTLENGTH:
            return AnsiTextLength(target);
        case WM_SETTEXT:
            if (lParam == 0) break;
            return SetText(target, reinterpret_cast<const char*>(lParam));
        case WM_GETTEXT: {
            if (lParam == 0 || wParam == 0) return Reply{Delivery::Answered, 0};
            char* out = reinterpret_cast<char*>(lParam);
            const std::size_t room = std::min<std::size_t>(wParam, kMaxTextChars + 1);
            std::string text;
            const Reply reply = GetText(target, room, text);
            if (!reply.Answered()) return reply;
            std::size_t end = std::min({text.find('\0'), text.size(), room - 1});
            // Never cut a UTF-8 sequence in two.
            while (end > 0 && end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
            std::memcpy(out, text.data(), end);
            out[end] = '\0';
            return Reply{Delivery::Answered, static_cast<LResult>(end)};
        }
        default:
            break;
    }
    return SendWide(target, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
}

Reply Win32WindowSystem::Send(WindowHandle window, Message message, WParam wParam, TextIn lParam) {
    if (window == kNoWindow) return Reply{Delivery::NoWindow, 0};
    if (message == WM_SETTEXT) return SetText(ToHwnd(window), lParam.text);
    if (message != EM_REPLACESEL) return Reply{Delivery::Answered, 0};
    const std::wstring wide = ThroughAnsi(lParam.text, codePage_);
    return SendWide(ToHwnd(window), EM_REPLACESEL, static_cast<WPARAM>(wParam), reinterpret_cast<LPARAM>(wide.c_str()));
}

Reply Win32WindowSystem::Send(WindowHandle window, Message message, WParam wParam, TextBuffer lParam) {
    if (window == kNoWindow) return Reply{Delivery::NoWindow, 0};
    if (message != WM_GETTEXT) return Reply{Delivery::Answered, 0};
    return GetText(ToHwnd(window), wParam, lParam.text);
}

Reply Win32WindowSystem::AnsiTextLength(HWND window) const {
    // The wide length counts UTF-16 units, not ANSI characters (a double-byte code page needs two bytes
    // for some of them), so read the text and count it in ANSI.
    const Reply wideLength = SendWide(window, WM_GETTEXTLENGTH, 0, 0);
    if (!wideLength.Answered() || wideLength.result <= 0) return Reply{wideLength.delivery, 0};
    const std::size_t room = ClampCount(wideLength.result, kMaxTextChars) + 1;
    std::wstring wide(room, L'\0');
    const Reply copied = SendWide(window, WM_GETTEXT, room, reinterpret_cast<LPARAM>(wide.data()));
    if (!copied.Answered()) return Reply{copied.delivery, 0};
    wide[room - 1] = L'\0';
    const std::size_t count = std::min(ClampCount(copied.result, room - 1), std::wcslen(wide.c_str()));
    const std::size_t ansiLength = WideToAnsi(wide.data(), count, codePage_).size();
    return Reply{Delivery::Answered, static_cast<LResult>(std::min(ansiLength, kMaxTextChars))};
}

Reply Win32WindowSystem::SetText(HWND window, const std::string& utf8) const {
    const std::wstring wide = ThroughAnsi(utf8, codePage_);
    return SendWide(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

Reply Win32WindowSystem::GetText(HWND window, WParam size, std::string& text) const {
    if (size == 0) return Reply{Delivery::Answered, 0};
    const std::size_t room = std::min<std::size_t>(size, kMaxTextChars + 1);

    // The buffer an ANSI call would hand over: the filling in ANSI, cut or padded to room - 1
    // characters, then the terminating NUL; here in its UTF-16 form.
    const std::wstring fillingWide = Utf8ToWide(text);
    std::string filling = WideToAnsi(fillingWide.data(), fillingWide.size(), codePage_);
    filling.resize(room - 1, '\0');
    std::wstring buffer = AnsiToWide(filling.data(), filling.size(), codePage_);
    buffer.resize(room, L'\0');
    buffer[room - 1] = L'\0';

    const Reply copied = SendWide(window, WM_GETTEXT, room, reinterpret_cast<LPARAM>(buffer.data()));
    if (!copied.Answered()) return Reply{copied.delivery, 0};
    buffer[room - 1] = L'\0';

    std::string ansi = WideToAnsi(buffer.data(), room - 1, codePage_);
    ansi.resize(std::min(ansi.size(), room - 1));
    const std::wstring back = AnsiToWide(ansi.data(), ansi.size(), codePage_);
    text = WideToUtf8(back);

    const std::size_t wideCopied = std::min(ClampCount(copied.result, room - 1), std::wcslen(buffer.c_str()));
    const std::string ansiCopied = WideToAnsi(buffer.data(), wideCopied, codePage_);
    // A Unicode window may hold what the code page cannot carry: such a character comes back as another.
    const bool lossy = AnsiToWide(ansiCopied.data(), ansiCopied.size(), codePage_) != std::wstring(buffer.data(), wideCopied);
    return Reply{Delivery::Answered, static_cast<LResult>(std::min(ansiCopied.size(), room - 1)), lossy};
}

void Win32WindowSystem::SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                                     unsigned flags) {
    if (window == kNoWindow) return;
    ::SetWindowPos(ToHwnd(window), ToHwnd(insertAfter), x, y, cx, cy, flags);
}

void Win32WindowSystem::ReleaseCapture() { ::ReleaseCapture(); }

std::string Win32WindowSystem::ThroughCodePage(const std::string& text) {
    return WideToUtf8(ThroughAnsi(text, codePage_));
}

Win32WindowSystem::~Win32WindowSystem() { ReleaseEntryBoxes(nullptr); }

bool Win32WindowSystem::ClaimEntryBoxes(const void*) {
    if (holdsEntryBoxes_) return true;
    if (!entryBoxes_) entryBoxes_.reset(CreateMutexW(nullptr, FALSE, L"Local\\VorivevoEntryBoxes"));
    // Without the mutex there is no telling: post, as a lone copy would.
    if (!entryBoxes_) return true;
    // Abandoned: a copy ended while it held the boxes; what it owed them went with it.
    const DWORD waited = WaitForSingleObject(entryBoxes_.get(), 0);
    holdsEntryBoxes_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    return holdsEntryBoxes_;
}

void Win32WindowSystem::ReleaseEntryBoxes(const void*) {
    if (!holdsEntryBoxes_) return;
    ReleaseMutex(entryBoxes_.get());
    holdsEntryBoxes_ = false;
}

WindowHandle Win32WindowSystem::FocusOfThread(WindowHandle window) {
    if (window == kNoWindow) return kNoWindow;
    const DWORD thread = GetWindowThreadProcessId(ToHwnd(window), nullptr);
    if (thread == 0) return kNoWindow;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread, &info)) return kNoWindow;
    return ToWindowHandle(info.hwndFocus);
}

bool Win32WindowSystem::MoveThreadFocus(WindowHandle from, WindowHandle to) {
    if (from == kNoWindow || to == kNoWindow) return true;
    const HWND source = ToHwnd(from);
    const HWND target = ToHwnd(to);
    const DWORD thread = GetWindowThreadProcessId(target, nullptr);
    if (thread == 0) return true;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread, &info) || info.hwndFocus != source) return true;
    const bool ours = thread == GetCurrentThreadId();
    if (!ours) {
        // With the input joined, SetFocus waits without a time-out for that thread's WM_KILLFOCUS and
        // WM_SETFOCUS: it must answer now (this also waits out a message of ours it still owes).
        const Reply probe = SendWide(target, WM_NULL, 0, 0);
        if (probe.delivery == Delivery::NoAnswer) return false;
        if (probe.delivery == Delivery::NoWindow) return true;
    }
    // SetFocus activates the target's top-level window when it is not the active one: that would take the
    // user's program from them, so only a focus within the active window moves.
    if (info.hwndActive == nullptr || GetAncestor(target, GA_ROOT) != info.hwndActive) return true;
    if (!ours) {
        // A join the platform refuses (another desktop, a hook recording input) is refused for good: the
        // focus stays where the press put it rather than hold the draft back for ever.
        if (!AttachThreadInput(GetCurrentThreadId(), thread, TRUE)) return true;
    }
    // Looked at again with the input joined: a click of the user's since then has the last word.
    if (GetFocus() == source) ::SetFocus(target);
    if (!ours) AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
    return true;
}

}  // namespace vorivevo
