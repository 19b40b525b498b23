// What the window tells a person who does not know it: tooltips, the keyboard and its focus mark, and
// what screen readers read.
#include "win32_api.h"

#include <commctrl.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "window_fixture.h"
#include "test_support.h"

namespace vorivevo {
namespace {

using WindowGuidanceTest = test::WindowFixture;
using Events = std::vector<WindowEvent>;

constexpr LPARAM kKeyRepeat = LPARAM{1} << 30;

struct Part {
    ControlId id;
    const wchar_t* name;
    long role;
};

// Left to right, top to bottom, as a screen reader walks the window.
const Part kTiles[] = {
    {ControlId::NameBar, L"VORIVEVO", ROLE_SYSTEM_GRIP},
    {ControlId::StartTile, L"ON", ROLE_SYSTEM_PUSHBUTTON},
    {ControlId::ExitTile, L"X", ROLE_SYSTEM_PUSHBUTTON},
    {ControlId::StopTile, L"OFF", ROLE_SYSTEM_PUSHBUTTON},
    {ControlId::IdlePanel, L"Idle for 0 minutes", ROLE_SYSTEM_STATICTEXT},
};

IAccessible* AccessibleOf(HWND window) {
    IAccessible* object = nullptr;
    AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                               reinterpret_cast<void**>(&object));
    return object;
}

VARIANT Self() {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

std::wstring NameOf(IAccessible* object) {
    BSTR name = nullptr;
    if (FAILED(object->get_accName(Self(), &name))) return L"<failed>";
    std::wstring text(name != nullptr ? name : L"");
    SysFreeString(name);
    return text;
}

// What the tooltip control gets when it asks the window for a tool's text.
std::wstring TipAskedFor(HWND main, HWND tooltip, HWND tool) {
    NMTTDISPINFOW request{};
    request.hdr.hwndFrom = tooltip;
    request.hdr.idFrom = reinterpret_cast<UINT_PTR>(tool);
    request.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(main, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request));
    return request.lpszText != nullptr ? request.lpszText : L"";
}

TEST_F(WindowGuidanceTest, SpaceOrEnterOnACommandTileIsAClickOncePerPress) {
    const struct {
        ControlId tile;
        WPARAM key;
        LPARAM flags;
        Events expected;
    } cases[] = {
        {ControlId::StartTile, VK_SPACE, 0, {WindowEvent::StartClicked}},
        {ControlId::StartTile, VK_RETURN, 0, {WindowEvent::StartClicked}},
        {ControlId::ExitTile, VK_SPACE, 0, {WindowEvent::ExitClicked}},
        {ControlId::StopTile, VK_RETURN, 0, {WindowEvent::StopClicked}},
        {ControlId::StartTile, VK_SPACE, kKeyRepeat, {}},  // a key held down
        {ControlId::StartTile, 'A', 0, {}},
        {ControlId::NameBar, VK_SPACE, 0, {}},
        {ControlId::IdlePanel, VK_RETURN, 0, {}},
    };
    for (const auto& c : cases) {
        sink.events.clear();
        PostMessageW(Control(c.tile), WM_KEYDOWN, c.key, c.flags);
        host.DoEvents();
        EXPECT_EQ(sink.events, c.expected) << "tile " << static_cast<int>(c.tile) << ", key " << c.key;
    }
}

TEST_F(WindowGuidanceTest, FocusIsMarkedOnlyOnceTheKeyboardIsUsed) {
    ShowWindow(Main(), SW_SHOWNOACTIVATE);
    SetFocus(Control(ControlId::StartTile));
    test::PumpThreadMessages();
    ASSERT_EQ(GetFocus(), Control(ControlId::StartTile));

    const Image art = RenderTile(ControlId::StartTile);
    const auto differingPixels = [&] {
        test::Canvas canvas(art.width, art.height);
        window.PaintTile(ControlId::StartTile, canvas.Dc());
        int count = 0;
        for (int y = 0; y < art.height; ++y)
            for (int x = 0; x < art.width; ++x) count += canvas.At(x, y) != art.At(x, y);
        return count;
    };
    EXPECT_FALSE(window.ShowsFocusCues());
    EXPECT_EQ(differingPixels(), 0) << "a focus mark before any key";

    // A key the window does not use shows nothing; Space on the tile is the keyboard in use.
    PostMessageW(Control(ControlId::StartTile), WM_KEYDOWN, VK_SPACE, 0);
    host.DoEvents();
    EXPECT_TRUE(window.ShowsFocusCues());
    EXPECT_EQ(SendMessageW(Control(ControlId::StartTile), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS, 0);
    EXPECT_GT(differingPixels(), 40) << "no focus rectangle on the focused tile";

    SetFocus(Control(ControlId::StopTile));
    EXPECT_EQ(differingPixels(), 0) << "the mark stayed on a tile that lost the focus";
}

TEST_F(WindowGuidanceTest, EveryPartHasATooltipAndTheNameBarTellsTheLastPost) {
    const HWND tooltip = window.TooltipWindow();
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 7);
    for (ControlId id : {ControlId::NameBar, ControlId::StartTile, ControlId::StopTile, ControlId::ExitTile,
                         ControlId::IdlePanel, ControlId::HomePageBox, ControlId::DisplayNameBox}) {
        const std::wstring tip = TipAskedFor(Main(), tooltip, Control(id));
        EXPECT_GT(tip.size(), 20u) << "control " << static_cast<int>(id);
        EXPECT_EQ(tip, window.TipText(id));
    }
    EXPECT_NE(window.TipText(ControlId::StartTile).find(L"I've Been Idle For"), std::wstring::npos);
    EXPECT_NE(window.TipText(ControlId::NameBar).find(L"Tab"), std::wstring::npos)
        << "the name bar does not say how to reach the text boxes";

    window.SetLastPostReport("Posted at 14:02");
    const std::wstring nameBar = TipAskedFor(Main(), tooltip, Control(ControlId::NameBar));
    EXPECT_EQ(nameBar.substr(nameBar.size() - 15), L"Posted at 14:02");
}

// A tip that came back over the tile just clicked would hide the window's face.
TEST_F(WindowGuidanceTest, TileJustPressedShowsNoTipUntilThePointerLeavesIt) {
    const HWND tooltip = window.TooltipWindow();
    const HWND on = Control(ControlId::StartTile);
    SendMessageW(on, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(on, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(TipAskedFor(Main(), tooltip, on), L"");
    EXPECT_NE(TipAskedFor(Main(), tooltip, Control(ControlId::StopTile)), L"");
    SendMessageW(on, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(TipAskedFor(Main(), tooltip, on), window.TipText(ControlId::StartTile));
}

TEST_F(WindowGuidanceTest, ScreenReadersReadNamesAndRolesAndCanPress) {
    for (const Part& part : kTiles) {
        IAccessible* object = AccessibleOf(Control(part.id));
        ASSERT_NE(object, nullptr) << "no accessible object for tile " << static_cast<int>(part.id);
        VARIANT role;
        VariantInit(&role);
        object->get_accRole(Self(), &role);
        EXPECT_EQ(NameOf(object), part.name);
        EXPECT_EQ(role.vt == VT_I4 ? role.lVal : -1, part.role) << "tile " << static_cast<int>(part.id);
        BSTR description = nullptr;
        object->get_accDescription(Self(), &description);
        EXPECT_EQ(std::wstring(description != nullptr ? description : L""), window.TipText(part.id));
        SysFreeString(description);
        object->Release();
    }

    window.SetIdleCounterText("1");
    IAccessible* panel = AccessibleOf(Control(ControlId::IdlePanel));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(NameOf(panel), L"Idle for 1 minute");

    IAccessible* on = AccessibleOf(Control(ControlId::StartTile));
    ASSERT_NE(on, nullptr);
    EXPECT_EQ(on->accDoDefaultAction(Self()), S_OK);
    EXPECT_EQ(panel->accDoDefaultAction(Self()), DISP_E_MEMBERNOTFOUND);
    host.DoEvents();
    EXPECT_EQ(sink.events, Events{WindowEvent::StartClicked});

    // A screen reader may hold the object after the window is gone.
    host.Unload();
    BSTR name = nullptr;
    EXPECT_EQ(on->get_accName(Self(), &name), RPC_E_DISCONNECTED);
    EXPECT_EQ(on->accDoDefaultAction(Self()), RPC_E_DISCONNECTED);
    on->Release();
    panel->Release();
}

}  // namespace
}  // namespace vorivevo
