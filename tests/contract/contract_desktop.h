// The stage for the automation routines' contract cases, built once on the simulated desktop and once
// on real windows, so that the same cases hold the fake to the real window system.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "event_loop.h"
#include "window_system.h"

namespace vorivevo::contract {

// The client's windows are the client model's (client_window_tree.h); a layout leaves parts of them out,
// and makes the client misbehave.
struct ChatLayout {
    int mdiChildren = 1;
    int roomPosition = 1;  // among the MDI children, from the top of the z-order, 1 first
    bool roomHasListBox = true;
    int roomChildren = 10;  // the room keeps only this many of its children, from the top
    int pressesNeeded = 1;  // a line goes at this press of Send
    bool refusesLines = false;  // Send never takes the line
    bool keepsText = false;     // the entry box answers WM_SETTEXT with 0 and keeps its text
    // The entry box is a Unicode window, which holds characters that the ANSI code page lacks (the
    // simulated boxes always do).
    bool unicodeEntry = false;
    int sendMilliseconds = 0;   // the Send handler takes this long before it takes the line
    bool sendRunsLoop = false;  // ... and runs a message loop meanwhile (a warning box shown inside it)
    bool otherLetterCase = false;  // "RichCntl", "_aol_icon", "_Aol_ListBox" ... as the class names
};

enum class DialogKind { Palette, Modal };

// A window of our own and its children, from the top.
struct Family {
    WindowHandle parent;
    std::vector<WindowHandle> children;
};

struct DialogPress {
    WindowHandle dialog;
    int child;  // index among the dialog's children, from the top
};

class ContractDesktop {
public:
    virtual ~ContractDesktop() = default;

    virtual WindowSystem& Windows() = 0;
    virtual EventLoop& Events() = 0;
    // How often the event loop's pump has run so far.
    virtual long Dispatches() = 0;

    // A top-level window of our own whose children have these classes, in this order from the top.
    virtual Family MakeParent(const std::vector<std::string>& childClasses) = 0;
    // A child of `parent` (0: a top-level window) of a class of our own.
    virtual WindowHandle MakeWindow(WindowHandle parent, const std::string& className) = 0;
    // A window holding this text (UTF-8), as an edit box would.
    virtual WindowHandle MakeTextWindow(const std::string& text) = 0;

    virtual void OpenChatClient(const ChatLayout& layout) = 0;
    virtual WindowHandle Room() = 0;      // as built, whether or not it can be found
    virtual WindowHandle EntryBox() = 0;  // as built; 0 when the layout leaves it out
    virtual std::string EntryText() = 0;  // UTF-8
    virtual void TypeDraft(const std::string& text) = 0;
    // The entry box's caret and selection, as EM_SETSEL and EM_GETSEL see them.
    virtual void Select(unsigned start, unsigned end) = 0;
    virtual std::pair<unsigned, unsigned> Selection() = 0;
    // Each line the room received, as the exact ANSI bytes.
    // The user gives the entry box the keyboard focus, as a click into it would; the client's focus window.
    virtual void FocusEntryBox() = 0;
    virtual WindowHandle FocusedWindow() = 0;
    virtual std::vector<std::string> Received() = 0;
    virtual long SendPresses() = 0;

    // A dialog of the client, on top of those open; its children: a static, then two icons.
    virtual WindowHandle OpenDialog(DialogKind kind) = 0;
    virtual std::vector<DialogPress> DialogPresses() = 0;
};

// Made by the back end the cases are linked with.
std::unique_ptr<ContractDesktop> MakeContractDesktop();

}  // namespace vorivevo::contract
