// Pressing the first icon of the client's palette and modal dialogs, so their prompts are answered.
#include "client_automation.h"

namespace vorivevo {

void ClientAutomation::DismissFirstIcon(const char* dialogClass) {
    // A press must not queue up behind a message the client has not answered yet.
    if (drafts_.AwaitsAnswer()) return;
    // Nothing is checked for 0: without the dialog the press goes to no window and does nothing. A press
    // the client leaves unanswered gives no focus back later: nothing of a dialog's press is kept.
    PressKeepingFocus(FindChildByClass(windows_.FindWindowA(dialogClass), "_AOL_Icon"), nullptr);
}

void ClientAutomation::DismissPalette() { DismissFirstIcon("_AOL_Palette"); }

void ClientAutomation::DismissModal() { DismissFirstIcon("_AOL_Modal"); }

}  // namespace vorivevo
