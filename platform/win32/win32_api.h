// The platform's API as the back end includes it. The core's window-system header declares constants
// under the names that <windows.h> defines as macros, so it has to be read first.
#pragma once

#include "window_system.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
