#include "main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "ansi_text.h"
#include "window_controls.h"
#include "tile_art.h"
#include "window_parts.h"

namespace vorivevo {
namespace {

constexpr UINT_PTR kDialogTimerId = 1;
constexpr int kControlIdBase = 100;
constexpr int kBasePixelsPerInch = 96;
// A tooltip wraps its lines at this width (pixels at 96 DPI), and stays this long (milliseconds):
// the longer ones take a while to read.
constexpr int kTipWidth = 320;
constexpr int kTipShownMs = 20000;

// The controls that take the focus, in tab-index order; the counter takes none.
std::vector<ControlId> TabOrder() {
    std::vector<ControlGeometry> focusable;
    for (const ControlGeometry& control : kWindowLayout)
        if (control.id != ControlId::IdleCounter && control.tabIndex >= 0) focusable.push_back(control);
    std::sort(focusable.begin(), focusable.end(),
              [](const ControlGeometry& a, const ControlGeometry& b) { return a.tabIndex < b.tabIndex; });
    std::vector<ControlId> order;
    for (const ControlGeometry& control : focusable) order.push_back(control.id);
    return order;
}

}  // namespace

int MainWindow::ScaleFactorFor(int pixelsPerInch) noexcept {
    return std::max(1, pixelsPerInch / kBasePixelsPerInch);
}

int MainWindow::ScreenPixelsPerInch() noexcept {
    WindowDc screen(nullptr);
    const int pixelsPerInch = screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return pixelsPerInch > 0 ? pixelsPerInch : kBasePixelsPerInch;
}

MainWindow::MainWindow(HINSTANCE instance) : MainWindow(instance, ScaleFactorFor(ScreenPixelsPerInch())) {}

// The label's font follows the layout's density (96 per inch times the scale factor), not the display's,
// so that 6 points fit the label's 9 rows at every density.
MainWindow::MainWindow(HINSTANCE instance, int scaleFactor)
    : scale_(std::max(1, scaleFactor)), font_(kBasePixelsPerInch * scale_) {
    label_ = std::make_unique<Label>(kIdleCounterInitial, font_.Get(), Scaled(GeometryOf(ControlId::IdleCounter)));
    for (ControlId tile : kTiles) {
        const Label* drawn = tile == ControlId::IdlePanel ? label_.get() : nullptr;
        tiles_[static_cast<std::size_t>(tile)] =
            std::make_unique<TileWindow>(tile, ScaleNearest(RenderTile(tile), scale_), drawn,
                                         static_cast<TileEventTarget&>(*this));
    }

    if (!ClassRegistered(instance)) throw std::runtime_error("RegisterClassEx failed for the window");
    const DWORD style = WS_POPUP | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_TOOLWINDOW;  // no task-bar button
    RECT outer{0, 0, kWindowWidth * scale_, kWindowHeight * scale_};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    const std::wstring caption = Utf8ToWide(kWindowCaption);
    // A pop-up given CW_USEDEFAULT gets the system's placement for pop-ups, the screen's top-left corner.
    const HWND window = CreateWindowExW(exStyle, kClassName, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                                        outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                        instance, this);
    if (window == nullptr) throw std::runtime_error("CreateWindowEx failed for the window");
    window_.Reset(window);
    CreateControls(instance);
    lastFocus_ = Tile(ControlId::NameBar)->Handle();
}

MainWindow::~MainWindow() { Destroy(); }

bool MainWindow::ClassRegistered(HINSTANCE instance) {
    static const RegisteredClass registered([instance] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &MainWindow::Proc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        return windowClass;
    }());
    return registered.Ok();
}

void MainWindow::CreateControls(HINSTANCE instance) {
    // Created topmost first; each is then put right below the one before, so the stacking is the
    // layout's whatever order the system gives new children.
    std::vector<HWND> stack;
    for (const ControlGeometry& control : kWindowLayout) {
        if (control.id == ControlId::IdleCounter) continue;
        const RECT rect = Scaled(control);
        if (IsTile(control.id)) {
            TileWindow& tile = *Tile(control.id);
            tile.Create(window_.Get(), rect, instance);
            stack.push_back(tile.Handle());
        } else {
            const char* initial = control.id == ControlId::HomePageBox ? kHomePageInitial : kDisplayNameInitial;
            const HWND textBox = CreateTextBox(control.id, initial, rect, instance);
            (control.id == ControlId::HomePageBox ? homePageBox_ : displayNameBox_) = textBox;
            stack.push_back(textBox);
        }
    }
    for (std::size_t i = 1; i < stack.size(); ++i)
        SetWindowPos(stack[i], stack[i - 1], 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    CreateTooltips(instance);
}

// The tooltips are an aid: where the system cannot make them, the window works without.
void MainWindow::CreateTooltips(HINSTANCE instance) {
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    if (!InitCommonControlsEx(&classes)) return;
    // TTS_ALWAYSTIP: the window is seldom the active one; the user is in the chat client.
    tooltip_.Reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                   instance, nullptr));
    const HWND tooltip = tooltip_.Get();
    if (tooltip == nullptr) return;
    SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, kTipWidth * scale_);
    SendMessageW(tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(kTipShownMs, 0));
    for (const WindowPart& part : kWindowParts) {
        TTTOOLINFOW tool{};
        // The size that every version of the common controls takes, the oldest included.
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window_.Get();
        tool.uId = reinterpret_cast<UINT_PTR>(ControlWindow(part.id));
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

HWND MainWindow::CreateTextBox(ControlId id, const char* text, const RECT& rect, HINSTANCE instance) {
    const std::wstring initial = Utf8ToWide(text);
    const HWND textBox = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", initial.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | ES_AUTOHSCROLL,
        rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, window_.Get(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlIdBase + static_cast<int>(id))), instance, nullptr);
    if (textBox == nullptr) throw std::runtime_error("CreateWindowEx failed for a text box");
    SendMessageW(textBox, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return textBox;
}

