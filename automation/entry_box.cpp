// Writing to the user's entry box without writing over their keys, and telling their keys from our text
// in what the box holds.
//
// Every write selects what it replaces, reads the box to see that it holds what we knew, and only then
// puts our text in place of the selection. A key the client handles before the read shows in it, and
// nothing is written; one it handles after the read takes the place of the selection itself (as typing
// over a selection does), and our text goes in after it. Either way the key stays in the box, where the
// next read finds it: nothing we write ever covers a key we have not seen.
#include <algorithm>
#include <optional>
#include <utility>

#include "client_automation.h"
#include "text_units.h"

namespace vorivevo {

namespace {

// What the user typed into the box since we last knew what it held: at one place (their caret), on both
// sides of a text of ours (typed while it went in), or in place of the selection we gave it.
std::optional<std::string> TypedInto(const std::string& now, const std::string& was,
                                     const std::optional<TextSelection>& selection) {
    if (now == was) return std::string();
    const std::size_t at = ClientAutomation::KeysTypedAt(now, was);
    if (at != std::string::npos) return now.substr(at, now.size() - was.size());
    const std::size_t found = was.empty() ? std::string::npos : now.find(was);
    if (found != std::string::npos) return now.substr(0, found) + now.substr(found + was.size());
    if (!selection) return std::nullopt;
    const std::size_t start = Utf8Offset(was, selection->start);
    const std::size_t end = std::max(start, Utf8Offset(was, selection->end));
    const std::string head = was.substr(0, start), tail = was.substr(end);
    if (now.size() < head.size() + tail.size() || now.compare(0, head.size(), head) != 0 ||
        now.compare(now.size() - tail.size(), tail.size(), tail) != 0)
        return std::nullopt;
    return now.substr(head.size(), now.size() - head.size() - tail.size());
}

std::string CharacterAt(const std::string& text, std::size_t at) { return text.substr(at, Utf8Offset(text.substr(at, 4), 1)); }

std::string CharacterBefore(const std::string& text, std::size_t end) {
    std::size_t at = end;
    while (at > 0 && IsFollowingByte(text[--at])) {
    }
    return text.substr(at, end - at);
}

// Where the complete mark-up tags a line begins with end, and where those it ends with begin.
std::size_t LeadingTagsEnd(const std::string& line) {
    std::size_t at = 0;
    for (std::size_t close; at < line.size() && line[at] == '<' && (close = line.find('>', at)) != std::string::npos;)
        at = close + 1;
    return at;
}

std::size_t TrailingTagsStart(const std::string& line) {
    std::size_t at = line.size();
    for (std::size_t open; at > 0 && line[at - 1] == '>' && (open = line.rfind('<', at - 1)) != std::string::npos;)
        at = open;
    return at;
}

// A text with its complete mark-up tags dropped, as a box that drops them holds it, or else with their
// letters in one case and without blanks, as a box that writes them its own way holds them.
std::string TagsAsBoxMayHold(const std::string& text, bool dropped) {
    std::string changed;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t open = text.find('<', at), close = open == std::string::npos ? open : text.find('>', open);
        if (close == std::string::npos) return changed + text.substr(at);
        changed += text.substr(at, open - at);
        for (std::size_t i = open; !dropped && i <= close; ++i)
            if (text[i] != ' ') changed += text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        at = close + 1;
    }
    return changed;
}

// Where a line of ours that a box changed as it took it (its tags dropped or written its own way) stands
// in `now`, which holds a trace of it but not it: from where our changed line can begin (its first
// character, or the first after the tags it begins with) to where it can end (likewise). Begun as early and
// ended as late as it can be, it leaves none of ours outside. None when what lies between is not our line
// as a box changes it.
std::optional<std::pair<std::size_t, std::size_t>> ChangedLineIn(const std::string& now, const std::string& line) {
    if (line.empty() || !HoldsTraceOf(now, line)) return std::nullopt;
    std::size_t from = std::string::npos, to = 0;
    for (const std::size_t at : {std::size_t{0}, LeadingTagsEnd(line)})
        if (at < line.size()) from = std::min(from, now.find(CharacterAt(line, at)));
    for (const std::size_t end : {line.size(), TrailingTagsStart(line)}) {
        const std::string last = end > 0 ? CharacterBefore(line, end) : std::string();
        const std::size_t at = last.empty() ? std::string::npos : now.rfind(last);
        if (at != std::string::npos) to = std::max(to, at + last.size());
    }
    if (from == std::string::npos || to <= from) return std::nullopt;
    // A box changes only our tags: what lies between must be our line so changed, or keys went in there too.
    const std::string between = now.substr(from, to - from);
    if (between != TagsAsBoxMayHold(line, true) && TagsAsBoxMayHold(between, false) != TagsAsBoxMayHold(line, false))
        return std::nullopt;
    return std::make_pair(from, to);
}

// What went in beside all the box held `before` began with what we wrote, `written` (a caret key took our
// selection away first): the keys typed after it, at the caret our text left; none when it did not.
std::optional<std::string> KeysAfterOursBeside(const std::string& now, const std::string& written, const std::string& before) {
    const std::size_t beside = ClientAutomation::KeysTypedAt(now, before);
    if (beside == std::string::npos || now.size() - before.size() < written.size() ||
        now.compare(beside, written.size(), written) != 0 || (written.empty() && now != before))
        return std::nullopt;
    return now.substr(beside + written.size(), now.size() - before.size() - written.size());
}

// Keys around such a changed line; none when no key is told apart.
std::optional<std::string> KeysAroundChangedLine(const std::string& now, const std::string& line) {
    const std::optional<std::pair<std::size_t, std::size_t>> ours = ChangedLineIn(now, line);
    if (!ours) return std::nullopt;
    const std::string keys = now.substr(0, ours->first) + now.substr(ours->second);
    if (keys.empty() || HoldsTraceOf(keys, line)) return std::nullopt;
    return keys;
}

// What stands beside our line where our selection of all the user's text was, when it is that text with
// one edit right where our line went in, keeping at least half of it: a caret key took our selection away
// first, the user saw their own text again and edited it there, and our line went in at their caret. It is
// theirs then, with their caret where our line went in; taken for keys typed over our selection, it would
// go back with their text around it, twice. Keys typed over our selection keep less of the text (those
// that begin or end as it does are few), and go in at the user's caret instead.
std::optional<UsersText> RemnantBesideOurLine(const std::string& now, const HeldDraft& held) {
    const std::string& text = held.user.text;
    const unsigned whole = CharactersIn(text);
    const std::optional<TextSelection>& ours = held.boxSelection;
    if (held.line.empty() || *held.unsettledWrite != held.line || held.boxHeld != text || whole == 0 || !ours ||
        ours->start != 0 || ours->end < whole)
        return std::nullopt;
    const std::size_t exact = now.find(held.line);
    const std::optional<std::pair<std::size_t, std::size_t>> line =
        exact != std::string::npos ? std::make_optional(std::make_pair(exact, exact + held.line.size()))
                                   : ChangedLineIn(now, held.line);
    if (!line) return std::nullopt;
    const std::string before = now.substr(0, line->first), after = now.substr(line->second);
    if (before + after == text || HoldsTraceOf(before + after, held.line) || after.size() > text.size() ||
        text.compare(text.size() - after.size(), after.size(), after) != 0)
        return std::nullopt;
    // The edit lies between what it kept of the text's start and the end of the text that follows our line.
    const std::string head = text.substr(0, text.size() - after.size());
    std::size_t kept = static_cast<std::size_t>(
        std::mismatch(head.begin(), head.end(), before.begin(), before.end()).first - head.begin());
    while (kept > 0 && ((kept < head.size() && IsFollowingByte(head[kept])) || (kept < before.size() && IsFollowingByte(before[kept]))))
        --kept;
    if ((CharactersIn(head.substr(0, kept)) + CharactersIn(after)) * 2 < whole) return std::nullopt;
    const unsigned caret = CharactersIn(before);
    return UsersText{before + after, TextSelection{caret, caret}, std::nullopt};
}

// Keys right at the caret our write left, with the write all around them, where our selection covered all
// the box held: a box that kept its own would have had them in place of all of it, not beside it. (An
// empty write is all around anything.)
bool TypedAtWritesCaret(const std::string& now, const HeldDraft& held) {
    const std::string& written = *held.unsettledWrite;
    const std::optional<TextSelection>& ours = held.boxSelection;
    if (written.empty() || !ours || ours->start != 0 || ours->end < CharactersIn(held.boxHeld) || !held.caretLeft ||
        now.size() <= written.size())
        return false;
    const std::size_t at = Utf8Offset(written, held.caretLeft->start), tail = written.size() - at;
    return now.compare(0, at, written, 0, at) == 0 && now.compare(now.size() - tail, tail, written, at, tail) == 0;
}

// What we wrote with a piece of it taken out after it went in: all of it by one Enter, or a character a
// Backspace or a Delete. Where the box reads as well as one key typed over the selection it kept, and that
// is fewer than the keys the cut takes, the key is what happened: a box that keeps its own text, with a key
// over our selection that happens to begin our text, is not our text cut short by dozens of keys. (Several
// characters there are Backspaces on the draft given back as often as keys: the cut is kept.)
bool CutFromWritten(const std::string& now, const HeldDraft& held) {
    const std::string& written = *held.unsettledWrite;
    if (written.empty() || ClientAutomation::KeysTypedAt(written, now) == std::string::npos) return false;
    const std::optional<std::string> overKept = TypedInto(now, held.boxHeld, held.boxSelection);
    return !overKept || now.empty() || CharactersIn(*overKept) != 1 ||
           CharactersIn(*overKept) >= CharactersIn(written) - CharactersIn(now);
}

// Whether the box held the user's own text, with their selection rather than one of ours: what they do
// to it then is theirs, whatever it is.
bool HeldUsersOwn(const HeldDraft& held) { return held.boxHeld == held.user.text && !held.boxSelection; }

// The keys, unless `now` is none of those: the box changed our text, or showed what it does not hold,
// and what it holds cannot be told apart. Our text is never taken for the user's.
std::optional<std::string> KeysSince(const std::string& now, const HeldDraft& held) {
    const std::optional<TextSelection> selection = HeldUsersOwn(held) ? held.user.selection : held.boxSelection;
    std::optional<std::string> keys = TypedInto(now, held.boxHeld, selection);
    // Keys around our line where the box holds it changed.
    if (!keys && held.boxHeld == held.line) keys = KeysAroundChangedLine(now, held.line);
    if (keys && HoldsTraceOf(*keys, held.line)) return std::nullopt;
    return keys;
}

}  // namespace

