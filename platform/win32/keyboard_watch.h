// When the user last pressed a key anywhere on the desktop: a low-level keyboard hook on a thread of its own.
#pragma once

#include "win32_api.h"

#include <optional>

#include "event_loop.h"
#include "qpc_clock.h"

namespace vorivevo {

// WH_KEYBOARD_LL sees every key-down that reaches the desktop's input: the keyboard's, the X server's under
// Wine, and those that other programs inject with SendInput (on-screen keyboards, remote controls),
// before any program handles them. It sees no mouse input, and not the keys a program makes up inside its
// own thread (a posted WM_CHAR). No code goes into another process.
//
// The hook runs on a thread that does nothing else: every key on the desktop waits for its hook procedure,
// and the system drops a hook that keeps keys waiting (silently, on later Windows). The program's own thread
// blocks in sends to a client that may hang, in the system's move loop, in message boxes; the hook's thread
// only ever waits for the next key.
//
// Where the hook cannot be installed there is no stand-in: GetLastInputInfo counts every mouse movement and
// our own window's clicks as input, so a post would wait for a pause in typing whenever the pointer moves,
// and right after every click on a command tile; and a session that refuses the hook has no input of its
// own to report either. The post then goes on as it would without a user typing.
class KeyboardWatch {
public:
    // Installs the hook and returns once it is in, or could not be put in.
    explicit KeyboardWatch(const QpcClock& clock) noexcept;
    ~KeyboardWatch();
    KeyboardWatch(const KeyboardWatch&) = delete;
    KeyboardWatch& operator=(const KeyboardWatch&) = delete;

    bool Watching() const noexcept { return watching_; }
    // The last key-down seen since the first watch of the process began; nothing before any.
    std::optional<Instant> LastKeyPressed() const noexcept;

private:
    static DWORD WINAPI Run(void* self) noexcept;

    const QpcClock& clock_;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    HANDLE ready_ = nullptr;
    bool watching_ = false;
};

}  // namespace vorivevo
