// The host runtime over a real window: event pump, waits, clocks, the controls' state, Timer1, unload
// and the error report.
#pragma once

#include "win32_api.h"

#include <string>

#include "form_window.h"
#include "host_runtime.h"

namespace vorivevo {

class Win32Host final : public HostRuntime, private FormWindowListener {
public:
    // The window must outlive the host.
    explicit Win32Host(FormWindow& window);
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;
    ~Win32Host() override;

    void WaitForEvent(double deadline) override;
    double MonotonicSeconds() override;
    double SecondsSinceMidnight() override;

    std::string Label1Text() override;
    void SetLabel1Text(const std::string& text) override;
    std::string Text1Text() override;
    std::string Text2Text() override;
    void ShowPostReport(const std::string& report) override;

    int Timer1Interval() override;
    bool Timer1Enabled() override;
    void SetTimer1Enabled(bool enabled) override;

    WindowHandle OwnWindow() override;
    void Show() override;
    void Unload() override;
    void ReportError(const std::string& message) override;

protected:
    void PumpPending() override;

private:
    void OnFormEvent(FormEvent event) noexcept override;
    void OnTickInSystemLoop() noexcept override;

    FormWindow& window_;
    LARGE_INTEGER frequency_{};
    int timer1IntervalMs_;
    bool timer1Enabled_;
};

}  // namespace vorivevo
