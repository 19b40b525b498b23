// Locating the chat room, its entry box and send button, and posting a line through them.
//
// A post borrows the user's entry box: it keeps their draft and caret, writes our line, presses Send
// until the client has taken it, and gives the draft and caret back. Whatever happens meanwhile (the
// client refuses text, answers late or not at all, answers from inside a handler that has not returned,
// another room comes to the top, a command takes over, the user types on), the user's text is never
// sent, our line is never left in the box, the draft, every key typed meanwhile and the caret come back
// to the box they were taken from, and nothing is touched in any other room:
// - Each step locates the room and box afresh; if it finds another room or box, the post stops there.
// - Reads count only when whole (and not when a character was lost to the code page); writes only when
//   the box took them; a message that goes unanswered stops the post, and nothing more goes to the box
//   until the client answers again. A press, and every message without a pointer, is followed by the
//   window system until its handler returns (FollowedToItsReturn), so an answer from inside that handler's
//   message loop is not taken for the client having caught up.
// - Right before our line is written, and right before each press, with nothing dispatched in between,
//   the box must hold exactly what we left there: nothing, then exactly our line.
// - The draft goes back only after a whole read of the box; what it holds besides our line (keys that
//   reached it meanwhile) goes into the draft at the user's caret. What could not be given back is kept
//   (DraftKeeper) and given back as soon as the client answers again, before anything else is sent to
//   that box; the program, asked to end, waits for it out of sight for a while.
// - Send takes the client's keyboard focus on its button-down, as a button does, where the user's next keys
//   would go (and a Space or Enter would send the draft). Right after the press the focus goes back to the
//   window that had it (the entry box, typically); after a press answered late, once the client answers
//   again. Only within the client's thread, only when it had a focus window, never activating a window.
//
// What remains unguarded, since no message of ours can see it:
// - A key the client handles in the microseconds between one of those two checks and the write or press
//   right after it: written over by our line, or sent with it.
// - A client whose handler of WM_GETTEXT or WM_SETTEXT runs a message loop: the platform sends messages
//   with pointers only synchronously, so one that goes unanswered cannot be followed to its return, and
//   after the hold a later answer from inside that loop is taken for the client having caught up.
// - A box that says it took a text and keeps its own: once it does so with our line in it, the draft
//   seems to go back while our line stays; with the draft in it, what it holds is taken for keys typed
//   into the box we emptied, and its caret may move (a user who types their whole draft again there
//   cannot be told from it).
// - The caret, when the answer to our EM_SETSEL was late and the user moved the caret (without typing)
//   meanwhile: it is set again where the draft had it.
// - Keys typed while the client is on our press, and until it answers us again (a slow Send, a warning box
//   shown inside it): Send has the focus then, and they go to it.
// - A client with no focus window at the press (not the active program): its Send keeps the focus the press
//   gave it, and a user who comes back to the client by the keyboard, not by a click into the box, types
//   into Send.
// - A client that never answers again, or a box that never takes the draft back: the draft stays owed
//   (and every later post says so), until the program ends, two minutes at most after it is asked to.
#include <cstdint>
#include <optional>
#include <utility>

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

// EM_GETSEL's answer: the start in the low word, the end in the high word; all ones when either did
// not fit.
std::optional<TextSelection> SelectionFrom(LResult answer) {
    const auto packed = static_cast<std::uint32_t>(answer);
    if (packed == 0xFFFFFFFFu) return std::nullopt;
    return TextSelection{packed & 0xFFFFu, packed >> 16};
}

}  // namespace

// The post's hold on the box. However the post ends (done, stopped part-way, unwound by a command that
// takes over or by the program's end), what it owes the box is given back or kept. It may run while the
// stack unwinds, so it must not dispatch events.
class PostHold {
public:
    // `line` as the box will hold it: every comparison with what the box holds uses that form, so that a
    // character the code page lacks (in a name the user gave us) cannot make our line look like theirs.
    PostHold(ClientAutomation& automation, std::string line) : automation_(automation) { held.line = std::move(line); }
    PostHold(const PostHold&) = delete;
    PostHold& operator=(const PostHold&) = delete;
    ~PostHold() {
        if (held.box == kNoWindow) return;
        try {
            automation_.GiveBack(held);
        } catch (...) {
            // Already unwinding, perhaps: a second exception would end the process without its report.
        }
    }

