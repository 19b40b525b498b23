#include "form_window.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "ansi_text.h"
#include "form1_controls.h"
#include "tile_art.h"
#include "window_parts.h"

namespace vorivevo {
namespace {

constexpr UINT_PTR kTimer1Id = 1;
constexpr int kControlIdBase = 100;
constexpr int kBasePixelsPerInch = 96;
// A tooltip wraps its lines at this width (pixels at 96 DPI), and stays this long (milliseconds):
// the longer ones take a while to read.
constexpr int kTipWidth = 320;
constexpr int kTipShownMs = 20000;

constexpr ControlId kPictures[] = {ControlId::Picture1, ControlId::Picture2, ControlId::Picture3,
                                   ControlId::Picture4, ControlId::Picture5};

std::size_t TileIndex(ControlId picture) {
    switch (picture) {
        case ControlId::Picture1:
            return 0;
        case ControlId::Picture2:
            return 1;
        case ControlId::Picture3:
            return 2;
        case ControlId::Picture4:
            return 3;
        case ControlId::Picture5:
            return 4;
        default:
            return 5;
    }
}

bool IsPicture(ControlId id) { return TileIndex(id) < 5; }

// The controls that take the focus, in tab-index order; Label1 takes none.
std::vector<ControlId> TabOrder() {
    std::vector<ControlGeometry> focusable;
    for (const ControlGeometry& control : kFormLayout)
        if (control.id != ControlId::Label1 && control.tabIndex >= 0) focusable.push_back(control);
    std::sort(focusable.begin(), focusable.end(),
              [](const ControlGeometry& a, const ControlGeometry& b) { return a.tabIndex < b.tabIndex; });
    std::vector<ControlId> order;
    for (const ControlGeometry& control : focusable) order.push_back(control.id);
    return order;
}

}  // namespace

int FormWindow::ScaleFactorFor(int pixelsPerInch) noexcept {
    return std::max(1, pixelsPerInch / kBasePixelsPerInch);
}

int FormWindow::ScreenPixelsPerInch() noexcept {
    WindowDc screen(nullptr);
    const int pixelsPerInch = screen.Get() != nullptr ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return pixelsPerInch > 0 ? pixelsPerInch : kBasePixelsPerInch;
}

FormWindow::FormWindow(HINSTANCE instance) : FormWindow(instance, ScaleFactorFor(ScreenPixelsPerInch())) {}

// The label's font follows the layout's density (96 per inch times the scale factor), not the display's,
// so that 6 points fit the label's 9 rows at every density.
FormWindow::FormWindow(HINSTANCE instance, int scaleFactor)
    : scale_(std::max(1, scaleFactor)), font_(kBasePixelsPerInch * scale_) {
    label_ = std::make_unique<Label>(kLabel1Initial, font_.Get(), Scaled(GeometryOf(ControlId::Label1)));
    for (ControlId picture : kPictures) {
        const Label* drawn = picture == ControlId::Picture5 ? label_.get() : nullptr;
        tiles_[TileIndex(picture)] =
            std::make_unique<TileWindow>(picture, ScaleNearest(RenderTile(picture), scale_), drawn,
                                         static_cast<TileEventTarget&>(*this));
    }

    if (!ClassRegistered(instance)) throw std::runtime_error("RegisterClassEx failed for the window");
    const DWORD style = WS_POPUP | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_TOOLWINDOW;  // no task-bar button
    RECT outer{0, 0, kFormWidth * scale_, kFormHeight * scale_};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    const std::wstring caption = Utf8ToWide(kFormCaption);
    // A pop-up given CW_USEDEFAULT gets the system's placement for pop-ups, the screen's top-left corner.
    const HWND window = CreateWindowExW(exStyle, kClassName, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                                        outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                        instance, this);
    if (window == nullptr) throw std::runtime_error("CreateWindowEx failed for the window");
    window_.Reset(window);
    CreateControls(instance);
    lastFocus_ = Tile(ControlId::Picture1)->Handle();
}

FormWindow::~FormWindow() { Destroy(); }

bool FormWindow::ClassRegistered(HINSTANCE instance) {
    static const RegisteredClass registered([instance] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &FormWindow::Proc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        return windowClass;
    }());
    return registered.Ok();
}

