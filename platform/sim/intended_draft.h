// The user's side of an entry box: the keys they press, what each does to an edit box, and the draft
// they mean to have there, which every post must leave behind it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "desktop.h"

namespace vorivevo::sim {

// A key the user presses while the keyboard is in an entry box.
struct Key {
    enum class Kind { Insert, Delete, Backspace, Enter, Left, Right, Home, End };
    Kind kind = Kind::Insert;
    std::u16string text;  // Insert: the characters it puts in (several: a paste)
    bool Inserts() const { return kind == Kind::Insert; }
};

// What a key does to an edit box's text and caret, as the platform's edit box does it: characters
// replace the selection; Delete and Backspace take the selection, else the character after or before
// the caret; Left and Right collapse a selection to its start or end, else move by one; Home and End go
// to either end. A box of at most `limit` characters takes only as much of an insert as fits. Enter is
// left to the client (it sends the box's text): nothing happens here.
void ApplyKey(std::u16string& text, Desktop::Selection& selection, const Key& key, std::size_t limit);

// The characters the simulated user types: each differs from every character of a draft and of a line
// of ours, and from the last 92 key characters in the code page (the last 63 beyond it), so that a key
// can be found again wherever it went (an older key of the same character is told apart by its arrival,
// DraftState::arrivals). Drafts and lines never hold one.
char16_t KeyCharacter(long n, bool beyondCodePage);
bool IsKeyCharacter(char16_t character);

// Where a key landed: on the user's own text and caret (the box shows a draft they may mean), in our text
// or our selection, or in our text in a box that changed what we gave it. OnOwnTextUnseen: a caret key on
// the user's own text after a post asked where the caret is and before its selection took the caret's
// place, only reads of the text between (which a caret key does not change): no message of ours can see
// it, so it may count or not. CaretKeyOnOwnUnderOurs: a caret key on the user's own text under a
// selection of ours shows them their text again, with the caret where the box put it (for Home and End,
// where it would have gone from theirs), and they type on where they see it; or it was a key in our
// selection, as a post that has not seen it must take it: no message of ours tells Home from Left there.
enum class Landing { OnOwnText, OnOwnTextUnseen, OnOurText, OnOurChangedText, CaretKeyOnOwnUnderOurs };

struct DraftState {
    std::u16string text;
    Desktop::Selection selection;
    // The keys typed into our text since the box last showed the user their own: they go into the draft
    // at the user's caret, as a run of characters in the order the box holds them; `runCaret` is where the
    // box's caret stands among them (a caret move in our text moves it, and with it where the next key
    // goes). `damaged`: an editing key took some of our text, so that the keys may not be told apart.
    std::size_t runStart = 0;
    std::size_t runLength = 0;
    std::size_t runCaret = 0;
    bool damaged = false;
    // What the user had selected when the run's first key went over it (from runStart): a post that never
    // sees the run (its keys all went out with a line of ours) gives the selection back as it was.
    std::u16string replaced;
    std::vector<long> replacedArrivals;
    // For each character of the text, the key that put it there (its arrival, as CarriedKey counts them;
    // 0 for the draft's own): key characters come round again, and the one that goes out with a line must
    // be told from an older one of the same character. (Not compared: two candidates that differ only
    // there are one draft to the user, and kept apart they would crowd out the others.)
    std::vector<long> arrivals;
    bool operator==(const DraftState& other) const {
        return text == other.text && selection == other.selection && runStart == other.runStart &&
               runLength == other.runLength && runCaret == other.runCaret && damaged == other.damaged &&
               replaced == other.replaced;
    }
};

// The draft a user means to have in one box: the text and caret they would see had no post ever borrowed
// the box, every key applied at their caret in the order typed. Keys that reach our text go into the draft
// in the order the box holds them, at the user's caret, the caret where the box has it among them (after
// them, unless a caret key moved it back). A post may drop an editing key that reached our text or our
// selection (so its effect there may count or not), and any key typed into our text in a box that changed
// it, or where an editing key took some of our text (the keys cannot be told apart): so the user may mean
// one of several drafts, each kept as a candidate until the box shows which (at most kMaxCandidates: past
// that, a caret or editing key on a run the box shows whole counts only, as the box shows it, and keys that
// cannot be told apart count as dropped only).
class IntendedDraft {
public:
    static constexpr std::size_t kMaxCandidates = 256;

    void Set(const std::u16string& text, Desktop::Selection selection);
    // The candidates of `other` too: the user may mean either, as far as any message of ours can tell.
    void Admit(const IntendedDraft& other);
    const std::vector<DraftState>& Candidates() const { return candidates_; }
    // Whether the box shows one of the candidates; with only the text, for a key whose effect the caret
    // does not change (Enter).
    bool Holds(const std::u16string& text, Desktop::Selection selection) const;
    bool HoldsText(const std::u16string& text) const;
    // Keeps only the candidates the box shows to be the one: it holds the user's own text, and keys typed
    // from now on go to their caret.
    void Narrow(const std::u16string& text, std::optional<Desktop::Selection> selection);
    // A text of ours goes into a box that shows the user `text`: for the candidates that are that text, the
    // keys typed into our text so far are part of it, and keys typed into ours from now on begin a new run.
    void EndRuns(const std::u16string& text);
    // Our text has left the box (a line went): keys typed into it from now on can be told apart again,
    // whatever an editing key took of it before.
    void OurTextGone();
    // What the box shows as the key arrives: its text and caret. While it shows nothing but a candidate's
    // run of keys, or a piece of it (after our line went, or keys replaced our selection), with a caret,
    // a key there acts on the run exactly as it does in the box, for every reader to see: an editing key
    // then counts.
    struct Shown {
        std::u16string text;
        Desktop::Selection selection;
    };
    // `arrival`: the key's, as CarriedKey counts them.
    void Apply(const Key& key, Landing landing, std::size_t limit, const Shown* shown = nullptr, long arrival = 0);
    // A key's character that went out with a line, and the key's arrival: it is no longer part of any draft.
    void Remove(char16_t character, long arrival);

private:
    // The piece of a candidate's run the box shows, and the box's caret in it, from the run's start.
    struct Window {
        std::size_t from, to, caret;
    };
    static std::optional<Window> ShownOfRun(const DraftState& state, const Shown* shown);
    // The key in our text, applied to one candidate; nothing when it has no effect there. In the `window`
    // the box shows, an editing key at its edge has nothing of ours to take.
    static std::optional<DraftState> InOurText(DraftState state, const Key& key, std::size_t limit,
                                               const std::optional<Window>& window);
    // The arrivals of `to`, made from `from` by one edit in one place, whose new characters came with `arrival`.
    static void TrackArrivals(const DraftState& from, DraftState& to, long arrival);

    std::vector<DraftState> candidates_{DraftState{}};
};

}  // namespace vorivevo::sim
