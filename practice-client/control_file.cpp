// Reading what was appended to the control file since the last poll.
#include "control_file.h"

#include <windows.h>

#include "text_codec.h"
#include "win_raii.h"

namespace vorivevo::practice {

ControlFile::ControlFile(const std::string& utf8Path) : path_(Utf8ToWide(utf8Path)) {}

std::vector<std::string> ControlFile::NewLines() {
    if (path_.empty()) return {};
    // Opened anew on every poll so that a file removed and written again is followed too.
    UniqueHandle file(CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size)) return {};
    auto fileSize = static_cast<std::uint64_t>(size.QuadPart);
    if (fileSize < offset_) {
        offset_ = 0;
        splitter_.Reset();
    }
    if (fileSize == offset_) return {};

    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset_);
    if (!SetFilePointerEx(file.Get(), position, nullptr, FILE_BEGIN)) return {};
    std::vector<std::string> lines;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        offset_ += read;
        for (auto& line : splitter_.Feed(buffer, read)) lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace vorivevo::practice
