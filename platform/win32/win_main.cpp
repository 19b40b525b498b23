// The program's entry: makes the window, the window system and the host, and runs the announcer.
#include "win32_api.h"

#include <exception>

#include "error_box.h"
#include "announcer.h"
#include "main_window.h"
#include "win32_host.h"
#include "win32_window_system.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // A single-threaded apartment, which screen readers' calls into the tiles' accessibility objects
    // reach through: the objects cross to them by COM. Without it they get the system's plain objects.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        // Declared in this order so that each outlives what refers to it.
        vorivevo::MainWindow window(instance);
        vorivevo::Win32WindowSystem windows;
        vorivevo::Win32Host host(window);
        vorivevo::Announcer announcer(windows, host, host);
        host.AttachSink(&announcer);
        const int exitCode = announcer.Run();
        host.AttachSink(nullptr);
        if (SUCCEEDED(com)) CoUninitialize();
        return exitCode;
    } catch (const std::exception& error) {
        vorivevo::ShowErrorBox(nullptr, error.what());
    } catch (...) {
        vorivevo::ShowErrorBox(nullptr, "Unknown error");
    }
    return 1;
}