RECT MainWindow::Scaled(const ControlGeometry& geometry) const noexcept {
    return RECT{geometry.x * scale_, geometry.y * scale_, (geometry.x + geometry.width) * scale_,
                (geometry.y + geometry.height) * scale_};
}

TileWindow* MainWindow::Tile(ControlId id) const noexcept { return tiles_[static_cast<std::size_t>(id)].get(); }

HWND MainWindow::ControlWindow(ControlId id) const noexcept {
    if (id == ControlId::HomePageBox) return homePageBox_;
    if (id == ControlId::DisplayNameBox) return displayNameBox_;
    const TileWindow* tile = Tile(id);
    return tile != nullptr ? tile->Handle() : nullptr;
}

void MainWindow::SetIdleCounterText(const std::string& text) {
    label_->SetText(text);
    Tile(ControlId::IdlePanel)->InvalidateLabel();
}

void MainWindow::SetLastPostReport(const std::string& text) {
    lastPostReport_ = Utf8ToWide(text);
    const HWND nameBar = ControlWindow(ControlId::NameBar);
    // A tooltip that shows now reads its text again.
    if (tooltip_.Get() != nullptr && IsWindowVisible(tooltip_.Get())) SendMessageW(tooltip_.Get(), TTM_UPDATE, 0, 0);
    if (nameBar != nullptr) NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, nameBar, OBJID_CLIENT, CHILDID_SELF);
}

std::wstring MainWindow::TipText(ControlId id) const {
    const WindowPart* part = FindWindowPart(id);
    if (part == nullptr) return {};
    std::wstring tip = part->tip;
    if (id == ControlId::NameBar && !lastPostReport_.empty()) tip += L"\n\n" + lastPostReport_;
    return tip;
}

std::wstring MainWindow::TileName(ControlId id) const {
    if (id == ControlId::IdlePanel) {
        const std::wstring count = Utf8ToWide(label_->Text());
        return L"Idle for " + count + (count == L"1" ? L" minute" : L" minutes");
    }
    const WindowPart* part = FindWindowPart(id);
    return part != nullptr ? part->name : L"";
}

std::optional<ControlId> MainWindow::ControlOf(HWND window) const noexcept {
    for (const WindowPart& part : kWindowParts)
        if (window != nullptr && ControlWindow(part.id) == window) return part.id;
    return std::nullopt;
}

std::string MainWindow::EditText(ControlId textBox) const {
    const HWND edit = ControlWindow(textBox);
    if (edit == nullptr || (textBox != ControlId::HomePageBox && textBox != ControlId::DisplayNameBox)) return {};
    const int length = GetWindowTextLengthW(edit);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(edit, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::clamp(copied, 0, length)));
    return WideToUtf8(text);
}

bool MainWindow::StartTimer(UINT intervalMs) noexcept {
    if (window_.Get() != nullptr) timerRunning_ = SetTimer(window_.Get(), kDialogTimerId, intervalMs, nullptr) != 0;
    return timerRunning_;
}

void MainWindow::StopTimer() noexcept {
    if (timerRunning_ && window_.Get() != nullptr) KillTimer(window_.Get(), kDialogTimerId);
    timerRunning_ = false;
}

// Shown activated, like any program just started, so that the name bar has the keyboard focus. (Not
// activating would not keep Wine from treating the window as managed: pinning it above all windows
// without SWP_NOACTIVATE has done that already.)
void MainWindow::Show() noexcept {
    if (window_.Get() == nullptr) return;
    ShowWindow(window_.Get(), SW_SHOW);
    UpdateWindow(window_.Get());
}

void MainWindow::Destroy() noexcept {
    StopTimer();
    tooltip_.Reset();
    window_.Reset();
}

bool MainWindow::HandleDialogKey(const MSG& message) noexcept {
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB) return false;
    const HWND main = window_.Get();
    if (main == nullptr || (message.hwnd != main && !IsChild(main, message.hwnd))) return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    // Tab is the keyboard in use: from now on the focus shows.
    SendMessageW(main, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    try {
        const std::vector<ControlId> order = TabOrder();
        const std::size_t count = order.size();
        const HWND focus = GetFocus();
        const bool backwards = GetKeyState(VK_SHIFT) < 0;
        std::size_t next = backwards ? count - 1 : 0;  // from outside the controls: the last or the first
        for (std::size_t i = 0; i < count; ++i)
            if (ControlWindow(order[i]) == focus) next = backwards ? (i + count - 1) % count : (i + 1) % count;
        SetFocus(ControlWindow(order[next]));
    } catch (...) {
        // No memory for seven entries: leave the focus where it is.
    }
    return true;
}

