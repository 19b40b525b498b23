// The online client's window tree, described once for everything that plays the client: the simulated
// client, the contract stage on real windows and the practice client. The companion's own lookups do not
// read it: their classes and distances are what the players are there to test.
#pragma once

#include <cstddef>

namespace vorivevo::client_model {

// Class names as the client registers them, byte for byte.
inline constexpr char kFrameClass[] = "AOL Frame25";
// The system's MDI client: its class reads back in this spelling, however it was registered.
inline constexpr char kMdiClientClass[] = "MDIClient";
inline constexpr char kRoomClass[] = "AOL Child";
inline constexpr char kOtherWindowClass[] = "_AOL_Child";
inline constexpr char kPaletteClass[] = "_AOL_Palette";
inline constexpr char kModalClass[] = "_AOL_Modal";

// The client's controls, superclasses of the system's edit, list box, static and button.
enum class Control { RichText, ListBox, Static, Icon };

constexpr const char* ClassOf(Control control) {
    switch (control) {
        case Control::RichText: return "RICHCNTL";
        case Control::ListBox: return "_AOL_Listbox";
        case Control::Static: return "_AOL_Static";
        case Control::Icon: return "_AOL_Icon";
    }
    return "";
}

// What a child does in its window.
enum class ChildRole {
    Transcript,  // a read-only view of the lines
    People,      // who is in the room
    Label,       // text only
    Decoration,  // an icon that does nothing but report its press
    Entry,       // the text-entry box
    Send,        // the send button
    DialogIcon,  // a dialog's button
};

struct ChildWindow {
    Control control;
    ChildRole role;
    const char* text;
};

// A window's children from the top of the z-order: GW_CHILD gives the first, GW_HWNDNEXT each next.
class Children {
public:
    constexpr Children() = default;
    template <std::size_t N>
    constexpr Children(const ChildWindow (&children)[N]) : first_(children), count_(static_cast<int>(N)) {}

    constexpr const ChildWindow* begin() const { return first_; }
    constexpr const ChildWindow* end() const { return first_ + count_; }
    constexpr int size() const { return count_; }
    constexpr const ChildWindow& operator[](int index) const { return first_[index]; }

    // The first child with the role, or of the control; -1 when there is none.
    constexpr int IndexOf(ChildRole role) const {
        for (int i = 0; i < count_; ++i)
            if (first_[i].role == role) return i;
        return -1;
    }
    constexpr int FirstOf(Control control) const {
        for (int i = 0; i < count_; ++i)
            if (first_[i].control == control) return i;
        return -1;
    }
    // The child's place among the icons (0 for the first icon); -1 when it is no icon.
    constexpr int IconIndex(int index) const {
        if (index < 0 || index >= count_ || first_[index].control != Control::Icon) return -1;
        int icons = 0;
        for (int i = 0; i < index; ++i)
            if (first_[i].control == Control::Icon) ++icons;
        return icons;
    }

private:
    const ChildWindow* first_ = nullptr;
    int count_ = 0;
};

// The frame's children from the top: a status line, so that finding the MDI client takes a walk past
// it, then the MDI client, which holds the room and the other windows.
enum class FrameChild { StatusLine, MdiClient };
inline constexpr FrameChild kFrameChildren[] = {FrameChild::StatusLine, FrameChild::MdiClient};
inline constexpr char kStatusLineText[] = "Signed on as You";

inline constexpr ChildWindow kRoomChildList[] = {
    {Control::RichText, ChildRole::Transcript, ""},
    {Control::ListBox, ChildRole::People, ""},
    {Control::Static, ChildRole::Label, "People here: 2"},
    {Control::Icon, ChildRole::Decoration, "Bold"},
    {Control::Icon, ChildRole::Decoration, "Italic"},
    {Control::Icon, ChildRole::Decoration, "Under"},
    {Control::Icon, ChildRole::Decoration, "Colour"},
    {Control::RichText, ChildRole::Entry, ""},
    {Control::Icon, ChildRole::Decoration, "Smile"},
    {Control::Icon, ChildRole::Send, "Send"},
};
// The chat room: the only window with both a rich-text child and a list box.
inline constexpr Children kRoomChildren{kRoomChildList};

// The entry box lies this many siblings after the room's first rich-text child, Send this many after
// its first icon.
inline constexpr int kEntryBoxDistance = 7;
inline constexpr int kSendButtonDistance = 6;
static_assert(kRoomChildren.IndexOf(ChildRole::Entry) - kRoomChildren.FirstOf(Control::RichText) ==
              kEntryBoxDistance);
static_assert(kRoomChildren.IndexOf(ChildRole::Send) - kRoomChildren.FirstOf(Control::Icon) == kSendButtonDistance);

// The other MDI windows, which a search for the room must pass over: each has one of the room's two
// marks, never both. A conversation has rich text (two boxes of it) but no list of people; a directory
// has a list but no rich text.
inline constexpr ChildWindow kConversationChildList[] = {
    {Control::Static, ChildRole::Label, "Notices"},
    {Control::RichText, ChildRole::Transcript, "Nothing new today."},
    {Control::Icon, ChildRole::Decoration, "More"},
    {Control::RichText, ChildRole::Entry, ""},
    {Control::Icon, ChildRole::Send, "Send"},
};
inline constexpr ChildWindow kDirectoryChildList[] = {
    {Control::ListBox, ChildRole::People, ""},
    {Control::Static, ChildRole::Label, "Places"},
    {Control::Icon, ChildRole::Decoration, "Go"},
};
inline constexpr Children kConversationChildren{kConversationChildList};
inline constexpr Children kDirectoryChildren{kDirectoryChildList};

// The children of the `made`-th other window, counting from 0 in the order they are made (the client
// makes its MDI windows from the bottom up): conversations and directories by turns.
constexpr Children OtherWindowChildren(int made) { return made % 2 == 0 ? kConversationChildren : kDirectoryChildren; }

// A palette's or a modal dialog's children: a text first, so that finding the first icon takes a walk;
// the first icon answers the prompt.
inline constexpr ChildWindow kDialogChildList[] = {
    {Control::Static, ChildRole::Label, ""},
    {Control::Icon, ChildRole::DialogIcon, "OK"},
    {Control::Icon, ChildRole::DialogIcon, "Cancel"},
};
inline constexpr Children kDialogChildren{kDialogChildList};

}  // namespace vorivevo::client_model
