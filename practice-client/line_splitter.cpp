// Splitting of the control file's bytes into lines.
#include "line_splitter.h"

namespace vorivevo::practice {

std::vector<std::string> LineSplitter::Feed(const char* data, std::size_t size) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] != '\n') {
            partial_ += data[i];
            continue;
        }
        if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
        lines.push_back(std::move(partial_));
        partial_.clear();
    }
    return lines;
}

}  // namespace vorivevo::practice
