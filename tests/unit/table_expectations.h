// Expected behaviour as tables: a chat room's transcript and the message traffic to windows, each
// compared in one place that prints the first difference, once.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop.h"
#include "transcript.h"

namespace vorivevo::sim {

// Times that only the announcer's own waits make, with posts taking no time.
inline constexpr double kExact = 1e-9;

inline ::testing::AssertionResult TranscriptIs(const std::vector<TranscriptLine>& actual,
                                               const std::vector<TranscriptLine>& expected,
                                               double tolerance = kExact) {
    const std::string difference = TranscriptDifference(actual, expected, tolerance);
    if (difference.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << difference;
}

inline ::testing::AssertionResult TrafficIs(const std::vector<SentMessage>& actual,
                                            const std::vector<SentMessage>& expected) {
    const std::string difference = TrafficDifference(actual, expected);
    if (difference.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << difference;
}

}  // namespace vorivevo::sim
