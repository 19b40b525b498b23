#include "win32_host.h"

#include <cmath>

#include "error_box.h"
#include "form1_controls.h"
#include "win32_window_system.h"

namespace vorivevo {
namespace {

// The longest single wait, in milliseconds (about 24 days); a later deadline is waited for in steps.
constexpr double kLongestWaitMs = 2147483647.0;

}  // namespace

Win32Host::Win32Host(FormWindow& window)
    : window_(window), timer1IntervalMs_(kTimer1IntervalMs), timer1Enabled_(false) {
    QueryPerformanceFrequency(&frequency_);
    window_.SetListener(this);
    SetTimer1Enabled(kTimer1InitiallyEnabled);
}

Win32Host::~Win32Host() { window_.SetListener(nullptr); }

void Win32Host::PumpPending() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Somebody asked the thread to end: the same as a close request.
            OnFormEvent(FormEvent::CloseRequest);
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

std::string Win32Host::Label1Text() { return window_.Label1Text(); }

void Win32Host::SetLabel1Text(const std::string& text) { window_.SetLabel1Text(text); }

std::string Win32Host::Text1Text() { return window_.EditText(ControlId::Text1); }

std::string Win32Host::Text2Text() { return window_.EditText(ControlId::Text2); }

void Win32Host::ShowPostReport(const std::string& report) { window_.SetLastPostReport(report); }

int Win32Host::Timer1Interval() { return timer1IntervalMs_; }

bool Win32Host::Timer1Enabled() { return timer1Enabled_; }

// Enabling an enabled timer keeps its interval running rather than restarting it. A timer that failed to
// start stays disabled, so that the next enabling tries again.
void Win32Host::SetTimer1Enabled(bool enabled) {
    if (enabled == timer1Enabled_) return;
    if (enabled) {
        timer1Enabled_ = window_.StartTimer(static_cast<UINT>(timer1IntervalMs_));
    } else {
        timer1Enabled_ = false;
        window_.StopTimer();
    }
}

WindowHandle Win32Host::OwnWindow() { return ToWindowHandle(window_.Handle()); }

void Win32Host::Show() { window_.Show(); }

void Win32Host::Unload() {
    timer1Enabled_ = false;
    window_.Destroy();
}

void Win32Host::ReportError(const std::string& message) { ShowErrorBox(window_.Handle(), message); }

void Win32Host::OnFormEvent(FormEvent event) noexcept {
    if (FormEventSink* sink = Sink()) sink->Record(event);
}

void Win32Host::OnTickInSystemLoop() noexcept {
    if (FormEventSink* sink = Sink()) sink->RunRecordedTicks();
}

}  // namespace vorivevo
