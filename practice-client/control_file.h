// Follows the control file that tests append commands to, handing over each line once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "line_splitter.h"

namespace vorivevo::practice {

class ControlFile {
public:
    // An empty path: there is no control file and NewLines() stays empty.
    explicit ControlFile(const std::string& utf8Path);

    // The lines completed since the last call. A file that does not exist yet gives none; a file
    // that has become shorter than what was read is taken as new and read from its start.
    std::vector<std::string> NewLines();

private:
    std::wstring path_;
    std::uint64_t offset_ = 0;
    LineSplitter splitter_;
};

}  // namespace vorivevo::practice
