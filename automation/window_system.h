// The window-system operations the automation routines use to reach other programs' windows and our own.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace vorivevo {

// A window handle exactly as the platform gives it, 32 bits wide; 0 stands for no window.
// We only look handles up and pass them on; we never close or destroy one.
using WindowHandle = std::uint32_t;
constexpr WindowHandle kNoWindow = 0;

using Message = std::uint32_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;

constexpr unsigned GW_HWNDNEXT = 2;
constexpr unsigned GW_CHILD = 5;

constexpr Message WM_NULL = 0x0000;
constexpr Message WM_SETTEXT = 0x000C;
constexpr Message WM_GETTEXT = 0x000D;
constexpr Message WM_GETTEXTLENGTH = 0x000E;
constexpr Message WM_NCLBUTTONDOWN = 0x00A1;
// The caret and selection of an edit box: EM_GETSEL with null arguments answers both positions in one
// value (start in the low word, end in the high word; -1 when either lies past 65535), which crosses
// process boundaries where pointers to the caller's variables would not.
constexpr Message EM_GETSEL = 0x00B0;
constexpr Message EM_SETSEL = 0x00B1;
// Puts a text in place of an edit box's selection (at its caret when nothing is selected), leaving the
// caret after it: unlike WM_SETTEXT, it writes over nothing but what is selected.
constexpr Message EM_REPLACESEL = 0x00C2;
// A key pressed on a window, as the keyboard would deliver it to a button that has the focus: a button
// pushes on Space's key-down and clicks on its key-up, without taking the focus as a mouse press does.
constexpr Message WM_KEYDOWN = 0x0100;
constexpr Message WM_KEYUP = 0x0101;
constexpr WParam VK_SPACE = 0x20;
constexpr Message WM_LBUTTONDOWN = 0x0201;
constexpr Message WM_LBUTTONUP = 0x0202;

constexpr WParam HTCAPTION = 2;

// -1 as a handle, the way the platform spells "above all windows, for good".
constexpr WindowHandle HWND_TOPMOST = 0xFFFFFFFFu;
constexpr unsigned SWP_NOSIZE = 0x0001;
constexpr unsigned SWP_NOMOVE = 0x0002;

// The text of WM_SETTEXT or EM_REPLACESEL, in UTF-8; the back end converts it to the machine's ANSI code
// page.
struct TextIn {
    const std::string& text;
};

// The buffer of WM_GETTEXT. On entry `text` holds the UTF-8 form of what the buffer is filled with
// (wParam - 1 characters, the terminating NUL implied); the back end hands the window an ANSI buffer
// of wParam characters so prepared, and on return converts its first wParam - 1 characters back into
// `text`. So whatever the window left unwritten (its NUL, then the filling) shows in `text`.
struct TextBuffer {
    std::string& text;
};

// How long a back end waits for a window of another thread to answer; and how long after such a message
// went unanswered it sends that thread nothing more, so that a hung client costs one time-out per post,
// not one per message.
inline constexpr std::chrono::milliseconds kAnswerTimeout{2000};
inline constexpr std::chrono::milliseconds kUnansweredHold{5000};

// The messages without a pointer that the automation sends. A back end follows each of them, sent to a
// window of another thread, until its handler has returned; while one goes unanswered, nothing more is
// sent to that thread. A handler may run a message loop (a press whose handler shows a warning box) and
// answer later messages from inside it: an answer to a later message then does not mean that this one
// is done.
constexpr bool FollowedToItsReturn(Message message) {
    return message == WM_NULL || message == EM_SETSEL || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
           message == WM_KEYDOWN || message == WM_KEYUP;
}

// What became of a message sent to a window.
enum class Delivery {
    Answered,  // the window handled it and answered `result`
    NoWindow,  // there is no such window (handle 0 included); nothing was sent
    // Not answered: the window's thread did not answer within kAnswerTimeout, or the back end did not
    // send it because that thread still owes an earlier answer (see FollowedToItsReturn and
    // kUnansweredHold). One that was sent is still handled later, in its turn.
    NoAnswer,
};