void UsersText::Insert(const std::string& keys) {
    if (keys.empty()) return;
    const unsigned length = CharactersIn(text);
    const TextSelection at = selection.value_or(TextSelection{length, length});
    const std::size_t from = Utf8Offset(text, at.start);
    const std::size_t to = std::max(from, Utf8Offset(text, at.end));
    text.replace(from, to - from, keys);
    if (!keysFrom) keysFrom = at.start;
    const unsigned caret = at.start + CharactersIn(keys);
    selection = TextSelection{caret, caret};
}

void UsersText::EraseSelection() {
    if (!selection || selection->start == selection->end) return;
    const std::size_t from = Utf8Offset(text, selection->start);
    text.erase(from, Utf8Offset(text, selection->end) - from);
    selection = TextSelection{selection->start, selection->start};
}

bool UsersText::DropKeys(unsigned count) {
    if (count == 0 || !keysFrom || !selection || selection->start < *keysFrom + count) return false;
    const unsigned caret = selection->start;
    const std::size_t from = Utf8Offset(text, caret - count);
    text.erase(from, Utf8Offset(text, caret) - from);
    selection = TextSelection{caret - count, caret - count};
    return true;
}

ClientAutomation::WriteFate ClientAutomation::FateOf(const std::string& now, const HeldDraft& held) {
    const std::string& written = *held.unsettledWrite;
    const std::string& before = held.boxHeld;
    if (now == written) return WriteFate::Took;
    if (now == before) return WriteFate::KeptOwn;
    // Keys may have come before, after and into what we wrote (a caret key between), or into what the box
    // kept; or a Backspace or a Delete took some of what we wrote. Anything at all is keys typed into an
    // empty box, so that only tells when nothing else does.
    const bool holdsWritten = !written.empty() && KeysAmong(now, written).has_value();
    const bool cutFromWritten = CutFromWritten(now, held);
    const std::size_t beside = KeysTypedAt(now, before);
    const bool holdsBefore = beside != std::string::npos;
    // What went in beside all the box held is what we wrote, not keys (a caret key took our selection away
    // first): nothing in the box is the user's new typing, and what it holds is ours to write over.
    if (holdsBefore && !before.empty() && KeysAfterOursBeside(now, written, before))
        return WriteFate::NotKnown;
    // Both tales fit after a write over all the box held (which is part of what we wrote): our text went
    // in after keys typed over our selection, or a caret key took the selection away, the box kept what it
    // held and keys went in beside it. Each key takes a moment of the user's that the other tale does not
    // need: the one with fewer keys is what happened.
    const bool overAll = held.boxSelection && held.boxSelection->start == 0 && held.boxSelection->end >= CharactersIn(before);
    if (overAll && holdsWritten && holdsBefore && !before.empty() && written.size() > before.size()) return WriteFate::Took;
    if ((holdsWritten || cutFromWritten) && (!holdsBefore || before.empty())) return WriteFate::Took;
    // Keys over our selection right before our line went in, in a box that changed it as it took it: the
    // keys and our changed line then fill the box, and the selection over all it held would pass the
    // whole of it for keys typed over a write the box refused. (What is left of the draft beside it after
    // a caret key and an edit is told apart before, RemnantBesideOurLine.)
    const bool ourLine = written == held.line && (!holdsBefore || before.empty());
    if (ourLine && KeysAroundChangedLine(now, written)) return WriteFate::Took;
    if (holdsBefore && TypedAtWritesCaret(now, held)) return WriteFate::Took;
    if (holdsBefore) return WriteFate::KeptOwn;
    // An empty text written in place of all the box held leaves only keys typed since.
    if (written.empty()) return WriteFate::Took;
    // Keys typed in place of our selection, over what the box kept.
    if (TypedInto(now, before, held.boxSelection)) return WriteFate::KeptOwn;
    return WriteFate::NotKnown;
}

