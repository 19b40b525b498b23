// Tests of the log's escaping and record framing, which tests on the other side parse byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "log_format.h"

namespace vorivevo::practice {
namespace {

TEST(LogFormat, EscapesEveryByteOutsidePrintableAscii) {
    struct Case {
        std::string bytes;
        std::string logged;
    };
    const Case cases[] = {
        {"\xF7\xA4", "\\xF7\\xA4"},
        {"a\tb\r\n", "a\\x09b\\x0D\\x0A"},
        {std::string("x\0y", 3), "x\\x00y"},
        {"\x7F\x80\xFF", "\\x7F\\x80\\xFF"},
        {"C:\\dir", "C:\\x5Cdir"},
        {" ~<Font Color=#FFAB3E>^v", " ~<Font Color=#FFAB3E>^v"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EscapeForLog(c.bytes), c.logged) << "for input of " << c.bytes.size() << " bytes";
    }
}

// A line the room received must never read as an event record.
TEST(LogFormat, ReceivedTextStartingWithHashIsEscaped) {
    EXPECT_EQ(EscapeReceivedText("#ready"), "\\x23ready");
    EXPECT_EQ(EscapeReceivedText("a #b"), "a #b");
    EXPECT_EQ(EscapeForLog("#draft"), "#draft");
}

TEST(LogFormat, DecodingUndoesEscapingForEveryByte) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
    EXPECT_EQ(DecodeEscapes(EscapeForLog(all)), all);
    EXPECT_EQ(DecodeEscapes(EscapeReceivedText("#x\\y")), "#x\\y");
}

TEST(LogFormat, DecodingKeepsBackslashesThatStartNoEscape) {
    EXPECT_EQ(DecodeEscapes("C:\\dir\\x"), "C:\\dir\\x");
    EXPECT_EQ(DecodeEscapes("\\x4"), "\\x4");
    EXPECT_EQ(DecodeEscapes("\\xZZ\\"), "\\xZZ\\");
    EXPECT_EQ(DecodeEscapes("\\x41\\x4a\\X41"), "AJ\\X41");
}

TEST(LogFormat, RecordIsSecondsMillisecondsTabBodyNewline) {
    EXPECT_EQ(FormatRecord(1700000000005ULL, "#ready"), "1700000000.005\t#ready\n");
    EXPECT_EQ(FormatRecord(1700000000999ULL, "x"), "1700000000.999\tx\n");
    EXPECT_EQ(FormatRecord(0, ""), "0.000\t\n");
}

}  // namespace
}  // namespace vorivevo::practice
