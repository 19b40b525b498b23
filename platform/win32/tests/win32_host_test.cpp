// The Win32 host over the real window: which input becomes which event and when, the timer, close
// requests, the keyboard focus and unloading. Its pump's contract is in tests/contract.
#include "win32_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "test_support.h"
#include "win32_window_system.h"
#include "window_fixture.h"

namespace vorivevo {
namespace {

using Win32HostTest = test::WindowFixture;
using Events = std::vector<WindowEvent>;

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
    Press(Control(ControlId::StartTile), WM_LBUTTONDOWN, WM_LBUTTONUP, {5, 5}, {6, 7});
    Press(Control(ControlId::StopTile), WM_LBUTTONDOWN, WM_LBUTTONUP, {5, 5}, {5, 5});
    // (32, 23) is the Exit tile's corner over the Stop tile.
    Press(Control(ControlId::ExitTile), WM_LBUTTONDOWN, WM_LBUTTONUP, {0, 0}, {32, 23});
    EXPECT_TRUE(sink.events.empty()) << "a window procedure ran before the pump";
    host.DoEvents();
    EXPECT_EQ(sink.events, (Events{WindowEvent::StartClicked, WindowEvent::StopClicked, WindowEvent::ExitClicked}));
    EXPECT_EQ(sink.runs, 1);
}

TEST_F(Win32HostTest, ReleaseAwayFromTheTileOrUnderTheExitTileIsNoClick) {
    // Start's column 32 lies under the Exit tile; (-1, 5) is outside the window.
    Press(Control(ControlId::StartTile), WM_LBUTTONDOWN, WM_LBUTTONUP, {5, 5}, {32, 5});
    Press(Control(ControlId::StartTile), WM_LBUTTONDOWN, WM_LBUTTONUP, {5, 5}, {-1, 5});
    Press(Control(ControlId::StopTile), WM_LBUTTONDOWN, WM_LBUTTONUP, {5, 5}, {5, 30});
    // The Exit tile's last row lies under the idle panel.
    Press(Control(ControlId::ExitTile), WM_LBUTTONDOWN, WM_LBUTTONUP, {5, 5}, {32, 24});
    Press(Control(ControlId::ExitTile), WM_LBUTTONUP, 0, {5, 5}, {});
    host.DoEvents();
    EXPECT_EQ(sink.events, Events{});
}

TEST_F(Win32HostTest, OnlyTheLeftButtonClicks) {
    Press(Control(ControlId::StartTile), WM_RBUTTONDOWN, WM_RBUTTONUP, {5, 5}, {5, 5});
    Press(Control(ControlId::ExitTile), WM_MBUTTONDOWN, WM_MBUTTONUP, {5, 5}, {5, 5});
    host.DoEvents();
    EXPECT_EQ(sink.events, Events{});
}

TEST_F(Win32HostTest, AnyButtonPressedOnTheNameBarStartsADrag) {
    const HWND nameBar = Control(ControlId::NameBar);
    Press(nameBar, WM_LBUTTONDOWN, 0, {5, 5}, {});
    Press(nameBar, WM_RBUTTONDOWN, 0, {90, 20}, {});
    Press(nameBar, WM_MBUTTONDOWN, 0, {0, 0}, {});
    host.DoEvents();
    EXPECT_EQ(sink.events, Events(3, WindowEvent::NameBarPressed));
}

TEST_F(Win32HostTest, IdlePanelReportsNothing) {
    Press(Control(ControlId::IdlePanel), WM_LBUTTONDOWN, WM_LBUTTONUP, {60, 10}, {60, 10});
    Press(Control(ControlId::IdlePanel), WM_RBUTTONDOWN, WM_RBUTTONUP, {5, 5}, {5, 5});
    host.DoEvents();
    EXPECT_EQ(sink.events, Events{});
}

TEST_F(Win32HostTest, TicksRunOnTheSpotOnlyInsideTheMoveLoop) {
    SendMessageW(Main(), WM_TIMER, 1, 0);
    EXPECT_EQ(sink.events, Events{WindowEvent::DialogTimerTick});
    EXPECT_EQ(sink.tickRuns, 0);

    SendMessageW(Main(), WM_ENTERSIZEMOVE, 0, 0);
    SendMessageW(Main(), WM_TIMER, 1, 0);
    EXPECT_EQ(sink.tickRuns, 1);
    SendMessageW(Main(), WM_EXITSIZEMOVE, 0, 0);

    SendMessageW(Main(), WM_TIMER, 1, 0);
    SendMessageW(Main(), WM_TIMER, 99, 0);  // not the dialog timer
    EXPECT_EQ(sink.tickRuns, 1);
    EXPECT_EQ(sink.events, Events(3, WindowEvent::DialogTimerTick));
}

TEST_F(Win32HostTest, EnabledTimerTicks) {
    EXPECT_FALSE(window.TimerRunning());
    host.EnableDialogTimer();
    EXPECT_TRUE(window.TimerRunning());
    // Not a measurement: the bound only keeps a broken timer from hanging the run.
    const Instant giveUp = host.Now() + std::chrono::seconds(20);
    while (sink.events.empty() && host.Now() < giveUp) {
        host.WaitForEvent(giveUp);
        host.DoEvents();
    }
    EXPECT_EQ(sink.events, Events{WindowEvent::DialogTimerTick});
}

TEST_F(Win32HostTest, CloseRequestIsReportedAndTheWindowStays) {
    PostMessageW(Main(), WM_CLOSE, 0, 0);
    PostMessageW(Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    host.DoEvents();
    EXPECT_EQ(sink.events, Events(2, WindowEvent::CloseRequest));
    EXPECT_TRUE(IsWindow(Main()));
}

TEST_F(Win32HostTest, QuitMessageCountsAsACloseRequest) {
    PostQuitMessage(0);
    host.DoEvents();
    EXPECT_EQ(sink.events, Events{WindowEvent::CloseRequest});
}

TEST_F(Win32HostTest, ShownWindowGivesTheNameBarTheFocusAndTabFollowsTheTabOrder) {
    host.Show();
    ASSERT_TRUE(IsWindowVisible(Main()));
    test::PumpThreadMessages();
    EXPECT_EQ(GetFocus(), Control(ControlId::NameBar));

    const std::vector<HWND> forwards{Control(ControlId::StartTile), Control(ControlId::StopTile),
                                     Control(ControlId::ExitTile), Control(ControlId::IdlePanel),
                                     Control(ControlId::HomePageBox),    Control(ControlId::DisplayNameBox),
                                     Control(ControlId::NameBar)};
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
    EXPECT_EQ(GetFocus(), Control(ControlId::DisplayNameBox));
    EXPECT_EQ(sink.events, Events{}) << "no key runs a handler";
}

// The window is a palette for the chat: a click on a command must leave the keyboard where the user types,
// while the name bar is where the window is taken for dragging and for Tab.
TEST_F(Win32HostTest, OnlyTheCommandTilesLeaveTheKeyboardWhereItWasWhenClicked) {
    struct Case {
        ControlId tile;
        LRESULT activation;
        bool takesFocus;
    };
    const Case cases[] = {
        {ControlId::NameBar, MA_ACTIVATE, true},      {ControlId::StartTile, MA_NOACTIVATE, false},
        {ControlId::ExitTile, MA_NOACTIVATE, false},  {ControlId::StopTile, MA_NOACTIVATE, false},
        {ControlId::IdlePanel, MA_ACTIVATE, true},
    };
    host.Show();
    for (const Case& c : cases) {
        const HWND tile = Control(c.tile);
        EXPECT_EQ(SendMessageW(tile, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(Main()),
                               MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
                  c.activation)
            << "tile " << static_cast<int>(c.tile);
        SetFocus(Control(ControlId::HomePageBox));
        Press(tile, WM_LBUTTONDOWN, WM_LBUTTONUP, {5, 5}, {5, 5});
        host.DoEvents();
        EXPECT_EQ(GetFocus(), c.takesFocus ? tile : Control(ControlId::HomePageBox)) << "tile " << static_cast<int>(c.tile);
    }
}

TEST_F(Win32HostTest, TypingIntoTheHiddenTextBoxChangesWhatIsRead) {
    SetFocus(Control(ControlId::HomePageBox));
    SendMessageW(Control(ControlId::HomePageBox), EM_SETSEL, 0, -1);
    for (wchar_t c : std::wstring(L"x.y")) PostMessageW(Control(ControlId::HomePageBox), WM_CHAR, c, 0);
    host.DoEvents();
    EXPECT_EQ(host.HomePageText(), "x.y");
    EXPECT_EQ(sink.events, Events{});
}

TEST_F(Win32HostTest, UnloadDestroysTheWindowAndLeavesTheHostUsable) {
    const HWND main = Main();
    EXPECT_EQ(host.OwnWindow(), ToWindowHandle(main));
    host.EnableDialogTimer();
    host.Unload();
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(host.OwnWindow(), kNoWindow);
    EXPECT_FALSE(window.TimerRunning());
    EXPECT_EQ(host.IdleCounterText(), "0");
    EXPECT_EQ(host.HomePageText(), "");
    host.SetIdleCounterText("1");
    host.EnableDialogTimer();
    // No window, no timer: one that did not start must not pass for a running one, or every later
    // enabling would skip it.
    EXPECT_FALSE(window.TimerRunning());
    host.Show();
    host.DoEvents();
    EXPECT_EQ(sink.events, Events{});
}

}  // namespace
}  // namespace vorivevo