bool ClientAutomation::TakeInRead(HeldDraft& held, const std::string& now) {
    if (held.unsettledWrite && !TakeInWriteFate(held, now)) return false;
    // Once our line has gone from the box after a press of ours, the client has sent it, and an empty box
    // has its caret at the start: keys typed since went there, and moved it as the user moved it.
    if (held.linePressed && held.boxHeld == held.line && !HoldsTraceOf(now, held.line)) {
        held.boxHeld.clear();
        held.boxSelection.reset();
        held.caretLeft = TextSelection{0, 0};
    }
    // While the box shows the user their own text and caret, the caret moves with their keys.
    const bool caretTheirs = held.caretLeft == held.user.selection && held.boxHeld == held.user.text;
    if (ShowsUsersText(held) && (held.boxHeld != held.user.text || caretTheirs) && !HoldsTraceOf(now, held.line)) {
        TakeInEditOfShown(held, now);
    } else if (EditedOwnUnderOurs(held, now)) {
        TakeInEditedOwn(held, now);
    } else if (!TakeInKeysAmongOurs(held, now) && !TakeInKeysAroundHeld(held, now)) {
        const std::optional<std::string> keys = KeysSince(now, held);
        const bool changed = now != held.boxHeld;
        if (changed) held.boxSelection.reset();
        held.boxHeld = now;
        if (keys) held.user.Insert(*keys);
        // Nothing in place of a selection the box no longer holds: a Backspace, Delete or Enter on it, which
        // takes the user's own selection as well (all of it when ours covered theirs).
        if (keys && keys->empty() && changed) held.user.EraseSelection();
        // Keys typed in place of all the box held are what it shows now.
        const unsigned caret = held.user.selection ? held.user.selection->start : 0;
        if (changed) held.shownFrom = keys && now == *keys ? std::optional<unsigned>(caret - CharactersIn(now)) : std::nullopt;
        if (!keys) return false;
    }
    if (caretTheirs) held.caretLeft = held.user.selection;
    return true;
}

