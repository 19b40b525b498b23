// Posting a line into the chat room through the user's entry box.
//
// A post borrows the user's entry box: it waits for a pause in the user's typing, takes their draft and
// caret, puts our line in place of the draft, presses Send until the client has taken it, and gives the
// draft and caret back. Whatever happens meanwhile (the client refuses text, answers late or not at all,
// answers from inside a handler that has not returned, another room comes to the top, a command takes
// over, the user types on), the user's text is never sent, our text is never left in the box, the draft,
// every key told apart and the caret come back to the box they were taken from, and nothing is touched in
// any other room:
// - Each step locates the room, box and button afresh; if it finds others, the post stops there. The box
//   and the button must be of their classes, or nothing is written or pressed.
// - Reads count only when whole; a message that goes unanswered stops the post, and nothing more goes to
//   the client until it answers again. A press, and every message without a pointer, is followed by the
//   window system until its handler returns (FollowedToItsReturn).
// - Writes never cover a key we have not read (entry_box.cpp). Right before each press, with nothing
//   dispatched in between, the box must hold exactly our line, and no key may have been pressed since the
//   post began (one in flight to the client would go out with our line): then the post gives the box back,
//   waits for the next pause and begins again.
// - The draft goes back with the keys told apart (draft_return.cpp); what the client could not take back
//   is kept (DraftKeeper) and given back as soon as it answers again, before anything else goes to it.
// - Send takes the client's keyboard focus on its button-down; it goes back right after the press.
//
// What remains unguarded, since no message of ours can see it:
// - A key the client handles between the read right before a press and the press itself (one the client
//   makes up in its own thread, or one typed past the wait's bound): it goes out with our line.
// - Keys typed while the client is on our press (Send has the focus then): they go to Send.
// - A box that cuts or changes what we give it: keys typed into our text there cannot be told apart
//   (those around a line it changed only in its tags can).
// - A client that never answers again: the draft stays owed until the program ends, two minutes at most
//   after it is asked to.
#include <optional>
#include <utility>

#include "client_automation.h"
#include "entry_box_claim.h"
#include "text_units.h"

namespace vorivevo {

// The post's hold on the box. However the post ends (done, stopped part-way, unwound by a command that
// takes over or by the program's end), what it owes the client is given back or kept. It may run while the
// stack unwinds, so it must not dispatch events.
class ClientAutomation::PostHold {
public:
    // `line` as the box will hold it: every comparison with what the box holds uses that form.
    PostHold(ClientAutomation& automation, std::string line) : automation_(automation) { held.line = std::move(line); }
    PostHold(const PostHold&) = delete;
    PostHold& operator=(const PostHold&) = delete;
    ~PostHold() {
        try {
            automation_.GiveBack(held);
        } catch (...) {
            // Already unwinding, perhaps: a second exception would end the process without its report.
        }
    }

    // True when the step was done. An unanswered message stops the post, and is noted: nothing more goes
    // to the client until it answers again.
    bool Done(Outcome outcome) {
        if (outcome == Outcome::Unanswered) held.phase = GiveBackPhase::AwaitAnswer;
        if (outcome == Outcome::Gone) gone_ = true;
        return outcome == Outcome::Done;
    }
    PostResult Stopped() {
        gone_ = gone_ || automation_.WindowClassOf(held.box).front() == '\0';
        if (gone_) return PostResult::RoomClosed;
        return held.phase == GiveBackPhase::AwaitAnswer ? PostResult::NoAnswer : PostResult::NotTaken;
    }
    PostResult Yield() {
        yielded_ = true;
        return PostResult::NotTaken;
    }
    bool Yielded() const { return yielded_; }