void MainWindow::PaintTile(ControlId id, HDC dc) const noexcept {
    if (const TileWindow* tile = Tile(id)) tile->Paint(dc);
}

void MainWindow::OnTileEvent(WindowEvent event) noexcept { Report(event); }

void MainWindow::OnTilePressed(ControlId id) noexcept {
    tipHeldBack_ = id;
    if (tooltip_.Get() != nullptr) SendMessageW(tooltip_.Get(), TTM_POP, 0, 0);
}

void MainWindow::OnTileLeft(ControlId id) noexcept {
    if (id == tipHeldBack_) tipHeldBack_.reset();
}

void MainWindow::Report(WindowEvent event) noexcept {
    if (listener_ != nullptr) listener_->OnWindowEvent(event);
}

LRESULT CALLBACK MainWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* created = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    try {
        return self->HandleMessage(window, message, wParam, lParam);
    } catch (...) {
        // Nothing may cross into the platform's frames. A close request must still not destroy the window.
        if (message == WM_CLOSE) return 0;
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT MainWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam != kDialogTimerId) break;
            Report(WindowEvent::DialogTimerTick);
            if (InSystemLoop() && listener_ != nullptr) listener_->OnTickInSystemLoop();
            return 0;
        case WM_ENTERSIZEMOVE:
            inSizeMove_ = true;
            break;
        case WM_EXITSIZEMOVE:
            inSizeMove_ = false;
            break;
        case WM_NCLBUTTONDOWN: {
            // A caption press runs the system's move loop inside this call; ticks seen meanwhile must run.
            struct Depth {
                int& depth;
                explicit Depth(int& d) : depth(d) { ++depth; }
                ~Depth() { --depth; }
            } inside(nonClientDepth_);
            return DefWindowProcW(window, message, wParam, lParam);
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                // Remember the focused control, to give the focus back to it when the window is activated.
                const HWND focus = GetFocus();
                if (focus != nullptr && IsChild(window, focus)) lastFocus_ = focus;
                return 0;
            }
            if (lastFocus_ != nullptr && IsWindow(lastFocus_)) {
                SetFocus(lastFocus_);
                return 0;
            }
            break;
        case WM_CHANGEUISTATE:
        case WM_UPDATEUISTATE:
            // The whole window's state lives here (not every system keeps it for us): see TileWindow.
            OnChangeUiState(wParam);
            return 0;
        case WM_QUERYUISTATE:
            return focusCuesShown_ ? 0 : UISF_HIDEFOCUS;
        case WM_NOTIFY:
            if (lParam != 0) return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
            break;
        case WM_CLOSE:
            // Alt+F4, the task manager: the logic decides; the window stays until it is unloaded.
            Report(WindowEvent::CloseRequest);
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam != FALSE) Report(WindowEvent::CloseRequest);
            return 0;
        case WM_DESTROY:
            tooltip_.Reset();
            timerRunning_ = false;
            homePageBox_ = nullptr;
            displayNameBox_ = nullptr;
            lastFocus_ = nullptr;
            break;
        case WM_NCDESTROY: {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            window_.Forget();
            return DefWindowProcW(window, message, wParam, lParam);
        }
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Only the focus cue is ours; the window has no keyboard accelerators to underline.
void MainWindow::OnChangeUiState(WPARAM wParam) {
    if ((HIWORD(wParam) & UISF_HIDEFOCUS) == 0) return;
    bool shown = focusCuesShown_;
    if (LOWORD(wParam) == UIS_CLEAR) shown = true;
    if (LOWORD(wParam) == UIS_SET) shown = false;
    if (shown == focusCuesShown_) return;
    focusCuesShown_ = shown;
    const WPARAM update = MAKEWPARAM(shown ? UIS_CLEAR : UIS_SET, UISF_HIDEFOCUS);
    for (const WindowPart& part : kWindowParts)
        if (const HWND control = ControlWindow(part.id)) SendMessageW(control, WM_UPDATEUISTATE, update, 0);
}

LRESULT MainWindow::OnNotify(NMHDR& header) {
    if (header.hwndFrom != tooltip_.Get() || header.code != TTN_GETDISPINFOW) return 0;
    auto& request = reinterpret_cast<NMTTDISPINFOW&>(header);
    const std::optional<ControlId> id = ControlOf(reinterpret_cast<HWND>(request.hdr.idFrom));
    // An empty text shows no tip.
    shownTip_ = !id || id == tipHeldBack_ ? std::wstring() : TipText(*id);
    request.lpszText = shownTip_.data();
    request.hinst = nullptr;
    return 0;
}

}  // namespace vorivevo
