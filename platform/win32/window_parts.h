// The window's parts as a person meets them: what each is called, what kind of part it is, and the
// tooltip that says what it does. Screen readers read the name, role and tooltip of each. (What each
// part is and does: artwork/control_layout.h.)
#pragma once

#include "win32_api.h"

#include <oleacc.h>

#include "control_layout.h"

namespace vorivevo {

struct WindowPart {
    ControlId id;
    const wchar_t* name;  // the word on the tile where there is one, so that speech matches sight
    long role;            // ROLE_SYSTEM_*; 0 for the text boxes, which the system describes itself
    const wchar_t* tip;
};

// Left to right, top to bottom. The idle panel's name carries the count (IdlePanelName).
inline constexpr WindowPart kWindowParts[] = {
    {ControlId::NameBar, L"VORIVEVO", ROLE_SYSTEM_GRIP,
     L"Drag this bar to move the window.\n"
     L"The home page and the display name that the advertisement line shows are in two boxes at the "
     L"window's bottom edge: click this bar, then press Tab five times for the home page, six for the "
     L"name, and type."},
    {ControlId::StartTile, L"ON", ROLE_SYSTEM_PUSHBUTTON,
     L"Start: posts the advertisement line and \"I've Been Idle For: N Min(s)\" into the open chat room "
     L"now and every minute after, counting N up. From now on it also answers the client's prompts, "
     L"pressing their first button every second."},
    {ControlId::ExitTile, L"X", ROLE_SYSTEM_PUSHBUTTON,
     L"Exit: posts the advertisement line and \"Now Unloaded\" into the chat room, then closes."},
    {ControlId::StopTile, L"OFF", ROLE_SYSTEM_PUSHBUTTON,
     L"Stop: posts the advertisement line and \"Status: Off!\" into the chat room and sets the count back "
     L"to 0. Prompts are still answered once ON has been used."},
    {ControlId::IdlePanel, L"", ROLE_SYSTEM_STATICTEXT,
     L"Minutes counted since ON was clicked: the next idle line shows this number. OFF sets it back to 0."},
    {ControlId::HomePageBox, L"Home page", 0, L"The home page address that the advertisement line links to"},
    {ControlId::DisplayNameBox, L"Display name", 0, L"The name that the advertisement line shows"},
};

// nullptr for a control that is not one of the parts (the counter, which the idle panel shows).
inline const WindowPart* FindWindowPart(ControlId id) {
    for (const WindowPart& part : kWindowParts)
        if (part.id == id) return &part;
    return nullptr;
}

}  // namespace vorivevo
