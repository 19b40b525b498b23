// Giving back what a post owes the client (the keyboard focus, the user's draft with the keys they typed
// meanwhile, their caret), now or once the client answers again: one function a phase, run in order.
#include <algorithm>
#include <optional>
#include <utility>

#include "client_automation.h"
#include "text_units.h"

namespace vorivevo {

namespace {

// Steps a give-back may take at once: enough for every phase and a few writes over keys typed meanwhile.
constexpr int kMostStepsAtOnce = 32;

bool StartsWith(const std::string& text, const std::string& head) { return text.compare(0, head.size(), head) == 0; }

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

ClientAutomation::Step ClientAutomation::Halted(HeldDraft& held, Outcome outcome) {
    switch (outcome) {
        case Outcome::Gone: return GiveBackPhase::Done;  // no box, nothing to give back to
        case Outcome::Unanswered: return GiveBackPhase::AwaitAnswer;
        case Outcome::Refused: break;                    // changed while read: the phase runs again
        case Outcome::Done: break;
    }
    return held.phase;
}

// Messages sent to one thread are handled in order: an answer to this one means that the client has
// handled every message of ours before it, and only now does the box show what they did.
ClientAutomation::Step ClientAutomation::AwaitAnswer(HeldDraft& held) {
    switch (SendTo(held.box, WM_NULL, 0, LParam{0})) {
        case Outcome::Done: return GiveBackPhase::ReturnFocus;
        case Outcome::Gone: return GiveBackPhase::Done;
        default: return std::nullopt;
    }
}

// A focus left on Send is owed like the draft: a Space there would send it.
ClientAutomation::Step ClientAutomation::ReturnFocus(HeldDraft& held) {
    if (held.focusOwedFrom != kNoWindow) {
        if (!GiveFocusBack(held.focusOwedFrom, held.focusOwedTo)) return std::nullopt;
        held.focusOwedFrom = kNoWindow;
    }
    return GiveBackPhase::SettleWrite;
}

ClientAutomation::Step ClientAutomation::SettleWrite(HeldDraft& held) {
    if (!held.unsettledWrite) return GiveBackPhase::WriteDraft;
    std::string now;
    bool lossy = false;
    const Outcome read = ReadHeld(held, now, &lossy);
    if (read != Outcome::Done) return Halted(held, read);
    if (lossy) return GiveBackPhase::WriteDraft;  // settled there, without taking its keys in
    TakeInRead(held, now);
    return GiveBackPhase::WriteDraft;
}

// The user's text, with every key told apart, in place of whatever the box holds: each write is followed
// by a read, and keys typed around it go into the text and the text goes in again.
ClientAutomation::Step ClientAutomation::WriteDraft(HeldDraft& held) {
    if (!held.boxChanged) return GiveBackPhase::Done;
    std::string now;
    bool lossy = false;
    const Outcome read = ReadHeld(held, now, &lossy);
    if (read != Outcome::Done) return Halted(held, read);
    if (lossy) return WriteAroundKeys(held, now);
    // Whether the last round's write of the draft reached the box: one refused under its selection wrote
    // nothing, and a box that holds less then is one the user typed into, not one that cut the draft.
    const bool wroteDraft = held.unsettledWrite == held.user.text;
    TakeInRead(held, now);
    if (now == held.user.text) {
        held.rounds = 0;
        return GiveBackPhase::RestoreCaret;
    }
    // A box that holds only so many characters kept the start of what we wrote: the keys that do not fit
    // go, as they would have gone where the user typed them, and never the user's own text.
    const std::string& text = held.user.text;
    if (wroteDraft && text.size() > now.size() && StartsWith(text, now) &&
        held.user.DropKeys(CharactersIn(text) - CharactersIn(now)))
        return GiveBackPhase::WriteDraft;
    if (held.rounds++ == kWriteRounds) {
        // Tried again later. Meanwhile the user's keys go after what the box shows, not in place of all of
        // it, as they would under the selection our write left there.
        held.rounds = 0;
        const TextSelection end{CharactersIn(now), CharactersIn(now)};
        if (held.boxSelection) SelectOver(held, end);
        return std::nullopt;
    }
    const Outcome wrote = ReplaceAll(held, held.user.text);
    return wrote == Outcome::Done || wrote == Outcome::Refused ? GiveBackPhase::WriteDraft : Halted(held, wrote);
}

// A box that holds characters the code page lacks (keys the user typed into our text or the emptied box)
// cannot be written whole without losing them: our line is cut out of it, and the draft goes in around them.
ClientAutomation::Step ClientAutomation::WriteAroundKeys(HeldDraft& held, const std::string& now) {
    if (held.unsettledWrite) {
        if (FateOf(now, held) == WriteFate::Took) held.boxHeld = *held.unsettledWrite;
        held.unsettledWrite.reset();
    }
    // Typed into the user's own text, which we gave back: it stays as they typed it.
    const std::size_t typedAt = held.boxHeld == held.user.text ? KeysTypedAt(now, held.user.text) : std::string::npos;
    if (typedAt != std::string::npos) return KeepTypedIntoOwn(held, now, typedAt);
    // Edited where they saw it, at more than one place: nothing of ours is in it, and it stays.
    if (EditedOwnUnderOurs(held, now)) return GiveBackPhase::Done;
    if (held.rounds++ == kWriteRounds) {
        held.rounds = 0;
        return std::nullopt;
    }
    const Outcome asked = NoteCaretAmongKeys(held, now);
    if (asked != Outcome::Done) return Halted(held, asked);
    held.boxHeld = now;
    held.boxSelection.reset();
    return SpliceDraftAroundKeys(held, now);
}

// One step of it: our line cut out, then the user's text before the keys and after them put back around
// them; once all is there, the caret goes where the user left it among the keys.
ClientAutomation::Step ClientAutomation::SpliceDraftAroundKeys(HeldDraft& held, const std::string& now) {
    const std::string& text = held.user.text;
    const TextSelection caret = held.user.selection.value_or(TextSelection{CharactersIn(text), CharactersIn(text)});
    const std::string before = text.substr(0, Utf8Offset(text, held.user.keysFrom.value_or(caret.start)));
    const std::string after = text.substr(std::min(text.size(), Utf8Offset(text, caret.end)));
    const std::size_t ours = held.line.empty() ? std::string::npos : now.find(held.line);
    const unsigned length = CharactersIn(now);
    Outcome wrote = Outcome::Done;
    if (ours != std::string::npos) {
        const unsigned from = CharactersIn(now.substr(0, ours));
        wrote = Splice(held, from, from + CharactersIn(held.line), "");
    } else if (!StartsWith(now, before)) {
        wrote = Splice(held, 0, 0, before);
    } else if (!EndsWith(now, after)) {
        wrote = Splice(held, length, length, after);
    } else {
        const unsigned keysEnd = length - CharactersIn(after);
        const unsigned at = keysEnd - std::min(held.keysAfterCaret, keysEnd);
        held.rounds = 0;
        return SendTo(held.box, EM_SETSEL, at, static_cast<LParam>(at)) == Outcome::Unanswered
                   ? Step(GiveBackPhase::AwaitAnswer)
                   : Step(GiveBackPhase::Done);
    }
    return wrote == Outcome::Done || wrote == Outcome::Refused ? GiveBackPhase::WriteDraft : Halted(held, wrote);
}

// A selection of ours left over the user's own text (the key came right before it) would make their next
// key take all of it: their caret goes after the keys they typed there instead.
ClientAutomation::Step ClientAutomation::KeepTypedIntoOwn(HeldDraft& held, const std::string& now, std::size_t typedAt) {
    if (!held.boxSelection || held.boxSelection->start == held.boxSelection->end) return GiveBackPhase::Done;
    const unsigned caret = CharactersIn(now.substr(0, typedAt)) + CharactersIn(now) - CharactersIn(held.user.text);
    const Outcome set = Select(held, TextSelection{caret, caret});
    if (set != Outcome::Done) return Halted(held, set);
    held.boxSelection.reset();
    return GiveBackPhase::Done;
}

// Keys typed into the box that Send emptied, or into our line (at one place or more), are the user's, and
// so is the caret they moved among them: it is asked for before a write of ours moves it, and counted from
// the keys' end, where writes around them leave it alone.
ClientAutomation::Outcome ClientAutomation::NoteCaretAmongKeys(HeldDraft& held, const std::string& now) {
    const bool emptied = held.linePressed && held.boxHeld == held.line && !HoldsTraceOf(now, held.line);
    const std::optional<std::string> amongOurs = held.line.empty() ? std::nullopt : KeysAmong(now, held.line);
    if (!emptied && (!amongOurs || amongOurs->empty())) return Outcome::Done;
    LResult answer = 0;
    const Outcome asked = SendTo(held.box, EM_GETSEL, 0, LParam{0}, &answer);
    const std::optional<TextSelection> caret = SelectionFrom(answer);
    if (asked != Outcome::Done || !caret || caret->start != caret->end) return asked;
    unsigned before = caret->start;
    if (!emptied) KeysAmong(now, held.line, caret->start, &before);
    const unsigned keys = CharactersIn(emptied ? now : *amongOurs);
    held.keysAfterCaret = keys - std::min(before, keys);
    return asked;
}

ClientAutomation::Step ClientAutomation::RestoreCaret(HeldDraft& held) {
    // Our write may have left the caret where the user had it (at the end of their text): then the box
    // has shown them their own text and caret since, and whatever they did there is theirs.
    if (!held.user.selection || held.caretLeft == held.user.selection) return GiveBackPhase::Done;
    const TextSelection caret = *held.user.selection;
    const std::optional<TextSelection> ours = held.boxSelection;
    const Outcome set = Select(held, caret);
    // The user's own selection from here on: a key typed over it is theirs.
    held.boxSelection.reset();
    if (set != Outcome::Done) return Halted(held, set);
    // A key that came between our write and the caret went where the write left the caret, not where the
    // user's is; one that came right before the caret went in at it, and the caret went back before it.
    // The text and the caret read back tell.
    std::string now;
    bool lossy = false;
    const Outcome read = ReadHeld(held, now, &lossy);
    if (read != Outcome::Done) return Halted(held, read);
    LResult answer = 0;
    const Outcome asked = SendTo(held.box, EM_GETSEL, 0, LParam{0}, &answer);
    if (asked != Outcome::Done) return Halted(held, asked);
    if (now == held.user.text) return GiveBackPhase::Done;
    // Whether what changed came before the caret or after it, the caret is not known.
    held.caretLeft.reset();
    unsigned kept = 0;
    const std::optional<unsigned> after = CaretAfterEditAt(held.user.text, caret, now, &kept);
    // Keys typed over our selection (the read under it tells them, and they go in at the user's caret),
    // or that went where our write left the caret, are taken in now: those typed from here on go where
    // the box's caret is, and a read after them would find keys at two places, which tell nothing apart.
    const bool overOurs = ours && TypedOverOurs(held, *ours, now, SelectionFrom(answer), kept);
    if (overOurs) held.boxSelection = ours;
    if ((overOurs || !after) && !lossy) TakeInRead(held, now);
    if (overOurs || !after) return GiveBackPhase::WriteDraft;
    if (SelectionFrom(answer) == TextSelection{*after, *after}) return GiveBackPhase::Done;
    held.user = UsersText{now, TextSelection{*after, *after}, std::nullopt};
    held.boxHeld = now;
    return GiveBackPhase::RestoreCaret;
}

// Keys typed at the caret, or Backspace or Delete pressed there (the user's own keys on their own text
// and caret: a Backspace before our caret went in would have taken the end of the text instead), as the
// box `now` shows them: the caret after them; none when the box shows other than that.
std::optional<unsigned> ClientAutomation::CaretAfterEditAt(const std::string& text, TextSelection caret,
                                                           const std::string& now, unsigned* unchanged) {
    const auto isFollowing = [&now](std::size_t at) {
        return at < now.size() && IsFollowingByte(now[at]);
    };
    const auto headEnd = static_cast<std::ptrdiff_t>(Utf8Offset(text, caret.start));
    const auto tailSize = static_cast<std::ptrdiff_t>(text.size() - std::min(text.size(), Utf8Offset(text, caret.end)));
    auto kept = static_cast<std::size_t>(
        std::mismatch(text.begin(), text.begin() + headEnd, now.begin(), now.end()).first - text.begin());
    while (kept > 0 && isFollowing(kept)) --kept;
    auto tail = static_cast<std::size_t>(
        std::mismatch(text.rbegin(), text.rbegin() + tailSize, now.rbegin(), now.rend()).first - text.rbegin());
    tail = std::min(tail, now.size() - kept);
    while (tail > 0 && isFollowing(now.size() - tail)) --tail;
    const bool typedOrBackspaced = tail == static_cast<std::size_t>(tailSize);
    const bool deleted = kept == static_cast<std::size_t>(headEnd) && kept + tail == now.size();
    if (!typedOrBackspaced && !deleted) return std::nullopt;
    if (unchanged != nullptr)
        *unchanged = CharactersIn(now.substr(0, kept)) + CharactersIn(now.substr(now.size() - tail));
    return CharactersIn(now.substr(0, now.size() - tail));
}

// A key handled right before the caret went back, over a selection of ours that covered all of the
// user's text (a write the box refused left it there): the box holds nothing but keys, and the caret our
// EM_SETSEL puts in a text that short. An edit at the user's caret can leave the same only by deleting
// what it did not keep (`keptByEdit` characters) and typing the rest: more keys than these while it kept
// less than half the text. From half on, keys that happen to begin or end as the text does are the
// likelier tale no longer, and the edit is taken, so that deleted text never comes back twice. (An empty
// box is left alone: an Enter there sent the draft, as the user meant it to go.)
bool ClientAutomation::TypedOverOurs(const HeldDraft& held, TextSelection ours, const std::string& now,
                                     std::optional<TextSelection> shown, unsigned keptByEdit) {
    const unsigned length = CharactersIn(now), whole = CharactersIn(held.user.text);
    const TextSelection caret = held.user.selection.value_or(TextSelection{whole, whole});
    const TextSelection setThere{std::min(caret.start, length), std::min(caret.end, length)};
    // (Or all but keys typed at its end between our read and our selection, which stay after the keys.)
    const std::string& text = held.user.text;
    const std::size_t end = Utf8Offset(text, ours.end);
    const bool coveredAll = held.boxHeld == text && ours.start == 0 && ours.end > 0 &&
                            (ours.end >= whole || (now.size() > text.size() - end && EndsWith(now, text.substr(end))));
    // A selection of the user's own that one Delete takes leaves the caret where ours would: only a caret tells.
    if (!coveredAll || caret.start != caret.end || now.empty() || HoldsTraceOf(now, held.line) || !(shown == setThere))
        return false;
    return keptByEdit * 2 < whole;
}

bool ClientAutomation::PutDraftBack(HeldDraft& held) {
    if (held.phase == GiveBackPhase::Done && (held.boxChanged || held.focusOwedFrom != kNoWindow))
        held.phase = GiveBackPhase::ReturnFocus;
    for (int steps = 0; held.phase != GiveBackPhase::Done && steps < kMostStepsAtOnce; ++steps) {
        Step next;
        switch (held.phase) {
            case GiveBackPhase::AwaitAnswer: next = AwaitAnswer(held); break;
            case GiveBackPhase::ReturnFocus: next = ReturnFocus(held); break;
            case GiveBackPhase::SettleWrite: next = SettleWrite(held); break;
            case GiveBackPhase::WriteDraft: next = WriteDraft(held); break;
            case GiveBackPhase::RestoreCaret: next = RestoreCaret(held); break;
            case GiveBackPhase::Done: break;
        }
        if (!next) return false;
        held.phase = *next;
    }
    return held.phase == GiveBackPhase::Done;
}

void ClientAutomation::GiveBack(HeldDraft& held) {
    if (PutDraftBack(held)) return;
    drafts_.Keep(held, events_.Now() + kOwedDraftRetry);
}

bool ClientAutomation::SettleOwedDraft() {
    if (!drafts_.Owes()) return true;
    // A room closed since: there is no box to give back to, whatever window has its handle now.
    const std::optional<bool> sameRoom = StillItsRoom(drafts_.Owed());
    const bool settled = sameRoom.has_value() && (!*sameRoom || PutDraftBack(drafts_.Owed()));
    if (!settled && drafts_.AwaitsAnswer()) drafts_.NoteUnanswered();
    if (!settled && !drafts_.AwaitsAnswer()) drafts_.NoteRefused(events_.Now());
    // A client that answers and still will not take the draft back must not stop every later post.
    const bool givenUp =
        !settled && drafts_.RefusedSince() != kNever && events_.Now() - drafts_.RefusedSince() >= kOwedDraftGiveUp;
    if (!settled && !givenUp) {
        drafts_.TryAgainAt(events_.Now() + kOwedDraftRetry);
        return false;
    }
    if (givenUp) {
        drafts_.GiveUp();
    } else {
        drafts_.Clear();
    }
    // Held since the post that left something owed (see EntryBoxClaim), unless a post or a press holds it.
    ReleaseClaimIfIdle();
    return true;
}

void ClientAutomation::SettleOwedDraftWhenDue() {
    if (drafts_.Owes() && events_.Now() >= drafts_.NextTry()) SettleOwedDraft();
}

}  // namespace vorivevo
