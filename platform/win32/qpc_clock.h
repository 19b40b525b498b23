// The monotonic clock on Windows: the performance counter, read as seconds.
#pragma once

#include "win32_api.h"

#include "event_loop.h"

namespace vorivevo {

class QpcClock {
public:
    QpcClock() noexcept;
    Instant Now() const noexcept;
    // The instant at which the counter read `counter`.
    Instant At(long long counter) const noexcept;

private:
    long long ticksPerSecond_ = 1;
};

}  // namespace vorivevo
