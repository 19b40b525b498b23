#include "tile_window.h"

#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "win32_handles.h"
#include "window_parts.h"

namespace vorivevo {
namespace {

// The command a tile gives when clicked or pressed from the keyboard; none for the name bar and the
// idle panel.
std::optional<WindowEvent> ClickOf(ControlId id) {
    switch (id) {
        case ControlId::StartTile:
            return WindowEvent::StartClicked;
        case ControlId::StopTile:
            return WindowEvent::StopClicked;
        case ControlId::ExitTile:
            return WindowEvent::ExitClicked;
        default:
            return std::nullopt;
    }
}

// The system's focus rectangle sits on the tile's face, inside the bevel (pixels at 96 DPI, scaled).
constexpr int kFocusInset = 3;

}  // namespace

TileWindow::TileWindow(ControlId id, const Image& image, const Label* label, TileEventTarget& target)
    : id_(id), bitmap_(image), label_(label), target_(target) {}

TileWindow::~TileWindow() {
    if (accessible_ != nullptr) {
        accessible_->Detach();
        accessible_->Release();
    }
}

bool TileWindow::ClassRegistered(HINSTANCE instance) {
    static const RegisteredClass registered([instance] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &TileWindow::Proc;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kClassName;
        return windowClass;
    }());
    return registered.Ok();
}

void TileWindow::Create(HWND parent, const RECT& rect, HINSTANCE instance) {
    if (!ClassRegistered(instance)) throw std::runtime_error("RegisterClassEx failed for the tiles");
    size_ = SIZE{rect.right - rect.left, rect.bottom - rect.top};
    const HWND window = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP,
                                        rect.left, rect.top, size_.cx, size_.cy, parent, nullptr, instance, this);
    if (window == nullptr) throw std::runtime_error("CreateWindowEx failed for a tile");
    UpdateWindowText();
}

void TileWindow::UpdateWindowText() const noexcept {
    if (window_ == nullptr) return;
    try {
        SetWindowTextW(window_, AccessibleName().c_str());
    } catch (...) {
        // No memory for a short name: the window keeps the one it has.
    }
}

