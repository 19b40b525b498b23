// Giving the user's draft and caret back to the entry box a post took them from, now or once the
// client answers again.
#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "client_automation.h"

namespace vorivevo {

namespace {

// Where the box's character `position` (UTF-16 units, as the box counts them) starts in UTF-8 `text`.
std::size_t Utf8Offset(const std::string& text, unsigned position) {
    std::size_t offset = 0;
    for (unsigned units = 0; offset < text.size() && units < position;) {
        const auto lead = static_cast<unsigned char>(text[offset]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        units += length == 4 ? 2 : 1;
        offset = std::min(text.size(), offset + length);
    }
    return offset;
}

unsigned CharactersIn(const std::string& text) {
    unsigned units = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) units += byte >= 0xF0 ? 2 : 1;
    }
    return units;
}

// What the user typed while a post held the box: whatever the box holds besides our line or the draft
// that we wrote there (a box we emptied, our line sent, keys that reached it while the client was busy
// or while the room was searched).
std::string TypedMeanwhile(const std::string& text, const HeldDraft& held) {
    std::vector<const std::string*> ours{&held.line};
    if (held.draftWritten) ours.push_back(&held.draft);
    for (const std::string* written : ours) {
        if (text == *written) return {};
        if (written->empty()) continue;
        // Typed at one place (the user's caret), or on both sides of it (before and after the caret moved).
        const std::size_t head = ClientAutomation::KeysTypedAt(text, *written);
        if (head != std::string::npos) return text.substr(head, text.size() - written->size());
        const std::size_t at = text.find(*written);
        if (at != std::string::npos) return text.substr(0, at) + text.substr(at + written->size());
    }
    return text;
}

}  // namespace

bool ClientAutomation::PutDraftBack(HeldDraft& held) {
    if (held.awaitingAnswer) {
        // Messages sent to one thread are handled in order, so an answer to this one means the client
        // has handled every message of ours before it: only now does the box show what they did.
        const Outcome asked = SendTo(held.box, WM_NULL, 0, LParam{0});
        if (asked == Outcome::Gone) return true;
        if (asked != Outcome::Done) return false;
        held.awaitingAnswer = false;
    }
    // The client has handled that press by now, and with it the button's taking the focus. A focus left
    // on Send is owed like the draft: a Space there would send it.
    if (held.focusOwedFrom != kNoWindow) {
        if (!GiveFocusBack(held.focusOwedFrom, held.focusOwedTo)) return false;
        held.focusOwedFrom = kNoWindow;
    }
    if (held.writes == HeldDraft::Writes::None) return true;
    // A whole read answered at once also means that the client has caught up with what it was sent and
    // typed while it was busy: nothing of that can fall between the write and the caret that follow.
    std::string text;
    switch (ReadBox(held.box, text)) {
        case Outcome::Gone: return true;
        case Outcome::Unanswered: held.awaitingAnswer = true; return false;
        case Outcome::Refused: return false;
        case Outcome::Done: break;
    }
    if (held.pending) {
        // Landed, if the box holds it (the user may have typed into it since); else it never will, and what
        // the user typed is still to go into the draft as it was.
        if (KeysTypedAt(text, held.pending->draft) != std::string::npos) {
            held.draft = std::move(held.pending->draft);
            held.selection = held.pending->selection;
            held.draftWritten = true;
        }
        held.pending.reset();
    }
    if (held.draftBack) {
        if (text != held.draft) return true;
    } else {
        // A box that took none of our writes holds the user's own text, perhaps typed on since: it stays
        // as it is, unless our line is there after all.
        if (held.writes == HeldDraft::Writes::Refused &&
            (held.line.empty() || text.find(held.line) == std::string::npos))
            return true;
        // The keys the user typed meanwhile go into the draft where they left their caret, replacing what
        // they had selected, as they would have gone had we not held the box.
        std::string wanted = held.draft;
        std::optional<TextSelection> caret = held.selection;
        const std::string typed = TypedMeanwhile(text, held);
        if (!typed.empty()) {
            const unsigned start = caret ? caret->start : CharactersIn(wanted);
            const std::size_t from = Utf8Offset(wanted, start);
            const std::size_t to = caret ? std::max(from, Utf8Offset(wanted, caret->end)) : from;
            wanted.replace(from, to - from, typed);
            const unsigned after = start + CharactersIn(typed);
            caret = TextSelection{after, after};
        }
        const Outcome wrote = WriteBox(held.box, wanted, text);
        if (wrote == Outcome::Done) {
            // From now on the box holds this draft.
            held.draft = wanted;
            held.selection = caret;
            held.draftWritten = true;
        }
        switch (wrote) {
            case Outcome::Gone: return true;
            case Outcome::Unanswered:
                held.pending = HeldDraft::Pending{std::move(wanted), caret};
                held.awaitingAnswer = true;
                return false;
            case Outcome::Refused: return false;
            case Outcome::Done: break;
        }
        held.draftBack = true;
    }
    if (!held.selection) return true;
    switch (SendTo(held.box, EM_SETSEL, held.selection->start, static_cast<LParam>(held.selection->end))) {
        case Outcome::Gone: return true;
        case Outcome::Unanswered: held.awaitingAnswer = true; return false;
        default: return true;
    }
}

void ClientAutomation::GiveBack(HeldDraft& held) {
    if (PutDraftBack(held)) return;
    drafts_.Keep(held, events_.Now() + kOwedDraftRetry);
}

bool ClientAutomation::SettleOwedDraft(KeepClaim keep) {
    if (!drafts_.Owes()) return true;
    if (PutDraftBack(drafts_.Owed())) {
        drafts_.Clear();
        // Held since the post that left the draft owed (see EntryBoxClaim), unless a post goes on with it.
        if (keep == KeepClaim::No) windows_.ReleaseEntryBoxes(&drafts_);
        return true;
    }
    drafts_.TryAgainAt(events_.Now() + kOwedDraftRetry);
    return false;
}

void ClientAutomation::SettleOwedDraftWhenDue() {
    if (drafts_.Owes() && events_.Now() >= drafts_.NextTry()) SettleOwedDraft();
}

}  // namespace vorivevo
