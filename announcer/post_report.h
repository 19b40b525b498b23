// What the last post did, in the user's words, for the window to show (the name bar's tooltip).
#pragma once

#include <string>

#include "client_automation.h"
#include "event_loop.h"

namespace vorivevo {

// "Posted at 14:02", "No chat room open at 14:03: nothing posted", ...: the hours and minutes of the
// local time of day (since midnight).
std::string PostReport(PostResult result, Duration timeOfDay);
// That the draft an earlier post owed the entry box was given up on at that time, so that posting goes on.
std::string DraftGivenUpReport(Duration timeOfDay);

}  // namespace vorivevo