    // True when the step was done. An unanswered message stops the post, and is noted: nothing more goes
    // to the box until the client answers again.
    bool DoneNotingUnanswered(ClientAutomation::Outcome outcome) {
        if (outcome == ClientAutomation::Outcome::Unanswered) held.awaitingAnswer = true;
        return outcome == ClientAutomation::Outcome::Done;
    }
    // The same for a write, noting also what it may have done to the box.
    bool Wrote(ClientAutomation::Outcome outcome) {
        if (outcome == ClientAutomation::Outcome::Done || outcome == ClientAutomation::Outcome::Unanswered) {
            held.writes = HeldDraft::Writes::MayHaveLanded;
        } else if (outcome == ClientAutomation::Outcome::Refused && held.writes == HeldDraft::Writes::None) {
            held.writes = HeldDraft::Writes::Refused;
        }
        return DoneNotingUnanswered(outcome);
    }

    HeldDraft held;

private:
    ClientAutomation& automation_;
};

// This copy's hold on the client's entry boxes for a post, and for as long as the post leaves a draft
// owed to a box: another copy's post meanwhile would take our line for the user's draft. May run while
// the stack unwinds: dispatches no events.
class EntryBoxClaim {
public:
    explicit EntryBoxClaim(ClientAutomation& automation)
        : automation_(automation), held_(automation.windows_.ClaimEntryBoxes(&automation.drafts_)) {}
    EntryBoxClaim(const EntryBoxClaim&) = delete;
    EntryBoxClaim& operator=(const EntryBoxClaim&) = delete;
    ~EntryBoxClaim() {
        if (held_ && !automation_.drafts_.Owes()) automation_.windows_.ReleaseEntryBoxes(&automation_.drafts_);
    }
    bool Held() const { return held_; }

private:
    ClientAutomation& automation_;
    bool held_;
};

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

ClientAutomation::Found ClientAutomation::LocateInRoom(const char* pattern, int steps) {
    const WindowHandle room = LocateChatRoom();
    return Found{room, StepSiblings(FindChildByClass(room, pattern), steps)};
}

WindowHandle ClientAutomation::LocateChatEntry() { return LocateInRoom(kRichTextClass, kEntryBoxSteps).window; }

WindowHandle ClientAutomation::LocateChatSendButton() { return LocateInRoom(kIconClass, kSendButtonSteps).window; }

void ClientAutomation::PressChatSend() {
    const WindowHandle button = LocateChatSendButton();
    windows_.SendMessageA(button, WM_LBUTTONDOWN, 0, LParam{0});
    windows_.SendMessageA(button, WM_LBUTTONUP, 0, LParam{0});
}

bool ClientAutomation::StillThere(const Found& at) {
    const Found now = LocateInRoom(kRichTextClass, kEntryBoxSteps);
    return now.room == at.room && now.window == at.window;
}

// The draft is taken right before our first write, with nothing dispatched in between, so that no key
// the user typed into their own text before it is lost.
ClientAutomation::Outcome ClientAutomation::TakeBox(HeldDraft& held) {
    std::string draft;
    const Outcome read = ReadBox(held.box, draft);
    if (read != Outcome::Done) return read;
    LResult selection = 0;
    const Outcome asked = SendTo(held.box, EM_GETSEL, 0, LParam{0}, &selection);
    if (asked != Outcome::Done) return asked;
    held.draft = draft;
    held.selection = SelectionFrom(selection);
    return Outcome::Done;
}

ClientAutomation::Outcome ClientAutomation::PressSendOver(const Found& at, HeldDraft& held) {
    const Found button = LocateInRoom(kIconClass, kSendButtonSteps);
    if (button.room != at.room || button.window == kNoWindow) return Outcome::Refused;
    // Nothing is dispatched from here to the press: what the box holds now is what the client sends.
    std::string text;
    const Outcome read = ReadBox(at.window, text);
    if (read != Outcome::Done) return read;
    if (text != held.line) return Outcome::Refused;
    return PressKeepingFocus(button.window, &held);
}

