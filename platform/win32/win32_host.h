// The host runtime over a real window: event pump, waits, clocks, the controls' state, the dialog timer, unload
// and the error report.
#pragma once

#include "win32_api.h"

#include <string>

#include "main_window.h"
#include "host_runtime.h"

namespace vorivevo {

class Win32Host final : public HostRuntime, private MainWindowListener {
public:
    // The window must outlive the host.
    explicit Win32Host(MainWindow& window);
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;
    ~Win32Host() override;

    void WaitForEvent(double deadline) override;
    double MonotonicSeconds() override;
    double SecondsSinceMidnight() override;

    std::string IdleCounterText() override;
    void SetIdleCounterText(const std::string& text) override;
    std::string HomePageText() override;
    std::string DisplayNameText() override;
    void ShowPostReport(const std::string& report) override;

    int DialogTimerInterval() override;
    bool DialogTimerEnabled() override;
    void SetDialogTimerEnabled(bool enabled) override;

    WindowHandle OwnWindow() override;
    void Show() override;
    void Unload() override;
    void ReportError(const std::string& message) override;

protected:
    void PumpPending() override;

private:
    void OnWindowEvent(WindowEvent event) noexcept override;
    void OnTickInSystemLoop() noexcept override;

    MainWindow& window_;
    LARGE_INTEGER frequency_{};
    int dialogTimerIntervalMs_;
    bool dialogTimerEnabled_;
};

}  // namespace vorivevo
