// Checks the client's window layout against the rules the companion uses to find its way in it.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "window_layout.h"

namespace vorivevo::practice {
namespace {

// The companion's lookup: the first child whose class begins with `prefix`, ignoring case.
int FirstWithPrefix(const std::vector<ChildSpec>& children, const std::string& prefix) {
    for (std::size_t i = 0; i < children.size(); ++i) {
        std::string name = children[i].className;
        if (name.size() < prefix.size()) continue;
        bool same = true;
        for (std::size_t c = 0; c < prefix.size() && same; ++c) {
            same = std::tolower(static_cast<unsigned char>(name[c])) == std::tolower(static_cast<unsigned char>(prefix[c]));
        }
        if (same) return static_cast<int>(i);
    }
    return -1;
}

ChildRole RoleAt(const std::vector<ChildSpec>& children, int index) {
    EXPECT_GE(index, 0);
    EXPECT_LT(index, static_cast<int>(children.size()));
    return children.at(static_cast<std::size_t>(index)).role;
}

TEST(WindowLayout, EntryBoxIsSevenAfterTheRoomsFirstRichControl) {
    const auto& room = RoomChildren();
    int first = FirstWithPrefix(room, "RICHCNTL");
    ASSERT_GE(first, 0);
    EXPECT_EQ(RoleAt(room, first + 7), ChildRole::Entry) << "first RICHCNTL at " << first;
}

TEST(WindowLayout, SendButtonIsSixAfterTheRoomsFirstIcon) {
    const auto& room = RoomChildren();
    int first = FirstWithPrefix(room, "_AOL_ICON");
    ASSERT_GE(first, 0);
    EXPECT_EQ(RoleAt(room, first + 6), ChildRole::Send) << "first icon at " << first;
}

TEST(WindowLayout, OnlyTheRoomHasBothARichControlAndAPeopleList) {
    EXPECT_GE(FirstWithPrefix(RoomChildren(), "RICHCNTL"), 0);
    EXPECT_GE(FirstWithPrefix(RoomChildren(), "_AOL_Listbox"), 0);
    EXPECT_GE(FirstWithPrefix(OtherChildChildren(), "RICHCNTL"), 0);
    EXPECT_EQ(FirstWithPrefix(OtherChildChildren(), "_AOL_Listbox"), -1);
}

// The companion presses the dialog's first icon; the log must call that press "icon 0".
TEST(WindowLayout, DialogsFirstIconIsReportedAsIconZero) {
    const auto& dialog = DialogChildren();
    int first = FirstWithPrefix(dialog, "_AOL_Icon");
    ASSERT_GT(first, 0) << "a non-icon child before the first icon makes the lookup walk";
    EXPECT_EQ(RoleAt(dialog, first), ChildRole::DialogIcon);
    EXPECT_EQ(IconIndex(dialog, first), 0);
    EXPECT_EQ(IconIndex(dialog, 0), -1);
}

}  // namespace
}  // namespace vorivevo::practice
