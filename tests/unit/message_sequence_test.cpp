// What the companion sends the client's windows, message by message, as tables compared in one place
// that prints the first difference: one post into a room whose box holds the user's draft, and one tick
// of the dialog timer with a palette and a modal dialog open.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "chat_client.h"
#include "client_automation.h"
#include "desktop.h"
#include "expected_lines.h"
#include "sim_host.h"
#include "table_expectations.h"
#include "world.h"

namespace vorivevo::sim {
namespace {

// Which of the windows watched a message goes to; the tables name them, not their handles.
enum To { EntryBox, SendButton, PaletteIcon, ModalIcon };

struct Step {
    To to;
    Message message;
    WParam wParam;
};

// The steps sent, in their order, to the windows watched: every child of the room or of the dialogs, so
// that a message to any other of them shows as a difference too. `handles` gives each To its window.
::testing::AssertionResult SequenceIs(const Desktop& desktop, const std::vector<WindowHandle>& watched,
                                      const std::vector<WindowHandle>& handles, const std::vector<Step>& steps) {
    std::vector<SentMessage> expected;
    for (const Step& step : steps) expected.push_back(SentMessage{step.message, step.wParam, handles[step.to]});
    ::testing::AssertionResult result = TrafficIs(desktop.TrafficTo(watched), expected);
    if (result) return result;
    const char* names[] = {"entry box", "send button", "palette's first icon", "modal's first icon"};
    for (std::size_t i = 0; i < handles.size(); ++i) {
        if (handles[i] == kNoWindow) continue;
        char entry[64];
        std::snprintf(entry, sizeof entry, "\n  %s: 0x%08X", names[i], static_cast<unsigned>(handles[i]));
        result << entry;
    }
    return result;
}

// The user typed "my words" (8 characters) and selected "wo"; our line is 34 ANSI characters. Each read
// announces its length first and then asks for two characters more than announced. Reads that only make
// sure the box answers, or see how the send loop stands, are incidental: how many there are is the post's
// own business. The reads that decide what is written or pressed next are pinned, right before it.
const std::vector<Step> kPostOverADraft = {
    {EntryBox, kIncidentalReads, 0},
    // The draft and the caret, right before our first write, and the draft again: the caret is the
    // text's only if no key came between.
    {EntryBox, WM_GETTEXTLENGTH, 0},
    {EntryBox, WM_GETTEXT, 10},
    {EntryBox, EM_GETSEL, 0},
    {EntryBox, WM_GETTEXTLENGTH, 0},
    {EntryBox, WM_GETTEXT, 10},
    // All of it selected, read again to see it still holds the draft (a key typed from here on takes the
    // place of the selection), then our line in its place.
    {EntryBox, EM_SETSEL, 0},
    {EntryBox, WM_GETTEXTLENGTH, 0},
    {EntryBox, WM_GETTEXT, 10},
    {EntryBox, EM_REPLACESEL, 0},
    {EntryBox, kIncidentalReads, 0},
    // The box holds exactly the line: read right before the press, and press Send.
    {EntryBox, WM_GETTEXTLENGTH, 0},
    {EntryBox, WM_GETTEXT, 36},
    {SendButton, WM_KEYDOWN, VK_SPACE},
    {SendButton, WM_KEYUP, VK_SPACE},
    // The client has taken it. The draft goes back the way our line went in: the empty box selected, read
    // again, the draft in its place; then the caret (unless the write left it there), and where it stands
    // once set.
    {EntryBox, kIncidentalReads, 0},
    {EntryBox, EM_SETSEL, 0},
    {EntryBox, WM_GETTEXTLENGTH, 0},
    {EntryBox, WM_GETTEXT, 2},
    {EntryBox, EM_REPLACESEL, 0},
    {EntryBox, kIncidentalReads, 0},
    {EntryBox, EM_SETSEL, 3},
    {EntryBox, kIncidentalReads, 0},
    {EntryBox, EM_GETSEL, 0},
};

TEST(MessageSequence, PostOverTheUsersDraft) {
    Desktop desktop;
    ChatClient client(desktop);
    SimHostOptions options;
    options.maxIdlePumps = LONG_MAX;  // messages take no virtual time here
    SimHost host(desktop, options);
    client.SetDraft(0, "my words", 3, 5);
    desktop.ClearTraffic();

    ClientAutomation(desktop, host).PostToChat(expected::kLoaded);

    const std::vector<WindowHandle> room = desktop.Children(client.Room());
    EXPECT_TRUE(SequenceIs(desktop, room, {client.EntryBox(), client.SendButton()}, kPostOverADraft));
    EXPECT_EQ(client.EntryText(), "my words");
}

// The first icon of the topmost palette, then of the topmost modal dialog: a press each, once the
// dialog's thread has answered all that was sent to it before.
const std::vector<Step> kTickWithBothDialogsOpen = {
    {PaletteIcon, WM_NULL, 0},
    {PaletteIcon, WM_LBUTTONDOWN, 0},
    {PaletteIcon, WM_LBUTTONUP, 0},
    {ModalIcon, WM_NULL, 0},
    {ModalIcon, WM_LBUTTONDOWN, 0},
    {ModalIcon, WM_LBUTTONUP, 0},
};

TEST(MessageSequence, TickPressesEachDialogsFirstIconOnce) {
    WorldOptions options;
    options.host.horizon = 11.5;  // Start at 10 s, the first tick at 11 s
    World world(options);
    DialogOptions stays;
    stays.closeOnDismiss = false;
    const WindowHandle modal = world.dialogs.Open(DialogKind::Modal, stays);
    const WindowHandle palette = world.dialogs.Open(DialogKind::Palette, stays);
    world.host.Script(10, WindowEvent::StartClicked);
    world.Run();

    std::vector<WindowHandle> watched = {palette, modal};
    for (const WindowHandle dialog : {palette, modal})
        for (const WindowHandle child : world.dialogs.ChildrenOf(dialog)) watched.push_back(child);
    const std::vector<WindowHandle> handles = {kNoWindow, kNoWindow, world.dialogs.ChildrenOf(palette)[1],
                                               world.dialogs.ChildrenOf(modal)[1]};
    EXPECT_TRUE(SequenceIs(world.desktop, watched, handles, kTickWithBothDialogsOpen));
}

}  // namespace
}  // namespace vorivevo::sim