// Keys before all the box held and after it, while the caret we left stood past its start: those before
// came after a caret key took the caret to the box's start, where they stand before every key told apart
// so far (in place in what the box held, or gone with our text). In the order the box holds them, they go
// in where those begin, the caret after them as it is in the box; those after went in at the caret.
bool ClientAutomation::TakeInKeysAroundHeld(HeldDraft& held, const std::string& now) {
    const std::string& was = held.boxHeld;
    UsersText& user = held.user;
    const bool ourCaretPastStart = held.caretLeft && held.caretLeft->start == held.caretLeft->end && held.caretLeft->start > 0;
    if (was.empty() || was == user.text || !ourCaretPastStart || !user.keysFrom || !user.selection ||
        *user.keysFrom >= user.selection->start || (held.boxSelection && held.boxSelection->start != held.boxSelection->end) ||
        KeysTypedAt(now, was) != std::string::npos)
        return false;
    const std::size_t found = now.find(was);
    if (found == 0 || found == std::string::npos) return false;
    const std::string before = now.substr(0, found), after = now.substr(found + was.size());
    if (HoldsTraceOf(before + after, held.line)) return false;
    user.Insert(after);
    const unsigned caret = *user.keysFrom + CharactersIn(before);
    user.text.insert(Utf8Offset(user.text, *user.keysFrom), before);
    user.selection = TextSelection{caret, caret};
    SettledAsHeld(held, now);
    return true;
}

// Keys typed into our line, at one place or more, with caret keys between: they go into the user's text
// in the order the box holds them, in place of those taken in from it before (the caret among them is
// asked for before a selection of ours, NoteUsersCaret). False when the box holds other than that.
bool ClientAutomation::TakeInKeysAmongOurs(HeldDraft& held, const std::string& now) {
    const std::optional<std::string> was = KeysAmong(held.boxHeld, held.line);
    const std::optional<std::string> keys = KeysAmong(now, held.line);
    if (held.line.empty() || !was || !keys || HoldsTraceOf(*keys, held.line)) return false;
    UsersText& user = held.user;
    if (was->empty()) {
        user.Insert(*keys);
    } else {
        const std::size_t from = user.keysFrom ? Utf8Offset(user.text, *user.keysFrom) : std::string::npos;
        if (from == std::string::npos || user.text.compare(from, was->size(), *was) != 0) return false;
        user.text.replace(from, was->size(), *keys);
        const unsigned caret = *user.keysFrom + CharactersIn(*keys);
        user.selection = TextSelection{caret, caret};
    }
    if (now != held.boxHeld) held.boxSelection.reset();
    held.boxHeld = now;
    held.shownFrom.reset();
    return true;
}

