#include "tick_deadline.h"

#include <gtest/gtest.h>

namespace vorivevo {
namespace {

// The tick count wraps every 49.7 days, so a program that runs that long meets the wrap inside a wait.
TEST(TickDeadline, CountsTheTimeLeftAcrossTheWrap) {
    constexpr DWORD kLast = 0xFFFFFFFF;
    struct Row {
        DWORD start, length, now, left;
    };
    const Row rows[] = {
        {1000, 2000, 1000, 2000},
        {1000, 2000, 2999, 1},
        {1000, 2000, 3000, 0},
        {1000, 2000, 900000, 0},
        {kLast - 999, 2000, kLast, 1001},  // the wrap falls inside the span
        {kLast - 999, 2000, 0, 1000},
        {kLast - 999, 2000, 999, 1},
        {kLast - 999, 2000, 1000, 0},
        {kLast - 999, 2000, 5000, 0},
        {kLast, 5000, 4998, 1},  // started on the last tick before the wrap
        {0, 5000, kLast, 0},     // over, and read just before the count comes round again
        {5, 0, 5, 0},            // a span of nothing is over at once
    };
    for (const Row& row : rows)
        EXPECT_EQ(TickDeadline(row.start, row.length).LeftAt(row.now), row.left)
            << "started at " << row.start << ", " << row.length << " ms long, read at " << row.now;
}

}  // namespace
}  // namespace vorivevo
