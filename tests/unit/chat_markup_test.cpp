// How the practice room reads chat mark-up: a table of well-formed and malformed lines, and random
// lines whose tags are known by construction.
#include "chat_markup.h"
#include "terminal_rendering.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vorivevo::practice {
namespace {

std::string Hex(Rgb colour) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (int value : {colour.red, colour.green, colour.blue}) {
        text += digits[value >> 4];
        text += digits[value & 0x0F];
    }
    return text;
}

// Each run of bytes that look alike as "[COLOUR=ADDRESS]text", either part left out when it has none.
// (Two anchors to one address side by side read as one.)
std::string Describe(const MarkedUpLine& line) {
    std::string text, previous;
    for (const MarkupSpan& span : line.spans) {
        std::string looks = "[";
        if (span.colour) looks += Hex(*span.colour);
        if (span.link >= 0) looks += '=' + line.links.at(static_cast<std::size_t>(span.link));
        looks += ']';
        if (looks != previous) text += looks;
        previous = looks;
        text += span.text;
    }
    return text;
}

TEST(ChatMarkup, ReadsEachLineAsTheTableSays) {
    const std::pair<std::string, std::string> rows[] = {
        // Our own lines.
        {"<Font Color=#FFAB3E>^v\xF7\xA4< a href=https://vorivevo.net/><Font Color=#FFAB3E>Zavarurev Iroz</a>",
         "[FFAB3E]^v\xF7\xA4[FFAB3E=https://vorivevo.net/]Zavarurev Iroz"},
        {"<Font Color=#FFAB3E>^v\xF7\xA4I've Been Idle For: 0 Min(s)", "[FFAB3E]^v\xF7\xA4I've Been Idle For: 0 Min(s)"},
        // A colour lasts until the next colour tag, its </font> or the line's end; anchors do not end it.
        {"a<font color=#000000>b<FONT COLOR=#ff0000>c</font>d</Font>e", "[]a[000000]b[FF0000]c[000000]d[]e"},
        {"<a href=u><font color=#FFAB3E>n</a>after", "[FFAB3E=u]n[FFAB3E]after"},
        {"<font color = \"#00ff00\" >x<a href='a b'>y</a>", "[00FF00]x[00FF00=a b]y"},
        {"<\ta\thref=u>t< / a >", "[=u]t"},
        // An unclosed anchor runs to the line's end.
        {"<a href=x>y", "[=x]y"},
        // Nested anchors: the inner one ends the outer, whose </a> then has nothing to close.
        {"<a href=1>a<a href=2>b</a>c</a>", "[=1]a[=2]b[]c</a>"},
        {"< a href=a b>c\"><Font Color=#FFAB3E><b>&</a>", "[]< a href=a b>c\">[FFAB3E]<b>&</a>"},
        // Bytes of 0x80 and above, and "<" that starts nothing.
        {"\xF7\xA4<\xF7\xA4>a<<font color=#010203>b>", "[]\xF7\xA4<\xF7\xA4>a<[010203]b>"},
        {"<font color=#FFAB3E><a href=x></a>", ""},
    };
    for (const auto& [line, expected] : rows) EXPECT_EQ(Describe(ParseChatMarkup(line)), expected) << "line: " << line;

    const char* const shownAsText[] = {
        "x<font color=#FFAB3E", "<a href=\"x>y</a>",                                          // unclosed
        "<font color=#FFAB3>a<font color=FFAB3E>b<font color=#GGAB3E>c<font color=#FFAB3E0>",  // bad colours
        "<font color=red>x<font color=><font>", "<b>bold</b><br><fontcolor=#FFAB3E>",           // unknown
        "<font color=#FFAB3E size=3>x<a name=n>", "</font></a>x< a href=>x</a>",                // nothing to act on
    };
    for (const std::string line : shownAsText) EXPECT_EQ(Describe(ParseChatMarkup(line)), "[]" + line) << "line: " << line;
}

// Random lines built from pieces whose meaning is known: text without "<", a "<" that cannot start a tag,
// malformed tags, and the four tags in random spellings. Each piece's "<" ends at its own ">", so the
// pieces cannot run into one another, and the room must show exactly the text pieces and the tags
// that had nothing to act on, in the colours and links the tags before them give.
class RandomLine {
public:
    explicit RandomLine(std::uint64_t seed) : random_(seed) {
        const int pieces = Below(12);
        for (int i = 0; i < pieces; ++i) AddPiece();
    }

    const std::string& Text() const { return line_; }
    // Each visible byte with its colour and address, as Describe writes them.
    const std::string& Expected() const { return expected_; }

private:
    int Below(int n) { return static_cast<int>(random_() % static_cast<std::uint64_t>(n)); }
    char AnyByteBut(const std::string& excluded) {
        for (;;) {
            const char c = static_cast<char>(Below(256));
            if (excluded.find(c) == std::string::npos) return c;
        }
    }
    std::string Blanks() { return std::string(static_cast<std::size_t>(Below(3)), " \t"[Below(2)]); }
    std::string Spelled(const std::string& word) {
        std::string text;
        for (char c : word) text += Below(2) ? c : static_cast<char>(c - 'a' + 'A');
        return text;
    }
    std::string Quoted(const std::string& value) {
        const std::string quote = std::string("\"'").substr(static_cast<std::size_t>(Below(3)), 1);  // or none
        return quote + value + quote;
    }