// The box holds nothing but characters of the user's text, in a row, under no selection of ours that
// covers any of them: what the user does there (with the caret they left there, or the one among keys
// they typed in place of all it held) is done to their text.
bool ClientAutomation::ShowsUsersText(const HeldDraft& held) {
    if (!held.shownFrom || (held.boxSelection && held.boxSelection->start != held.boxSelection->end)) return false;
    const std::size_t from = Utf8Offset(held.user.text, *held.shownFrom);
    return held.user.text.compare(from, held.boxHeld.size(), held.boxHeld) == 0;
}

// What the user did to the characters the box shows (typed, deleted, sent with Enter) done to their text,
// their caret after what changed.
void ClientAutomation::TakeInEditOfShown(HeldDraft& held, const std::string& now) {
    const std::string& was = held.boxHeld;
    if (now == was) return;
    std::size_t head = static_cast<std::size_t>(std::mismatch(was.begin(), was.end(), now.begin(), now.end()).first - was.begin());
    while (head > 0 && head < now.size() && IsFollowingByte(now[head])) --head;
    std::size_t tail = static_cast<std::size_t>(std::mismatch(was.rbegin(), was.rend(), now.rbegin(), now.rend()).first - was.rbegin());
    tail = std::min(tail, std::min(was.size(), now.size()) - head);
    while (tail > 0 && IsFollowingByte(now[now.size() - tail])) --tail;
    UsersText& user = held.user;
    user.text.replace(Utf8Offset(user.text, *held.shownFrom), was.size(), now);
    const unsigned caret = *held.shownFrom + CharactersIn(now.substr(0, now.size() - tail));
    user.selection = TextSelection{caret, caret};
    if (user.keysFrom) user.keysFrom = std::min(*user.keysFrom, caret);
    held.boxSelection.reset();
    held.boxHeld = now;
}

// Keys typed over a selection of ours on the user's own text take all it covers: where nearly all of it
// is still there in its order, a caret key took the selection away first, and the box has shown the user
// their own text and a caret since, which they edited where they saw it. (Keys may well repeat a few of
// its characters, even a word, so a piece of it tells nothing, and a short text only when all of it is
// there.) Taken for keys, it would go back with the draft around it: the user's text twice.
bool ClientAutomation::EditedOwnUnderOurs(const HeldDraft& held, const std::string& now) {
    constexpr unsigned kShortest = 8;
    const std::optional<TextSelection>& ours = held.boxSelection;
    const std::string& was = held.boxHeld;
    if (was != held.user.text || !ours || ours->start == ours->end || now == was || HoldsTraceOf(now, held.line))
        return false;
    const std::size_t start = Utf8Offset(was, ours->start);
    const std::size_t end = std::max(start, Utf8Offset(was, ours->end));
    const std::size_t tail = was.size() - end;
    if (now.size() < start + tail || now.compare(0, start, was, 0, start) != 0 ||
        now.compare(now.size() - tail, tail, was, end, tail) != 0)
        return false;
    const std::string covered = was.substr(start, end - start);
    const unsigned length = CharactersIn(covered);
    const unsigned kept = CharactersKeptInOrder(now.substr(start, now.size() - start - tail), covered);
    return length > 0 && (kept == length || (length >= kShortest && kept * 8 >= length * 7));
}

// All the box holds is theirs then, and so is its caret.
void ClientAutomation::TakeInEditedOwn(HeldDraft& held, const std::string& now) {
    LResult answer = 0;
    const Outcome asked = SendTo(held.box, EM_GETSEL, 0, LParam{0}, &answer);
    const std::optional<TextSelection> caret = asked == Outcome::Done ? SelectionFrom(answer) : std::nullopt;
    held.user = UsersText{now, caret, std::nullopt};
    held.caretLeft = caret;
    held.boxHeld = now;
    held.boxSelection.reset();
    held.shownFrom = 0;
}

