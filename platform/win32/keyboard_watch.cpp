// The low-level keyboard hook and its thread.
#include "keyboard_watch.h"

#include <atomic>
#include <cstdint>

namespace vorivevo {
namespace {

// The performance counter at the last key-down; 0 before any. The hook procedure gets no context of its
// own, so this is the process's: every watch sees the same keys anyway.
std::atomic<std::int64_t> lastKeyDown{0};

LRESULT CALLBACK OnKeyboardInput(int code, WPARAM message, LPARAM info) noexcept {
    if (code == HC_ACTION && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        lastKeyDown.store(now.QuadPart, std::memory_order_relaxed);
    }
    return CallNextHookEx(nullptr, code, message, info);
}

}  // namespace

KeyboardWatch::KeyboardWatch(const QpcClock& clock) noexcept : clock_(clock) {
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (ready_ == nullptr) return;
    thread_ = CreateThread(nullptr, 0, &KeyboardWatch::Run, this, 0, &threadId_);
    if (thread_ != nullptr) WaitForSingleObject(ready_, INFINITE);
    CloseHandle(ready_);
    ready_ = nullptr;
}

KeyboardWatch::~KeyboardWatch() {
    if (thread_ == nullptr) return;
    // The thread has its queue before the watch is made (Run), so the message cannot be lost.
    if (PostThreadMessageW(threadId_, WM_QUIT, 0, 0)) WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
}

DWORD WINAPI KeyboardWatch::Run(void* self) noexcept {
    auto& watch = *static_cast<KeyboardWatch*>(self);
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the thread's queue
    const HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, &OnKeyboardInput, GetModuleHandleW(nullptr), 0);
    watch.watching_ = hook != nullptr;
    SetEvent(watch.ready_);
    if (hook == nullptr) return 0;
    // The hook's calls come in while the thread waits here.
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    UnhookWindowsHookEx(hook);
    return 0;
}

std::optional<Instant> KeyboardWatch::LastKeyPressed() const noexcept {
    const std::int64_t counter = lastKeyDown.load(std::memory_order_relaxed);
    if (counter == 0) return std::nullopt;
    return clock_.At(counter);
}

}  // namespace vorivevo
