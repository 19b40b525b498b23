// Locating the chat room, its entry box and send button, and posting a line through them.
#include <exception>

#include "varn32.h"

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

// Puts the user's draft back when a post is abandoned part-way (a command took over, the program is
// ending), so that neither their text nor our half-posted line is left in the box. It runs while the
// stack unwinds, so it must not dispatch events.
class DraftRestorer {
public:
    DraftRestorer(Varn32& varn, const std::string& draft)
        : varn_(varn), draft_(draft), exceptionsAtStart_(std::uncaught_exceptions()) {}
    DraftRestorer(const DraftRestorer&) = delete;
    DraftRestorer& operator=(const DraftRestorer&) = delete;
    ~DraftRestorer() {
        if (done_ || std::uncaught_exceptions() == exceptionsAtStart_) return;
        try {
            varn_.WriteWindowText(varn_.LocateChatEntry(Varn32::Dispatch::No), draft_);
        } catch (...) {
            // Already unwinding: a second exception would end the process without its report.
        }
    }
    void Done() { done_ = true; }

private:
    Varn32& varn_;
    const std::string& draft_;
    int exceptionsAtStart_;
    bool done_ = false;
};

WindowHandle Varn32::LocateChatRoom() { return LocateChatRoom(Dispatch::Yes); }

WindowHandle Varn32::LocateChatRoom(Dispatch dispatch) {
    const WindowHandle main = windows_.FindWindowA(kClientMainClass);
    const WindowHandle mdi = FindChildByClass(main, kMdiClientClass);
    WindowHandle child = windows_.GetWindow(mdi, GW_CHILD);
    WindowHandle rich = FindChildByClass(child, kRichTextClass);
    WindowHandle list = FindChildByClass(child, kListClass);
    if (rich != kNoWindow && list != kNoWindow) return child;

    int count = 0;
    while (count != kRoomSearchPasses && (rich == kNoWindow || list == kNoWindow)) {
        if (dispatch == Dispatch::Yes) runtime_.DoEvents();
        child = windows_.GetWindow(child, GW_HWNDNEXT);
        rich = FindChildByClass(child, kRichTextClass);
        list = FindChildByClass(child, kListClass);
        if (rich != kNoWindow && list != kNoWindow) break;
        ++count;
    }
    return count < kRoomSearchPasses ? child : kNoWindow;
}

WindowHandle Varn32::StepSiblings(WindowHandle window, int steps) {
    for (int i = 0; i < steps; ++i) window = windows_.GetWindow(window, GW_HWNDNEXT);
    return window;
}

WindowHandle Varn32::LocateChatEntry() { return LocateChatEntry(Dispatch::Yes); }

WindowHandle Varn32::LocateChatEntry(Dispatch dispatch) {
    return StepSiblings(FindChildByClass(LocateChatRoom(dispatch), kRichTextClass), kEntryBoxSteps);
}

WindowHandle Varn32::LocateChatSendButton() {
    return StepSiblings(FindChildByClass(LocateChatRoom(), kIconClass), kSendButtonSteps);
}

void Varn32::PressChatSend() {
    const WindowHandle button = LocateChatSendButton();
    windows_.SendMessageA(button, WM_LBUTTONDOWN, 0, LParam{0});
    windows_.SendMessageA(button, WM_LBUTTONUP, 0, LParam{0});
}

void Varn32::PostToChat(const std::string& line) {
    runtime_.DoEvents();
    const std::string draft = ReadWindowText(LocateChatEntry());
    DraftRestorer restorer(*this, draft);
    WriteWindowText(LocateChatEntry(), "");
    WriteWindowText(LocateChatEntry(), line);

    // The client empties the box when it takes the line. One that never does (it refuses the line, or
    // the box found is some other window) must not hold us here: give up after a while and let the
    // draft overwrite our line, as it would after a send.
    const double start = runtime_.MonotonicSeconds();
    int presses = 0;
    do {
        if (!ReadWindowText(LocateChatEntry()).empty()) {
            if (presses == kSendGiveUpPresses || runtime_.MonotonicSeconds() - start >= kSendGiveUpSeconds) break;
            PressChatSend();
            ++presses;
        }
    } while (!ReadWindowText(LocateChatEntry()).empty());

    WriteWindowText(LocateChatEntry(), draft);
    restorer.Done();
}

}  // namespace vorivevo
