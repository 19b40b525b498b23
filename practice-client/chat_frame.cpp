// Building the frame, MDI and room windows, laying them out and reporting their buttons.
#include "chat_frame.h"

#include <vector>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "window_classes.h"
#include "window_layout.h"

namespace vorivevo::practice {

namespace {

constexpr int kMargin = 8;        // pixels
constexpr int kRowHeight = 24;    // pixels
constexpr int kIconWidth = 64;    // pixels
constexpr int kSideWidth = 150;   // pixels: the people list and its label
constexpr int kStatusHeight = 22; // pixels
constexpr UINT_PTR kControlTimer = 1;
constexpr UINT kControlPollMilliseconds = 50;

ChatFrame* Self(HWND window) {
    return reinterpret_cast<ChatFrame*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void Place(HWND window, int x, int y, int width, int height) {
    if (window) MoveWindow(window, x, y, width > 0 ? width : 0, height > 0 ? height : 0, TRUE);
}

HWND Child(HWND parent, int index) {
    return GetDlgItem(parent, kFirstChildId + index);
}

HWND ChildWithRole(HWND parent, Children children, ChildRole role) {
    int index = children.IndexOf(role);
    return index < 0 ? nullptr : Child(parent, index);
}

// The transcript and people list fill the window; icons made before the entry box sit in a row
// above it, icons made after it sit to its right.
void LayoutRoom(HWND room, int width, int height) {
    const Children children = kRoomChildren;
    int entryIndex = children.IndexOf(ChildRole::Entry);
    int iconsAfterEntry = 0;
    for (int i = entryIndex + 1; i < children.size(); ++i) {
        if (children.IconIndex(i) >= 0) ++iconsAfterEntry;
    }
    const int bottomRowY = height - kMargin - kRowHeight;
    const int iconRowY = bottomRowY - kMargin / 2 - kRowHeight;
    const int viewHeight = iconRowY - 2 * kMargin;
    const int sideX = width - kSideWidth;
    const int iconStep = kIconWidth + kMargin / 2;
    int iconsBefore = 0;
    int iconsAfter = 0;
    for (int i = 0; i < children.size(); ++i) {
        HWND child = Child(room, i);
        switch (children[i].role) {
            case ChildRole::Transcript:
                Place(child, kMargin, kMargin, sideX - 2 * kMargin, viewHeight);
                break;
            case ChildRole::Label:
                Place(child, sideX, kMargin, kSideWidth - kMargin, 18);
                break;
            case ChildRole::People:
                Place(child, sideX, kMargin + 20, kSideWidth - kMargin, viewHeight - 20);
                break;
            case ChildRole::Entry:
                Place(child, kMargin, bottomRowY, width - 2 * kMargin - iconsAfterEntry * iconStep, kRowHeight);
                break;
            case ChildRole::Decoration:
            case ChildRole::Send:
            case ChildRole::DialogIcon:
                if (i < entryIndex) {
                    Place(child, kMargin + iconsBefore++ * iconStep, iconRowY, kIconWidth, kRowHeight);
                } else {
                    int x = width - kMargin - (iconsAfterEntry - iconsAfter++) * iconStep + kMargin / 2;
                    Place(child, x, bottomRowY, kIconWidth, kRowHeight);
                }
                break;
        }
    }
}

// A label on top, the transcript or list below it, then a bottom row: the entry box, if any, and the
// icons at the right.
void LayoutOtherWindow(HWND window, Children children, int width, int height) {
    int icons = 0;
    for (const ChildWindow& child : children) icons += child.control == Control::Icon;
    const int bottomRowY = height - kMargin - kRowHeight;
    const int iconStep = kIconWidth + kMargin / 2;
    const int viewY = kMargin + kRowHeight;
    int iconsPlaced = 0;
    for (int i = 0; i < children.size(); ++i) {
        HWND child = Child(window, i);
        switch (children[i].role) {
            case ChildRole::Label:
                Place(child, kMargin, kMargin, width - 2 * kMargin, kRowHeight - 4);
                break;
            case ChildRole::Transcript:
            case ChildRole::People:
                Place(child, kMargin, viewY, width - 2 * kMargin, bottomRowY - viewY - kMargin);
                break;
            case ChildRole::Entry:
                Place(child, kMargin, bottomRowY, width - 2 * kMargin - icons * iconStep, kRowHeight);
                break;
            case ChildRole::Decoration:
            case ChildRole::Send:
            case ChildRole::DialogIcon:
                Place(child, width - kMargin - (icons - iconsPlaced++) * iconStep + kMargin / 2, bottomRowY,
                      kIconWidth, kRowHeight);
                break;
        }
    }
}

}  // namespace

ChatFrame::ChatFrame(HINSTANCE instance, const Options& options, ClientEvents& events)
    : instance_(instance), options_(options), events_(events) {}

Children ChatFrame::OtherWindowChildren(HWND window) const {
    const auto found = otherChildren_.find(window);
    // Before WM_CREATE (an early WM_SIZE) the window has no children yet.
    return found != otherChildren_.end() ? found->second : Children();
}

bool ChatFrame::RegisterWindowClasses() {
    if (!RegisterControlClasses(instance_)) return false;
    WNDCLASSA frameClass{};
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = instance_;
    frameClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    frameClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    frameClass.lpszClassName = kFrameClass;
    if (!RegisterClassA(&frameClass)) return false;

    WNDCLASSA childClass = frameClass;
    childClass.lpfnWndProc = RoomProc;
    childClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    childClass.lpszClassName = kRoomClass;
    if (!RegisterClassA(&childClass)) return false;
    childClass.lpfnWndProc = OtherWindowProc;
    childClass.lpszClassName = kOtherWindowClass;
    return RegisterClassA(&childClass) != 0;
}

bool ChatFrame::Create() {
    if (!RegisterWindowClasses()) return false;
    frame_ = CreateWindowExA(0, kFrameClass, options_.title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20,
                             860, 620, nullptr, nullptr, instance_, this);
    if (!frame_) return false;

    for (const client_model::FrameChild child : client_model::kFrameChildren) {
        if (child == client_model::FrameChild::StatusLine) {
            statusLine_ = CreateWindowExA(0, ClassOf(Control::Static), client_model::kStatusLineText,
                                          WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 10, 10, frame_, nullptr, instance_,
                                          nullptr);
            SendMessageA(statusLine_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
            continue;
        }
        CLIENTCREATESTRUCT clientCreate{};
        clientCreate.idFirstChild = 50000;
        mdiClient_ = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                     WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0, 10, 10,
                                     frame_, nullptr, instance_, &clientCreate);
    }
    if (!statusLine_ || !mdiClient_) return false;
    LayoutFrame();

    // Each new MDI child goes on top of the others, so they are made from the bottom up.
    for (int position = options_.rooms; position >= 1; --position) {
        bool isRoom = position == options_.roomPosition;
        HWND child = CreateMdiChild(isRoom, position);
        if (!child) return false;
        if (isRoom) room_ = child;
    }
    if (room_) {
        transcript_.Attach(ChildWithRole(room_, kRoomChildren, ChildRole::Transcript), statusLine_, instance_);
        entry_ = ChildWithRole(room_, kRoomChildren, ChildRole::Entry);
        send_ = ChildWithRole(room_, kRoomChildren, ChildRole::Send);
        SetWindowLongPtrA(entry_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        entryProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(entry_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EntryProc)));
        HWND people = ChildWithRole(room_, kRoomChildren, ChildRole::People);
        for (const char* name : {"Practice Host", "You"}) {
            SendMessageA(people, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        }
    }

    ShowWindow(frame_, SW_SHOW);
    UpdateWindow(frame_);
    if (entry_) SetFocus(entry_);
    return SetTimer(frame_, kControlTimer, kControlPollMilliseconds, nullptr) != 0;
}

HWND ChatFrame::CreateMdiChild(bool isRoom, int position) {
    std::string title = isRoom ? "Practice Room" : "Notices " + std::to_string(position);
    MDICREATESTRUCTA create{};
    create.szClass = isRoom ? kRoomClass : kOtherWindowClass;
    create.szTitle = title.c_str();
    create.hOwner = instance_;
    create.x = CW_USEDEFAULT;
    create.y = CW_USEDEFAULT;
    create.cx = isRoom ? 600 : 320;
    create.cy = isRoom ? 400 : 200;
    create.lParam = reinterpret_cast<LPARAM>(this);
    HWND child = reinterpret_cast<HWND>(SendMessageA(mdiClient_, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&create)));
    if (child && !isRoom) otherPositions_[child] = position;
    return child;
}

void ChatFrame::LayoutFrame() {
    RECT area;
    GetClientRect(frame_, &area);
    Place(statusLine_, 4, 3, area.right - 8, kStatusHeight - 4);
    Place(mdiClient_, 0, kStatusHeight, area.right, area.bottom - kStatusHeight);
}

std::string ChatFrame::EntryText() const {
    if (!entry_) return {};
    int length = GetWindowTextLengthA(entry_);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(entry_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void ChatFrame::SetEntryText(const std::string& ansiText) {
    if (!entry_) return;
    ownChange_ = true;
    SetWindowTextA(entry_, ansiText.c_str());
    ownChange_ = false;
    SendMessageA(entry_, EM_SETSEL, ansiText.size(), ansiText.size());
}

void ChatFrame::SelectInEntry(int start, int end) {
    if (entry_) SendMessageA(entry_, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
}

std::pair<DWORD, DWORD> ChatFrame::EntrySelection() const {
    DWORD start = 0, end = 0;
    if (entry_) SendMessageA(entry_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

// A click into the box also makes the client the program that the keyboard's input goes to; under Wine
// without a window manager nothing else would (the X input focus does not).
void ChatFrame::FocusEntry() {
    SetForegroundWindow(frame_);
    if (entry_) SetFocus(entry_);
}

std::string ChatFrame::FocusName() const {
    const HWND focus = GetFocus();
    if (focus == nullptr) return "none";
    if (focus == entry_) return "entry";
    if (focus == send_) return "send";
    char name[256] = {};
    GetClassNameA(focus, name, sizeof name);
    return name;
}

// PRACTICE_ENTRY_TRACE=FILE (a Windows path) appends a line for every key, write, selection and read the
// entry box gets, with its text and selection once handled: where a key went among another program's
// messages, which the log's lines cannot show.
static void TraceEntry(HWND window, WNDPROC proc, UINT message, WPARAM wParam, LPARAM lParam, LRESULT result) {
    static FILE* file = [] {
        const char* path = std::getenv("PRACTICE_ENTRY_TRACE");
        return path != nullptr ? std::fopen(path, "a") : nullptr;
    }();
    static bool inside = false;
    if (!file || inside) return;
    const char* name = nullptr;
    switch (message) {
        case WM_CHAR: name = "CHAR"; break;
        case EM_SETSEL: name = "SETSEL"; break;
        case EM_REPLACESEL: name = "REPLACESEL"; break;
        case WM_GETTEXT: name = "GETTEXT"; break;
        case WM_GETTEXTLENGTH: name = "GETLEN"; break;
        case EM_GETSEL: name = "GETSEL"; break;
        case WM_SETTEXT: name = "SETTEXT"; break;
        case WM_KEYDOWN: name = "KEYDOWN"; break;
        default: return;
    }
    inside = true;
    char narrow[8192] = {};
    CallWindowProcA(proc, window, WM_GETTEXT, sizeof narrow, reinterpret_cast<LPARAM>(narrow));
    DWORD a = 0, b = 0;
    CallWindowProcA(proc, window, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    char given[1024] = {};
    if (message == EM_REPLACESEL && lParam) std::snprintf(given, sizeof given, "%s", reinterpret_cast<const char*>(lParam));
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    const double ms = 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::fprintf(file, "%.3f %s %lu %ld [%s] -> %ld | %lu-%lu \"%s\"\n", ms, name, static_cast<unsigned long>(wParam),
                 static_cast<long>(message == EM_REPLACESEL ? 0 : lParam), given, static_cast<long>(result), a, b, narrow);
    std::fflush(file);
    inside = false;
}

LRESULT CALLBACK ChatFrame::EntryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = Self(window);
    // Busy composing, the box takes no text from other programs, however it is given.
    const bool givenText = message == WM_SETTEXT || message == EM_REPLACESEL;
    if (givenText && self->keepText_ && !self->ownChange_) return FALSE;
    if (message == WM_CHAR) self->events_.OnEntryCharacter(wParam);
    const LRESULT result = CallWindowProcA(self->entryProc_, window, message, wParam, lParam);
    TraceEntry(window, self->entryProc_, message, wParam, lParam, result);
    return result;
}

void ChatFrame::AppendToTranscript(const std::string& ansiText) {
    transcript_.Append("You: ", ansiText);
}

void ChatFrame::OnChildCommand(HWND mdiChild, bool isRoom, WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED) return;
    int index = LOWORD(wParam) - kFirstChildId;
    const Children children = isRoom ? kRoomChildren : OtherWindowChildren(mdiChild);
    int icon = children.IconIndex(index);
    if (icon < 0) return;
    if (isRoom && children[index].role == ChildRole::Send) {
        events_.OnSendPressed();
    } else if (isRoom) {
        events_.OnIconPressed("room", icon);
    } else {
        events_.OnIconPressed("other " + std::to_string(otherPositions_[mdiChild]), icon);
    }
}

LRESULT CALLBACK ChatFrame::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = Self(window);
    HWND mdiClient = self ? self->mdiClient_ : nullptr;
    switch (message) {
        case WM_SIZE:
            // DefFrameProc would stretch the MDI client over the status line.
            if (self && mdiClient) self->LayoutFrame();
            return 0;
        case WM_TIMER:
            if (self && wParam == kControlTimer) self->events_.OnControlTick();
            return 0;
        case WM_CLOSE:
            // Destroying the frame would stall for seconds under Wine without a window manager;
            // the process ends instead and takes its windows with it.
            if (self) self->events_.OnCloseRequested();
            return 0;
        default:
            return DefFrameProcA(window, mdiClient, message, wParam, lParam);
    }
}

LRESULT CALLBACK ChatFrame::RoomProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return MdiChildProc(window, message, wParam, lParam, true);
}

LRESULT CALLBACK ChatFrame::OtherWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return MdiChildProc(window, message, wParam, lParam, false);
}

LRESULT ChatFrame::MdiChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool isRoom) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        auto* mdiCreate = reinterpret_cast<MDICREATESTRUCTA*>(create->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, mdiCreate->lParam);
    }
    auto* self = Self(window);
    switch (message) {
        case WM_CREATE:
            if (self && isRoom) {
                CreateChildren(window, self->instance_, kRoomChildren);
            } else if (self) {
                // Conversations and directories by turns, in the order the windows are made.
                const Children children = client_model::OtherWindowChildren(self->otherWindowsMade_++);
                self->otherChildren_.emplace(window, children);
                CreateChildren(window, self->instance_, children);
            }
            break;
        case WM_SIZE:
            if (isRoom) {
                LayoutRoom(window, LOWORD(lParam), HIWORD(lParam));
            } else if (self) {
                LayoutOtherWindow(window, self->OtherWindowChildren(window), LOWORD(lParam), HIWORD(lParam));
            }
            break;
        case WM_COMMAND:
            if (self) self->OnChildCommand(window, isRoom, wParam);
            return 0;
        case WM_DESTROY:
            // A person may close the room; from then on the client has none, as when made without one.
            if (self && self->room_ == window) {
                self->room_ = nullptr;
                self->transcript_.Detach();
                self->entry_ = nullptr;
            }
            if (self) {
                self->otherPositions_.erase(window);
                self->otherChildren_.erase(window);
            }
            break;
        default:
            break;
    }
    return DefMDIChildProcA(window, message, wParam, lParam);
}

}  // namespace vorivevo::practice
