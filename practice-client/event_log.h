// The practice client's log file: what the room received and what happened, one record a line.
//
// Format (also in README.md). Each record is "<time>\t<body>\n"; <time> is wall-clock Unix epoch
// seconds with milliseconds ("1765083741.207"). <body> is either
//   - a line the room received, exactly as the entry box held it (ANSI bytes), with every byte
//     outside printable ASCII, and the backslash, written \xHH; a leading '#' is written \x23; or
//   - an event, starting with '#': "#ready ...", "#press send", "#press palette 1 icon 0", ...
// Each record goes to the file with one write as soon as it happens, so a reader never waits for
// a buffer and never sees half a record.
#pragma once

#include <string>

#include "win_raii.h"

namespace vorivevo::practice {

class EventLog {
public:
    // An empty path keeps no log. The file is appended to, never truncated.
    explicit EventLog(const std::string& utf8Path);

    // A path was given and the file could not be opened.
    bool Failed() const { return failed_; }

    void Received(const std::string& ansiText);
    // `body` without the leading '#'.
    void Event(const std::string& body);

private:
    void Write(const std::string& body);

    UniqueHandle file_;
    bool failed_ = false;
};

}  // namespace vorivevo::practice
