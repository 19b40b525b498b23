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

Win32Host::Win32Host(MainWindow& window)
    : window_(window), dialogTimerIntervalMs_(kDialogTimerIntervalMs), dialogTimerEnabled_(false) {
    QueryPerformanceFrequency(&frequency_);
    window_.SetListener(this);
    SetDialogTimerEnabled(kDialogTimerInitiallyEnabled);
}

Win32Host::~Win32Host() { window_.SetListener(nullptr); }

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

void Win32Host::WaitForEvent(double deadline) {
    const double remainingMs = (deadline - MonotonicSeconds()) * 1000.0;
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

double Win32Host::MonotonicSeconds() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency_.QuadPart);
}

double Win32Host::SecondsSinceMidnight() {
    SYSTEMTIME local;
    GetLocalTime(&local);
    return local.wHour * 3600.0 + local.wMinute * 60.0 + local.wSecond + local.wMilliseconds / 1000.0;
}

std::string Win32Host::IdleCounterText() { return window_.IdleCounterText(); }

void Win32Host::SetIdleCounterText(const std::string& text) { window_.SetIdleCounterText(text); }

std::string Win32Host::HomePageText() { return window_.EditText(ControlId::HomePageBox); }

std::string Win32Host::DisplayNameText() { return window_.EditText(ControlId::DisplayNameBox); }

void Win32Host::ShowPostReport(const std::string& report) { window_.SetLastPostReport(report); }

int Win32Host::DialogTimerInterval() { return dialogTimerIntervalMs_; }

bool Win32Host::DialogTimerEnabled() { return dialogTimerEnabled_; }

// Enabling an enabled timer keeps its interval running rather than restarting it. A timer that failed to
// start stays disabled, so that the next enabling tries again.
void Win32Host::SetDialogTimerEnabled(bool enabled) {
    if (enabled == dialogTimerEnabled_) return;
    if (enabled) {
        dialogTimerEnabled_ = window_.StartTimer(static_cast<UINT>(dialogTimerIntervalMs_));
    } else {
        dialogTimerEnabled_ = false;
        window_.StopTimer();
    }
}

WindowHandle Win32Host::OwnWindow() { return ToWindowHandle(window_.Handle()); }

void Win32Host::Show() { window_.Show(); }

void Win32Host::Unload() {
    dialogTimerEnabled_ = false;
    window_.Destroy();
}

void Win32Host::ReportError(const std::string& message) { ShowErrorBox(window_.Handle(), message); }

void Win32Host::OnWindowEvent(WindowEvent event) noexcept {
    if (WindowEventSink* sink = Sink()) sink->Record(event);
}

void Win32Host::OnTickInSystemLoop() noexcept {
    if (WindowEventSink* sink = Sink()) sink->RunRecordedTicks();
}

}  // namespace vorivevo