    void Show(const std::string& text) {
        for (char c : text) {
            std::string described = "[";
            if (!colours_.empty()) described += colours_.back();
            if (!link_.empty()) described += '=' + link_;
            described += ']';
            if (described != lastDescribed_) expected_ += described;
            lastDescribed_ = described;
            expected_ += c;
        }
    }

    void AddPiece() {
        static const char* const malformed[] = {
            "<font color=#FFAB3>", "<font color=red>", "<b>", "</b>", "<a>", "<a href=>", "<a href=a b>",
            "<font size=2>", "<fontcolor=#000000>", "<font color=#FFAB3E size=2>", "<>", "< >", "</>",
            "<a href=\"x>", "<\xF7\xA4>"};
        std::string piece;
        switch (Below(6)) {
            case 0: {  // text
                const int length = Below(6);
                for (int i = 0; i < length; ++i) piece += AnyByteBut("<");
                Show(piece);
                break;
            }
            case 1:  // "<" then a byte that no tag name can start with, or a malformed tag
                piece = Below(2) ? "<" + std::string(1, AnyByteBut("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ \t\r\n\f/"))
                                 : malformed[Below(static_cast<int>(std::size(malformed)))];
                Show(piece);
                break;
            case 2: {  // <font color=#RRGGBB>
                std::string hex;
                for (int i = 0; i < 6; ++i) hex += "0123456789abcdefABCDEF"[Below(22)];
                piece = "<" + Blanks() + Spelled("font") + " " + Blanks() + Spelled("color") + Blanks() + "=" + Blanks() +
                        Quoted("#" + hex) + Blanks() + ">";
                std::string upper;
                for (char c : hex) upper += static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
                colours_.push_back(upper);
                break;
            }
            case 3: {  // <a href=ADDRESS>
                std::string address;
                const int length = 1 + Below(6);
                for (int i = 0; i < length; ++i) address += AnyByteBut("<>\"' \t\r\n\f");
                piece = "<" + Blanks() + Spelled("a") + "\t" + Blanks() + Spelled("href") + Blanks() + "=" + Blanks() +
                        Quoted(address) + Blanks() + ">";
                link_ = address;
                break;
            }
            case 4:
                piece = "<" + Blanks() + "/" + Blanks() + Spelled("font") + Blanks() + ">";
                if (colours_.empty()) Show(piece);
                else colours_.pop_back();
                break;
            default:
                piece = "<" + Blanks() + "/" + Blanks() + Spelled("a") + Blanks() + ">";
                if (link_.empty()) Show(piece);
                else link_.clear();
                break;
        }
        line_ += piece;
    }

    std::mt19937_64 random_;
    std::string line_;
    std::string expected_;
    std::string lastDescribed_;
    std::vector<std::string> colours_;
    std::string link_;
};

TEST(ChatMarkup, RandomLinesShowTheirTextLessExactlyTheTagsThatAct) {
    constexpr std::uint64_t kLines = 20000;
    for (std::uint64_t seed = 1; seed <= kLines; ++seed) {
        const RandomLine line(seed);
        ASSERT_EQ(Describe(ParseChatMarkup(line.Text())), line.Expected()) << "seed " << seed << ", line: " << line.Text();
    }
}

TEST(ChatMarkup, TerminalShowsColoursAddressesAndNoControlBytes) {
    const MarkedUpLine advert = ParseChatMarkup("<Font Color=#FFAB3E>^v\xF7\xA4< a href=https://v.net/>Name</a>\x1b[2J");
    EXPECT_EQ(RenderForTerminal(advert, TerminalColours::None), "^v\xF7\xA4Name <https://v.net/>\\x1B[2J");
    EXPECT_EQ(RenderForTerminal(advert, TerminalColours::TrueColour),
              "\x1b[0m\x1b[38;2;255;171;62m^v\xF7\xA4\x1b[0m\x1b[38;2;255;171;62m\x1b[4mName\x1b[0m <https://v.net/>"
              "\x1b[0m\x1b[38;2;255;171;62m\\x1B[2J\x1b[0m");
    // The palette's nearest: the cube's (5, 3, 1) for the orange, a grey for a grey.
    EXPECT_EQ(RenderForTerminal(ParseChatMarkup("<font color=#FFAB3E>o<font color=#808080>g"), TerminalColours::Palette256),
              "\x1b[0m\x1b[38;5;215mo\x1b[0m\x1b[38;5;244mg\x1b[0m");
}

}  // namespace
}  // namespace vorivevo::practice
