// Giving the user's draft and caret back to the entry box a post took them from, now or once the
// client answers again.
#include "client_automation.h"

namespace vorivevo {

bool ClientAutomation::PutDraftBack(HeldDraft& held) {
    if (held.awaitingAnswer) {
        // Messages sent to one thread are handled in order, so an answer to this one means the client
        // has handled every message of ours before it: only now does the box show what they did.
        const Outcome asked = SendTo(held.box, WM_NULL, 0, LParam{0});
        if (asked == Outcome::Gone) return true;
        if (asked != Outcome::Done) return false;
        held.awaitingAnswer = false;
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
    if (held.draftBack) {
        if (text != held.draft) return true;
    } else {
        // A box that took none of our writes holds the user's own text, perhaps typed on since: it stays
        // as it is, unless our line is there after all.
        if (held.writes == HeldDraft::Writes::Refused &&
            (held.line.empty() || text.find(held.line) == std::string::npos))
            return true;
        switch (WriteBox(held.box, held.draft)) {
            case Outcome::Gone: return true;
            case Outcome::Unanswered: held.awaitingAnswer = true; return false;
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

bool ClientAutomation::SettleOwedDraft() {
    if (!drafts_.Owes()) return true;
    if (PutDraftBack(drafts_.Owed())) {
        drafts_.Clear();
        return true;
    }
    drafts_.TryAgainAt(events_.Now() + kOwedDraftRetry);
    return false;
}

void ClientAutomation::SettleOwedDraftWhenDue() {
    if (drafts_.Owes() && events_.Now() >= drafts_.NextTry()) SettleOwedDraft();
}

}  // namespace vorivevo
