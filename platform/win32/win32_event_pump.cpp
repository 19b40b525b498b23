// Pumping the thread's messages and waiting for the next one.
#include "win32_event_pump.h"

#include <chrono>
#include <cmath>

namespace vorivevo {
namespace {

// The longest single wait, in milliseconds (about 24 days); a later deadline is waited for in steps.
constexpr double kLongestWaitMs = 2147483647.0;

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
    const double remainingMs = std::chrono::duration<double, std::milli>(deadline - Now()).count();
    DWORD timeoutMs = 0;
    if (std::isnan(remainingMs))
        timeoutMs = 0;
    else if (remainingMs >= kLongestWaitMs)
        timeoutMs = static_cast<DWORD>(kLongestWaitMs);
    else if (remainingMs > 0.0)
        timeoutMs = static_cast<DWORD>(std::ceil(remainingMs));  // never wake before the deadline
    // MWMO_INPUTAVAILABLE: also returns for messages that are already queued.
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

}  // namespace vorivevo
