// The status lines byte for byte, and the counter's arithmetic.
#include "chat_lines.h"

#include <gtest/gtest.h>

namespace vorivevo {
namespace {

TEST(ChatLines, PrefixIsTwentyFourCharactersEndingInTheTwoAnsiMarks) {
    // 22 ASCII characters, then U+00F7 and U+00A4 (two UTF-8 bytes each).
    EXPECT_EQ(LinePrefix.size(), 22u + 2u * 2u);
    EXPECT_EQ(LinePrefix.substr(20), "^v\xC3\xB7\xC2\xA4");
}

TEST(ChatLines, EveryLineAsBuilt) {
    const std::string p = "<Font Color=#FFAB3E>^v\xC3\xB7\xC2\xA4";
    EXPECT_EQ(LoadedLine(), p + "Now Loaded");
    EXPECT_EQ(OffLine(), p + "Status: Off!");
    EXPECT_EQ(UnloadedLine(), p + "Now Unloaded");
    EXPECT_EQ(IdleLine("12"), p + "I've Been Idle For: 12 Min(s)");
    EXPECT_EQ(AdvertLine("https://x.example/", "Zavarurev Iroz"),
              p + "< a href=https://x.example/><Font Color=#FFAB3E>Zavarurev Iroz</a>");
}

TEST(ChatLines, AdvertLineTakesControlTextsUnescaped) {
    const std::string p = "<Font Color=#FFAB3E>^v\xC3\xB7\xC2\xA4";
    // An empty name still leaves both colour tags, the closing anchor right after the second.
    EXPECT_EQ(AdvertLine("", ""), p + "< a href=><Font Color=#FFAB3E></a>");
    EXPECT_EQ(AdvertLine("a b>c\"", "<b>&"), p + "< a href=a b>c\"><Font Color=#FFAB3E><b>&</a>");
}

TEST(ChatLines, NextCountAddsOneWithoutLimit) {
    const std::pair<const char*, const char*> cases[] = {
        {"0", "1"}, {"9", "10"}, {"41", "42"}, {"199", "200"},
        {"18446744073709551615", "18446744073709551616"},  // past any machine integer
        {"", "1"}, {"007", "8"}, {" 5", "6"}, {"3 Min", "4"},
    };
    for (const auto& [before, after] : cases) EXPECT_EQ(NextCount(before), after) << "counter \"" << before << '"';
}

}  // namespace
}  // namespace vorivevo