struct Reply {
    Delivery delivery;
    LResult result;  // 0 unless answered
    // WM_GETTEXT: the window holds characters that the ANSI code page lacks, which the text read has lost.
    bool lossy = false;
    bool Answered() const { return delivery == Delivery::Answered; }
};

// Every operation on handle 0 does nothing and returns 0. Class names cross as the raw bytes the
// platform reports: the classes we look for are ASCII.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // The topmost top-level window whose whole class name equals `className`, ignoring case; the
    // window name is always null. 0 when there is none.
    virtual WindowHandle FindWindowA(const std::string& className) = 0;

    // GW_CHILD: the first child (top of the z-order); GW_HWNDNEXT: the next sibling below. 0 if none.
    virtual WindowHandle GetWindow(WindowHandle window, unsigned command) = 0;

    // Copies the class name, NUL-terminated and cut to size - 1 characters, into buffer; returns its
    // length, 0 when the window does not exist.
    virtual int GetClassNameA(WindowHandle window, char* buffer, int size) = 0;

    // Synchronous: returns once the target window has handled the message, or once the back end gives
    // up waiting for a window of another thread (see Delivery), and says which.
    virtual Reply Send(WindowHandle window, Message message, WParam wParam, LParam lParam) = 0;
    virtual Reply Send(WindowHandle window, Message message, WParam wParam, TextIn lParam) = 0;
    virtual Reply Send(WindowHandle window, Message message, WParam wParam, TextBuffer lParam) = 0;

    // The same, for callers that need only the answer: 0 for a message that was not answered.
    LResult SendMessageA(WindowHandle window, Message message, WParam wParam, LParam lParam) {
        return Send(window, message, wParam, lParam).result;
    }
    LResult SendMessageA(WindowHandle window, Message message, WParam wParam, TextIn lParam) {
        return Send(window, message, wParam, lParam).result;
    }
    LResult SendMessageA(WindowHandle window, Message message, WParam wParam, TextBuffer lParam) {
        return Send(window, message, wParam, lParam).result;
    }

    virtual void SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                              unsigned flags) = 0;

    // The keyboard focus of the thread that owns `window`: the window that thread's keys go to; 0 when
    // that thread has none (its program is not the active one, say) or there is no such window. Sends
    // nothing to that thread.
    virtual WindowHandle FocusOfThread(WindowHandle window) = 0;
    // Gives the keyboard focus to `to` within its own thread, as a SetFocus of that thread would, if and only
    // if it is on `from` as it moves: a focus that the user or the program moved meanwhile stays where they
    // put it. Never activates or raises a window, and never takes the focus from another program: nothing
    // is done when `to`'s top-level window is not its thread's active one. False when it could not be done
    // yet because that thread still owes an answer (see FollowedToItsReturn), so that it may be tried again;
    // true when nothing more is to be done (moved, not on `from`, or never to be done). The back end may wait
    // on that thread while the focus moves, so call it only right after that thread has answered.
    virtual bool MoveThreadFocus(WindowHandle from, WindowHandle to) = 0;

    virtual void ReleaseCapture() = 0;

    // `text` as a window holds it once WM_SETTEXT has carried it through the machine's ANSI code page:
    // each character the code page lacks has become another. What the box shows of a line we wrote.
    virtual std::string ThroughCodePage(const std::string& text) = 0;

    // The client's entry boxes, held by one copy of this program at a time: two posts on one box at once
    // would each take the other's line for the user's draft. `copy` stands for the copy that claims (any
    // address of its own that lives as long as it does). True when that copy holds the claim, now or
    // already; it lasts until that copy releases it, or ends.
    virtual bool ClaimEntryBoxes(const void* copy) = 0;
    virtual void ReleaseEntryBoxes(const void* copy) = 0;
};

}  // namespace vorivevo