// Settles a write whose fate was not known by the read `now`; false when it cannot be told, and the box
// holds what cannot be told apart.
// Keys right before the text we wrote, with the caret still right after all of it: they came over our
// selection before our text went in, when the box showed the user nothing of theirs, and go to their caret
// (not where a Home would have put them since, which would have moved the caret there).
bool ClientAutomation::TypedBeforeWriteWent(HeldDraft& held, const std::string& now) {
    const std::string& written = *held.unsettledWrite;
    if (now.size() <= written.size() || now.compare(now.size() - written.size(), written.size(), written) != 0) return false;
    LResult answer = 0;
    if (SendTo(held.box, EM_GETSEL, 0, LParam{0}, &answer) != Outcome::Done) return false;
    const unsigned end = CharactersIn(now);
    return SelectionFrom(answer) == TextSelection{end, end};
}

// Keys typed at the start of what the box held, after a caret key took our selection of all of it there
// (Home, or Left), with our write gone in at that caret after them: the box holds the keys, what we wrote
// and what it held, with the caret right after what we wrote. Keys typed over our selection, with our
// text after them, would have left the caret after all the box holds, unless they typed what it held
// again and moved back over it: more keys. These go in where the user saw the start of what it held.
// False, with nothing done, when the box holds other than that.
bool ClientAutomation::TakeInWriteAtStart(HeldDraft& held, const std::string& now) {
    const std::string& written = *held.unsettledWrite;
    const std::string& before = held.boxHeld;
    const std::optional<TextSelection>& ours = held.boxSelection;
    const std::size_t keys = now.size() - std::min(now.size(), written.size() + before.size());
    if (before.empty() || written.empty() || keys == 0 || !held.shownFrom || !ours || ours->start != 0 ||
        ours->end < CharactersIn(before) || now.compare(keys, std::string::npos, written + before) != 0 ||
        HoldsTraceOf(now.substr(0, keys), held.line))
        return false;
    if (held.user.text.compare(Utf8Offset(held.user.text, *held.shownFrom), before.size(), before) != 0) return false;
    LResult answer = 0;
    if (SendTo(held.box, EM_GETSEL, 0, LParam{0}, &answer) != Outcome::Done) return false;
    const unsigned caret = CharactersIn(now.substr(0, keys)) + CharactersIn(written);
    if (!(SelectionFrom(answer) == TextSelection{caret, caret})) return false;
    held.user.selection = TextSelection{*held.shownFrom, *held.shownFrom};
    held.user.Insert(now.substr(0, keys));
    // Its keys told apart, what the box holds besides them is ours to write over.
    SettledAsHeld(held, now);
    return true;
}

// A read that told the user's text apart (settling a write, if one was unsettled): the box holds `now`,
// with no selection or caret of ours known in it, and shows the user nothing of theirs as they left it.
void ClientAutomation::SettledAsHeld(HeldDraft& held, const std::string& now) {
    held.unsettledWrite.reset();
    held.caretLeft.reset();
    held.boxHeld = now;
    held.boxSelection.reset();
    held.shownFrom.reset();
}

bool ClientAutomation::TakeInWriteFate(HeldDraft& held, const std::string& now) {
    if (const std::optional<UsersText> own = RemnantBesideOurLine(now, held)) {
        // The box shows our line among the user's text, with a caret of ours after it.
        held.user = *own;
        SettledAsHeld(held, now);
        return true;
    }
    if (TakeInWriteAtStart(held, now)) return true;
    const WriteFate fate = FateOf(now, held);
    if (fate == WriteFate::Took) {
        // Then the box shows no text of the user's with their caret in it: the keys are told apart by
        // where they are, not taken for an edit of what the box shows.
        if (TypedBeforeWriteWent(held, now)) held.caretLeft.reset();
        held.boxHeld = *held.unsettledWrite;
        held.boxSelection.reset();
    } else {
        held.caretLeft.reset();
    }
    if (fate == WriteFate::NotKnown) {
        // Keys typed after our text there are the user's all the same.
        const std::optional<std::string> after = KeysAfterOursBeside(now, *held.unsettledWrite, held.boxHeld);
        if (after && !HoldsTraceOf(*after, held.line)) held.user.Insert(*after);
        held.boxHeld = now;
        held.boxSelection.reset();
    }
    held.unsettledWrite.reset();
    // A box that kept what it held shows what it showed.
    if (fate != WriteFate::KeptOwn) held.shownFrom = held.boxHeld == held.user.text ? std::optional<unsigned>(0) : std::nullopt;
    return fate != WriteFate::NotKnown;
}

