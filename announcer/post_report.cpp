#include "post_report.h"

#include <cmath>

namespace vorivevo {
namespace {

constexpr long kSecondsPerDay = 24 * 3600;

std::string TwoDigits(long value) { return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)}; }

// Formatted by hand: the C library's formatting would more than double what this file adds to the program.
std::string ClockTime(double secondsSinceMidnight) {
    long seconds = std::isfinite(secondsSinceMidnight) ? static_cast<long>(std::floor(secondsSinceMidnight)) : 0;
    seconds = ((seconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
    return TwoDigits(seconds / 3600) + ":" + TwoDigits(seconds / 60 % 60);
}

}  // namespace

std::string PostReport(PostResult result, double secondsSinceMidnight) {
    const std::string at = ClockTime(secondsSinceMidnight);
    switch (result) {
        case PostResult::Posted:
            return "Posted at " + at;
        case PostResult::NoChatRoom:
            return "No chat room open at " + at + ": nothing posted";
        case PostResult::NoAnswer:
            return "The client did not answer at " + at + ": your typing is kept";
        case PostResult::NotTaken:
            return "The chat room did not take the line at " + at + ": your typing is kept";
    }
    return "Unknown at " + at;
}

}  // namespace vorivevo
