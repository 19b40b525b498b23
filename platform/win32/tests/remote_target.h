// A window in another process for the window-system tests: the test program started again with
// --remote-target, so that messages cross a process boundary as they do to the chat client.
#pragma once

#include "win32_api.h"

#include <string>

#include "win32_handles.h"

namespace vorivevo::test {

// Messages the remote target answers besides the standard ones.
constexpr UINT kRemoteBlock = WM_APP + 1;     // posted: stop answering until the release event is set (Block)
constexpr UINT kRemoteSetByte = WM_APP + 2;   // byte wParam of the last ANSI WM_SETTEXT, or -1
// Posted: input injected with SendInput, as on-screen keyboards inject it: a press and release of F24
// (a key that nothing answers), or the pointer moved by a pixel and back.
constexpr UINT kRemoteInjectKey = WM_APP + 3;
constexpr UINT kRemoteInjectMouse = WM_APP + 4;

// Runs in the started process: creates the ANSI window of class `className`, sets `readyEvent`, and
// serves messages until the window is closed. Returns the process's exit code.
int RunRemoteTarget(const std::wstring& className, const std::wstring& readyEvent, const std::wstring& releaseEvent);

// The test's side: starts the process and waits until its window exists.
class RemoteTarget {
public:
    RemoteTarget();
    ~RemoteTarget();
    RemoteTarget(const RemoteTarget&) = delete;
    RemoteTarget& operator=(const RemoteTarget&) = delete;

    const std::string& ClassName() const { return className_; }
    HWND Window() const { return window_; }
    // Stops the target answering, and returns once it has stopped: a message sent before then would be
    // answered, since a thread takes sent messages before posted ones.
    void Block() const;
    // Lets a blocked target answer again.
    void Release() const { SetEvent(release_.Get()); }

private:
    std::string className_;
    KernelHandle ready_;
    KernelHandle release_;
    KernelHandle process_;
    HWND window_ = nullptr;
};

}  // namespace vorivevo::test
