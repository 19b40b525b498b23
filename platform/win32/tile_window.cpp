#include "tile_window.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "win32_handles.h"

namespace vorivevo {
namespace {

bool IsClickTile(ControlId id) {
    return id == ControlId::Picture2 || id == ControlId::Picture3 || id == ControlId::Picture4;
}

FormEvent ClickOf(ControlId id) {
    switch (id) {
        case ControlId::Picture2:
            return FormEvent::Picture2Click;
        case ControlId::Picture3:
            return FormEvent::Picture3Click;
        default:
            return FormEvent::Picture4Click;
    }
}

}  // namespace

TileWindow::TileWindow(ControlId id, const Image& image, const Label* label, TileEventTarget& target)
    : id_(id), bitmap_(image), label_(label), target_(target) {}

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
        case WM_NCDESTROY: {
            const HWND window = window_;
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            window_ = nullptr;
            leftPressed_ = false;
            return DefWindowProcW(window, message, wParam, lParam);
        }
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void TileWindow::OnButtonDown(UINT message) {
    // A tile takes the focus when pressed, as it does by Tab; it shows no mark for it.
    SetFocus(window_);
    if (id_ == ControlId::Picture1) {
        target_.OnTileEvent(FormEvent::Picture1MouseDown);
        return;
    }
    if (message == WM_LBUTTONDOWN && IsClickTile(id_)) {
        // Capture, so that the release is seen wherever it happens and decides whether this was a click.
        leftPressed_ = true;
        SetCapture(window_);
    }
}

void TileWindow::OnLeftButtonUp(LPARAM lParam) {
    if (!leftPressed_) return;
    leftPressed_ = false;
    if (GetCapture() == window_) ReleaseCapture();
    if (ShowsAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) target_.OnTileEvent(ClickOf(id_));
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
}

void TileWindow::InvalidateLabel() const noexcept {
    if (window_ == nullptr || label_ == nullptr) return;
    InvalidateRect(window_, &label_->Rect(), FALSE);
}

}  // namespace vorivevo
