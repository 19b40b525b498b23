// The error report shown to the user before the program ends.
#pragma once

#include "win32_api.h"

#include <string>

namespace vorivevo {

// Blocks until the user dismisses it. `owner` may be nullptr.
void ShowErrorBox(HWND owner, const std::string& message) noexcept;

}  // namespace vorivevo
