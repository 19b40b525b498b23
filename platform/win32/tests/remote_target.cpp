#include "remote_target.h"

#include <stdexcept>

namespace vorivevo::test {
namespace {

struct RemoteState {
    std::string lastSetText;
    HANDLE release = nullptr;
    HANDLE ready = nullptr;  // set again once blocked
};

void Inject(bool key) {
    INPUT input[2]{};
    for (int i = 0; i < 2; ++i) {
        if (key) {
            input[i].type = INPUT_KEYBOARD;
            input[i].ki.wVk = VK_F24;
            input[i].ki.dwFlags = i == 0 ? 0 : KEYEVENTF_KEYUP;
        } else {
            input[i].type = INPUT_MOUSE;
            input[i].mi.dx = i == 0 ? 1 : -1;
            input[i].mi.dwFlags = MOUSEEVENTF_MOVE;
        }
    }
    SendInput(2, input, sizeof(INPUT));
}

RemoteState* StateOf(HWND window) { return reinterpret_cast<RemoteState*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

LRESULT CALLBACK RemoteProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RemoteState* state = StateOf(window);
    switch (message) {
        case WM_SETTEXT:
            if (state != nullptr && lParam != 0) state->lastSetText = reinterpret_cast<const char*>(lParam);
            break;
        case kRemoteSetByte:
            if (state == nullptr || wParam >= state->lastSetText.size()) return -1;
            return static_cast<unsigned char>(state->lastSetText[wParam]);
        case kRemoteInjectKey:
        case kRemoteInjectMouse:
            Inject(message == kRemoteInjectKey);
            return 0;
        case kRemoteBlock:
            if (state == nullptr) return 0;
            SetEvent(state->ready);
            WaitForSingleObject(state->release, 60000);
            return 0;
        case WM_CLOSE:
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace

int RunRemoteTarget(const std::wstring& className, const std::wstring& readyEvent, const std::wstring& releaseEvent) {
    const std::string ansiClass(className.begin(), className.end());
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = RemoteProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = ansiClass.c_str();
    if (RegisterClassA(&windowClass) == 0) return 2;
    RemoteState state;
    KernelHandle release(OpenEventW(SYNCHRONIZE, FALSE, releaseEvent.c_str()));
    state.release = release.Get();
    const HWND window = CreateWindowExA(0, ansiClass.c_str(), "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                        windowClass.hInstance, nullptr);
    if (window == nullptr) return 3;
    KernelHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, readyEvent.c_str()));
    state.ready = ready.Get();
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    SetEvent(ready.Get());
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}

RemoteTarget::RemoteTarget() {
    const std::string suffix = std::to_string(GetCurrentProcessId());
    className_ = "VorivevoRemoteTarget" + suffix;
    const std::wstring readyName = Widen("VorivevoRemoteReady" + suffix);
    const std::wstring releaseName = Widen("VorivevoRemoteRelease" + suffix);
    ready_ = KernelHandle(CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
    release_ = KernelHandle(CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str()));

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --remote-target " + Widen(className_) + L" " +
                               readyName + L" " + releaseName;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        throw std::runtime_error("could not start the remote target");
    process_ = KernelHandle(started.hProcess);
    KernelHandle thread(started.hThread);
    const HANDLE waitFor[] = {ready_.Get(), process_.Get()};
    if (WaitForMultipleObjects(2, waitFor, FALSE, 60000) != WAIT_OBJECT_0)
        throw std::runtime_error("the remote target did not come up");
    window_ = FindWindowA(className_.c_str(), nullptr);
}

void RemoteTarget::Block() const {
    ResetEvent(ready_.Get());
    PostMessageW(window_, kRemoteBlock, 0, 0);
    WaitForSingleObject(ready_.Get(), 30000);
}

RemoteTarget::~RemoteTarget() {
    Release();
    if (window_ != nullptr) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.Get(), 30000) != WAIT_OBJECT_0) TerminateProcess(process_.Get(), 1);
}

}  // namespace vorivevo::test
