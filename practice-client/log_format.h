// The practice client's log records: how received text and events are written, one line each.
#pragma once

#include <cstdint>
#include <string>

namespace vorivevo::practice {

// Printable ASCII is kept, except the backslash; every other byte becomes \xHH (upper-case hex),
// so the bytes F7 A4 read \xF7\xA4 and no record can be broken by a tab or a newline.
std::string EscapeForLog(const std::string& bytes);

// As EscapeForLog, and a leading '#' is written \x23 so that received text is never taken for an
// event record.
std::string EscapeReceivedText(const std::string& bytes);

// The inverse of EscapeForLog: each \xHH becomes its byte; a backslash that does not start \xHH is
// kept as it is. Lets tests hand us exactly the bytes they will later look for in the log.
std::string DecodeEscapes(const std::string& text);

// "<seconds>.<milliseconds>\t<body>\n", the time counted from the Unix epoch on the wall clock.
std::string FormatRecord(std::uint64_t epochMilliseconds, const std::string& body);

}  // namespace vorivevo::practice
