// Tests of cutting the control file into lines while a test may still be writing it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "line_splitter.h"

namespace vorivevo::practice {
namespace {

std::vector<std::string> Feed(LineSplitter& splitter, const std::string& bytes) {
    return splitter.Feed(bytes.data(), bytes.size());
}

using Lines = std::vector<std::string>;

TEST(LineSplitter, HoldsBackALineUntilItsNewlineArrives) {
    LineSplitter splitter;
    EXPECT_EQ(Feed(splitter, "open-pal"), Lines{});
    EXPECT_EQ(Feed(splitter, "ette\ndraft a\r\nqu"), (Lines{"open-palette", "draft a"}));
    EXPECT_EQ(Feed(splitter, "it\n"), Lines{"quit"});
}

TEST(LineSplitter, KeepsEmptyLinesAndInnerCarriageReturns) {
    LineSplitter splitter;
    EXPECT_EQ(Feed(splitter, "\n\r\na\rb\n"), (Lines{"", "", "a\rb"}));
}

TEST(LineSplitter, ResetDropsTheUnfinishedLine) {
    LineSplitter splitter;
    Feed(splitter, "hang 10");
    splitter.Reset();
    EXPECT_EQ(Feed(splitter, "quit\n"), Lines{"quit"});
}

}  // namespace
}  // namespace vorivevo::practice
