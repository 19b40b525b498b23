// The status lines and the counter's arithmetic.
#include "chat_lines.h"

#include <cctype>

namespace vorivevo {

std::string AdvertLine(const std::string& homePage, const std::string& displayName) {
    return LinePrefix + "< a href=" + homePage + "><Font Color=#FFAB3E>" + displayName + "</a>";
}

std::string LoadedLine() { return LinePrefix + "Now Loaded"; }

std::string IdleLine(const std::string& minutes) { return LinePrefix + "I've Been Idle For: " + minutes + " Min(s)"; }

std::string OffLine() { return LinePrefix + "Status: Off!"; }

std::string UnloadedLine() { return LinePrefix + "Now Unloaded"; }

std::string NextCount(const std::string& counter) {
    std::size_t begin = 0;
    while (begin < counter.size() && counter[begin] == ' ') ++begin;
    std::size_t end = begin;
    while (end < counter.size() && std::isdigit(static_cast<unsigned char>(counter[end]))) ++end;
    std::string digits = counter.substr(begin, end - begin);
    const std::size_t firstNonZero = digits.find_first_not_of('0');
    digits = firstNonZero == std::string::npos ? "0" : digits.substr(firstNonZero);

    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return digits;
        }
        digits[i] = '0';
    }
    return "1" + digits;
}

}  // namespace vorivevo
