// Comparing transcripts and message traffic, and printing them readably.
#include "transcript.h"

#include <cmath>
#include <cstdio>
#include <set>
#include <sstream>
#include <utility>

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

namespace {

// Matches actual[from..] against expected[step..], an incidental read matching any number of read pairs;
// `reached` keeps the furthest actual message matched and the expected one it stood against there.
class TrafficMatch {
public:
    TrafficMatch(const std::vector<SentMessage>& actual, const std::vector<SentMessage>& expected)
        : actual_(actual), expected_(expected) {}

    bool From(std::size_t message, std::size_t step) {
        if (!tried_.insert({message, step}).second) return false;
        if (message > reached_.first || (message == reached_.first && step > reached_.second)) reached_ = {message, step};
        if (step == expected_.size()) return message == actual_.size();
        const SentMessage& want = expected_[step];
        if (want.message == kIncidentalReads) {
            const bool read = message + 1 < actual_.size() && actual_[message].message == WM_GETTEXTLENGTH &&
                              actual_[message + 1].message == WM_GETTEXT && actual_[message].window == want.window &&
                              actual_[message + 1].window == want.window;
            return From(message, step + 1) || (read && From(message + 2, step));
        }
        return message < actual_.size() && actual_[message] == want && From(message + 1, step + 1);
    }
    std::pair<std::size_t, std::size_t> Reached() const { return reached_; }

private:
    const std::vector<SentMessage>& actual_;
    const std::vector<SentMessage>& expected_;
    std::set<std::pair<std::size_t, std::size_t>> tried_;
    std::pair<std::size_t, std::size_t> reached_{0, 0};
};

}  // namespace

std::string TrafficDifference(const std::vector<SentMessage>& actual, const std::vector<SentMessage>& expected) {
    TrafficMatch match(actual, expected);
    if (match.From(0, 0)) return {};
    const auto [first, step] = match.Reached();
    std::ostringstream out;
    out << "message " << first << ": expected ";
    if (step < expected.size()) {
        out << expected[step];
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
