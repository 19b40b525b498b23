// What the last post did, in the user's words, for the window to show (the name bar's tooltip).
#pragma once

#include <string>

#include "client_automation.h"

namespace vorivevo {

// "Posted at 14:02", "No chat room open at 14:03: nothing posted", ...; the time of day is the local
// clock's hours and minutes.
std::string PostReport(PostResult result, double secondsSinceMidnight);

}  // namespace vorivevo
