// The client model's window tree against the rules the companion finds its way by: a class found by its
// prefix, ignoring case, among direct children from the top; then a walk of so many siblings.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "client_window_tree.h"

namespace vorivevo::client_model {
namespace {

// The companion's lookup: the first child whose class begins with `prefix`, ignoring case.
int FirstWithPrefix(Children children, const std::string& prefix) {
    for (int i = 0; i < children.size(); ++i) {
        const std::string name = ClassOf(children[i].control);
        if (name.size() < prefix.size()) continue;
        bool same = true;
        auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
        for (std::size_t c = 0; c < prefix.size() && same; ++c) same = lower(name[c]) == lower(prefix[c]);
        if (same) return i;
    }
    return -1;
}

TEST(ClientWindowTree, EntryBoxIsSevenAfterTheRoomsFirstRichTextAndSendSixAfterItsFirstIcon) {
    const int rich = FirstWithPrefix(kRoomChildren, "RICHCNTL");
    const int icon = FirstWithPrefix(kRoomChildren, "_AOL_ICON");
    ASSERT_GE(rich, 0);
    ASSERT_GE(icon, 0);
    ASSERT_LT(rich + 7, kRoomChildren.size());
    ASSERT_LT(icon + 6, kRoomChildren.size());
    EXPECT_EQ(kRoomChildren[rich + 7].role, ChildRole::Entry) << "first RICHCNTL at " << rich;
    EXPECT_EQ(kRoomChildren[icon + 6].role, ChildRole::Send) << "first icon at " << icon;
}

TEST(ClientWindowTree, OnlyTheRoomHasBothARichTextAndAListOfPeople) {
    EXPECT_GE(FirstWithPrefix(kRoomChildren, "RICHCNTL"), 0);
    EXPECT_GE(FirstWithPrefix(kRoomChildren, "_AOL_Listbox"), 0);
    EXPECT_GE(FirstWithPrefix(kConversationChildren, "RICHCNTL"), 0);
    EXPECT_EQ(FirstWithPrefix(kConversationChildren, "_AOL_Listbox"), -1);
    EXPECT_EQ(FirstWithPrefix(kDirectoryChildren, "RICHCNTL"), -1);
    EXPECT_GE(FirstWithPrefix(kDirectoryChildren, "_AOL_Listbox"), 0);
}

// The companion presses the dialog's first icon; the practice client's log calls that press "icon 0".
TEST(ClientWindowTree, DialogsFirstIconIsIconZeroAfterAWalk) {
    const int first = FirstWithPrefix(kDialogChildren, "_AOL_Icon");
    ASSERT_GT(first, 0) << "a non-icon child before the first icon makes the lookup walk";
    EXPECT_EQ(kDialogChildren[first].role, ChildRole::DialogIcon);
    EXPECT_EQ(kDialogChildren.IconIndex(first), 0);
    EXPECT_EQ(kDialogChildren.IconIndex(0), -1);
}

}  // namespace
}  // namespace vorivevo::client_model
