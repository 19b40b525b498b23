// Reading chat mark-up: tags are recognised only when whole and meaningful, everything else is text.
#include "chat_markup.h"

namespace vorivevo::practice {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// ASCII only: a byte of 0x80 or above is text in every code page the client uses.
char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAsciiLetter(char c) {
    const char lower = LowerAscii(c);
    return lower >= 'a' && lower <= 'z';
}

int HexDigit(char c) {
    const char lower = LowerAscii(c);
    if (c >= '0' && c <= '9') return c - '0';
    if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
    return -1;
}

bool EqualsIgnoringCase(std::string_view word, std::string_view lowerCase) {
    if (word.size() != lowerCase.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (LowerAscii(word[i]) != lowerCase[i]) return false;
    }
    return true;
}

std::optional<Rgb> ParseColour(std::string_view value) {
    if (value.size() != 7 || value[0] != '#') return std::nullopt;
    int digits[6];
    for (int i = 0; i < 6; ++i) {
        digits[i] = HexDigit(value[static_cast<std::size_t>(i) + 1]);
        if (digits[i] < 0) return std::nullopt;
    }
    return Rgb{static_cast<std::uint8_t>(digits[0] * 16 + digits[1]), static_cast<std::uint8_t>(digits[2] * 16 + digits[3]),
               static_cast<std::uint8_t>(digits[4] * 16 + digits[5])};
}

// The inside of one tag, between its "<" and its ">".
class TagReader {
public:
    explicit TagReader(std::string_view inside) : inside_(inside) {}

    bool AtEnd() const { return at_ == inside_.size(); }
    // Whether there was any blank.
    bool SkipBlanks() {
        const std::size_t from = at_;
        while (at_ < inside_.size() && IsBlank(inside_[at_])) ++at_;
        return at_ > from;
    }
    bool Take(char c) {
        if (at_ == inside_.size() || inside_[at_] != c) return false;
        ++at_;
        return true;
    }
    std::string_view Word() {
        const std::size_t from = at_;
        while (at_ < inside_.size() && IsAsciiLetter(inside_[at_])) ++at_;
        return inside_.substr(from, at_ - from);
    }
    // A quoted value needs its closing quote; an unquoted one runs to the next blank.
    std::optional<std::string_view> Value() {
        if (at_ < inside_.size() && (inside_[at_] == '"' || inside_[at_] == '\'')) {
            const std::size_t close = inside_.find(inside_[at_], at_ + 1);
            if (close == std::string_view::npos) return std::nullopt;
            const std::string_view value = inside_.substr(at_ + 1, close - at_ - 1);
            at_ = close + 1;
            return value;
        }
        const std::size_t from = at_;
        while (at_ < inside_.size() && !IsBlank(inside_[at_])) ++at_;
        return inside_.substr(from, at_ - from);
    }

private:
    std::string_view inside_;
    std::size_t at_ = 0;
};

struct Tag {
    enum class Kind { OpenFont, CloseFont, OpenAnchor, CloseAnchor };
    Kind kind = Kind::OpenFont;
    Rgb colour;
    std::string address;
};

// The tag whose inside this is, if it is one of the four the room knows and is well formed.
std::optional<Tag> ReadTag(std::string_view inside) {
    TagReader reader(inside);
    reader.SkipBlanks();
    const bool closing = reader.Take('/');
    if (closing) reader.SkipBlanks();
    const std::string_view name = reader.Word();
    const bool font = EqualsIgnoringCase(name, "font");
    const bool anchor = EqualsIgnoringCase(name, "a");
    if (!font && !anchor) return std::nullopt;
    Tag tag;
    if (closing) {
        reader.SkipBlanks();
        if (!reader.AtEnd()) return std::nullopt;
        tag.kind = font ? Tag::Kind::CloseFont : Tag::Kind::CloseAnchor;
        return tag;
    }
    if (!reader.SkipBlanks() || !EqualsIgnoringCase(reader.Word(), font ? "color" : "href")) return std::nullopt;
    reader.SkipBlanks();
    if (!reader.Take('=')) return std::nullopt;
    reader.SkipBlanks();
    const std::optional<std::string_view> value = reader.Value();
    reader.SkipBlanks();
    if (!value || !reader.AtEnd()) return std::nullopt;
    if (font) {
        const std::optional<Rgb> colour = ParseColour(*value);
        if (!colour) return std::nullopt;
        tag.kind = Tag::Kind::OpenFont;
        tag.colour = *colour;
        return tag;
    }
    if (value->empty()) return std::nullopt;
    tag.kind = Tag::Kind::OpenAnchor;
    tag.address = std::string(*value);
    return tag;
}

class LineBuilder {
public:
    // False when the tag has nothing to act on, so that it shows as text.
    bool Apply(const Tag& tag) {
        switch (tag.kind) {
            case Tag::Kind::OpenFont:
                colours_.push_back(tag.colour);
                return true;
            case Tag::Kind::CloseFont:
                if (colours_.empty()) return false;
                colours_.pop_back();
                return true;
            case Tag::Kind::OpenAnchor:
                line_.links.push_back(tag.address);
                link_ = static_cast<int>(line_.links.size()) - 1;
                return true;
            case Tag::Kind::CloseAnchor:
                if (link_ < 0) return false;
                link_ = -1;
                return true;
        }
        return false;
    }

    void AppendText(char c) {
        const std::optional<Rgb> colour = colours_.empty() ? std::nullopt : std::optional<Rgb>(colours_.back());
        if (line_.spans.empty() || line_.spans.back().colour != colour || line_.spans.back().link != link_) {
            line_.spans.push_back(MarkupSpan{{}, colour, link_});
        }
        line_.spans.back().text += c;
    }

    MarkedUpLine Take() { return std::move(line_); }

private:
    MarkedUpLine line_;
    std::vector<Rgb> colours_;  // the open colour tags', innermost last
    int link_ = -1;
};

}  // namespace

std::string MarkedUpLine::VisibleText() const {
    std::string text;
    for (const MarkupSpan& span : spans) text += span.text;
    return text;
}

MarkedUpLine ParseChatMarkup(std::string_view line) {
    LineBuilder builder;
    // Where the next ">" is: found once and reused by every "<" before it, so that a long line of "<"
    // costs time in proportion to its length, not to its square.
    std::size_t nextClose = 0;
    for (std::size_t at = 0; at < line.size();) {
        if (line[at] == '<') {
            if (nextClose <= at) nextClose = line.find('>', at + 1);
            if (nextClose != std::string_view::npos) {
                const std::optional<Tag> tag = ReadTag(line.substr(at + 1, nextClose - at - 1));
                if (tag && builder.Apply(*tag)) {
                    at = nextClose + 1;
                    continue;
                }
            }
        }
        builder.AppendText(line[at]);
        ++at;
    }
    return builder.Take();
}

}  // namespace vorivevo::practice
