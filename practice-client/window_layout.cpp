// The children of the room, of the other MDI windows and of the dialogs, in creation order.
#include "window_layout.h"

#include <cstring>

namespace vorivevo::practice {

const std::vector<ChildSpec>& RoomChildren() {
    static const std::vector<ChildSpec> children = {
        {kRichClass, ChildRole::Transcript, ""},
        {kListboxClass, ChildRole::People, ""},
        {kStaticClass, ChildRole::Label, "People here: 2"},
        {kIconClass, ChildRole::Decoration, "Bold"},
        {kIconClass, ChildRole::Decoration, "Italic"},
        {kIconClass, ChildRole::Decoration, "Under"},
        {kIconClass, ChildRole::Decoration, "Colour"},
        {kRichClass, ChildRole::Entry, ""},
        {kIconClass, ChildRole::Decoration, "Smile"},
        {kIconClass, ChildRole::Send, "Send"},
    };
    return children;
}

// A view with no people list: a window the companion must not take for the room.
const std::vector<ChildSpec>& OtherChildChildren() {
    static const std::vector<ChildSpec> children = {
        {kRichClass, ChildRole::Transcript, "Nothing new today."},
        {kStaticClass, ChildRole::Label, "Notices"},
        {kIconClass, ChildRole::Decoration, "More"},
    };
    return children;
}

// The text comes first so that finding the first icon takes a walk past a non-icon sibling.
const std::vector<ChildSpec>& DialogChildren() {
    static const std::vector<ChildSpec> children = {
        {kStaticClass, ChildRole::Label, ""},
        {kIconClass, ChildRole::DialogIcon, "OK"},
        {kIconClass, ChildRole::DialogIcon, "Cancel"},
    };
    return children;
}


int IconIndex(const std::vector<ChildSpec>& children, int childIndex) {
    if (childIndex < 0 || childIndex >= static_cast<int>(children.size())) return -1;
    if (std::strcmp(children[childIndex].className, kIconClass) != 0) return -1;
    int icons = 0;
    for (int i = 0; i < childIndex; ++i) {
        if (std::strcmp(children[i].className, kIconClass) == 0) ++icons;
    }
    return icons;
}

int IndexOfRole(const std::vector<ChildSpec>& children, ChildRole role) {
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i].role == role) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace vorivevo::practice