LRESULT CALLBACK TileWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* created = static_cast<TileWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        created->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* tile = reinterpret_cast<TileWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (tile == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    try {
        return tile->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may cross into the platform's frames; the message gets the default handling.
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT TileWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PaintScope paint(window_);
            Paint(paint.Dc());
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_MOUSEACTIVATE:
            // The window is a palette for the chat: a click on a command leaves the keyboard where the user
            // types, in the client. The name bar (drag, then Tab) and the idle panel activate as before.
            if (ClickOf(id_)) return MA_NOACTIVATE;
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            OnButtonDown(message);
            return 0;
        case WM_LBUTTONUP:
            OnLeftButtonUp(lParam);
            return 0;
        case WM_CAPTURECHANGED:
            leftPressed_ = false;
            return 0;
        case WM_KEYDOWN:
            if (OnKeyDown(wParam, lParam)) return 0;
            break;
        case WM_MOUSELEAVE:
            target_.OnTileLeft(id_);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_UPDATEUISTATE:
            // Only the focus rectangle changes; the parent's state decides whether there is one.
            InvalidateRect(window_, nullptr, FALSE);
            break;
        case WM_CHANGEUISTATE:
        case WM_QUERYUISTATE:
            // The parent keeps the state for the whole window.
            return SendMessageW(GetParent(window_), message, wParam, lParam);
        case WM_GETOBJECT:
            return OnGetObject(wParam, lParam);
        case WM_NCDESTROY: {
            const HWND window = window_;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            window_ = nullptr;
            leftPressed_ = false;
            if (accessible_ != nullptr) {
                accessible_->Detach();
                accessible_->Release();
                accessible_ = nullptr;
            }
            return DefWindowProcW(window, message, wParam, lParam);
        }
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void TileWindow::OnButtonDown(UINT message) {
    // A tile takes the focus when pressed, as it does by Tab; it shows no mark for it. Not a command tile:
    // taking the focus would activate the window, and the user's next keys would come here.
    if (!ClickOf(id_)) SetFocus(window_);
    TRACKMOUSEEVENT leave{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window_, 0};
    TrackMouseEvent(&leave);
    target_.OnTilePressed(id_);
    if (id_ == ControlId::NameBar) {
        target_.OnTileEvent(WindowEvent::NameBarPressed);
        return;
    }
    if (message == WM_LBUTTONDOWN && ClickOf(id_)) {
        // Capture, so that the release is seen wherever it happens and decides whether this was a click.
        leftPressed_ = true;
        SetCapture(window_);
    }
}

void TileWindow::OnLeftButtonUp(LPARAM lParam) {
    if (!leftPressed_) return;
    leftPressed_ = false;
    if (GetCapture() == window_) ReleaseCapture();
    const std::optional<WindowEvent> click = ClickOf(id_);
    if (click && ShowsAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) target_.OnTileEvent(*click);
}

// Space or Enter on a focused command tile does what a click does, once a key press: a key held down
// repeats, and one command for every repeat would flood the room.
bool TileWindow::OnKeyDown(WPARAM key, LPARAM flags) {
    const std::optional<WindowEvent> click = ClickOf(id_);
    if (!click || (key != VK_SPACE && key != VK_RETURN)) return false;
    SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    constexpr LPARAM kRepeat = LPARAM{1} << 30;  // the key was already down
    if ((flags & kRepeat) == 0) target_.OnTileEvent(*click);
    return true;
}

LRESULT TileWindow::OnGetObject(WPARAM wParam, LPARAM lParam) {
    // Only the tile's own object is ours; the system answers for its frame and anything else.
    if (static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT)) {
        if (accessible_ == nullptr) accessible_ = TileAccessible::Create(window_, *this);
        if (accessible_ != nullptr) {
            const LRESULT reference = LresultFromObject(__uuidof(IAccessible), wParam, accessible_);
            if (reference > 0) return reference;
        }
    }
    return DefWindowProcW(window_, WM_GETOBJECT, wParam, lParam);
}

bool TileWindow::ShowsFocus() const noexcept {
    if (window_ == nullptr || GetFocus() != window_) return false;
    return (SendMessageW(window_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

std::wstring TileWindow::AccessibleName() const { return target_.TileName(id_); }

long TileWindow::AccessibleRole() const {
    const WindowPart* part = FindWindowPart(id_);
    return part != nullptr ? part->role : ROLE_SYSTEM_CLIENT;
}

std::wstring TileWindow::AccessibleDescription() const { return target_.TileTip(id_); }

bool TileWindow::Pressable() const { return ClickOf(id_).has_value(); }

void TileWindow::Press() noexcept {
    if (const std::optional<WindowEvent> click = ClickOf(id_)) target_.OnTileEvent(*click);
}

bool TileWindow::ShowsAt(POINT clientPoint) const {
    if (clientPoint.x < 0 || clientPoint.y < 0 || clientPoint.x >= size_.cx || clientPoint.y >= size_.cy)
        return false;
    const HWND parent = GetParent(window_);
    POINT inParent = clientPoint;
    MapWindowPoints(window_, parent, &inParent, 1);
    return ChildWindowFromPointEx(parent, inParent, CWP_SKIPINVISIBLE) == window_;
}

void TileWindow::Paint(HDC dc) const noexcept {
    bitmap_.Draw(dc);
    // The tile may be larger than its bitmap (the wide tiles by a column that lies outside the window).
    const HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    if (size_.cx > bitmap_.Width()) {
        const RECT right{bitmap_.Width(), 0, size_.cx, size_.cy};
        FillRect(dc, &right, face);
    }
    if (size_.cy > bitmap_.Height()) {
        const RECT below{0, bitmap_.Height(), std::min<LONG>(size_.cx, bitmap_.Width()), size_.cy};
        FillRect(dc, &below, face);
    }
    if (label_ != nullptr) label_->Draw(dc);
    if (ShowsFocus()) {
        const int inset = kFocusInset * std::max<LONG>(1, size_.cy / GeometryOf(id_).height);
        const RECT focus{inset, inset, std::min<LONG>(size_.cx, bitmap_.Width()) - inset, size_.cy - inset};
        DrawFocusRect(dc, &focus);
    }
}

void TileWindow::InvalidateLabel() const noexcept {
    if (window_ == nullptr || label_ == nullptr) return;
    InvalidateRect(window_, &label_->Rect(), FALSE);
    UpdateWindowText();
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace vorivevo
