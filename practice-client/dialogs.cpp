// Opening, closing and reporting the presses of the palette and modal dialogs.
#include "dialogs.h"

#include <algorithm>
#include <string>

#include "window_classes.h"
#include "window_layout.h"

namespace vorivevo::practice {

namespace {

constexpr int kDialogWidth = 280;   // pixels
constexpr int kDialogHeight = 96;   // pixels
constexpr int kIconWidth = 80;      // pixels
constexpr int kIconHeight = 26;     // pixels

int KindIndex(DialogKind kind) {
    return kind == DialogKind::Palette ? 0 : 1;
}

const char* ClassFor(DialogKind kind) {
    return kind == DialogKind::Palette ? kPaletteClass : kModalClass;
}

std::string NameFor(DialogKind kind) {
    return kind == DialogKind::Palette ? "Palette" : "Modal";
}

// The icons in a row at the bottom, the text above them.
void LayoutDialog(const std::vector<HWND>& windows) {
    int icons = 0;
    for (int i = 0; i < kDialogChildren.size() && i < static_cast<int>(windows.size()); ++i) {
        const HWND window = windows[static_cast<std::size_t>(i)];
        if (kDialogChildren[i].role == ChildRole::DialogIcon) {
            MoveWindow(window, 10 + icons++ * (kIconWidth + 8), 56, kIconWidth, kIconHeight, FALSE);
        } else {
            MoveWindow(window, 10, 10, kDialogWidth - 20, 40, FALSE);
        }
    }
}

}  // namespace

DialogStack::DialogStack(HINSTANCE instance, ClientEvents& events) : instance_(instance), events_(events) {}

bool DialogStack::RegisterWindowClasses() {
    WNDCLASSA dialogClass{};
    dialogClass.lpfnWndProc = DialogProc;
    dialogClass.hInstance = instance_;
    dialogClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    dialogClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    dialogClass.lpszClassName = kPaletteClass;
    if (!RegisterClassA(&dialogClass)) return false;
    dialogClass.lpszClassName = kModalClass;
    return RegisterClassA(&dialogClass) != 0;
}

int DialogStack::Open(DialogKind kind, int id) {
    int& lastId = lastId_[KindIndex(kind)];
    if (id == 0) id = lastId + 1;
    bool taken = std::any_of(dialogs_.begin(), dialogs_.end(),
                             [&](const Dialog& dialog) { return dialog.kind == kind && dialog.id == id; });
    if (taken) return 0;

    // A frameless pop-up that is never activated: Wine without a window manager stalls for about
    // two seconds when it hides or destroys a window it manages, and a caption or an activation
    // would make this one managed.
    std::string title = NameFor(kind) + " " + std::to_string(id);
    HWND window = CreateWindowExA(0, ClassFor(kind), title.c_str(), WS_POPUP | WS_BORDER, 0, 0, kDialogWidth,
                                  kDialogHeight, owner_, nullptr, instance_, this);
    if (!window) return 0;
    std::vector<HWND> children = CreateChildren(window, instance_, kDialogChildren);
    SetWindowTextA(children[static_cast<std::size_t>(kDialogChildren.IndexOf(ChildRole::Label))],
                   (title + ": press a button to answer.").c_str());
    LayoutDialog(children);

    int cascade = (opened_++ % 10) * 24;
    SetWindowPos(window, HWND_TOP, 220 + cascade, 180 + cascade, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    dialogs_.push_back({kind, id, window});
    lastId = std::max(lastId, id);
    return id;
}

int DialogStack::Close(DialogKind kind, int id) {
    auto matches = [&](const Dialog& dialog) { return dialog.kind == kind && (id == 0 || dialog.id == id); };
    auto found = dialogs_.end();
    if (id != 0) {
        found = std::find_if(dialogs_.begin(), dialogs_.end(), matches);
    } else {
        // The topmost of the kind in the z-order, which is the one the companion would press.
        for (HWND window = GetTopWindow(nullptr); window && found == dialogs_.end();
             window = GetWindow(window, GW_HWNDNEXT)) {
            found = std::find_if(dialogs_.begin(), dialogs_.end(),
                                 [&](const Dialog& dialog) { return matches(dialog) && dialog.window == window; });
        }
    }
    if (found == dialogs_.end()) return 0;
    Dialog dialog = *found;
    dialogs_.erase(found);
    DestroyWindow(dialog.window);
    return dialog.id;
}

const DialogStack::Dialog* DialogStack::Find(HWND window) const {
    for (const Dialog& dialog : dialogs_) {
        if (dialog.window == window) return &dialog;
    }
    return nullptr;
}

LRESULT CALLBACK DialogStack::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<DialogStack*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // A click by hand must not activate the dialog either (see Open).
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && self) {
        const Dialog* dialog = self->Find(window);
        int icon = kDialogChildren.IconIndex(LOWORD(wParam) - kFirstChildId);
        // Copied out first: the handler may close this very dialog.
        if (dialog && icon >= 0) {
            DialogKind kind = dialog->kind;
            int id = dialog->id;
            self->events_.OnDialogIconPressed(kind, id, icon);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace vorivevo::practice
