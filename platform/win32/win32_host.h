// The host over a real window: the thread's event loop, whose pump also runs what the window noted, and
// the announcer's view of the window (its controls, the dialog timer, unload, the reports, the time of
// day).
#pragma once

#include "win32_api.h"

#include <string>

#include "announcer_view.h"
#include "main_window.h"
#include "win32_event_pump.h"
#include "window_events.h"

namespace vorivevo {

class Win32Host final : public Win32EventPump, public AnnouncerView, private MainWindowListener {
public:
    // The window must outlive the host.
    explicit Win32Host(MainWindow& window);
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;
    ~Win32Host() override;

    // Where the window's events go: DoEvents pumps, then runs what the sink noted.
    void AttachSink(WindowEventSink* sink) { sink_ = sink; }

    // AnnouncerView
    std::string IdleCounterText() override;
    void SetIdleCounterText(const std::string& text) override;
    std::string HomePageText() override;
    std::string DisplayNameText() override;
    void EnableDialogTimer() override;
    WindowHandle OwnWindow() override;
    void Show() override;
    void Unload() override;
    void ReportError(const std::string& message) override;
    void ShowPostReport(const std::string& report) override;
    Duration TimeOfDay() override;

private:
    // Win32EventPump
    bool PreTranslate(const MSG& message) noexcept override;
    void OnQuit() noexcept override;
    void AfterPump() override;
    // MainWindowListener
    void OnWindowEvent(WindowEvent event) noexcept override;
    void OnTickInSystemLoop() noexcept override;

    MainWindow& window_;
    WindowEventSink* sink_ = nullptr;
};

}  // namespace vorivevo