ClientAutomation::Outcome ClientAutomation::ReadHeld(const HeldDraft& held, std::string& text, bool* lossy,
                                                     std::string* torn) {
    const Outcome first = ReadBox(held.box, text, lossy);
    const std::string& expected = held.unsettledWrite ? *held.unsettledWrite : held.boxHeld;
    // An empty write (one that cuts our line out from among keys, say) does not vouch for a blank box.
    const bool vouched = text == expected && !(text.empty() && held.unsettledWrite);
    if (first != Outcome::Done || vouched) return first;
    const bool showedText = !text.empty();
    if (torn != nullptr) *torn = lossy != nullptr && *lossy ? std::string() : text;
    const Outcome second = ReadBox(held.box, text, lossy);
    if (torn != nullptr && second != Outcome::Refused) torn->clear();
    // The blank may be the moment's: it is taken only when the read after it is blank too.
    if (second != Outcome::Done || !text.empty() || !showedText) return second;
    return ReadBox(held.box, text, lossy);
}

ClientAutomation::Outcome ClientAutomation::Splice(HeldDraft& held, unsigned start, unsigned end,
                                                   const std::string& text) {
    held.boxChanged = true;
    const Outcome selected = SelectOver(held, TextSelection{start, end});
    if (selected != Outcome::Done) return selected;
    held.unsettledWrite = text;
    const Outcome wrote = SendText(held.box, EM_REPLACESEL, text);
    // After what went in, should the box take it (the read that settles the write tells).
    const unsigned after = start + CharactersIn(text);
    held.caretLeft = wrote == Outcome::Done ? std::optional<TextSelection>(TextSelection{after, after}) : std::nullopt;
    return wrote;
}

// With the box selected, so that a key typed after the read goes in place of the selection.
ClientAutomation::Outcome ClientAutomation::SelectOver(HeldDraft& held, TextSelection selection) {
    NoteUsersCaret(held);
    const std::optional<TextSelection> before = held.boxSelection;
    const std::optional<TextSelection> caretBefore = held.caretLeft;
    const Outcome selected = Select(held, selection);
    held.boxSelection = selection;
    if (selected != Outcome::Done) return selected;
    std::string now, torn;
    bool lossy = false;
    const Outcome read = ReadHeld(held, now, &lossy, &torn);
    if (read == Outcome::Refused) TakeInKeysAfterTornSelection(held, torn, before, caretBefore);
    if (read != Outcome::Done) return read;
    if (now == held.boxHeld) return Outcome::Done;
    TakeInChangeBeforeSelection(held, now, lossy, before, caretBefore);
    return Outcome::Refused;
}

// While the box shows keys of the user's with the caret among them, the caret may have moved with nothing
// in the text to show for it: it is asked for before a selection of ours takes its place, for the keys
// typed in place of that selection go where the user left it.
void ClientAutomation::NoteUsersCaret(HeldDraft& held) {
    if (NoteCaretAmongOurs(held)) return;
    // (A caret of ours, set since, is not theirs.)
    if (!ShowsUsersText(held) || held.boxHeld == held.user.text || held.boxSelection) return;
    LResult answer = 0;
    if (SendTo(held.box, EM_GETSEL, 0, LParam{0}, &answer) != Outcome::Done) return;
    const std::optional<TextSelection> caret = SelectionFrom(answer);
    if (!caret || caret->start != caret->end) return;
    held.user.selection = TextSelection{*held.shownFrom + caret->start, *held.shownFrom + caret->start};
    held.caretLeft = caret;
}

// The same for keys typed into our line: the caret among them, counted from where they begin. True when
// the box holds our line with keys in it.
bool ClientAutomation::NoteCaretAmongOurs(HeldDraft& held) {
    const std::optional<std::string> keys = KeysAmong(held.boxHeld, held.line);
    if (held.boxSelection || held.line.empty() || !keys || keys->empty() || !held.user.keysFrom) return false;
    LResult answer = 0;
    if (SendTo(held.box, EM_GETSEL, 0, LParam{0}, &answer) != Outcome::Done) return true;
    const std::optional<TextSelection> caret = SelectionFrom(answer);
    if (!caret || caret->start != caret->end) return true;
    unsigned before = 0;
    KeysAmong(held.boxHeld, held.line, caret->start, &before);
    held.user.selection = TextSelection{*held.user.keysFrom + before, *held.user.keysFrom + before};
    held.caretLeft = caret;
    return true;
}

