// What the practice client's windows report to the logic behind them; window procedures only call these.
#pragma once

#include <windows.h>

#include <string>

#include "control_commands.h"

namespace vorivevo::practice {

class ClientEvents {
public:
    virtual ~ClientEvents() = default;

    virtual void OnSendPressed() = 0;
    // `where` names the window ("room", "other 2"); `icon` counts that window's icons from 0.
    virtual void OnIconPressed(const std::string& where, int icon) = 0;
    virtual void OnDialogIconPressed(DialogKind kind, int id, int icon) = 0;
    virtual void OnCloseRequested() = 0;
    virtual void OnControlTick() = 0;
    // A character reached the entry box (WM_CHAR), typed by whoever.
    virtual void OnEntryCharacter(WPARAM character) = 0;
};

}  // namespace vorivevo::practice
