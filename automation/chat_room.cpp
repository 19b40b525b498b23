// Locating the chat room, its entry box and its send button.
#include "client_automation.h"

namespace vorivevo {

namespace {

constexpr char kClientMainClass[] = "AOL Frame25";
constexpr char kMdiClientClass[] = "MDIClient";
constexpr char kRichTextClass[] = "RICHCNTL";
constexpr char kListClass[] = "_AOL_Listbox";
constexpr char kIconClass[] = "_AOL_ICON";
// Siblings examined after the first MDI child.
constexpr int kRoomSearchPasses = 100;
// Distances from the room's first rich-text child to its entry box, and from its first icon to Send.
constexpr int kEntryBoxSteps = 7;
constexpr int kSendButtonSteps = 6;

}  // namespace

void ClientAutomation::DispatchEvents() {
    const Instant before = events_.Now();
    events_.DoEvents();
    dispatched_ += events_.Now() - before;
}

WindowHandle ClientAutomation::LocateChatRoom() {
    const WindowHandle main = windows_.FindWindowA(kClientMainClass);
    const WindowHandle mdi = FindChildByClass(main, kMdiClientClass);
    WindowHandle child = windows_.GetWindow(mdi, GW_CHILD);
    WindowHandle rich = FindChildByClass(child, kRichTextClass);
    WindowHandle list = FindChildByClass(child, kListClass);
    if (rich != kNoWindow && list != kNoWindow) return child;

    int count = 0;
    while (count != kRoomSearchPasses && (rich == kNoWindow || list == kNoWindow)) {
        DispatchEvents();
        child = windows_.GetWindow(child, GW_HWNDNEXT);
        rich = FindChildByClass(child, kRichTextClass);
        list = FindChildByClass(child, kListClass);
        if (rich != kNoWindow && list != kNoWindow) break;
        ++count;
    }
    return count < kRoomSearchPasses ? child : kNoWindow;
}

WindowHandle ClientAutomation::StepSiblings(WindowHandle window, int steps) {
    for (int i = 0; i < steps; ++i) window = windows_.GetWindow(window, GW_HWNDNEXT);
    return window;
}

WindowHandle ClientAutomation::LocateInRoom(WindowHandle room, const char* pattern, int steps) {
    return StepSiblings(FindChildByClass(room, pattern), steps);
}

WindowHandle ClientAutomation::LocateChatEntry() { return LocateInRoom(LocateChatRoom(), kRichTextClass, kEntryBoxSteps); }

WindowHandle ClientAutomation::LocateChatSendButton() {
    return LocateInRoom(LocateChatRoom(), kIconClass, kSendButtonSteps);
}

// One search for the room, so that the box and the button are of one room.
ClientAutomation::Found ClientAutomation::LocateEntryAndSend() {
    Found found;
    found.room = LocateChatRoom();
    found.box = LocateInRoom(found.room, kRichTextClass, kEntryBoxSteps);
    found.send = LocateInRoom(found.room, kIconClass, kSendButtonSteps);
    return found;
}

bool ClientAutomation::StillThere(const Found& at) {
    const Found now = LocateEntryAndSend();
    return now.room == at.room && now.box == at.box && now.send == at.send;
}

std::optional<bool> ClientAutomation::StillItsRoom(const HeldDraft& held) {
    if (held.room == kNoWindow) return true;
    std::string title;
    bool lossy = false;
    switch (ReadBox(held.room, title, &lossy)) {
        case Outcome::Done: return title == held.roomTitle;
        case Outcome::Gone: return false;
        default: return std::nullopt;
    }
}

// The box and the button are found only by their distances from the room's first rich-text child and its
// first icon: in a room laid out otherwise they are other windows, which are neither written nor pressed.
bool ClientAutomation::AsExpected(const Found& at) {
    return ClassMatches(WindowClassOf(at.box), kRichTextClass) && ClassMatches(WindowClassOf(at.send), kIconClass);
}

}  // namespace vorivevo
