// Pumping the thread's messages and waiting for the next one.
#include "win32_event_pump.h"

#include <chrono>
#include <algorithm>

namespace vorivevo {
namespace {

// The longest single wait (about 24 days); a later deadline is waited for in steps.
constexpr std::chrono::milliseconds kLongestWait{2147483647};

}  // namespace

void Win32EventPump::DoEvents() {
    ++pumps_;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            OnQuit();
            break;
        }
        if (PreTranslate(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    AfterPump();
}

void Win32EventPump::WaitForEvent(Instant deadline) {
    const Instant now = Now();
    DWORD timeoutMs = 0;
    if (deadline > now) {
        // Rounded up: never wake before the deadline.
        const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        timeoutMs = static_cast<DWORD>(std::min(remaining, kLongestWait).count());
    }
    // MWMO_INPUTAVAILABLE: also returns for messages that are already queued.
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

}  // namespace vorivevo
