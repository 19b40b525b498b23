// The event loop over the thread's message queue, and the window's controls as the announcer sees them.
#include "win32_host.h"

#include <cmath>

#include "error_box.h"
#include "window_controls.h"
#include "win32_window_system.h"

namespace vorivevo {
namespace {

// The longest single wait, in milliseconds (about 24 days); a later deadline is waited for in steps.
constexpr double kLongestWaitMs = 2147483647.0;

}  // namespace

Win32Host::Win32Host(MainWindow& window) : window_(window) {
    QueryPerformanceFrequency(&frequency_);
    window_.SetListener(this);
}

Win32Host::~Win32Host() { window_.SetListener(nullptr); }

void Win32Host::DoEvents() {
    PumpPending();
    if (sink_ != nullptr) sink_->RunRecorded();
}

void Win32Host::PumpPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Somebody asked the thread to end: the same as a close request.
            OnWindowEvent(WindowEvent::CloseRequest);
            break;
        }
        if (window_.HandleDialogKey(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32Host::WaitForEvent(Instant deadline) {
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

Instant Win32Host::Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return Instant{Duration{static_cast<double>(now.QuadPart) / static_cast<double>(frequency_.QuadPart)}};
}

Duration Win32Host::TimeOfDay() {
    SYSTEMTIME local;
    GetLocalTime(&local);
    return Duration{local.wHour * 3600.0 + local.wMinute * 60.0 + local.wSecond + local.wMilliseconds / 1000.0};
}

std::string Win32Host::IdleCounterText() { return window_.IdleCounterText(); }

void Win32Host::SetIdleCounterText(const std::string& text) { window_.SetIdleCounterText(text); }

std::string Win32Host::HomePageText() { return window_.EditText(ControlId::HomePageBox); }

std::string Win32Host::DisplayNameText() { return window_.EditText(ControlId::DisplayNameBox); }

void Win32Host::ShowPostReport(const std::string& report) { window_.SetLastPostReport(report); }

// SetTimer on a running timer would restart its interval. One that failed to start is not running, so the
// next enabling tries again.
void Win32Host::EnableDialogTimer() {
    if (window_.TimerRunning()) return;
    window_.StartTimer(static_cast<UINT>(kDialogTimerInterval.count()));
}

WindowHandle Win32Host::OwnWindow() { return ToWindowHandle(window_.Handle()); }

void Win32Host::Show() { window_.Show(); }

void Win32Host::Unload() { window_.Destroy(); }

void Win32Host::ReportError(const std::string& message) { ShowErrorBox(window_.Handle(), message); }

void Win32Host::OnWindowEvent(WindowEvent event) noexcept {
    if (sink_ != nullptr) sink_->Record(event);
}

void Win32Host::OnTickInSystemLoop() noexcept {
    if (sink_ != nullptr) sink_->RunRecordedTicks();
}

}  // namespace vorivevo
