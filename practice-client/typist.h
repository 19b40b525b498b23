// The practice client typing as a user does: a run of keys at a steady rate, either through the keyboard
// (SendInput, into whatever has the keyboard focus) or handled in its own thread (WM_CHAR posted to its
// focused window, as a translated key arrives, which no program outside can see coming).
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "chat_frame.h"
#include "event_log.h"

namespace vorivevo::practice {

class Typist {
public:
    enum class Path { Keyboard, Thread };

    Typist(HINSTANCE instance, ChatFrame& frame, EventLog& log);
    Typist(const Typist&) = delete;
    Typist& operator=(const Typist&) = delete;
    ~Typist();

    // The window its timer runs on. False on failure.
    bool Create();
    // Types `count` keys at `rate` a second once the runs before it are done. Then, once its keys have had
    // time to arrive, logs "#typed keyboard N entry E delay-ms MEDIAN MAX" (E: keys that reached the
    // entry box; their delays from SendInput to the box, in milliseconds) or "#typed thread N entry E send
    // S elsewhere O" (where the focus was at each key; a key with no focus window counts as elsewhere).
    void Type(Path path, int count, double rate);
    // A character reached the entry box.
    void OnEntryCharacter(WPARAM character);

    // The letter of the client's k-th typed key, from 0, counted over every run: a, b, ... z, a, ...
    static char Letter(long k) { return static_cast<char>('a' + k % 26); }

private:
    struct Run {
        Path path;
        int count;
        double rate;
    };
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnTick();
    void TypeKey(Path path);
    void Finish();
    double NowMs() const;

    HINSTANCE instance_;
    ChatFrame& frame_;
    EventLog& log_;
    HWND window_ = nullptr;
    double ticksPerMs_ = 1;
    std::deque<Run> runs_;
    // The run at the front of runs_, once begun: when, keys typed, where they went.
    bool begun_ = false;
    double beganMs_ = 0;
    double lastKeyMs_ = 0;
    int typed_ = 0;
    int toEntry_ = 0, toSend_ = 0, elsewhere_ = 0;
    long keysTyped_ = 0;
    // Keyboard keys not yet seen in the entry box, with when they were sent (ms); the delays of those seen.
    std::deque<std::pair<char, double>> inFlight_;
    std::vector<double> delays_;
};

}  // namespace vorivevo::practice
