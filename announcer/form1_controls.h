// The initial values of the window's controls, which every host runtime creates them with.
#pragma once

namespace vorivevo {

// Text1: the home page address that the advertisement line links to.
inline constexpr char kText1Initial[] = "https://vorivevo.net/";
// Text2: the display name shown in the advertisement line.
inline constexpr char kText2Initial[] = "Zavarurev Iroz";
// Label1: the idle-minutes counter.
inline constexpr char kLabel1Initial[] = "0";
inline constexpr int kTimer1IntervalMs = 1000;
inline constexpr bool kTimer1InitiallyEnabled = false;
inline constexpr char kFormCaption[] = "Form1";

}  // namespace vorivevo
