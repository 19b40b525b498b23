// Reading the performance counter.
#include "qpc_clock.h"

namespace vorivevo {

// The counter's frequency is fixed at boot, so it is read once.
QpcClock::QpcClock() noexcept {
    LARGE_INTEGER frequency;
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0)
        ticksPerSecond_ = static_cast<double>(frequency.QuadPart);
}

Instant QpcClock::Now() const noexcept {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return Instant{Duration{static_cast<double>(now.QuadPart) / ticksPerSecond_}};
}

}  // namespace vorivevo