// Changed under the selection, or right before it: then the selection still stands as we gave it (cut
// to the end of a text the change made shorter), and the change was made to the text as it was, with the
// selection and caret it had `before` (the user's own, or ours); the caret is the one we gave, after it.
void ClientAutomation::TakeInChangeBeforeSelection(HeldDraft& held, const std::string& now, bool lossy,
                                                   std::optional<TextSelection> before,
                                                   std::optional<TextSelection> caretBefore) {
    LResult answer = 0;
    const Outcome asked = SendTo(held.box, EM_GETSEL, 0, LParam{0}, &answer);
    const std::optional<TextSelection> shown = asked == Outcome::Done ? SelectionFrom(answer) : std::nullopt;
    const unsigned length = CharactersIn(now);
    const TextSelection given = *held.boxSelection;
    const TextSelection cut{std::min(given.start, length), std::min(given.end, length)};
    // (A key typed over the selection would have left a caret, not a selection.) Our caret at the end of
    // all the box held, cut by a text that is not what it held cut short: the box lost what it held before
    // that caret went in (an edit after it would leave what lies before it), and the selection it had
    // then is where the keys went.
    const bool cutOurCaret = given.start == given.end && given.start == CharactersIn(held.boxHeld) &&
                             length < given.start && held.boxHeld.compare(0, now.size(), now) != 0;
    // A caret short of the end of our selection, over a text that holds all the box held with keys at
    // one place: the key that took the selection (typed over it, a Delete, a Backspace) came after the
    // read. Keys typed at the end before the selection went in, and the selection then typed over or
    // deleted, would have to repeat what it covered: more keys for the same text, which would go in twice.
    const bool takenAfterRead = shown && shown->start == shown->end && cut.start != cut.end && shown->start < cut.end &&
                                KeysTypedAt(now, held.boxHeld) != std::string::npos;
    const bool stands =
        takenAfterRead || (shown && (*shown == given || (*shown == cut && (cut.start != cut.end || cutOurCaret))));
    held.caretLeft.reset();
    if (!stands) {
        if (shown && !lossy) TakeInKeysBesideSelection(held, now, *shown, before, caretBefore);
        return;
    }
    const TextSelection ours = takenAfterRead ? cut : *shown;
    held.boxSelection = before;
    held.caretLeft = caretBefore;
    if (!lossy) TakeInRead(held, now);
    held.boxSelection = ours;
    // (Where the key that took it left the caret, the next read tells.)
    held.caretLeft = takenAfterRead ? std::nullopt : std::optional<TextSelection>(ours);
}

// A key that tore the read under our selection came after what the first read showed. Keys at the end of
// all the box held, beyond the selection, left it standing: they are taken in first, so that the key (over
// the selection, say) is told from the box as it was then, and not taken for the first of them.
void ClientAutomation::TakeInKeysAfterTornSelection(HeldDraft& held, const std::string& torn,
                                                    std::optional<TextSelection> before,
                                                    std::optional<TextSelection> caretBefore) {
    const std::string& was = held.boxHeld;
    const TextSelection ours = *held.boxSelection;
    if (torn.size() <= was.size() || torn.compare(0, was.size(), was) != 0 || ours.end > CharactersIn(was)) return;
    held.boxSelection = before;
    held.caretLeft = caretBefore;
    TakeInRead(held, torn);
    held.boxSelection = ours;
    held.caretLeft = ours;
}

// Keys typed over our selection end at the caret they leave. Keys after it, beyond what the box held
// after the selection, came before the selection went in (after our last read), at its end: they were
// typed first, and go into the user's text first.
void ClientAutomation::TakeInKeysBesideSelection(HeldDraft& held, const std::string& now, TextSelection caret,
                                                 std::optional<TextSelection> before,
                                                 std::optional<TextSelection> caretBefore) {
    const TextSelection given = *held.boxSelection;
    const std::string& was = held.boxHeld;
    const std::size_t start = Utf8Offset(was, given.start), end = std::max(start, Utf8Offset(was, given.end));
    const std::size_t at = Utf8Offset(now, caret.start);
    const std::string tail = was.substr(end), rest = now.substr(at);
    const bool fits = caret.start == caret.end && at >= start && now.compare(0, start, was, 0, start) == 0 &&
                      rest.size() > tail.size() && rest.compare(rest.size() - tail.size(), tail.size(), tail) == 0;
    if (!fits) return;
    const std::string earlier = was.substr(0, end) + rest.substr(0, rest.size() - tail.size()) + tail;
    held.boxSelection = before;
    held.caretLeft = caretBefore;
    if (!TakeInRead(held, earlier)) return;
    held.boxSelection = given;
    TakeInRead(held, now);
}

ClientAutomation::Outcome ClientAutomation::Select(HeldDraft& held, TextSelection selection) {
    const Outcome selected = SendTo(held.box, EM_SETSEL, selection.start, static_cast<LParam>(selection.end));
    held.caretLeft = selected == Outcome::Done ? std::optional<TextSelection>(selection) : std::nullopt;
    return selected;
}

ClientAutomation::Outcome ClientAutomation::ReplaceAll(HeldDraft& held, const std::string& text) {
    return Splice(held, 0, CharactersIn(held.boxHeld), text);
}

}  // namespace vorivevo
