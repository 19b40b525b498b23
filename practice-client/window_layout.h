// The practice client's window classes and the children of its windows in creation order, as data.
#pragma once

#include <vector>

namespace vorivevo::practice {

// Class names the companion looks for; they must match byte for byte.
inline constexpr char kFrameClass[] = "AOL Frame25";
inline constexpr char kRoomClass[] = "AOL Child";
inline constexpr char kOtherChildClass[] = "_AOL_Child";
inline constexpr char kRichClass[] = "RICHCNTL";
inline constexpr char kListboxClass[] = "_AOL_Listbox";
inline constexpr char kStaticClass[] = "_AOL_Static";
inline constexpr char kIconClass[] = "_AOL_Icon";
inline constexpr char kPaletteClass[] = "_AOL_Palette";
inline constexpr char kModalClass[] = "_AOL_Modal";

enum class ChildRole {
    Transcript,  // read-only view of the room's lines
    People,      // who is in the room
    Label,       // text only
    Decoration,  // an icon that does nothing but report its press
    Entry,       // the text-entry box
    Send,        // the send button
    DialogIcon,  // a dialog's button, reported with its index among the dialog's icons
};

struct ChildSpec {
    const char* className;
    ChildRole role;
    const char* text;
};

// GetWindow(GW_CHILD) returns the first child created and GW_HWNDNEXT follows creation order, so
// these orders are the sibling orders the companion walks: the entry box is 7 siblings after the
// first RICHCNTL, the send button 6 after the first icon.
const std::vector<ChildSpec>& RoomChildren();
const std::vector<ChildSpec>& OtherChildChildren();
const std::vector<ChildSpec>& DialogChildren();

// The index of `childIndex` among the icons of `children` (0 = the first icon); -1 if it is no icon.
int IconIndex(const std::vector<ChildSpec>& children, int childIndex);

// The index of the first child with `role`; -1 if there is none.
int IndexOfRole(const std::vector<ChildSpec>& children, ChildRole role);

}  // namespace vorivevo::practice
