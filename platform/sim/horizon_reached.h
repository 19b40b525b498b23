// The signal that ends a simulated run: the test's horizon, or nothing left that could ever happen.
#pragma once

#include <string>

namespace vorivevo::sim {

// Deliberately not derived from std::exception: the logic reports and swallows what derives from it,
// and a run that has reached its end must leave the logic, not be handled by it.
struct HorizonReached {
    std::string reason;
};

}  // namespace vorivevo::sim
