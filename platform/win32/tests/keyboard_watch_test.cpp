// What the event pump reports as the user's last key: keys that another program injects, seen at once
// whatever our own thread is doing; never mouse input.
#include "win32_event_pump.h"

#include <gtest/gtest.h>

#include <chrono>

#include "remote_target.h"

namespace vorivevo {
namespace {

using std::chrono::milliseconds;

// Polls, so that it works whether or not the pump's thread would have to take the hook's calls.
std::optional<Instant> KeySeenAfter(Win32EventPump& pump, Instant after, milliseconds within) {
    const Instant end = pump.Now() + within;
    for (;;) {
        const std::optional<Instant> seen = pump.LastKeyPressed();
        if (seen && *seen >= after) return seen;
        if (pump.Now() >= end) return std::nullopt;
        Sleep(5);
    }
}

TEST(KeyboardWatch, AKeyInjectedByAnotherProgramIsSeenWhenItIsTypedWhileOurThreadIsBusy) {
    Win32EventPump pump;
    test::RemoteTarget remote;
    const Instant asked = pump.Now();
    PostMessageW(remote.Window(), test::kRemoteInjectKey, 0, 0);
    // Our thread takes no message meanwhile, as in a send to a client that is slow to answer: the key must
    // neither wait for it nor be missed.
    Sleep(600);
    const std::optional<Instant> seen = KeySeenAfter(pump, asked, milliseconds(2000));
    ASSERT_TRUE(seen) << "no key seen";
    EXPECT_LT(*seen - asked, milliseconds(300))
        << "the key was seen " << std::chrono::duration_cast<milliseconds>(*seen - asked).count()
        << " ms after it was asked for: it waited for our thread";
}

TEST(KeyboardWatch, MouseInputIsNoKey) {
    Win32EventPump pump;
    test::RemoteTarget remote;
    const Instant asked = pump.Now();
    PostMessageW(remote.Window(), test::kRemoteInjectMouse, 0, 0);
    EXPECT_FALSE(KeySeenAfter(pump, asked, milliseconds(500))) << "a movement of the pointer counted as a key";
    // The same program's key afterwards is seen: the watch was looking.
    PostMessageW(remote.Window(), test::kRemoteInjectKey, 0, 0);
    EXPECT_TRUE(KeySeenAfter(pump, asked, milliseconds(2000))) << "no key seen";
}

}  // namespace
}  // namespace vorivevo
