// Cuts a growing byte stream (the control file as tests append to it) into whole lines.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vorivevo::practice {

class LineSplitter {
public:
    // The lines completed by `data`, without their "\n" or "\r\n". A line whose newline has not
    // arrived yet is held back until it does, since a test may be caught half-way through a write.
    std::vector<std::string> Feed(const char* data, std::size_t size);
    void Reset() { partial_.clear(); }

private:
    std::string partial_;
};

}  // namespace vorivevo::practice
