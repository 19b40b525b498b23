// The control classes the client's windows are built from (superclasses of the system's), and building
// children from them.
#pragma once

#include <windows.h>

#include <vector>

#include "window_layout.h"

namespace vorivevo::practice {

// "RICHCNTL" from EDIT, "_AOL_Listbox" from LISTBOX, "_AOL_Static" from STATIC and "_AOL_Icon" from
// BUTTON. A BUTTON superclass is what turns a button-down and button-up sent from another process
// into a click. False if any registration failed.
bool RegisterControlClasses(HINSTANCE instance);

// The control-id of a child is this plus its index in the window's child list.
constexpr int kFirstChildId = 1000;

// Creates `children` under `parent` in their order (which is their sibling order), each with its
// control-id and the dialog font; returns their handles in the same order.
std::vector<HWND> CreateChildren(HWND parent, HINSTANCE instance, Children children);

}  // namespace vorivevo::practice
