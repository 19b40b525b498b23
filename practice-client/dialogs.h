// The client's palette and modal dialogs: top-level "_AOL_Palette" and "_AOL_Modal" windows opened and closed on request.
#pragma once

#include <windows.h>

#include <vector>

#include "client_events.h"
#include "control_commands.h"

namespace vorivevo::practice {

class DialogStack {
public:
    DialogStack(HINSTANCE instance, ClientEvents& events);
    DialogStack(const DialogStack&) = delete;
    DialogStack& operator=(const DialogStack&) = delete;

    bool RegisterWindowClasses();
    // Dialogs are owned by this window, so they stay in front of it.
    void SetOwner(HWND owner) { owner_ = owner; }

    // Opens a dialog above all others of our windows, without taking the focus. `id` 0 takes the
    // next free id of the kind. Returns the id, or 0 when that id is open already or creation failed.
    int Open(DialogKind kind, int id);
    // Closes the dialog of the kind with `id`, or with 0 the topmost one. Returns the id closed, 0 if none.
    int Close(DialogKind kind, int id);

private:
    struct Dialog {
        DialogKind kind;
        int id;
        HWND window;
    };

    static LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    const Dialog* Find(HWND window) const;

    HINSTANCE instance_;
    ClientEvents& events_;
    HWND owner_ = nullptr;
    std::vector<Dialog> dialogs_;  // open dialogs in the order they were opened
    int lastId_[2] = {0, 0};       // per kind: the highest id given so far
    int opened_ = 0;               // how many were ever opened, to cascade them
};

}  // namespace vorivevo::practice
