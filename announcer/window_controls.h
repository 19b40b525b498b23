// The window's caption and its controls' initial values, which every host creates them with, and the
// dialog timer's interval.
#pragma once

#include <chrono>

namespace vorivevo {

// The caption, as other programs (and our tests) find the window by it; it is never shown.
inline constexpr char kWindowCaption[] = "Form1";
// The home page box: the address that the advertisement line links to.
inline constexpr char kHomePageInitial[] = "https://vorivevo.net/";
// The display name box: the name that the advertisement line shows.
inline constexpr char kDisplayNameInitial[] = "Zavarurev Iroz";
// The idle-minutes counter.
inline constexpr char kIdleCounterInitial[] = "0";
// How often the dialog timer ticks once enabled; it starts stopped.
inline constexpr std::chrono::milliseconds kDialogTimerInterval{1000};

}  // namespace vorivevo
