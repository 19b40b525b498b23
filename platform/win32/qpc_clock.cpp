// Reading the performance counter.
#include "qpc_clock.h"

namespace vorivevo {

// The counter's frequency is fixed at boot, so it is read once.
QpcClock::QpcClock() noexcept {
    LARGE_INTEGER frequency;
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0)
        ticksPerSecond_ = frequency.QuadPart;
}

Instant QpcClock::Now() const noexcept {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return At(now.QuadPart);
}

Instant QpcClock::At(long long counter) const noexcept {
    // In two parts, so that counter * 1,000,000 cannot overflow however long the machine has run.
    const long long whole = counter / ticksPerSecond_;
    const long long part = counter % ticksPerSecond_;
    return Instant{std::chrono::seconds(whole) + Duration{part * 1000000 / ticksPerSecond_}};
}

}  // namespace vorivevo
