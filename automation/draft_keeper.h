// What a post owes the client (the user's draft and caret, the keyboard focus, an answer awaited), kept
// beyond the post when the client could not take it back at the time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "event_loop.h"
#include "window_system.h"

namespace vorivevo {

// A caret and selection in an edit box, in characters from the start of its text.
struct TextSelection {
    unsigned start = 0;
    unsigned end = 0;
    bool operator==(const TextSelection& other) const { return start == other.start && end == other.end; }
};

// EM_GETSEL's answer: the start in the low word, the end in the high word; all ones when either did
// not fit.
inline std::optional<TextSelection> SelectionFrom(LResult answer) {
    const auto packed = static_cast<std::uint32_t>(answer);
    if (packed == 0xFFFFFFFFu) return std::nullopt;
    return TextSelection{packed & 0xFFFFu, packed >> 16};
}

// The user's text as it must stand in the box once a post is over: the draft as it was taken, with every
// key told apart since then put in at their caret, in the order typed, as it would have gone had we not
// held the box.
struct UsersText {
    std::string text;
    // Their caret and selection; none when the box did not say.
    std::optional<TextSelection> selection;
    // Where the keys told apart begin (they end at the caret); none while none was.
    std::optional<unsigned> keysFrom;

    // Keys the user typed: in place of the selection, the caret after them.
    void Insert(const std::string& keys);
    // A Backspace, Delete or Enter on their selection: it goes, the caret where it began.
    void EraseSelection();
    // Takes out the last `count` characters of the keys told apart, right before the caret; false when
    // there are not that many.
    bool DropKeys(unsigned count);
};

// The steps of giving the box back, in their order. Each knows from the held draft's data what, if
// anything, it has to do; an unanswered message sends the give-back back to AwaitAnswer, which starts
// over from the top once the client answers.
enum class GiveBackPhase {
    AwaitAnswer,   // a message went unanswered: nothing more goes to the client until it answers
    ReturnFocus,   // a press took the client's keyboard focus, which goes back where it was
    SettleWrite,   // a write whose fate is not known: a read of the box tells
    WriteDraft,    // the box gets the user's text back, with the keys typed meanwhile
    RestoreCaret,  // and their caret
    Done,
};

// The entry box that a post has taken (or the icon a dialog press pressed), and what it owes it.
struct HeldDraft {
    WindowHandle box = kNoWindow;
    // The room the box is in, and its title then: a handle the platform has given to a new window since
    // (a room closed and another opened) must not get this draft.
    WindowHandle room = kNoWindow;
    std::string roomTitle;
    GiveBackPhase phase = GiveBackPhase::Done;
    UsersText user;
    // Our line as the box holds it (through the code page), so that the user's own text can be told from it.
    std::string line;
    // Whether a message of ours may have changed the box (its text or its selection): only then is there
    // anything to give back.
    bool boxChanged = false;
    // What the box held as we last knew it (after our last whole read, or a write a read showed), and the
    // selection we last gave it: a key the user types then takes the place of what it covers.
    std::string boxHeld;
    std::optional<TextSelection> boxSelection;
    // Where our last message left the box's caret, when that is known; a caret the user moves without
    // changing the text does not show in it.
    std::optional<TextSelection> caretLeft;
    // Where in the user's text (characters) what the box holds begins, while it holds nothing but their
    // characters in a row: all of their text, or keys they typed in place of all it held.
    std::optional<unsigned> shownFrom;
    // A press of ours went to Send while the box held our line: once our line has left the box, the client
    // has taken it, and what the box holds is the user's.
    bool linePressed = false;
    // A write that went unanswered: the platform may hand it to the box later, or never, so only a read
    // can tell whether the box holds it. What it was to put there.
    std::optional<std::string> unsettledWrite;
    // A press whose taking of the client's keyboard focus is still to be undone, and the window that had
    // the focus right before it.
    WindowHandle focusOwedFrom = kNoWindow;
    WindowHandle focusOwedTo = kNoWindow;
    // Where a box that holds characters the code page lacks (so that the draft goes in around what it
    // holds) had the user's caret among the keys they typed after Send emptied it: the keys after it.
    unsigned keysAfterCaret = 0;
    // Passes of WriteDraft that found the box changed again under it, since the last one that did not.
    int rounds = 0;
};

// Owned by the window's logic, so that it outlives the post that could not give the box back.
class DraftKeeper {
public:
    bool Owes() const { return owed_.has_value(); }
    bool AwaitsAnswer() const { return owed_ && owed_->phase == GiveBackPhase::AwaitAnswer; }
    // Whether the user's text may be at stake, rather than only an answer or the focus.
    bool OwesDraft() const { return owed_ && owed_->boxChanged; }
    HeldDraft& Owed() { return *owed_; }
    // When to try again; kNever when nothing is owed.
    Instant NextTry() const { return owed_ ? nextTry_ : kNever; }
    // Since when the client has answered and still not taken the draft back; kNever while it does not answer.
    Instant RefusedSince() const { return refusedSince_; }

    void Keep(HeldDraft held, Instant nextTry) {
        owed_ = std::move(held);
        nextTry_ = nextTry;
        refusedSince_ = kNever;
    }
    void TryAgainAt(Instant nextTry) { nextTry_ = nextTry; }
    void NoteRefused(Instant now) {
        if (refusedSince_ == kNever) refusedSince_ = now;
    }
    void NoteUnanswered() { refusedSince_ = kNever; }
    void Clear() { owed_.reset(); }

    // A draft given up on, for the user to hear of once. Our line may still be in that box, where the
    // next post must not take it for the user's typing.
    void GiveUp() {
        if (owed_ && owed_->boxChanged) leftInBox_ = owed_->line;
        owed_.reset();
        gaveUp_ = true;
    }
    bool TakeGiveUpNote() { return std::exchange(gaveUp_, false); }
    const std::string& LineLeftInBox() const { return leftInBox_; }

    // This copy's claim on the client's entry boxes is held while a post or a press runs (a press may run
    // inside a post, from a dispatch point) and while anything is owed; it goes once neither is left.
    void AddClaimHolder() { ++claimHolders_; }
    void RemoveClaimHolder() { --claimHolders_; }
    bool ClaimIdle() const { return claimHolders_ == 0 && !Owes(); }

private:
    std::optional<HeldDraft> owed_;
    Instant nextTry_{};
    Instant refusedSince_ = kNever;
    bool gaveUp_ = false;
    std::string leftInBox_;
    int claimHolders_ = 0;
};

}  // namespace vorivevo
