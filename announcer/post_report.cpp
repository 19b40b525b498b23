// What the last post did, in the user's words, with the local time it happened.
#include "post_report.h"

#include <chrono>

namespace vorivevo {
namespace {

constexpr long kSecondsPerDay = 24 * 3600;

std::string TwoDigits(long value) { return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)}; }

// Formatted by hand: the C library's formatting would more than double what this file adds to the program.
std::string ClockTime(Duration timeOfDay) {
    long seconds = static_cast<long>(std::chrono::floor<std::chrono::seconds>(timeOfDay).count() % kSecondsPerDay);
    seconds = (seconds + kSecondsPerDay) % kSecondsPerDay;
    return TwoDigits(seconds / 3600) + ":" + TwoDigits(seconds / 60 % 60);
}

}  // namespace

std::string PostReport(PostResult result, Duration timeOfDay) {
    const std::string at = ClockTime(timeOfDay);
    switch (result) {
        case PostResult::Posted:
            return "Posted at " + at;
        case PostResult::NoChatRoom:
            return "No chat room open at " + at + ": nothing posted";
        case PostResult::RoomNotAsExpected:
            return "The chat room's entry box or Send button was not where it should be at " + at + ": nothing posted";
        case PostResult::RoomClosed:
            return "The chat room closed during a post at " + at;
        case PostResult::NoAnswer:
            return "The client did not answer at " + at + ": your typing is kept";
        case PostResult::NotTaken:
            return "The chat room did not take the line at " + at + ": your typing is kept";
        case PostResult::DraftRefused:
            return "The entry box would not take your typing back at " + at + ": nothing posted, it is tried again";
        case PostResult::AnotherCopyPosting:
            return "Another copy of Vorivevo was posting at " + at + ": nothing posted";
    }
    return "Unknown at " + at;
}

std::string DraftGivenUpReport(Duration timeOfDay) {
    return "By " + ClockTime(timeOfDay) + " the entry box had not taken your typing back for a minute: it is no longer tried";
}

}  // namespace vorivevo
