// The calling thread's event loop on Windows: its message pump, a wait that blocks until a message comes
// or a deadline passes, and the QPC clock. The program's host, the contract cases and the benchmark pump
// through it.
#pragma once

#include "win32_api.h"

#include "event_loop.h"
#include "keyboard_watch.h"
#include "qpc_clock.h"

namespace vorivevo {

class Win32EventPump : public EventLoop {
public:
    // Dispatches every message queued for the thread, then runs AfterPump.
    void DoEvents() override;
    // Returns as soon as any message is queued, or the deadline passes; leaves the queue as it is.
    void WaitForEvent(Instant deadline) override;
    Instant Now() override { return clock_.Now(); }
    // Keys seen by a low-level keyboard hook (KeyboardWatch).
    std::optional<Instant> LastKeyPressed() override { return keys_.LastKeyPressed(); }

    // How often DoEvents has run.
    long Pumps() const noexcept { return pumps_; }

protected:
    // For a host that derives from it. Takes a message before it is translated and dispatched (a dialog key); true when it did.
    virtual bool PreTranslate(const MSG&) noexcept { return false; }
    // WM_QUIT came off the queue: somebody asked the thread to end. Pumping stops there.
    virtual void OnQuit() noexcept {}
    // Runs once the queue is empty, in our own frames: what the window procedures only noted.
    virtual void AfterPump() {}

private:
    QpcClock clock_;
    KeyboardWatch keys_{clock_};
    long pumps_ = 0;
};

}  // namespace vorivevo
