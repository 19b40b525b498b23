// Superclassing the system controls under the class names the companion looks for.
#include "window_classes.h"

namespace vorivevo::practice {

namespace {

bool RegisterSuperclass(HINSTANCE instance, const char* name, const char* base) {
    WNDCLASSA windowClass{};
    if (!GetClassInfoA(nullptr, base, &windowClass)) return false;
    // The system procedure itself serves: the controls need no behaviour of their own.
    windowClass.hInstance = instance;
    windowClass.lpszClassName = name;
    windowClass.style &= ~CS_GLOBALCLASS;
    return RegisterClassA(&windowClass) != 0;
}

DWORD StyleFor(ChildRole role) {
    constexpr DWORD common = WS_CHILD | WS_VISIBLE;
    switch (role) {
        case ChildRole::Transcript:
            return common | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
        case ChildRole::People:
            return common | WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT;
        case ChildRole::Label:
            return common | SS_LEFT;
        case ChildRole::Entry:
            return common | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
        case ChildRole::Send:
            return common | WS_TABSTOP | BS_DEFPUSHBUTTON;
        case ChildRole::Decoration:
        case ChildRole::DialogIcon:
            return common | WS_TABSTOP | BS_PUSHBUTTON;
    }
    return common;
}

}  // namespace

bool RegisterControlClasses(HINSTANCE instance) {
    return RegisterSuperclass(instance, ClassOf(Control::RichText), "EDIT") &&
           RegisterSuperclass(instance, ClassOf(Control::ListBox), "LISTBOX") &&
           RegisterSuperclass(instance, ClassOf(Control::Static), "STATIC") &&
           RegisterSuperclass(instance, ClassOf(Control::Icon), "BUTTON");
}

std::vector<HWND> CreateChildren(HWND parent, HINSTANCE instance, Children children) {
    std::vector<HWND> windows;
    auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    for (int i = 0; i < children.size(); ++i) {
        const ChildWindow& wanted = children[i];
        HWND child = CreateWindowExA(0, ClassOf(wanted.control), wanted.text, StyleFor(wanted.role), 0, 0, 10, 10,
                                     parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstChildId + i)),
                                     instance, nullptr);
        if (child) SendMessageA(child, WM_SETFONT, font, FALSE);
        // Lines sent in a session can be longer than an edit control takes by default.
        if (child && (wanted.role == ChildRole::Transcript || wanted.role == ChildRole::Entry)) {
            SendMessageA(child, EM_SETLIMITTEXT, 0, 0);
        }
        windows.push_back(child);
    }
    return windows;
}

}  // namespace vorivevo::practice
