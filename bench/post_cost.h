// The cost of one PostToChat: window-system calls by operation and wall time, shared by the simulated
// desktop's bench and the one run under Wine against the practice client.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "client_automation.h"
#include "window_system.h"

namespace vorivevo::bench {

// Passes every operation on to the real window system and counts it, so both benches count alike.
struct Calls {
    long findWindow = 0;
    long getWindow = 0;
    long getClassName = 0;
    long sendMessage = 0;
    // SetWindowPos, ReleaseCapture (a post makes none), and the client's focus: asked for at each press and
    // given back when the press moved it
    long other = 0;
    long Total() const { return findWindow + getWindow + getClassName + sendMessage + other; }
};

class CountingWindowSystem final : public WindowSystem {
public:
    explicit CountingWindowSystem(WindowSystem& inner) : inner_(inner) {}

    Calls calls;

    WindowHandle FindWindowA(const std::string& className) override {
        ++calls.findWindow;
        return inner_.FindWindowA(className);
    }
    WindowHandle GetWindow(WindowHandle window, unsigned command) override {
        ++calls.getWindow;
        return inner_.GetWindow(window, command);
    }
    int GetClassNameA(WindowHandle window, char* buffer, int size) override {
        ++calls.getClassName;
        return inner_.GetClassNameA(window, buffer, size);
    }
    Reply Send(WindowHandle window, Message message, WParam wParam, LParam lParam) override {
        ++calls.sendMessage;
        return inner_.Send(window, message, wParam, lParam);
    }
    Reply Send(WindowHandle window, Message message, WParam wParam, TextIn lParam) override {
        ++calls.sendMessage;
        return inner_.Send(window, message, wParam, lParam);
    }
    Reply Send(WindowHandle window, Message message, WParam wParam, TextBuffer lParam) override {
        ++calls.sendMessage;
        return inner_.Send(window, message, wParam, lParam);
    }
    void SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                      unsigned flags) override {
        ++calls.other;
        inner_.SetWindowPos(window, insertAfter, x, y, cx, cy, flags);
    }
    void ReleaseCapture() override {
        ++calls.other;
        inner_.ReleaseCapture();
    }
    std::string ThroughCodePage(const std::string& text) override { return inner_.ThroughCodePage(text); }
    bool ClaimEntryBoxes(const void* copy) override { return inner_.ClaimEntryBoxes(copy); }
    void ReleaseEntryBoxes(const void* copy) override { inner_.ReleaseEntryBoxes(copy); }
    WindowHandle FocusOfThread(WindowHandle window) override {
        ++calls.other;
        return inner_.FocusOfThread(window);
    }
    bool MoveThreadFocus(WindowHandle from, WindowHandle to) override {
        ++calls.other;
        return inner_.MoveThreadFocus(from, to);
    }

private:
    WindowSystem& inner_;
};

// Posts `posts` lines (the first is a warm-up and not timed) and prints one line of key=value pairs:
// the calls of one post by operation, and the median and worst wall time of a post in microseconds.
// `received` tells how many lines the room has taken, to check that the posts went through.
template <class ReceivedCount>
bool ReportPostCost(const char* where, int roomPosition, ClientAutomation& automation, CountingWindowSystem& counter,
                    int posts, ReceivedCount received) {
    using Clock = std::chrono::steady_clock;
    const long receivedBefore = received();
    std::vector<double> micros;
    micros.reserve(static_cast<std::size_t>(posts));
    Calls first;
    for (int i = 0; i <= posts; ++i) {
        counter.calls = Calls{};
        const std::string line = "bench post " + std::to_string(i);
        const Clock::time_point start = Clock::now();
        automation.PostToChat(line);
        const Clock::time_point end = Clock::now();
        if (i == 0) continue;
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        if (i == 1) {
            first = counter.calls;
        } else if (counter.calls.Total() != first.Total()) {
            // Every post takes the same path here; a different count means one was not taken at once.
            std::printf("post_cost where=%s room=%d error=calls-vary(%ld,%ld)\n", where, roomPosition,
                        first.Total(), counter.calls.Total());
            return false;
        }
    }
    const long taken = received() - receivedBefore;
    std::sort(micros.begin(), micros.end());
    std::printf(
        "post_cost where=%s room=%d posts=%d received=%ld calls=%ld findWindow=%ld getWindow=%ld "
        "getClassName=%ld sendMessage=%ld median_us=%.1f worst_us=%.1f\n",
        where, roomPosition, posts, taken, first.Total(), first.findWindow, first.getWindow, first.getClassName,
        first.sendMessage, micros[micros.size() / 2], micros.back());
    std::fflush(stdout);
    return taken == posts + 1;
}

}  // namespace vorivevo::bench
