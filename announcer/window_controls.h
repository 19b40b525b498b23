// The initial values of the window's controls, which every host runtime creates them with.
#pragma once

namespace vorivevo {

// The home page box: the home page address that the advertisement line links to.
inline constexpr char kHomePageInitial[] = "https://vorivevo.net/";
// The display name box: the display name shown in the advertisement line.
inline constexpr char kDisplayNameInitial[] = "Zavarurev Iroz";
// The idle-minutes counter.
inline constexpr char kIdleCounterInitial[] = "0";
inline constexpr int kDialogTimerIntervalMs = 1000;
inline constexpr bool kDialogTimerInitiallyEnabled = false;
inline constexpr char kWindowCaption[] = "Form1";

}  // namespace vorivevo
