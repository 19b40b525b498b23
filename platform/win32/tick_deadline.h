// Time-outs on the system's millisecond tick count, the clock that every Windows has.
#pragma once

#include "win32_api.h"

namespace vorivevo {

// A span of milliseconds that starts at a reading of GetTickCount. The count wraps to 0 every 2^32 ms
// (49.7 days), so the time gone is the difference of two readings, which stays right across the wrap;
// a sum of a reading and a span would not.
class TickDeadline {
public:
    // One that is over already.
    constexpr TickDeadline() noexcept = default;
    constexpr TickDeadline(DWORD startTick, DWORD lengthMs) noexcept : start_(startTick), length_(lengthMs) {}
    static TickDeadline FromNow(DWORD lengthMs) noexcept { return TickDeadline(GetTickCount(), lengthMs); }

    // Milliseconds left when the tick count reads nowTick; 0 once the span is over.
    constexpr DWORD LeftAt(DWORD nowTick) const noexcept {
        const DWORD gone = nowTick - start_;
        return gone < length_ ? length_ - gone : 0;
    }
    DWORD Left() const noexcept { return LeftAt(GetTickCount()); }
    bool Over() const noexcept { return Left() == 0; }

private:
    DWORD start_ = 0;
    DWORD length_ = 0;
};

}  // namespace vorivevo