    HeldDraft held;

private:
    ClientAutomation& automation_;
    bool gone_ = false;
    bool yielded_ = false;
};

// Presses that changed nothing, and the loop's own time: handlers dispatched inside it (a drag) are the
// user's time, not the post's.
struct ClientAutomation::SendBudget {
    SendBudget(Instant now, Duration dispatched) : start(now), dispatchedAtStart(dispatched) {}
    bool Spent(Instant now, Duration dispatched) const {
        return unchangedPresses >= kPressesWithoutChange || now - start - (dispatched - dispatchedAtStart) >= kSendGiveUp;
    }
    Instant start;
    Duration dispatchedAtStart;
    int unchangedPresses = 0;
};

void ClientAutomation::AwaitTypingPause(Instant giveUp) {
    for (;;) {
        const std::optional<Instant> last = events_.LastKeyPressed();
        const Instant now = events_.Now();
        if (!last || now - *last >= kTypingPause || now >= giveUp) return;
        events_.WaitForEvent(std::min(*last + kTypingPause, giveUp));
        events_.DoEvents();
    }
}

bool ClientAutomation::TypedSince(Instant since) {
    const std::optional<Instant> last = events_.LastKeyPressed();
    return last && *last >= since;
}

PostResult ClientAutomation::PostToChat(const std::string& line) {
    events_.DoEvents();
    // Once the wait's bound has passed, the post goes on even while the user types.
    const Instant stopWaiting = events_.Now() + kTypingWaitBound;
    for (;;) {
        AwaitTypingPause(stopWaiting);
        Attempt attempt = Attempt::Over;
        const PostResult result = TryPost(line, events_.Now() < stopWaiting, attempt);
        if (attempt == Attempt::Over) return result;
    }
}

PostResult ClientAutomation::TryPost(const std::string& line, bool yieldToTyping, Attempt& attempt) {
    const Instant start = events_.Now();
    // Declared before the hold, so that it outlasts it: the hold may leave something owed.
    const EntryBoxClaim claim(*this, kClaimWait);
    if (!claim.Held()) return PostResult::AnotherCopyPosting;
    // What an earlier post owes the client comes first; while the client does not answer, our line goes nowhere.
    if (!SettleOwedDraft()) return drafts_.AwaitsAnswer() ? PostResult::NoAnswer : PostResult::DraftRefused;

    PostHold hold(*this, windows_.ThroughCodePage(line));
    HeldDraft& held = hold.held;
    // The room, box and button found here are the only ones this post touches.
    const Found at = LocateEntryAndSend();
    if (at.box == kNoWindow) return PostResult::NoChatRoom;
    if (!AsExpected(at)) return PostResult::RoomNotAsExpected;
    held.box = at.box;
    held.room = at.room;
    bool titleLossy = false;  // compared only with itself, so a title beyond the code page will do
    if (!hold.Done(ReadBox(at.room, held.roomTitle, &titleLossy))) return hold.Stopped();
    // The room search may dispatch events (the user types on): our write reads the box again under its
    // selection, and writes only over the draft taken. A handler run there (a drag) may have taken long,
    // and the user's caret moved meanwhile shows in no text: the draft is taken again after it.
    const Duration dispatchedBefore = dispatched_;
    if (!hold.Done(TakeDraft(held)) || !StillThere(at)) return hold.Stopped();
    if (dispatched_ != dispatchedBefore && !hold.Done(TakeDraft(held))) return hold.Stopped();
    const std::optional<Instant> yieldIfTypedSince = yieldToTyping ? std::optional<Instant>(start) : std::nullopt;
    if (yieldIfTypedSince && TypedSince(start)) return hold.Yield();
    PostResult result = hold.Done(ReplaceAll(held, held.line)) ? SendLine(at, hold, yieldIfTypedSince) : hold.Stopped();
    if (hold.Yielded()) attempt = Attempt::YieldedToTyping;
    return result;
}

// The draft is taken right before our first write, so that no key the user typed into it before is lost.
// A key the client handles between the read of the text and the question for the caret leaves a caret
// that is not the text's: the text is read again after it, and the two taken only once nothing changed.
ClientAutomation::Outcome ClientAutomation::TakeDraft(HeldDraft& held) {
    std::string draft;
    Outcome read = ReadBox(held.box, draft);
    for (int tries = 0; read == Outcome::Done && tries < kDraftReads; ++tries) {
        LResult selection = 0;
        const Outcome asked = SendTo(held.box, EM_GETSEL, 0, LParam{0}, &selection);
        if (asked != Outcome::Done) return asked;
        std::string again;
        read = ReadBox(held.box, again);
        if (read == Outcome::Done && again == draft) {
            held.user = UsersText{draft, SelectionFrom(selection), std::nullopt};
            held.caretLeft = held.user.selection;
            held.shownFrom = 0;
            // A line of ours that a box would not give up once: what holds it is not the user's typing.
            if (HoldsTraceOf(draft, drafts_.LineLeftInBox())) held.user = UsersText{};
            held.boxHeld = draft;
            return Outcome::Done;
        }
        draft = std::move(again);
    }
    return read == Outcome::Done ? Outcome::Refused : read;
}

PostResult ClientAutomation::SendLine(const Found& at, PostHold& hold, std::optional<Instant> yieldIfTypedSince) {
    HeldDraft& held = hold.held;
    for (SendBudget budget(events_.Now(), dispatched_); !budget.Spent(events_.Now(), dispatched_);
         ++budget.unchangedPresses) {
        // The room search may dispatch events; from the read after it to the press, nothing is.
        if (!StillThere(at)) return hold.Stopped();
        std::string now;
        if (!hold.Done(ReadHeld(held, now))) return hold.Stopped();
        TakeInRead(held, now);
        if (now != held.line) return hold.Stopped();
        if (yieldIfTypedSince && TypedSince(*yieldIfTypedSince)) return hold.Yield();
        held.linePressed = true;
        // Space first, which leaves the keyboard where the user has it, so that a key the client handles
        // meanwhile goes to the box and not to Send; a client whose Send answers only the mouse gets the
        // mouse's press next.
        const PressBy by = budget.unchangedPresses == 0 ? PressBy::Space : PressBy::Mouse;
        if (!hold.Done(PressKeepingFocus(at.send, held, by))) return hold.Stopped();
        if (!hold.Done(ReadHeld(held, now))) return hold.Stopped();
        // Our line gone after an answered press: the client took it, and what the box holds is the user's.
        TakeInRead(held, now);
        if (!HoldsTraceOf(now, held.line)) return PostResult::Posted;
        if (now != held.line) return hold.Stopped();
    }
    return hold.Stopped();
}

ClientAutomation::Outcome ClientAutomation::PressKeepingFocus(WindowHandle button, HeldDraft& held, PressBy by) {
    // Where the user's keys go right now: the entry box they are typing in, typically.
    const WindowHandle before = windows_.FocusOfThread(button);
    struct Half {
        Message message;
        WParam wParam;
        LParam lParam;  // a key's: one press, and for the key-up, that the key was down and goes up
    };
    const Half mouse[] = {{WM_LBUTTONDOWN, 0, 0}, {WM_LBUTTONUP, 0, 0}};
    const Half space[] = {{WM_KEYDOWN, VK_SPACE, 1}, {WM_KEYUP, VK_SPACE, static_cast<LParam>(0xC0000001u)}};
    for (const Half& half : by == PressBy::Space ? space : mouse) {
        const Outcome press = SendTo(button, half.message, half.wParam, half.lParam);
        if (press == Outcome::Unanswered) {
            held.focusOwedFrom = button;
            held.focusOwedTo = before;
        }
        if (press != Outcome::Done) return press;
    }
    if (!GiveFocusBack(button, before)) {
        held.focusOwedFrom = button;
        held.focusOwedTo = before;
    }
    return Outcome::Done;
}

void ClientAutomation::ReleaseClaimIfIdle() {
    if (drafts_.ClaimIdle()) windows_.ReleaseEntryBoxes(&drafts_);
}

bool ClientAutomation::GiveFocusBack(WindowHandle pressed, WindowHandle before) {
    // A client that had no focus (it was not the active program) is left as it is, and so is a focus that
    // the press sent elsewhere (a warning box it opened, say): only the focus the button took goes back.
    if (before == kNoWindow || before == pressed) return true;
    return windows_.MoveThreadFocus(pressed, before);
}

}  // namespace vorivevo
