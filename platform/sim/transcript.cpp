// Comparing transcripts and message traffic, and printing them readably.
#include "transcript.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace vorivevo::sim {

namespace {

// Control characters and NULs would vanish or garble a failure message.
std::string Visible(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

template <typename T>
std::string Table(const std::vector<T>& rows) {
    std::ostringstream out;
    for (std::size_t i = 0; i < rows.size(); ++i) out << "\n    [" << i << "] " << rows[i];
    if (rows.empty()) out << "\n    (none)";
    return out.str();
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const TranscriptLine& line) {
    std::ostringstream time;
    if (std::isnan(line.time)) {
        time << "any time";
    } else {
        time.setf(std::ios::fixed);
        time.precision(6);
        time << line.time << " s";
    }
    return out << '(' << time.str() << ", \"" << Visible(line.text) << "\")";
}

std::string TranscriptDifference(const std::vector<TranscriptLine>& actual,
                                 const std::vector<TranscriptLine>& expected, double tolerance) {
    const std::size_t common = std::min(actual.size(), expected.size());
    for (std::size_t i = 0; i < common; ++i) {
        const bool timeMatches =
            std::isnan(expected[i].time) || std::fabs(actual[i].time - expected[i].time) <= tolerance;
        if (actual[i].text != expected[i].text || !timeMatches) {
            std::ostringstream out;
            out << "line " << i << (actual[i].text != expected[i].text ? " differs in text" : " differs in time")
                << " (tolerance " << tolerance << " s)\n  expected " << expected[i] << "\n  actual   " << actual[i]
                << "\n  whole transcript:" << Table(actual);
            return out.str();
        }
    }
    if (actual.size() == expected.size()) return {};
    std::ostringstream out;
    if (actual.size() > expected.size()) {
        out << "unexpected line " << common << ": " << actual[common];
    } else {
        out << "missing line " << common << ": " << expected[common];
    }
    out << "\n  expected " << expected.size() << " lines, got " << actual.size() << "; whole transcript:"
        << Table(actual);
    return out.str();
}

std::string TrafficDifference(const std::vector<SentMessage>& actual, const std::vector<SentMessage>& expected) {
    const std::size_t common = std::min(actual.size(), expected.size());
    std::size_t first = common;
    for (std::size_t i = 0; i < common; ++i) {
        if (actual[i] != expected[i]) {
            first = i;
            break;
        }
    }
    if (first == common && actual.size() == expected.size()) return {};
    std::ostringstream out;
    out << "message " << first << ": expected ";
    if (first < expected.size()) {
        out << expected[first];
    } else {
        out << "none";
    }
    out << ", got ";
    if (first < actual.size()) {
        out << actual[first];
    } else {
        out << "none";
    }
    out << "\n  expected:" << Table(expected) << "\n  actual:" << Table(actual);
    return out.str();
}

}  // namespace vorivevo::sim
