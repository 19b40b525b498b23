// The client's palette and modal dialogs on the simulated desktop, and the log of their presses.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "client_window_tree.h"
#include "desktop.h"

namespace vorivevo::sim {

enum class DialogKind { Palette, Modal };

// The children's classes of the client model's dialog, from the top.
std::vector<std::string> DialogChildClasses();

struct DialogOptions {
    std::string title = "Prompt";
    // Empty: the kind's own class, "_AOL_Palette" or "_AOL_Modal".
    std::string className;
    // The dialog's children from the top.
    std::vector<std::string> childClasses = DialogChildClasses();
    // The child whose press answers the prompt (the model's first icon); with closeOnDismiss the dialog
    // then closes. A dialog whose first icon is not the dismiss button stays open however often that icon
    // is pressed.
    int dismissChild = client_model::kDialogChildren.FirstOf(client_model::Control::Icon);
    bool closeOnDismiss = true;
};

// A press (button-down, then button-up) on a child of an open dialog.
struct DialogPress {
    double time;
    WindowHandle dialog;
    DialogKind kind;
    int child;  // its place among the dialog's children, 0 at the top
};

// All dialogs opened through one Dialogs share one press log, so that tests see the order of presses
// across dialogs. The desktop must outlive it.
class Dialogs {
public:
    explicit Dialogs(Desktop& desktop) : desktop_(desktop) {}
    ~Dialogs();
    Dialogs(const Dialogs&) = delete;
    Dialogs& operator=(const Dialogs&) = delete;

    static const char* ClassOf(DialogKind kind);

    // A new top-level dialog, on top of every window that is not topmost.
    WindowHandle Open(DialogKind kind, DialogOptions options = {});
    void Close(WindowHandle dialog);
    bool IsOpen(WindowHandle dialog) const { return dialogs_.count(dialog) != 0 && desktop_.IsWindow(dialog); }
    // The open dialogs of a kind, topmost first.
    std::vector<WindowHandle> OpenOf(DialogKind kind) const;
    // The dialog's children from the top, as created.
    std::vector<WindowHandle> ChildrenOf(WindowHandle dialog) const { return desktop_.Children(dialog); }

    const std::vector<DialogPress>& Presses() const { return presses_; }

private:
    struct Dialog {
        DialogKind kind;
        DialogOptions options;
        WindowHandle pressed = kNoWindow;  // the child under a button-down not yet released
    };
    void OnButton(WindowHandle dialog, WindowHandle child, int index, Message message);

    Desktop& desktop_;
    std::map<WindowHandle, Dialog> dialogs_;
    std::vector<DialogPress> presses_;
};

}  // namespace vorivevo::sim