void FormWindow::CreateControls(HINSTANCE instance) {
    // Created topmost first; each is then put right below the one before, so the stacking is the
    // layout's whatever order the system gives new children.
    std::vector<HWND> stack;
    for (const ControlGeometry& control : kFormLayout) {
        if (control.id == ControlId::Label1) continue;
        const RECT rect = Scaled(control);
        if (IsPicture(control.id)) {
            TileWindow& tile = *tiles_[TileIndex(control.id)];
            tile.Create(window_.Get(), rect, instance);
            stack.push_back(tile.Handle());
        } else {
            const char* initial = control.id == ControlId::Text1 ? kText1Initial : kText2Initial;
            const HWND textBox = CreateTextBox(control.id, initial, rect, instance);
            (control.id == ControlId::Text1 ? text1_ : text2_) = textBox;
            stack.push_back(textBox);
        }
    }
    for (std::size_t i = 1; i < stack.size(); ++i)
        SetWindowPos(stack[i], stack[i - 1], 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    CreateTooltips(instance);
}

// The tooltips are an aid: where the system cannot make them, the window works without.
void FormWindow::CreateTooltips(HINSTANCE instance) {
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

HWND FormWindow::CreateTextBox(ControlId id, const char* text, const RECT& rect, HINSTANCE instance) {
    const std::wstring initial = Utf8ToWide(text);
    const HWND textBox = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", initial.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | ES_AUTOHSCROLL,
        rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, window_.Get(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlIdBase + static_cast<int>(id))), instance, nullptr);
    if (textBox == nullptr) throw std::runtime_error("CreateWindowEx failed for a text box");
    SendMessageW(textBox, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return textBox;
}

RECT FormWindow::Scaled(const ControlGeometry& geometry) const noexcept {
    return RECT{geometry.x * scale_, geometry.y * scale_, (geometry.x + geometry.width) * scale_,
                (geometry.y + geometry.height) * scale_};
}

TileWindow* FormWindow::Tile(ControlId id) const noexcept {
    const std::size_t index = TileIndex(id);
    return index < tiles_.size() ? tiles_[index].get() : nullptr;
}

HWND FormWindow::ControlWindow(ControlId id) const noexcept {
    if (id == ControlId::Text1) return text1_;
    if (id == ControlId::Text2) return text2_;
    const TileWindow* tile = Tile(id);
    return tile != nullptr ? tile->Handle() : nullptr;
}

void FormWindow::SetLabel1Text(const std::string& text) {
    label_->SetText(text);
    Tile(ControlId::Picture5)->InvalidateLabel();
}

void FormWindow::SetLastPostReport(const std::string& text) {
    lastPostReport_ = Utf8ToWide(text);
    const HWND nameBar = ControlWindow(ControlId::Picture1);
    // A tooltip that shows now reads its text again.
    if (tooltip_.Get() != nullptr && IsWindowVisible(tooltip_.Get())) SendMessageW(tooltip_.Get(), TTM_UPDATE, 0, 0);
    if (nameBar != nullptr) NotifyWinEvent(EVENT_OBJECT_DESCRIPTIONCHANGE, nameBar, OBJID_CLIENT, CHILDID_SELF);
}

std::wstring FormWindow::TipText(ControlId id) const {
    const WindowPart* part = FindWindowPart(id);
    if (part == nullptr) return {};
    std::wstring tip = part->tip;
    if (id == ControlId::Picture1 && !lastPostReport_.empty()) tip += L"\n\n" + lastPostReport_;
    return tip;
}

std::wstring FormWindow::TileName(ControlId id) const {
    if (id == ControlId::Picture5) {
        const std::wstring count = Utf8ToWide(label_->Text());
        return L"Idle for " + count + (count == L"1" ? L" minute" : L" minutes");
    }
    const WindowPart* part = FindWindowPart(id);
    return part != nullptr ? part->name : L"";
}

std::optional<ControlId> FormWindow::ControlOf(HWND window) const noexcept {
    for (const WindowPart& part : kWindowParts)
        if (window != nullptr && ControlWindow(part.id) == window) return part.id;
    return std::nullopt;
}

std::string FormWindow::EditText(ControlId textBox) const {
    const HWND edit = ControlWindow(textBox);
    if (edit == nullptr || (textBox != ControlId::Text1 && textBox != ControlId::Text2)) return {};
    const int length = GetWindowTextLengthW(edit);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(edit, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::clamp(copied, 0, length)));
    return WideToUtf8(text);
}

bool FormWindow::StartTimer(UINT intervalMs) noexcept {
    if (window_.Get() != nullptr) timerRunning_ = SetTimer(window_.Get(), kTimer1Id, intervalMs, nullptr) != 0;
    return timerRunning_;
}

void FormWindow::StopTimer() noexcept {
    if (timerRunning_ && window_.Get() != nullptr) KillTimer(window_.Get(), kTimer1Id);
    timerRunning_ = false;
}

// Shown activated, like any program just started, so that the name bar has the keyboard focus. (Not
// activating would not keep Wine from treating the window as managed: pinning it above all windows
// without SWP_NOACTIVATE has done that already.)
void FormWindow::Show() noexcept {
    if (window_.Get() == nullptr) return;
    ShowWindow(window_.Get(), SW_SHOW);
    UpdateWindow(window_.Get());
}

void FormWindow::Destroy() noexcept {
    StopTimer();
    tooltip_.Reset();
    window_.Reset();
}

bool FormWindow::HandleDialogKey(const MSG& message) noexcept {
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB) return false;
    const HWND form = window_.Get();
    if (form == nullptr || (message.hwnd != form && !IsChild(form, message.hwnd))) return false;
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    // Tab is the keyboard in use: from now on the focus shows.
    SendMessageW(form, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
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

void FormWindow::PaintTile(ControlId picture, HDC dc) const noexcept {
    if (const TileWindow* tile = Tile(picture)) tile->Paint(dc);
}

void FormWindow::OnTileEvent(FormEvent event) noexcept { Report(event); }

void FormWindow::OnTilePressed(ControlId id) noexcept {
    tipHeldBack_ = id;
    if (tooltip_.Get() != nullptr) SendMessageW(tooltip_.Get(), TTM_POP, 0, 0);
}

void FormWindow::OnTileLeft(ControlId id) noexcept {
    if (id == tipHeldBack_) tipHeldBack_.reset();
}

void FormWindow::Report(FormEvent event) noexcept {
    if (listener_ != nullptr) listener_->OnFormEvent(event);
}

LRESULT CALLBACK FormWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* created = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* form = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    try {
        return form->HandleMessage(window, message, wParam, lParam);
    } catch (...) {
        // Nothing may cross into the platform's frames. A close request must still not destroy the window.
        if (message == WM_CLOSE) return 0;
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT FormWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (wParam != kTimer1Id) break;
            Report(FormEvent::Timer1Tick);
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
            Report(FormEvent::CloseRequest);
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            if (wParam != FALSE) Report(FormEvent::CloseRequest);
            return 0;
        case WM_DESTROY:
            tooltip_.Reset();
            timerRunning_ = false;
            text1_ = nullptr;
            text2_ = nullptr;
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
void FormWindow::OnChangeUiState(WPARAM wParam) {
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

LRESULT FormWindow::OnNotify(NMHDR& header) {
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
