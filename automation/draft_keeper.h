// What a post owes the user's entry box (their draft and caret), kept beyond the post when the client
// could not take it back at the time.
#pragma once

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
};

// The entry box that a post has taken, and what it owes it.
struct HeldDraft {
    WindowHandle box = kNoWindow;
    // The user's text as it stood right before our first write, and their caret and selection then
    // (none when the box did not say).
    std::string draft;
    std::optional<TextSelection> selection;
    // Our line as the box holds it (through the code page), so that the user's own text can be told from it.
    std::string line;
    // What our writes may have done to the box: none sent yet; every one refused; some may have landed.
    enum class Writes { None, Refused, MayHaveLanded };
    Writes writes = Writes::None;
    // A write of the draft reached the box (it answered, or a read showed it later): from then on the box
    // holds it, with whatever the user types. Before, what the box holds besides our line is what the user
    // typed, even text that reads like the draft.
    bool draftWritten = false;
    // A write of the draft that went unanswered. The platform may hand it to the box later, or never (some
    // implementations drop a message whose sender gave up before the box's thread took it), so it stays
    // apart from `draft` until a whole read shows whether the box holds it.
    struct Pending {
        std::string draft;
        std::optional<TextSelection> selection;
    };
    std::optional<Pending> pending;
    // The box took the draft back: only the caret is owed, and only while the box still holds exactly the
    // draft (the user may have typed on since, with their own caret).
    bool draftBack = false;
    // A message to the box's thread went unanswered. It may still be handled, after every message sent
    // to that thread before it, so nothing more goes to the box until that thread answers again.
    bool awaitingAnswer = false;
    // A press of Send whose taking of the client's keyboard focus is still to be undone (the client had not
    // answered the press, or could not take the focus back yet), and the window that had the focus right
    // before it: once the client answers again the focus goes back there.
    WindowHandle focusOwedFrom = kNoWindow;
    WindowHandle focusOwedTo = kNoWindow;
};

// Owned by the window's logic, so that it outlives the post that could not give the box back.
class DraftKeeper {
public:
    bool Owes() const { return owed_.has_value(); }
    bool AwaitsAnswer() const { return owed_ && owed_->awaitingAnswer; }
    // Whether the box itself may need giving back, rather than only an answer awaited.
    bool OwesDraft() const { return owed_ && owed_->writes != HeldDraft::Writes::None; }
    HeldDraft& Owed() { return *owed_; }
    // When to try again; kNever when nothing is owed.
    Instant NextTry() const { return owed_ ? nextTry_ : kNever; }

    void Keep(HeldDraft held, Instant nextTry) {
        owed_ = std::move(held);
        nextTry_ = nextTry;
    }
    void TryAgainAt(Instant nextTry) { nextTry_ = nextTry; }
    void Clear() { owed_.reset(); }

private:
    std::optional<HeldDraft> owed_;
    Instant nextTry_{};
};

}  // namespace vorivevo
