// Pressing the first icon of the client's palette and modal dialogs, so their prompts are answered.
#include "client_automation.h"
#include "entry_box_claim.h"

namespace vorivevo {

void ClientAutomation::DismissFirstIcon(const char* dialogClass) {
    // A press must not queue up behind a message the client has not answered yet: ours, or another copy's,
    // which holds the claim on the client for as long as it awaits an answer. Dismissal never waits: the
    // next tick tries again.
    if (drafts_.AwaitsAnswer()) return;
    const EntryBoxClaim claim(*this, Duration::zero());
    if (!claim.Held()) return;
    // Nothing is checked for 0: without the dialog the press goes to no window and does nothing.
    const WindowHandle icon = FindChildByClass(windows_.FindWindowA(dialogClass), "_AOL_Icon");
    HeldDraft held;
    held.box = icon;
    // Nor behind one left by a copy that has ended since, and with it its claim: a thread handles what it
    // is sent in order, so once it has answered this, nothing sent to it before is still waiting.
    Outcome outcome = SendTo(icon, WM_NULL, 0, LParam{0});
    if (outcome != Outcome::Unanswered) outcome = PressKeepingFocus(icon, held);
    if (outcome == Outcome::Unanswered) held.phase = GiveBackPhase::AwaitAnswer;
    // What the press still owes (an answer, the focus) is kept, and with it the claim, unless a draft is
    // owed already: that holds the claim too, and the window system holds off the client meanwhile.
    const bool owes = held.phase == GiveBackPhase::AwaitAnswer || held.focusOwedFrom != kNoWindow;
    if (owes && !drafts_.Owes()) drafts_.Keep(held, events_.Now() + kOwedDraftRetry);
}

void ClientAutomation::DismissPalette() { DismissFirstIcon("_AOL_Palette"); }

void ClientAutomation::DismissModal() { DismissFirstIcon("_AOL_Modal"); }

}  // namespace vorivevo
