// The test program's entry: GoogleTest, or the remote target window when started as one.
#include "win32_api.h"

#include <gtest/gtest.h>

#include <cwchar>

#include "remote_target.h"

int main(int argc, char** argv) {
    int wideCount = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    if (wide != nullptr && wideCount == 5 && std::wcscmp(wide[1], L"--remote-target") == 0) {
        const int exitCode = vorivevo::test::RunRemoteTarget(wide[2], wide[3], wide[4]);
        LocalFree(wide);
        return exitCode;
    }
    if (wide != nullptr) LocalFree(wide);
    // DPI-aware, as the program's manifest makes the program; looked up, since the headers declare the call
    // only for newer Windows than the program's oldest.
    using SetDpiAware = BOOL(WINAPI*)();
    if (const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDPIAware"))
        reinterpret_cast<SetDpiAware>(reinterpret_cast<void (*)()>(found))();
    // As the program's own thread has it (WinMain): the accessibility tests go through COM.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