ClientAutomation::Outcome ClientAutomation::PressKeepingFocus(WindowHandle button, HeldDraft* held) {
    // Where the user's keys go right now: the entry box they are typing in, typically.
    const WindowHandle before = windows_.FocusOfThread(button);
    for (const Message message : {WM_LBUTTONDOWN, WM_LBUTTONUP}) {
        const Outcome press = SendTo(button, message, 0, LParam{0});
        if (press == Outcome::Unanswered && held != nullptr) {
            held->focusOwedFrom = button;
            held->focusOwedTo = before;
        }
        if (press != Outcome::Done) return press;
    }
    if (!GiveFocusBack(button, before) && held != nullptr) {
        held->focusOwedFrom = button;
        held->focusOwedTo = before;
    }
    return Outcome::Done;
}

bool ClientAutomation::GiveFocusBack(WindowHandle pressed, WindowHandle before) {
    // A client that had no focus (it was not the active program) is left as it is, and so is a focus that
    // the press sent elsewhere (a warning box it opened, say): only the focus the button took goes back.
    if (before == kNoWindow || before == pressed) return true;
    return windows_.MoveThreadFocus(pressed, before);
}

PostResult ClientAutomation::PostToChat(const std::string& line) {
    events_.DoEvents();
    // Declared before the hold, so that it outlasts it: the hold may leave a draft owed.
    const EntryBoxClaim claim(*this);
    if (!claim.Held()) return PostResult::AnotherCopyPosting;
    // A draft still owed to the box comes first; while the client does not answer, our line goes nowhere.
    if (!SettleOwedDraft(KeepClaim::Yes)) return drafts_.AwaitsAnswer() ? PostResult::NoAnswer : PostResult::DraftRefused;

    PostHold hold(*this, windows_.ThroughCodePage(line));
    HeldDraft& held = hold.held;
    const auto stopped = [&held] { return held.awaitingAnswer ? PostResult::NoAnswer : PostResult::NotTaken; };
    // The room and box found here are the only ones this post touches.
    const Found at = LocateInRoom(kRichTextClass, kEntryBoxSteps);
    if (at.window == kNoWindow) return PostResult::NoChatRoom;
    held.box = at.window;
    // A first whole read, so that a box that does not answer, or not whole, stops the post before anything
    // is searched for again or written. Its text is not kept: the draft is taken right before our first
    // write (TakeBox), after a room search that may dispatch events and so let the user type on.
    std::string unused;
    if (!hold.DoneNotingUnanswered(ReadBox(held.box, unused))) return stopped();

    if (!StillThere(at)) return stopped();
    if (!hold.DoneNotingUnanswered(TakeBox(held))) return stopped();
    if (!hold.Wrote(WriteBox(held.box, "", held.draft))) return stopped();
    if (!StillThere(at)) return stopped();
    // Nothing is dispatched from here to our line's write: a key the user typed into the emptied box while
    // the room was searched would be written over; the draft given back keeps it instead.
    std::string emptied;
    if (!hold.DoneNotingUnanswered(ReadBox(held.box, emptied)) || !emptied.empty()) return stopped();
    if (!hold.Wrote(WriteBox(held.box, line, emptied))) return stopped();

    // The client empties the box when it takes the line. One that never does (it refuses the line, or the
    // box found is some other window) must not hold us here: after a while the draft goes back over our
    // line, as it would after a send.
    const Instant start = events_.Now();
    const Duration dispatchedAtStart = dispatched_;
    // The box empties when the client takes the line, but also when it never took our write: only an empty
    // box after an answered press of this post counts as taken.
    bool pressed = false;
    bool taken = false;
    for (int pass = 0;; ++pass) {
        const Duration ownTime = events_.Now() - start - (dispatched_ - dispatchedAtStart);
        if (pass == kSendGiveUpPasses || ownTime >= kSendGiveUp) break;
        std::string text;
        if (!StillThere(at) || !hold.DoneNotingUnanswered(ReadBox(held.box, text))) return stopped();
        if (!text.empty()) {
            if (!hold.DoneNotingUnanswered(PressSendOver(at, held))) return stopped();
            pressed = true;
        }
        if (!StillThere(at) || !hold.DoneNotingUnanswered(ReadBox(held.box, text))) return stopped();
        if (text.empty() && pressed) {
            taken = true;
            break;
        }
        if (text != held.line) return stopped();
    }

    // The hold gives the draft back when the room has gone meanwhile; the line, if taken, went out.
    if (!StillThere(at)) return taken ? PostResult::Posted : stopped();
    GiveBack(held);
    held.box = kNoWindow;
    return taken ? PostResult::Posted : PostResult::NotTaken;
}

}  // namespace vorivevo
