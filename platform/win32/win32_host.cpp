// The window's controls, timer and life as the announcer sees them, and what the pump does around them.
#include "win32_host.h"

#include "error_box.h"
#include "window_controls.h"
#include "win32_window_system.h"

namespace vorivevo {

Win32Host::Win32Host(MainWindow& window) : window_(window) { window_.SetListener(this); }

Win32Host::~Win32Host() { window_.SetListener(nullptr); }

bool Win32Host::PreTranslate(const MSG& message) noexcept { return window_.HandleDialogKey(message); }

// Somebody asked the thread to end: the same as a close request.
void Win32Host::OnQuit() noexcept { OnWindowEvent(WindowEvent::CloseRequest); }

void Win32Host::AfterPump() {
    if (sink_ != nullptr) sink_->RunRecorded();
}

Duration Win32Host::TimeOfDay() {
    SYSTEMTIME local;
    GetLocalTime(&local);
    return std::chrono::hours(local.wHour) + std::chrono::minutes(local.wMinute) + std::chrono::seconds(local.wSecond) +
           std::chrono::milliseconds(local.wMilliseconds);
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
