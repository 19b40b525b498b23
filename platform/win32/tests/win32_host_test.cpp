#include "win32_host.h"

#include <gtest/gtest.h>

#include <vector>

#include "form_fixture.h"
#include "test_support.h"
#include "win32_window_system.h"

namespace vorivevo {
namespace {

using Win32HostTest = test::FormFixture;
using Events = std::vector<FormEvent>;

void Press(HWND tile, UINT down, UINT up, POINT at, POINT releasedAt) {
    PostMessageW(tile, down, 0, MAKELPARAM(at.x, at.y));
    if (up != 0) PostMessageW(tile, up, 0, MAKELPARAM(releasedAt.x, releasedAt.y));
}

// Keeps the keyboard state of Shift down for one scope, as the thread sees it.
class ShiftHeld {
public:
    ShiftHeld() {
        GetKeyboardState(saved_);
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = 0x80;
        SetKeyboardState(keys);
    }
    ~ShiftHeld() { SetKeyboardState(saved_); }

private:
    BYTE saved_[256];
};

TEST_F(Win32HostTest, ClickOnACommandTileIsReportedWhenThePumpRuns) {
    Press(Control(ControlId::Picture2), WM_LBUTTONDOWN, WM_LBUTTONUP, {5, 5}, {6, 7});
    Press(Control(ControlId::Picture3), WM_LBUTTONDOWN, WM_LBUTTONUP, {5, 5}, {5, 5});
    // (32, 23) is the Exit tile's corner over the Stop tile.
    Press(Control(ControlId::Picture4), WM_LBUTTONDOWN, WM_LBUTTONUP, {0, 0}, {32, 23});
    EXPECT_TRUE(sink.events.empty()) << "a window procedure ran before the pump";
    host.DoEvents();
    EXPECT_EQ(sink.events, (Events{FormEvent::Picture2Click, FormEvent::Picture3Click, FormEvent::Picture4Click}));
    EXPECT_EQ(sink.runs, 1);
}

TEST_F(Win32HostTest, ReleaseAwayFromTheTileOrUnderTheExitTileIsNoClick) {
    // Start's column 32 lies under the Exit tile; (-1, 5) is outside the window.
    Press(Control(ControlId::Picture2), WM_LBUTTONDOWN, WM_LBUTTONUP, {5, 5}, {32, 5});
    Press(Control(ControlId::Picture2), WM_LBUTTONDOWN, WM_LBUTTONUP, {5, 5}, {-1, 5});
    Press(Control(ControlId::Picture3), WM_LBUTTONDOWN, WM_LBUTTONUP, {5, 5}, {5, 30});
    // The Exit tile's last row lies under the idle panel.
    Press(Control(ControlId::Picture4), WM_LBUTTONDOWN, WM_LBUTTONUP, {5, 5}, {32, 24});
    Press(Control(ControlId::Picture4), WM_LBUTTONUP, 0, {5, 5}, {});
    host.DoEvents();
    EXPECT_EQ(sink.events, Events{});
}

TEST_F(Win32HostTest, OnlyTheLeftButtonClicks) {
    Press(Control(ControlId::Picture2), WM_RBUTTONDOWN, WM_RBUTTONUP, {5, 5}, {5, 5});
    Press(Control(ControlId::Picture4), WM_MBUTTONDOWN, WM_MBUTTONUP, {5, 5}, {5, 5});
    host.DoEvents();
    EXPECT_EQ(sink.events, Events{});
}

TEST_F(Win32HostTest, AnyButtonPressedOnTheNameBarStartsADrag) {
    const HWND nameBar = Control(ControlId::Picture1);
    Press(nameBar, WM_LBUTTONDOWN, 0, {5, 5}, {});
    Press(nameBar, WM_RBUTTONDOWN, 0, {90, 20}, {});
    Press(nameBar, WM_MBUTTONDOWN, 0, {0, 0}, {});
    host.DoEvents();
    EXPECT_EQ(sink.events, Events(3, FormEvent::Picture1MouseDown));
}

TEST_F(Win32HostTest, IdlePanelReportsNothing) {
    Press(Control(ControlId::Picture5), WM_LBUTTONDOWN, WM_LBUTTONUP, {60, 10}, {60, 10});
    Press(Control(ControlId::Picture5), WM_RBUTTONDOWN, WM_RBUTTONUP, {5, 5}, {5, 5});
    host.DoEvents();
    EXPECT_EQ(sink.events, Events{});
}

TEST_F(Win32HostTest, TicksRunOnTheSpotOnlyInsideTheMoveLoop) {
    SendMessageW(Form(), WM_TIMER, 1, 0);
    EXPECT_EQ(sink.events, Events{FormEvent::Timer1Tick});
    EXPECT_EQ(sink.tickRuns, 0);

    SendMessageW(Form(), WM_ENTERSIZEMOVE, 0, 0);
    SendMessageW(Form(), WM_TIMER, 1, 0);
    EXPECT_EQ(sink.tickRuns, 1);
    SendMessageW(Form(), WM_EXITSIZEMOVE, 0, 0);

    SendMessageW(Form(), WM_TIMER, 1, 0);
    SendMessageW(Form(), WM_TIMER, 99, 0);  // not Timer1
    EXPECT_EQ(sink.tickRuns, 1);
    EXPECT_EQ(sink.events, Events(3, FormEvent::Timer1Tick));
}

TEST_F(Win32HostTest, EnabledTimerTicksAndDisabledTimerStops) {
    EXPECT_EQ(host.Timer1Interval(), 1000);
    EXPECT_FALSE(host.Timer1Enabled());
    host.SetTimer1Enabled(true);
    EXPECT_TRUE(host.Timer1Enabled());
    // Not a measurement: the bound only keeps a broken timer from hanging the run.
    const double giveUp = host.MonotonicSeconds() + 20;
    while (sink.events.empty() && host.MonotonicSeconds() < giveUp) {
        host.WaitForEvent(giveUp);
        host.DoEvents();
    }
    EXPECT_EQ(sink.events, Events{FormEvent::Timer1Tick});
    host.SetTimer1Enabled(false);
    EXPECT_FALSE(host.Timer1Enabled());
}

TEST_F(Win32HostTest, CloseRequestIsReportedAndTheWindowStays) {
    PostMessageW(Form(), WM_CLOSE, 0, 0);
    PostMessageW(Form(), WM_SYSCOMMAND, SC_CLOSE, 0);
    host.DoEvents();
    EXPECT_EQ(sink.events, Events(2, FormEvent::CloseRequest));
    EXPECT_TRUE(IsWindow(Form()));
}

TEST_F(Win32HostTest, QuitMessageCountsAsACloseRequest) {
    PostQuitMessage(0);
    host.DoEvents();
    EXPECT_EQ(sink.events, Events{FormEvent::CloseRequest});
}

TEST_F(Win32HostTest, ShownWindowGivesTheNameBarTheFocusAndTabFollowsTheTabOrder) {
    host.Show();
    ASSERT_TRUE(IsWindowVisible(Form()));
    test::PumpThreadMessages();
    EXPECT_EQ(GetFocus(), Control(ControlId::Picture1));

    const std::vector<HWND> forwards{Control(ControlId::Picture2), Control(ControlId::Picture3),
                                     Control(ControlId::Picture4), Control(ControlId::Picture5),
                                     Control(ControlId::Text1),    Control(ControlId::Text2),
                                     Control(ControlId::Picture1)};
    std::vector<HWND> visited;
    for (std::size_t i = 0; i < forwards.size(); ++i) {
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
        host.DoEvents();
        visited.push_back(GetFocus());
    }
    EXPECT_EQ(visited, forwards);

    ShiftHeld shift;
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    host.DoEvents();
    EXPECT_EQ(GetFocus(), Control(ControlId::Text2));
    EXPECT_EQ(sink.events, Events{}) << "no key runs a handler";
}

TEST_F(Win32HostTest, TypingIntoTheHiddenTextBoxChangesWhatIsRead) {
    SetFocus(Control(ControlId::Text1));
    SendMessageW(Control(ControlId::Text1), EM_SETSEL, 0, -1);
    for (wchar_t c : std::wstring(L"x.y")) PostMessageW(Control(ControlId::Text1), WM_CHAR, c, 0);
    host.DoEvents();
    EXPECT_EQ(host.Text1Text(), "x.y");
    EXPECT_EQ(sink.events, Events{});
}

TEST_F(Win32HostTest, UnloadDestroysTheWindowAndLeavesTheHostUsable) {
    const HWND form = Form();
    EXPECT_EQ(host.OwnWindow(), ToWindowHandle(form));
    host.SetTimer1Enabled(true);
    host.Unload();
    EXPECT_FALSE(IsWindow(form));
    EXPECT_EQ(host.OwnWindow(), kNoWindow);
    EXPECT_FALSE(host.Timer1Enabled());
    EXPECT_EQ(host.Label1Text(), "0");
    EXPECT_EQ(host.Text1Text(), "");
    host.SetLabel1Text("1");
    host.SetTimer1Enabled(true);
    // No window, no timer: one that did not start must not pass for a running one, or every later
    // enabling would skip it.
    EXPECT_FALSE(host.Timer1Enabled());
    host.Show();
    host.DoEvents();
    EXPECT_EQ(sink.events, Events{});
}

TEST_F(Win32HostTest, WaitReturnsAtOnceForAQueuedMessageAndLeavesItQueued) {
    PostMessageW(Form(), WM_NULL, 0, 0);
    const double start = host.MonotonicSeconds();
    host.WaitForEvent(start + 600);
    EXPECT_LT(host.MonotonicSeconds() - start, 300) << "waited for the deadline despite a queued message";
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, Form(), WM_NULL, WM_NULL, PM_NOREMOVE));
}

TEST_F(Win32HostTest, WaitForAPassedDeadlineReturns) {
    host.WaitForEvent(host.MonotonicSeconds() - 1);
    host.WaitForEvent(-1e300);
    SUCCEED();
}

}  // namespace
}  // namespace vorivevo
