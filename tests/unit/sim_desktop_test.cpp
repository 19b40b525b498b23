// The simulated desktop where it must behave like the platform, since every automation test trusts it:
// z-order, text messages and their byte semantics, handles that go away, and the client's windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "chat_client.h"
#include "desktop.h"
#include "dialogs.h"
#include "intended_draft.h"
#include "table_expectations.h"
#include "transcript.h"
#include "windows1252.h"

namespace vorivevo::sim {
namespace {

std::vector<std::string> ClassesOf(const Desktop& desktop, const std::vector<WindowHandle>& windows) {
    std::vector<std::string> classes;
    for (const WindowHandle window : windows) classes.push_back(desktop.ClassName(window));
    return classes;
}

// Walks as the automation does: GW_CHILD, then GW_HWNDNEXT until 0.
std::vector<WindowHandle> Walk(Desktop& desktop, WindowHandle parent) {
    std::vector<WindowHandle> children;
    for (WindowHandle h = desktop.GetWindow(parent, GW_CHILD); h != kNoWindow; h = desktop.GetWindow(h, GW_HWNDNEXT))
        children.push_back(h);
    return children;
}

std::string ReadText(Desktop& desktop, WindowHandle window) {
    const auto length = desktop.SendMessageA(window, WM_GETTEXTLENGTH, 0, LParam{0});
    std::string buffer(static_cast<std::size_t>(length), ' ');
    desktop.SendMessageA(window, WM_GETTEXT, static_cast<WParam>(length) + 1, TextBuffer{buffer});
    return buffer;
}

void Press(Desktop& desktop, WindowHandle window) {
    desktop.SendMessageA(window, WM_LBUTTONDOWN, 0, LParam{0});
    desktop.SendMessageA(window, WM_LBUTTONUP, 0, LParam{0});
}

class DesktopTree : public ::testing::Test {
protected:
    Desktop desktop;
};

TEST_F(DesktopTree, ChildrenCreatedInOrderAreWalkedInOrderAndTopPlacementReversesIt) {
    const WindowHandle parent = desktop.CreateWindow(kNoWindow, "Parent");
    for (const char* name : {"a", "b", "c"}) desktop.CreateWindow(parent, name);
    EXPECT_EQ(ClassesOf(desktop, Walk(desktop, parent)), (std::vector<std::string>{"a", "b", "c"}));

    const WindowHandle mdi = desktop.CreateWindow(kNoWindow, "Mdi");
    for (const char* name : {"first", "second", "third"}) desktop.CreateWindow(mdi, name, "", Desktop::Placement::Top);
    EXPECT_EQ(ClassesOf(desktop, Walk(desktop, mdi)), (std::vector<std::string>{"third", "second", "first"}));
}

TEST_F(DesktopTree, DestroyedWindowLeavesTheWalkAndItsHandleStaysDead) {
    const WindowHandle parent = desktop.CreateWindow(kNoWindow, "Parent");
    const WindowHandle a = desktop.CreateWindow(parent, "a");
    const WindowHandle b = desktop.CreateWindow(parent, "b");
    const WindowHandle grandchild = desktop.CreateWindow(b, "g");
    const WindowHandle c = desktop.CreateWindow(parent, "c");
    desktop.DestroyWindow(b);
    EXPECT_EQ(Walk(desktop, parent), (std::vector<WindowHandle>{a, c}));
    EXPECT_FALSE(desktop.IsWindow(grandchild));
    EXPECT_EQ(desktop.GetWindow(b, GW_HWNDNEXT), kNoWindow);

    const WindowHandle later = desktop.CreateWindow(parent, "d");
    EXPECT_NE(later, b);
    EXPECT_NE(later, grandchild);
    EXPECT_NE(later, kNoWindow);
}

TEST_F(DesktopTree, FindWindowTakesTheTopmostWholeClassNameInAnyCase) {
    const WindowHandle older = desktop.CreateWindow(kNoWindow, "_AOL_Modal");
    const WindowHandle newer = desktop.CreateWindow(kNoWindow, "_AOL_Modal");
    EXPECT_EQ(desktop.FindWindowA("_aol_modal"), newer);
    EXPECT_EQ(desktop.FindWindowA("_AOL_Moda"), kNoWindow) << "a prefix is not the class";
    EXPECT_EQ(desktop.FindWindowA("_AOL_Modal2"), kNoWindow);
    desktop.BringToTop(older);
    EXPECT_EQ(desktop.FindWindowA("_AOL_Modal"), older);
    desktop.CreateWindow(desktop.CreateWindow(kNoWindow, "Frame"), "Child");
    EXPECT_EQ(desktop.FindWindowA("Child"), kNoWindow) << "only top-level windows are found";
}

TEST_F(DesktopTree, TopmostWindowStaysAboveWindowsOpenedLater) {
    const WindowHandle own = desktop.CreateWindow(kNoWindow, "VorivevoForm");
    desktop.CreateWindow(kNoWindow, "Frame");
    desktop.SetWindowPos(own, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    const WindowHandle dialog = desktop.CreateWindow(kNoWindow, "_AOL_Palette");
    const auto topLevel = desktop.Children(kNoWindow);
    ASSERT_EQ(topLevel.size(), 3u);
    EXPECT_EQ(topLevel[0], own);
    EXPECT_EQ(topLevel[1], dialog);
    EXPECT_TRUE(desktop.IsTopmost(own));
    desktop.BringToTop(dialog);
    EXPECT_EQ(desktop.Children(kNoWindow)[0], own);
}

TEST_F(DesktopTree, GetClassNameCutsToTheBufferAndAlwaysEndsWithNul) {
    const WindowHandle window = desktop.CreateWindow(kNoWindow, "RICHCNTL");
    char buffer[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(desktop.GetClassNameA(window, buffer, 4), 3);
    EXPECT_EQ(std::string(buffer, 6), std::string("RIC\0xx", 6));
    std::string whole(250, '\0');
    EXPECT_EQ(desktop.GetClassNameA(window, whole.data(), 250), 8);
    EXPECT_EQ(whole, "RICHCNTL" + std::string(242, '\0'));
}

TEST_F(DesktopTree, HandleZeroAndDeadHandlesDoNothingAndReturnZero) {
    const WindowHandle dead = desktop.CreateWindow(kNoWindow, "Gone", "text");
    desktop.DestroyWindow(dead);
    for (const WindowHandle window : {kNoWindow, dead}) {
        char buffer[4] = {'k', 'e', 'e', 'p'};
        EXPECT_EQ(desktop.GetClassNameA(window, buffer, 4), 0);
        EXPECT_EQ(std::string(buffer, 4), "keep");
        EXPECT_EQ(desktop.GetWindow(window, GW_CHILD), kNoWindow);
        EXPECT_EQ(desktop.SendMessageA(window, WM_GETTEXTLENGTH, 0, LParam{0}), 0);
        std::string text = "  ";
        EXPECT_EQ(desktop.SendMessageA(window, WM_GETTEXT, 3, TextBuffer{text}), 0);
        EXPECT_EQ(text, "  ");
        EXPECT_EQ(desktop.SendMessageA(window, WM_SETTEXT, 0, TextIn{text}), 0);
        desktop.SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    }
    const std::vector<SentMessage> expected = {{WM_GETTEXTLENGTH, 0}, {WM_GETTEXT, 3}, {WM_SETTEXT, 0}};
    EXPECT_TRUE(TrafficIs(desktop.TrafficTo(kNoWindow), expected));
    EXPECT_EQ(desktop.Calls().setWindowPos, 2);
    EXPECT_TRUE(desktop.SetWindowPosCalls().empty());
}

class DesktopText : public ::testing::Test {
protected:
    Desktop desktop;
    WindowHandle box = desktop.CreateWindow(kNoWindow, "RICHCNTL");
};

TEST_F(DesktopText, SetTextReachesTheWindowAsWindows1252Bytes) {
    const std::string line = "^v\u00F7\u00A4 \u20AC \u0100 \U0001F600";
    desktop.SendMessageA(box, WM_SETTEXT, 0, TextIn{line});
    EXPECT_EQ(desktop.TextBytes(box), "^v\xF7\xA4 \x80 ? ?");
    EXPECT_EQ(desktop.SendMessageA(box, WM_GETTEXTLENGTH, 0, LParam{0}), 10) << "lengths count ANSI bytes";
    EXPECT_EQ(ReadText(desktop, box), "^v\u00F7\u00A4 \u20AC ? ?");
}

TEST_F(DesktopText, Windows1252RoundTripsEveryByteAndRejectsMalformedUtf8) {
    std::string everyByte;
    for (int byte = 1; byte < 256; ++byte) everyByte += static_cast<char>(byte);
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(everyByte)), everyByte);
    EXPECT_EQ(Utf8ToWindows1252("a\xC3"), "a?") << "cut-off sequence";
    EXPECT_EQ(Utf8ToWindows1252("\xC0\xAF" "b"), "??b") << "overlong form";
    EXPECT_EQ(Utf8ToWindows1252("\xED\xA0\x80"), "?") << "surrogate";
}

TEST_F(DesktopText, GetTextCopiesAtMostWParamMinusOneBytesThenNulAndLeavesTheRestAlone) {
    desktop.SetText(box, "Hello");
    std::string buffer = "abc";
    EXPECT_EQ(desktop.SendMessageA(box, WM_GETTEXT, 4, TextBuffer{buffer}), 3);
    EXPECT_EQ(buffer, "Hel");

    // The text shrank between WM_GETTEXTLENGTH and WM_GETTEXT: the NUL and the caller's filling show.
    desktop.SetText(box, "Hi");
    std::string wide = "xxxxx";
    EXPECT_EQ(desktop.SendMessageA(box, WM_GETTEXT, 6, TextBuffer{wide}), 2);
    EXPECT_EQ(wide, std::string("Hi\0xx", 5));

    std::string none = "";
    EXPECT_EQ(desktop.SendMessageA(box, WM_GETTEXT, 0, TextBuffer{none}), 0);
}

TEST_F(DesktopText, HandlerSeesTheBytesMayOverrideAndMayReenterTheDesktop) {
    const WindowHandle mirror = desktop.CreateWindow(kNoWindow, "Mirror");
    std::string seen;
    desktop.SetHandler(box, [&](const MessageContext& message) -> std::optional<LResult> {
        if (message.message == WM_SETTEXT) {
            seen = *message.setText;
            desktop.SendMessageA(mirror, WM_SETTEXT, 0, TextIn{std::string("copy")});
            return std::nullopt;
        }
        if (message.message == WM_GETTEXTLENGTH) return LResult{42};
        return std::nullopt;
    });
    desktop.SendMessageA(box, WM_SETTEXT, 0, TextIn{std::string("\u00F7")});
    EXPECT_EQ(seen, "\xF7");
    EXPECT_EQ(desktop.TextBytes(box), "\xF7") << "the default handling still ran";
    EXPECT_EQ(desktop.Text(mirror), "copy");
    EXPECT_EQ(desktop.SendMessageA(box, WM_GETTEXTLENGTH, 0, LParam{0}), 42);
}

TEST_F(DesktopText, HandlerMayDestroyItsOwnWindow) {
    desktop.SetHandler(box, [&](const MessageContext& message) -> std::optional<LResult> {
        desktop.DestroyWindow(message.window);
        return LResult{7};
    });
    EXPECT_EQ(desktop.SendMessageA(box, WM_LBUTTONUP, 0, LParam{0}), 7);
    EXPECT_FALSE(desktop.IsWindow(box));
}

TEST_F(DesktopText, SendCostAdvancesTheClockAndRunsWhatFallsDueBeforeTheWindowSeesTheMessage) {
    desktop.SetSendMessageCost(0.25);
    desktop.Clock().At(0.5, [&] { desktop.DestroyWindow(box); });
    EXPECT_EQ(desktop.SendMessageA(box, WM_SETTEXT, 0, TextIn{std::string("a")}), 1);
    EXPECT_EQ(desktop.SendMessageA(box, WM_SETTEXT, 0, TextIn{std::string("b")}), 0) << "closed on the way";
    EXPECT_DOUBLE_EQ(desktop.Clock().Now(), 0.5);
    desktop.SendMessageA(box, WM_SETTEXT, 0, TextIn{std::string("c")});
    EXPECT_DOUBLE_EQ(desktop.Clock().Now(), 0.5) << "a message to no window costs nothing";
}

class SimChatClient : public ::testing::Test {
protected:
    Desktop desktop;
};

TEST_F(SimChatClient, RoomSitsAtItsPositionAndItsEntryAndSendAreWhereTheLayoutPutsThem) {
    ChatClientOptions options;
    options.mdiChildren = 5;
    options.roomPosition = 3;
    options.richTextClass = "RichCntl";
    options.iconClass = "_aol_icon";
    ChatClient client(desktop, options);
    ASSERT_EQ(desktop.FindWindowA("AOL Frame25"), client.Frame());
    const auto mdiChildren = Walk(desktop, client.MdiClient());
    ASSERT_EQ(mdiChildren.size(), 5u);
    EXPECT_EQ(mdiChildren[2], client.Room());

    const auto roomChildren = Walk(desktop, client.Room());
    EXPECT_EQ(ClassesOf(desktop, roomChildren),
              (std::vector<std::string>{"RichCntl", "_AOL_Listbox", "_AOL_Static", "_aol_icon", "_aol_icon",
                                        "_aol_icon", "_aol_icon", "RichCntl", "_aol_icon", "_aol_icon"}));
    EXPECT_EQ(roomChildren[7], client.EntryBox());
    EXPECT_EQ(roomChildren[9], client.SendButton());
}

TEST_F(SimChatClient, NoDecoyHasBothRichTextAndAListBox) {
    ChatClientOptions options;
    options.mdiChildren = 6;
    options.roomPosition = 0;
    ChatClient client(desktop, options);
    int withRichText = 0;
    for (const WindowHandle child : client.MdiChildren()) {
        const auto classes = ClassesOf(desktop, desktop.Children(child));
        const bool rich = std::count(classes.begin(), classes.end(), "RICHCNTL") > 0;
        const bool list = std::count(classes.begin(), classes.end(), "_AOL_Listbox") > 0;
        EXPECT_FALSE(rich && list) << "MDI child " << child << " would be taken for the room";
        withRichText += rich;
    }
    EXPECT_GT(withRichText, 0) << "some decoy must test the list-box condition";
}

TEST_F(SimChatClient, PressSendsTheBoxAsBytesWithItsTimeAndEmptiesIt) {
    ChatClient client(desktop);
    desktop.Clock().AdvanceTo(12.5);
    client.TypeDraft("^v\u00F7\u00A4hi");
    Press(desktop, client.SendButton());
    ASSERT_EQ(client.Received().size(), 1u);
    EXPECT_EQ(client.Received()[0].bytes, "^v\xF7\xA4hi");
    EXPECT_TRUE(TranscriptIs(client.Transcript(), {{12.5, "^v\u00F7\u00A4hi"}}, 0.0));
    EXPECT_EQ(client.EntryBytes(), "");

    // Half a press, an up without a down, and a press on an empty box send nothing.
    client.TypeDraft("draft");
    desktop.SendMessageA(client.SendButton(), WM_LBUTTONDOWN, 0, LParam{0});
    EXPECT_EQ(client.EntryText(), "draft");
    desktop.SendMessageA(client.SendButton(), WM_LBUTTONUP, 0, LParam{0});
    desktop.SendMessageA(client.SendButton(), WM_LBUTTONUP, 0, LParam{0});
    Press(desktop, client.SendButton());
    EXPECT_EQ(client.Received().size(), 2u);
    EXPECT_EQ(client.Presses(), 3);
}

// Key characters come round again: a box that holds two keys of one character sends both with our line,
// and neither stays in the draft the user means.
TEST_F(SimChatClient, TwoKeysOfOneCharacterGoOutTogether) {
    ChatClient client(desktop);
    client.SetDraft(0, "", 0, 0);
    desktop.SetText16(client.EntryBox(), u"ours");
    ASSERT_EQ(KeyCharacter(0, false), KeyCharacter(92, false));
    for (const long n : {0, 92}) client.Press(0, Key{Key::Kind::Insert, std::u16string(1, KeyCharacter(n, false))});
    Press(desktop, client.SendButton());
    ASSERT_EQ(client.Received().size(), 1u);
    EXPECT_EQ(client.Received()[0].keys.size(), 2u);
    EXPECT_EQ(client.UserDraft(0), "");
}

// The user's Enter on a box all under a selection of ours leaves it as empty as a Backspace would: no
// message tells the two apart, so the keys it sent stay in the draft the user means.
TEST_F(SimChatClient, KeysUnderOurSelectionStayInTheDraftWhenEnterSendsThem) {
    ChatClient client(desktop);
    client.SetDraft(0, "", 0, 0);
    desktop.SetText16(client.EntryBox(), u"ours");
    client.Press(0, Key{Key::Kind::Insert, std::u16string(1, KeyCharacter(0, false))});
    desktop.Select(client.EntryBox(), 0, 5);
    client.Press(0, Key{Key::Kind::Enter, u""});
    ASSERT_EQ(client.Received().size(), 1u);
    EXPECT_EQ(client.UserDraft(0), Utf16ToWindows1252(std::u16string(1, KeyCharacter(0, false))));
}

TEST_F(SimChatClient, ReluctantAndRefusingSendButtons) {
    ChatClientOptions options;
    options.send = SendBehaviour::NeedsPresses;
    options.pressesNeeded = 3;
    ChatClient client(desktop, options);
    for (int line = 0; line < 2; ++line) {
        client.TypeDraft("line");
        Press(desktop, client.SendButton());
        Press(desktop, client.SendButton());
        EXPECT_EQ(client.EntryText(), "line") << "line " << line;
        Press(desktop, client.SendButton());
        EXPECT_EQ(client.EntryText(), "") << "line " << line;
    }
    EXPECT_EQ(client.Received().size(), 2u);

    client.SetSendBehaviour(SendBehaviour::NeverEmpties);
    client.TypeDraft("refused");
    for (int i = 0; i < 5; ++i) Press(desktop, client.SendButton());
    EXPECT_EQ(client.EntryText(), "refused");
    EXPECT_EQ(client.Received().size(), 2u);
}

TEST_F(SimChatClient, ShortRoomsLackTheEntryBoxOrTheListBox) {
    ChatClientOptions shortRoom;
    shortRoom.roomChildren = 7;
    ChatClient client(desktop, shortRoom);
    EXPECT_EQ(Walk(desktop, client.Room()).size(), 7u);
    EXPECT_EQ(client.EntryBox(), kNoWindow);
    EXPECT_EQ(client.SendButton(), kNoWindow);

    Desktop other;
    ChatClientOptions noList;
    noList.roomHasListBox = false;
    ChatClient withoutList(other, noList);
    const auto classes = ClassesOf(other, Walk(other, withoutList.Room()));
    EXPECT_EQ(std::count(classes.begin(), classes.end(), "_AOL_Listbox"), 0);
    EXPECT_EQ(classes.front(), "RICHCNTL");
}

class SimDialogs : public ::testing::Test {
protected:
    Desktop desktop;
    Dialogs dialogs{desktop};
};

TEST_F(SimDialogs, PressesAreLoggedInOrderAndTheDismissButtonClosesTheDialog) {
    const WindowHandle firstPalette = dialogs.Open(DialogKind::Palette);
    const WindowHandle modal = dialogs.Open(DialogKind::Modal);
    const WindowHandle secondPalette = dialogs.Open(DialogKind::Palette);
    EXPECT_EQ(desktop.FindWindowA("_AOL_Palette"), secondPalette);
    EXPECT_EQ(dialogs.OpenOf(DialogKind::Palette), (std::vector<WindowHandle>{secondPalette, firstPalette}));

    desktop.Clock().AdvanceTo(3.0);
    Press(desktop, dialogs.ChildrenOf(secondPalette)[2]);
    Press(desktop, dialogs.ChildrenOf(secondPalette)[1]);
    Press(desktop, dialogs.ChildrenOf(modal)[1]);
    ASSERT_EQ(dialogs.Presses().size(), 3u);
    EXPECT_EQ(dialogs.Presses()[0].child, 2);
    EXPECT_EQ(dialogs.Presses()[1].dialog, secondPalette);
    EXPECT_EQ(dialogs.Presses()[2].kind, DialogKind::Modal);
    EXPECT_DOUBLE_EQ(dialogs.Presses()[2].time, 3.0);
    EXPECT_FALSE(dialogs.IsOpen(secondPalette));
    EXPECT_EQ(desktop.FindWindowA("_AOL_Palette"), firstPalette);
}

TEST_F(SimDialogs, DialogWhoseFirstIconIsNotItsDismissButtonStaysOpen) {
    DialogOptions options;
    options.dismissChild = 2;
    const WindowHandle modal = dialogs.Open(DialogKind::Modal, options);
    for (int i = 0; i < 3; ++i) Press(desktop, dialogs.ChildrenOf(modal)[1]);
    EXPECT_TRUE(dialogs.IsOpen(modal));
    EXPECT_EQ(dialogs.Presses().size(), 3u);
}

// The simulated box and the draft the user means both follow ApplyKey, so a slip in it would pass unseen
// by every draft test: each key against what the platform's edit box does.
TEST(EditBoxKeys, EachKeyDoesWhatAnEditBoxDoes) {
    constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();
    const struct {
        std::size_t start, end;
        Key key;
        std::size_t limit;
        const char16_t* after;
        std::size_t caret;
    } cases[] = {
        {1, 3, {Key::Kind::Insert, u"XY"}, kNoLimit, u"aXYd", 3},  // over the selection
        {4, 4, {Key::Kind::Insert, u"XYZ"}, 6, u"abcdXY", 6},      // a box that holds 6 takes what fits
        {2, 2, {Key::Kind::Insert, u"X"}, 4, u"abcd", 2},          // and refuses a key when full
        {2, 2, {Key::Kind::Backspace, u""}, kNoLimit, u"acd", 1},
        {0, 0, {Key::Kind::Backspace, u""}, kNoLimit, u"abcd", 0},
        {4, 4, {Key::Kind::Delete, u""}, kNoLimit, u"abcd", 4},
        {1, 3, {Key::Kind::Delete, u""}, kNoLimit, u"ad", 1},      // the selection, not a character
        {1, 3, {Key::Kind::Left, u""}, kNoLimit, u"abcd", 1},      // a selection collapses to its start
        {1, 3, {Key::Kind::Right, u""}, kNoLimit, u"abcd", 3},     // or its end
        {4, 4, {Key::Kind::Right, u""}, kNoLimit, u"abcd", 4},
        {2, 2, {Key::Kind::Home, u""}, kNoLimit, u"abcd", 0},
        {1, 2, {Key::Kind::End, u""}, kNoLimit, u"abcd", 4},
    };
    for (const auto& c : cases) {
        std::u16string text = u"abcd";
        Desktop::Selection selection{c.start, c.end};
        ApplyKey(text, selection, c.key, c.limit);
        EXPECT_EQ(Utf16ToUtf8(text), Utf16ToUtf8(c.after)) << "key " << static_cast<int>(c.key.kind) << " at " << c.start;
        EXPECT_TRUE(selection == (Desktop::Selection{c.caret, c.caret})) << "key " << static_cast<int>(c.key.kind)
                                                                          << " at " << c.start << ": " << selection.end;
    }
}

// What the user means after keys that reached our text: typed at their caret, over their selection, in
// the order the box holds them (an editing key there may count or not), the caret where the box has it
// among them; keys that cannot be told apart may be lost; and once the box shows one draft, that is the
// one.
TEST(IntendedDraft, KeysInOurTextGoToTheUsersCaretInTheOrderTheBoxHoldsThem) {
    constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();
    IntendedDraft meant;
    meant.Set(u"my words", {3, 5});
    meant.Apply({Key::Kind::Insert, u"a"}, Landing::OnOurText, kNoLimit, nullptr, 1);
    meant.Apply({Key::Kind::Left, u""}, Landing::OnOurText, kNoLimit, nullptr, 2);
    meant.Apply({Key::Kind::Insert, u"b"}, Landing::OnOurText, kNoLimit, nullptr, 3);
    EXPECT_EQ(meant.Candidates().size(), 2u);
    EXPECT_TRUE(meant.Holds(u"my abrds", {5, 5}));  // the Left dropped: typing order
    EXPECT_TRUE(meant.Holds(u"my bards", {4, 4}));  // the Left counted, as it did in our text, caret and all
    meant.Narrow(u"my bards", Desktop::Selection{4, 4});
    meant.Remove(u'a', 1);  // it went out with a line
    EXPECT_EQ(meant.Candidates().size(), 1u);
    EXPECT_TRUE(meant.Holds(u"my brds", {4, 4}));
    // A key character come round again: what went out is the newer key, not the older one; and a box that
    // shows only the newer one shows the run where its caret is.
    for (const bool sent : {true, false}) {
        IntendedDraft again;
        again.Set(u"", {0, 0});
        for (const long arrival : {1, 2, 3})
            again.Apply({Key::Kind::Insert, arrival == 2 ? u"b" : u"a"}, Landing::OnOurText, kNoLimit, nullptr, arrival);
        const IntendedDraft::Shown newer{u"a", {1, 1}};
        if (sent) again.Remove(u'a', 3);
        else again.Apply({Key::Kind::Backspace, u""}, Landing::OnOurText, kNoLimit, &newer, 4);
        EXPECT_TRUE(again.Holds(u"ab", {2, 2})) << Utf16ToUtf8(again.Candidates().front().text) << " sent " << sent;
    }

    // A Backspace that took a character of ours: what is typed there after it may be lost.
    meant.Apply({Key::Kind::Backspace, u""}, Landing::OnOurText, kNoLimit);
    meant.Apply({Key::Kind::Insert, u"c"}, Landing::OnOurText, kNoLimit);
    EXPECT_TRUE(meant.Holds(u"my brds", {4, 4}));
    EXPECT_TRUE(meant.Holds(u"my bcrds", {5, 5}));
    // On the user's own text a key simply counts.
    meant.Narrow(u"my bcrds", Desktop::Selection{5, 5});
    meant.Apply({Key::Kind::Backspace, u""}, Landing::OnOwnText, kNoLimit);
    EXPECT_EQ(meant.Candidates().size(), 1u);
    EXPECT_TRUE(meant.Holds(u"my brds", {4, 4}));

    // A box that shows nothing but the keys, or a piece of them (the rest went under our selection), with
    // a caret: an editing key there does to them what the box shows, and counts.
    const IntendedDraft::Shown empty{u"", {0, 0}}, typed{u"ab", {2, 2}}, piece{u"xy", {0, 0}}, start{u"zxy", {0, 0}};
    meant.Apply({Key::Kind::Insert, u"ab"}, Landing::OnOurText, kNoLimit, &empty);
    meant.Apply({Key::Kind::Backspace, u""}, Landing::OnOurText, kNoLimit, &typed);
    EXPECT_EQ(meant.Candidates().size(), 1u);
    EXPECT_TRUE(meant.Holds(u"my bards", {5, 5}));
    meant.Apply({Key::Kind::Insert, u"xy"}, Landing::OnOurText, kNoLimit);
    meant.Apply({Key::Kind::Insert, u"z"}, Landing::OnOurText, kNoLimit, &piece);
    meant.Apply({Key::Kind::Backspace, u""}, Landing::OnOurText, kNoLimit, &start);
    EXPECT_EQ(meant.Candidates().size(), 1u);
    EXPECT_TRUE(meant.Holds(u"my bazxyrds", {5, 5}));
    // Nor does a Delete in an empty box: nothing of ours is taken, and nothing forks.
    meant.Apply({Key::Kind::Delete, u""}, Landing::OnOurText, kNoLimit, &empty);
    EXPECT_EQ(meant.Candidates().size(), 1u);
    // Once our text goes into a box that shows the user their own, keys typed into ours begin a run of
    // their own at the user's caret: a Home there goes no further back than its start.
    meant.EndRuns(u"my bazxyrds");
    for (const Key& key : {Key{Key::Kind::Insert, u"q"}, Key{Key::Kind::Home, u""}, Key{Key::Kind::Insert, u"w"}})
        meant.Apply(key, Landing::OnOurText, kNoLimit);
    EXPECT_TRUE(meant.Holds(u"my bawqzxyrds", {6, 6})) << Utf16ToUtf8(meant.Candidates().front().text);

    // A caret key on the user's own text under a selection of ours shows it to them again, the caret where
    // the box put it; or, for a post that has not seen it, it was a key in our selection.
    IntendedDraft own;
    own.Set(u"my words", {3, 3});
    const IntendedDraft::Shown allOurs{u"my words", {0, 8}};
    own.Apply({Key::Kind::Left, u""}, Landing::CaretKeyOnOwnUnderOurs, kNoLimit, &allOurs);
    EXPECT_TRUE(own.Holds(u"my words", {0, 0}));
    EXPECT_TRUE(own.Holds(u"my words", {3, 3}));

    // Past the cap on candidates, a caret key in our text counts as the box shows it: the keys stay in the
    // order the box holds them, which a post reads there.
    IntendedDraft many;
    many.Set(u"", {0, 0});
    std::u16string reversed;
    for (char16_t c = u'a'; c <= u'l'; ++c) {
        many.Apply({Key::Kind::Insert, std::u16string(1, c)}, Landing::OnOurText, kNoLimit);
        many.Apply({Key::Kind::Left, u""}, Landing::OnOurText, kNoLimit);
        reversed.insert(reversed.begin(), c);
    }
    EXPECT_LE(many.Candidates().size(), IntendedDraft::kMaxCandidates);
    EXPECT_TRUE(many.Holds(reversed, {0, 0}));

    // A Delete with the caret at the very end of the box takes nothing of ours: the keys typed after it are
    // as plain to tell apart as before.
    IntendedDraft atEnd;
    atEnd.Set(u"", {0, 0});
    atEnd.Apply({Key::Kind::Insert, u"a"}, Landing::OnOurText, kNoLimit);
    const IntendedDraft::Shown lineThenKey{u"our linea", {9, 9}};
    atEnd.Apply({Key::Kind::Delete, u""}, Landing::OnOurText, kNoLimit, &lineThenKey);
    atEnd.Apply({Key::Kind::Insert, u"b"}, Landing::OnOurText, kNoLimit);
    EXPECT_EQ(atEnd.Candidates().size(), 1u);
    EXPECT_TRUE(atEnd.Holds(u"ab", {2, 2}));

    // A Backspace that took a character of ours hides the keys typed after it only while our text is there.
    IntendedDraft sent;
    sent.Set(u"ab", {2, 2});
    sent.Apply({Key::Kind::Backspace, u""}, Landing::OnOurText, kNoLimit);
    sent.OurTextGone();
    sent.Apply({Key::Kind::Insert, u"v"}, Landing::OnOurText, kNoLimit);
    EXPECT_EQ(sent.Candidates().size(), 1u);
    EXPECT_TRUE(sent.Holds(u"abv", {3, 3}));
}

}  // namespace
}  // namespace vorivevo::sim
