// Pressing the first icon of the client's palette and modal dialogs, so their prompts are answered.
#include "varn32.h"

namespace vorivevo {

void Varn32::DismissFirstIcon(const char* dialogClass) {
    // A press must not queue up behind a message the client has not answered yet.
    if (drafts_.AwaitsAnswer()) return;
    // Nothing is checked for 0: without the dialog the presses go to no window and do nothing.
    PressWindow(FindChildByClass(windows_.FindWindowA(dialogClass), "_AOL_Icon"));
}

void Varn32::DismissPalette() { DismissFirstIcon("_AOL_Palette"); }

void Varn32::DismissModal() { DismissFirstIcon("_AOL_Modal"); }

}  // namespace vorivevo
