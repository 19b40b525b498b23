// The automation routines against a desktop: the simulated one on Linux, real windows under Wine.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "contract_desktop.h"
#include "client_automation.h"

namespace vorivevo::contract {
namespace {

// A line with both characters outside ASCII, which must reach the client as the bytes F7 A4.
const std::string kLine = "<Font Color=#FFAB3E>^v\u00F7\u00A4Now Loaded";
const std::string kLineBytes = "<Font Color=#FFAB3E>^v\xF7\xA4Now Loaded";

class AutomationContract : public ::testing::Test {
protected:
    void SetUp() override { desktop_ = MakeContractDesktop(); }
    ClientAutomation Automation() { return ClientAutomation(desktop_->Windows(), desktop_->Events(), drafts_); }
    std::unique_ptr<ContractDesktop> desktop_;
    DraftKeeper drafts_;
};

TEST_F(AutomationContract, FindChildByClassMatchesPrefixIgnoringCaseAmongDirectChildrenTopmostFirst) {
    const Family family = desktop_->MakeParent({"_AOL_Static", "RichCntl", "_aol_iconbar", "_AOL_Icon2", "RICH"});
    const WindowHandle parent = family.parent;
    const std::vector<WindowHandle>& kids = family.children;
    const Family other = desktop_->MakeParent({"_AOL_Glyph"});

    const struct {
        WindowHandle parent;
        const char* pattern;
        WindowHandle expected;
    } cases[] = {
        {parent, "RICHCNTL", kids[1]},    // other letter case
        {parent, "richcntl", kids[1]},
        {parent, "_AOL_ICON", kids[2]},   // longer class names match; the topmost of two wins
        {parent, "_AOL_Icon2", kids[3]},
        {parent, "RICHCNTL2", kNoWindow}, // pattern longer than every class
        {parent, "RICH", kids[1]},
        {parent, "_AOL_Glyph", kNoWindow},
        {other.parent, "_AOL_Glyph", other.children[0]},
        {kNoWindow, "RICHCNTL", kNoWindow},
    };
    auto automation = Automation();
    for (const auto& c : cases)
        EXPECT_EQ(automation.FindChildByClass(c.parent, c.pattern), c.expected) << "pattern " << c.pattern;

    // Grandchildren are never searched: a search that went down would find this one under the first child.
    const WindowHandle grandchild = desktop_->MakeWindow(kids[0], "_AOL_Inner");
    EXPECT_EQ(automation.FindChildByClass(kids[0], "_AOL_Inner"), grandchild);
    EXPECT_EQ(automation.FindChildByClass(parent, "_AOL_Inner"), kNoWindow);
}

TEST_F(AutomationContract, WindowClassOfIsTheNameThenNulsToTwoHundredFifty) {
    auto automation = Automation();
    const WindowHandle window = desktop_->MakeWindow(kNoWindow, "_AOL_Modal");
    EXPECT_EQ(automation.WindowClassOf(window), "_AOL_Modal" + std::string(250 - 10, '\0'));
    EXPECT_EQ(automation.WindowClassOf(kNoWindow), std::string(250, '\0'));
}

TEST_F(AutomationContract, TextsReadAndWrittenThroughTheAnsiCodePage) {
    auto automation = Automation();
    EXPECT_EQ(automation.ReadWindowText(kNoWindow), "");
    const WindowHandle empty = desktop_->MakeTextWindow("");
    EXPECT_EQ(automation.ReadWindowText(empty), "");

    const WindowHandle box = desktop_->MakeTextWindow("draft \u00F7\u00A4 typed");
    EXPECT_EQ(automation.ReadWindowText(box), "draft \u00F7\u00A4 typed");
    automation.WriteWindowText(box, "a\u00F7b");
    EXPECT_EQ(automation.ReadWindowText(box), "a\u00F7b");
    automation.WriteWindowText(box, "");
    EXPECT_EQ(automation.ReadWindowText(box), "");
    automation.WriteWindowText(kNoWindow, "nowhere");  // reaches no window and does nothing
}

TEST_F(AutomationContract, RoomFoundFirstWithoutDispatchingAndDeeperWithIt) {
    const struct {
        int position;
        long dispatches;  // one for each window passed over
    } cases[] = {{1, 0}, {3, 2}};
    for (const auto& c : cases) {
        desktop_ = MakeContractDesktop();
        ChatLayout layout;
        layout.mdiChildren = 4;
        layout.roomPosition = c.position;
        desktop_->OpenChatClient(layout);
        auto automation = Automation();
        const long before = desktop_->Dispatches();
        EXPECT_EQ(automation.LocateChatRoom(), desktop_->Room()) << "room at " << c.position;
        EXPECT_EQ(desktop_->Dispatches() - before, c.dispatches) << "room at " << c.position;
    }
}

TEST_F(AutomationContract, RoomSearchStopsAfterTheHundredAndFirstChild) {
    const struct {
        int position;
        bool found;
    } cases[] = {{2, true}, {101, true}, {102, false}, {120, false}};
    for (const auto& c : cases) {
        desktop_ = MakeContractDesktop();
        ChatLayout layout;
        layout.mdiChildren = 150;
        layout.roomPosition = c.position;
        desktop_->OpenChatClient(layout);
        auto automation = Automation();
        const long before = desktop_->Dispatches();
        EXPECT_EQ(automation.LocateChatRoom(), c.found ? desktop_->Room() : kNoWindow) << "room at " << c.position;
        EXPECT_EQ(desktop_->Dispatches() - before, c.found ? c.position - 1 : 100) << "room at " << c.position;
        automation.PostToChat(kLine);
        EXPECT_EQ(desktop_->Received().size(), c.found ? 1u : 0u) << "room at " << c.position;
    }
}

TEST_F(AutomationContract, RoomWithoutItsListBoxIsNotTheRoom) {
    ChatLayout layout;
    layout.roomHasListBox = false;
    desktop_->OpenChatClient(layout);
    auto automation = Automation();
    EXPECT_EQ(automation.LocateChatRoom(), kNoWindow);
    automation.PostToChat(kLine);
    EXPECT_TRUE(desktop_->Received().empty());
}

TEST_F(AutomationContract, EntryAndSendFoundByTheirDistanceInAnyLetterCase) {
    ChatLayout layout;
    layout.otherLetterCase = true;
    desktop_->OpenChatClient(layout);
    auto automation = Automation();
    EXPECT_EQ(automation.LocateChatEntry(), desktop_->EntryBox());
    automation.PostToChat(kLine);
    EXPECT_EQ(desktop_->Received(), std::vector<std::string>{kLineBytes});
}

TEST_F(AutomationContract, ShortRoomWalksToNoWindowAndPostsNothing) {
    ChatLayout layout;
    layout.roomChildren = 7;  // the first rich-text child has six siblings after it, not seven
    desktop_->OpenChatClient(layout);
    auto automation = Automation();
    EXPECT_EQ(automation.LocateChatEntry(), kNoWindow);
    EXPECT_EQ(automation.LocateChatSendButton(), kNoWindow);
    automation.PostToChat(kLine);
    EXPECT_TRUE(desktop_->Received().empty());
    EXPECT_EQ(desktop_->SendPresses(), 0);
}

TEST_F(AutomationContract, PostSendsTheLineAloneAndKeepsTheDraft) {
    const struct {
        const char* draft;
        int pressesNeeded;
    } cases[] = {{"", 1}, {"half a thought \u00F7", 1}, {"typed", 3}};
    for (const auto& c : cases) {
        desktop_ = MakeContractDesktop();
        ChatLayout layout;
        layout.pressesNeeded = c.pressesNeeded;
        desktop_->OpenChatClient(layout);
        desktop_->TypeDraft(c.draft);
        Automation().PostToChat(kLine);
        EXPECT_EQ(desktop_->Received(), std::vector<std::string>{kLineBytes}) << "draft \"" << c.draft << '"';
        EXPECT_EQ(desktop_->EntryText(), c.draft);
        EXPECT_EQ(desktop_->SendPresses(), c.pressesNeeded);
    }
}

TEST_F(AutomationContract, PostWithoutClientOrRoomDoesNothingAndReturns) {
    Automation().PostToChat(kLine);  // no client at all
    ChatLayout layout;
    layout.roomPosition = 0;   // a client with no room open
    desktop_->OpenChatClient(layout);
    Automation().PostToChat(kLine);
    EXPECT_TRUE(desktop_->Received().empty());
    EXPECT_EQ(desktop_->SendPresses(), 0);
}

TEST_F(AutomationContract, RefusedLineGivesUpAndPutsTheDraftBack) {
    ChatLayout layout;
    layout.refusesLines = true;
    desktop_->OpenChatClient(layout);
    desktop_->TypeDraft("my own words");
    Automation().PostToChat(kLine);
    EXPECT_TRUE(desktop_->Received().empty());
    EXPECT_EQ(desktop_->EntryText(), "my own words");
    EXPECT_GE(desktop_->SendPresses(), 1);
    EXPECT_LE(desktop_->SendPresses(), ClientAutomation::kPressesWithoutChange);
}

// A client busy composing keeps its box as it is: the draft must never go out as our line.
TEST_F(AutomationContract, BoxThatKeepsItsTextNeverSendsTheDraft) {
    ChatLayout layout;
    layout.keepsText = true;
    desktop_->OpenChatClient(layout);
    desktop_->TypeDraft("my private words");
    Automation().PostToChat(kLine);
    EXPECT_TRUE(desktop_->Received().empty());
    EXPECT_EQ(desktop_->EntryText(), "my private words");
    EXPECT_EQ(desktop_->SendPresses(), 0);
}

// Read through the code page, characters that it lacks would come back as '?' and go back so: the post
// stops before it writes anything.
TEST_F(AutomationContract, DraftBeyondTheCodePageStopsThePostBeforeAnyWrite) {
    ChatLayout layout;
    layout.unicodeEntry = true;
    desktop_->OpenChatClient(layout);
    desktop_->TypeDraft("\u0416\u0443\u043A \u00F7");
    desktop_->Select(1, 3);
    EXPECT_EQ(Automation().PostToChat(kLine), PostResult::NotTaken);
    EXPECT_TRUE(desktop_->Received().empty());
    EXPECT_EQ(desktop_->SendPresses(), 0);
    EXPECT_EQ(desktop_->EntryText(), "\u0416\u0443\u043A \u00F7");
    EXPECT_EQ(desktop_->Selection(), (std::pair<unsigned, unsigned>{1, 3}));
}

TEST_F(AutomationContract, CaretAndSelectionComeBackWithTheDraft) {
    desktop_->OpenChatClient({});
    desktop_->TypeDraft("my private words");
    desktop_->Select(3, 10);
    Automation().PostToChat(kLine);
    EXPECT_EQ(desktop_->Received(), std::vector<std::string>{kLineBytes});
    EXPECT_EQ(desktop_->EntryText(), "my private words");
    EXPECT_EQ(desktop_->Selection(), (std::pair<unsigned, unsigned>{3, 10}));
}

// Send takes the keyboard focus on its button-down, as a button does: the user's next keys would go to it,
// and a Space or Enter there would send their draft.
TEST_F(AutomationContract, PostLeavesTheKeyboardFocusInTheEntryBox) {
    desktop_->OpenChatClient({});
    desktop_->TypeDraft("half a thought");
    desktop_->FocusEntryBox();
    ASSERT_EQ(desktop_->FocusedWindow(), desktop_->EntryBox());
    Automation().PostToChat(kLine);
    EXPECT_EQ(desktop_->Received(), std::vector<std::string>{kLineBytes});
    EXPECT_EQ(desktop_->FocusedWindow(), desktop_->EntryBox());
}

// The press outlasts the time-out and the client then stays on hold; the line still goes, and the draft
// comes back once the client answers again.
TEST_F(AutomationContract, SendSlowerThanTheTimeOutGetsTheDraftBackOnceTheClientAnswers) {
    ChatLayout layout;
    layout.sendMilliseconds = 3000;
    desktop_->OpenChatClient(layout);
    desktop_->TypeDraft("half a thought");
    desktop_->Select(2, 7);
    desktop_->FocusEntryBox();
    auto automation = Automation();
    automation.PostToChat(kLine);
    EXPECT_TRUE(drafts_.Owes()) << "the press was answered in time";
    automation.WaitSeconds(std::chrono::seconds(8));
    EXPECT_FALSE(drafts_.Owes());
    EXPECT_EQ(desktop_->FocusedWindow(), desktop_->EntryBox());
    EXPECT_EQ(desktop_->Received(), std::vector<std::string>{kLineBytes});
    EXPECT_EQ(desktop_->EntryText(), "half a thought");
    EXPECT_EQ(desktop_->Selection(), (std::pair<unsigned, unsigned>{2, 7}));
}

// A Send handler that shows a warning box (a message loop) for longer than the time-out and the hold
// answers later messages from inside that loop while the press is still under way: were the draft given
// back then, the handler would send it when it goes on. Nor may a dialog be pressed meanwhile, even by
// an automation that knows of no press (its own keeper): the press would let the handler go on.
TEST_F(AutomationContract, SendHandlerThatRunsALoopNeverSendsTheDraft) {
    ChatLayout layout;
    layout.sendMilliseconds = 9000;
    layout.sendRunsLoop = true;
    desktop_->OpenChatClient(layout);
    desktop_->TypeDraft("half a thought");
    desktop_->Select(2, 7);
    desktop_->OpenDialog(DialogKind::Modal);
    auto automation = Automation();
    EXPECT_NE(automation.PostToChat(kLine), PostResult::Posted);
    ClientAutomation unaware(desktop_->Windows(), desktop_->Events());
    unaware.WaitSeconds(std::chrono::seconds(5));
    unaware.DismissModal();
    EXPECT_TRUE(desktop_->DialogPresses().empty()) << "a dialog was pressed while the press was under way";
    automation.WaitSeconds(std::chrono::seconds(7));
    EXPECT_FALSE(drafts_.Owes());
    EXPECT_EQ(desktop_->Received(), std::vector<std::string>{kLineBytes});
    EXPECT_EQ(desktop_->EntryText(), "half a thought");
    EXPECT_EQ(desktop_->Selection(), (std::pair<unsigned, unsigned>{2, 7}));
}

TEST_F(AutomationContract, DismissPressesTheFirstIconOfTheTopmostDialogOnly) {
    auto automation = Automation();
    automation.DismissPalette();  // none open: reaches no window
    automation.DismissModal();
    EXPECT_TRUE(desktop_->DialogPresses().empty());

    desktop_->OpenDialog(DialogKind::Palette);  // below the other palette: never pressed
    const WindowHandle modal = desktop_->OpenDialog(DialogKind::Modal);
    const WindowHandle upperPalette = desktop_->OpenDialog(DialogKind::Palette);
    automation.DismissPalette();
    automation.DismissModal();
    const std::vector<DialogPress> presses = desktop_->DialogPresses();
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[0].dialog, upperPalette);
    EXPECT_EQ(presses[0].child, 1);
    EXPECT_EQ(presses[1].dialog, modal);
    EXPECT_EQ(presses[1].child, 1);
}

}  // namespace
}  // namespace vorivevo::contract
