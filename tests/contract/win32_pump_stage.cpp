// The event pump's contract stage on real windows: the program's own window and host, on this thread.
#include "win32_api.h"

#include <cmath>
#include <memory>

#include "main_window.h"
#include "pump_stage.h"
#include "qpc_clock.h"
#include "win32_host.h"

namespace vorivevo::contract {
namespace {

DWORD Milliseconds(Duration time) {
    return static_cast<DWORD>(std::ceil(std::chrono::duration<double, std::milli>(time).count()));
}

class Win32PumpStage final : public PumpStage {
public:
    ~Win32PumpStage() override { host_.AttachSink(nullptr); }

    EventLoop& Events() override { return host_; }
    AnnouncerView& View() override { return host_; }
    void AttachSink(WindowEventSink* sink) override { host_.AttachSink(sink); }

    void Click(WindowEvent command) override {
        const ControlId tile = command == WindowEvent::StartClicked ? ControlId::StartTile
                               : command == WindowEvent::StopClicked ? ControlId::StopTile
                                                                     : ControlId::ExitTile;
        const HWND window = window_.ControlWindow(tile);
        PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    void LetTimePass(Duration time) override { Sleep(Milliseconds(time)); }
    // As the system's move loop does: between WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE it takes the thread's
    // messages and dispatches them itself. (The real one would wait for a mouse button that no test holds.)
    void RunSystemLoop(Duration time) override {
        const HWND main = window_.Handle();
        SendMessageW(main, WM_ENTERSIZEMOVE, 0, 0);
        const Instant end = clock_.Now() + time;
        for (Instant now = clock_.Now(); now < end; now = clock_.Now()) {
            MsgWaitForMultipleObjectsEx(0, nullptr, Milliseconds(end - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        SendMessageW(main, WM_EXITSIZEMOVE, 0, 0);
    }

private:
    MainWindow window_{GetModuleHandleW(nullptr), 1};
    Win32Host host_{window_};
    QpcClock clock_;
};

}  // namespace

std::unique_ptr<PumpStage> MakePumpStage() { return std::make_unique<Win32PumpStage>(); }

}  // namespace vorivevo::contract
