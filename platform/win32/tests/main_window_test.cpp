// The main window as built: its frame, where its parts sit and stack, what the tiles paint, the counter,
// the text boxes and the display density.
#include "main_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <vector>

#include "window_controls.h"
#include "window_fixture.h"
#include "test_support.h"
#include "tile_art.h"

namespace vorivevo {
namespace {

using test::Canvas;
using test::Describe;
using MainWindowTest = test::WindowFixture;

RECT RectInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The counter's rectangle within the idle panel, in pixels at 96 DPI: (56, 8), 33 x 9.
bool InLabel(int x, int y) { return x >= 56 && x < 89 && y >= 8 && y < 17; }

TEST_F(MainWindowTest, WindowIsAFramelessToolWindowOf96By73) {
    const LONG style = GetWindowLongW(Main(), GWL_STYLE);
    EXPECT_NE(style & WS_POPUP, 0);
    EXPECT_EQ(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_SYSMENU), 0);
    EXPECT_NE(GetWindowLongW(Main(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    RECT client{};
    GetClientRect(Main(), &client);
    EXPECT_EQ(client.right, 96);
    EXPECT_EQ(client.bottom, 73);
    RECT outer{};
    GetWindowRect(Main(), &outer);
    EXPECT_EQ(outer.right - outer.left, 96);
    EXPECT_EQ(outer.bottom - outer.top, 73);
    wchar_t title[16] = {};
    GetWindowTextW(Main(), title, 16);
    EXPECT_STREQ(title, L"Form1");
    EXPECT_FALSE(IsWindowVisible(Main())) << "the window shows only when start-up is done";
}

// Written out here, not taken from the layout the window is built from, so that a change to the layout
// shows as a failure to be looked at.
TEST_F(MainWindowTest, ControlsSitAtTheirPlaces) {
    const struct {
        ControlId id;
        const char* name;
        RECT rect;  // left, top, right, bottom in the window's client pixels
    } cases[] = {
        {ControlId::NameBar, "name bar", {0, 0, 97, 25}},
        {ControlId::StartTile, "ON", {0, 24, 33, 49}},
        {ControlId::ExitTile, "X", {32, 24, 65, 49}},
        {ControlId::StopTile, "OFF", {64, 24, 97, 49}},
        {ControlId::IdlePanel, "idle panel", {0, 48, 97, 73}},
        {ControlId::HomePageBox, "home page box", {0, 72, 41, 91}},
        {ControlId::DisplayNameBox, "display name box", {40, 72, 97, 91}},
    };
    for (const auto& c : cases) {
        const RECT rect = RectInParent(Control(c.id));
        EXPECT_EQ(rect.left, c.rect.left) << c.name;
        EXPECT_EQ(rect.top, c.rect.top) << c.name;
        EXPECT_EQ(rect.right, c.rect.right) << c.name;
        EXPECT_EQ(rect.bottom, c.rect.bottom) << c.name;
    }
}

TEST_F(MainWindowTest, ChildrenStackTheBoxesOnTopThenThePanelThenExitOverTheOtherTiles) {
    const std::vector<HWND> expected = {
        Control(ControlId::DisplayNameBox), Control(ControlId::HomePageBox), Control(ControlId::IdlePanel),
        Control(ControlId::ExitTile),       Control(ControlId::StopTile),    Control(ControlId::StartTile),
        Control(ControlId::NameBar)};
    std::vector<HWND> actual;
    for (HWND child = GetWindow(Main(), GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        actual.push_back(child);
    EXPECT_EQ(actual, expected);
}

TEST_F(MainWindowTest, SeamsAndOverlapsGoToTheControlOnTop) {
    struct Case {
        POINT point;
        ControlId expected;
    };
    const Case cases[] = {
        {{32, 30}, ControlId::ExitTile}, {{64, 30}, ControlId::ExitTile}, {{31, 30}, ControlId::StartTile},
        {{65, 30}, ControlId::StopTile}, {{50, 24}, ControlId::ExitTile}, {{10, 24}, ControlId::StartTile},
        {{10, 23}, ControlId::NameBar}, {{10, 48}, ControlId::IdlePanel}, {{10, 72}, ControlId::HomePageBox},
        {{40, 72}, ControlId::DisplayNameBox},    {{95, 72}, ControlId::DisplayNameBox},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChildWindowFromPointEx(Main(), c.point, CWP_SKIPINVISIBLE), Control(c.expected))
            << "at (" << c.point.x << ", " << c.point.y << ")";
}

TEST_F(MainWindowTest, TilesPaintTheirArtworkUnscaled) {
    for (ControlId tile : kTiles) {
        const Image art = RenderTile(tile);
        Canvas canvas(art.width, art.height);
        window.PaintTile(tile, canvas.Dc());
        for (int y = 0; y < art.height; ++y)
            for (int x = 0; x < art.width; ++x) {
                if (tile == ControlId::IdlePanel && InLabel(x, y)) continue;
                ASSERT_EQ(canvas.At(x, y), art.At(x, y))
                    << "tile " << static_cast<int>(tile) << " at (" << x << ", " << y << "): "
                    << Describe(canvas.At(x, y)) << " instead of " << Describe(art.At(x, y));
            }
    }
}

TEST_F(MainWindowTest, IdleCounterTextIsDrawnCentredInsideItsRectangleOnly) {
    window.SetIdleCounterText("0");
    const Image art = RenderTile(ControlId::IdlePanel);
    Canvas canvas(art.width, art.height);
    window.PaintTile(ControlId::IdlePanel, canvas.Dc());
    const Rgb ink = test::FromColorRef(GetSysColor(COLOR_BTNTEXT));
    int left = art.width, right = -1;
    for (int y = 0; y < art.height; ++y)
        for (int x = 0; x < art.width; ++x) {
            if (canvas.At(x, y) == art.At(x, y)) continue;
            ASSERT_TRUE(InLabel(x, y)) << "drawn outside the label at (" << x << ", " << y << ")";
            EXPECT_EQ(canvas.At(x, y), ink) << "at (" << x << ", " << y << ")";
            left = std::min(left, x);
            right = std::max(right, x);
        }
    ASSERT_GE(right, left) << "no text drawn";
    const int marginLeft = left - 56;
    const int marginRight = 88 - right;
    EXPECT_LE(std::abs(marginLeft - marginRight), 2) << "ink spans columns " << left << " to " << right;
}

TEST_F(MainWindowTest, NewLabelTextRepaintsTheWholeLabelRectangle) {
    // Only a visible window collects an update region; shown without activation to end quickly.
    ShowWindow(Main(), SW_SHOWNOACTIVATE);
    test::PumpThreadMessages();
    const HWND panel = Control(ControlId::IdlePanel);
    ValidateRect(panel, nullptr);
    window.SetIdleCounterText("12");
    RECT update{};
    ASSERT_TRUE(GetUpdateRect(panel, &update, FALSE));
    EXPECT_LE(update.left, 56);
    EXPECT_LE(update.top, 8);
    EXPECT_GE(update.right, 89);
    EXPECT_GE(update.bottom, 17);
    EXPECT_EQ(window.IdleCounterText(), "12");
}

TEST_F(MainWindowTest, LongerTextIsCutAtTheLabelsEdges) {
    window.SetIdleCounterText("888888888888888888");
    const Image art = RenderTile(ControlId::IdlePanel);
    Canvas canvas(art.width, art.height);
    window.PaintTile(ControlId::IdlePanel, canvas.Dc());
    for (int y = 0; y < art.height; ++y) {
        for (int x = 0; x < art.width; ++x) {
            if (InLabel(x, y)) continue;
            ASSERT_EQ(canvas.At(x, y), art.At(x, y)) << "at (" << x << ", " << y << ")";
        }
    }
}

TEST_F(MainWindowTest, TextBoxesAreEditableEditsWithTheInitialValues) {
    for (ControlId textBox : {ControlId::HomePageBox, ControlId::DisplayNameBox}) {
        wchar_t className[16] = {};
        GetClassNameW(Control(textBox), className, 16);
        EXPECT_EQ(_wcsicmp(className, L"EDIT"), 0);
        EXPECT_NE(GetWindowLongW(Control(textBox), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
        EXPECT_EQ(GetWindowLongW(Control(textBox), GWL_STYLE) & ES_READONLY, 0);
    }
    EXPECT_EQ(window.EditText(ControlId::HomePageBox), kHomePageInitial);
    EXPECT_EQ(window.EditText(ControlId::DisplayNameBox), kDisplayNameInitial);
    SetWindowTextW(Control(ControlId::DisplayNameBox), L"Zo\u00EB");
    EXPECT_EQ(window.EditText(ControlId::DisplayNameBox), "Zo\xC3\xAB");
}

TEST_F(MainWindowTest, LabelFontIsSmallFontsOrTheNearestFace) {
    const std::wstring& face = window.LabelFaceName();
    ASSERT_FALSE(face.empty());
    std::wcout << L"[ label face ] " << face << L" (Small Fonts installed: "
               << (LabelFont::FaceInstalled(L"Small Fonts") ? L"yes" : L"no") << L")" << std::endl;
    LabelFont font(96);
    MemoryDc dc(nullptr);
    SelectScope select(dc.Get(), font.Get());
    wchar_t chosen[LF_FACESIZE] = {};
    GetTextFaceW(dc.Get(), LF_FACESIZE, chosen);
    if (LabelFont::FaceInstalled(face)) {
        EXPECT_EQ(_wcsicmp(chosen, face.c_str()), 0) << "the mapper gave " << chosen;
    }
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.Get(), &metrics);
    EXPECT_LE(metrics.tmAscent, 9) << "6 points at 96 DPI should fit the label's 9 rows";
}

TEST(MainWindowScale, WholeFactorOfTheDisplayDensity) {
    EXPECT_EQ(MainWindow::ScaleFactorFor(72), 1);
    EXPECT_EQ(MainWindow::ScaleFactorFor(96), 1);
    EXPECT_EQ(MainWindow::ScaleFactorFor(144), 1);
    EXPECT_EQ(MainWindow::ScaleFactorFor(192), 2);
    EXPECT_EQ(MainWindow::ScaleFactorFor(288), 3);
}

TEST(MainWindowScale, DoubleDensityDoublesEveryPixel) {
    MainWindow doubled(GetModuleHandleW(nullptr), 2);
    RECT client{};
    GetClientRect(doubled.Handle(), &client);
    EXPECT_EQ(client.right, 192);
    EXPECT_EQ(client.bottom, 146);
    const RECT exitTile = RectInParent(doubled.ControlWindow(ControlId::ExitTile));
    EXPECT_EQ(exitTile.left, 64);
    EXPECT_EQ(exitTile.top, 48);
    EXPECT_EQ(exitTile.right, 130);
    EXPECT_EQ(exitTile.bottom, 98);

    const Image art = ScaleNearest(RenderTile(ControlId::ExitTile), 2);
    Canvas canvas(art.width, art.height);
    doubled.PaintTile(ControlId::ExitTile, canvas.Dc());
    for (int y = 0; y < art.height; ++y)
        for (int x = 0; x < art.width; ++x) ASSERT_EQ(canvas.At(x, y), art.At(x, y)) << "at (" << x << ", " << y << ")";
}

}  // namespace
}  // namespace vorivevo
