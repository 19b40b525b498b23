// Writing the log records with wall-clock time stamps.
#include "event_log.h"

#include <cstdint>

#include "log_format.h"
#include "text_codec.h"

namespace vorivevo::practice {

namespace {

// FILETIME counts 100 ns ticks from 1601-01-01; the Unix epoch is this many ticks later.
constexpr std::uint64_t kEpochOffsetTicks = 116444736000000000ULL;

std::uint64_t EpochMilliseconds() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    std::uint64_t ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return (ticks - kEpochOffsetTicks) / 10000;
}

}  // namespace

EventLog::EventLog(const std::string& utf8Path) {
    if (utf8Path.empty()) return;
    file_ = UniqueHandle(CreateFileW(Utf8ToWide(utf8Path).c_str(), FILE_APPEND_DATA,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    failed_ = !file_;
}

void EventLog::Received(const std::string& ansiText) {
    Write(EscapeReceivedText(ansiText));
}

void EventLog::Event(const std::string& body) {
    Write("#" + body);
}

void EventLog::Write(const std::string& body) {
    if (!file_) return;
    std::string record = FormatRecord(EpochMilliseconds(), body);
    DWORD written = 0;
    WriteFile(file_.Get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
}

}  // namespace vorivevo::practice
