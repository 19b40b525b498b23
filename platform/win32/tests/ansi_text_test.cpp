#include "ansi_text.h"

#include <gtest/gtest.h>

namespace vorivevo {
namespace {

constexpr UINT kWindows1252 = 1252;

TEST(AnsiText, LinePrefixReachesAnsiAsF7A4) {
    const std::wstring wide = Utf8ToWide("^v\xC3\xB7\xC2\xA4");
    EXPECT_EQ(WideToAnsi(wide.data(), wide.size(), kWindows1252), "^v\xF7\xA4");
}

TEST(AnsiText, CharacterOutsideTheCodePageBecomesDefaultCharacter) {
    // U+0416 CYRILLIC CAPITAL LETTER ZHE has no place in Windows-1252.
    EXPECT_EQ(ThroughAnsi("\xD0\x96x", kWindows1252), L"?x");
}

TEST(AnsiText, EmbeddedNulsSurviveEveryDirection) {
    const std::string utf8("a\0\xC3\xB7 ", 5);
    const std::wstring wide = Utf8ToWide(utf8);
    ASSERT_EQ(wide.size(), 4u);
    EXPECT_EQ(WideToUtf8(wide), utf8);
    const std::string ansi = WideToAnsi(wide.data(), wide.size(), kWindows1252);
    EXPECT_EQ(ansi, std::string("a\0\xF7 ", 4));
    EXPECT_EQ(AnsiToWide(ansi.data(), ansi.size(), kWindows1252), wide);
}

TEST(AnsiText, InvalidUtf8BecomesReplacementCharacter) {
    EXPECT_EQ(Utf8ToWide("a\xFF"), L"a\xFFFD");
}

}  // namespace
}  // namespace vorivevo
