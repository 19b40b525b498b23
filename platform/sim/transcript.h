// What the chat room received, as a table of (time, line), and the one place that compares such tables.
#pragma once

#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "desktop.h"

namespace vorivevo::sim {

// A line as it reached the room: virtual seconds since the run began, and the text in UTF-8.
struct TranscriptLine {
    double time;
    std::string text;
};
std::ostream& operator<<(std::ostream& out, const TranscriptLine& line);

// As an expected time: the line may come at any time.
inline constexpr double kAnyTime = std::numeric_limits<double>::quiet_NaN();

// Empty when the tables agree: as many lines, the same texts in the same order, and each time within
// `tolerance` seconds of the expected one (an expected kAnyTime matches every time). Otherwise a
// description of the first difference, for the test to print.
std::string TranscriptDifference(const std::vector<TranscriptLine>& actual,
                                 const std::vector<TranscriptLine>& expected, double tolerance);

// The same for a window's message traffic; an expected kIncidentalReads (desktop.h) matches any number
// of whole reads of its window.
std::string TrafficDifference(const std::vector<SentMessage>& actual, const std::vector<SentMessage>& expected);

}  // namespace vorivevo::sim
