// What must hold of the user's draft whatever happens to a post: one checker, for the randomized schedules
// and for the table of single faults.
#pragma once

#include <string>

#include "chat_client.h"
#include "desktop.h"
#include "expected_lines.h"
#include "windows1252.h"

namespace vorivevo::sim {

inline bool OurLine(const std::string& text) {
    using namespace expected;
    if (text == kAdvert || text == kLoaded || text == kOff || text == kUnloaded) return true;
    // A run lasts a few minutes at most, so the counter stays small.
    for (int minutes = 0; minutes < 10; ++minutes)
        if (text == Idle(std::to_string(minutes))) return true;
    return false;
}

// The first broken invariant, or "". (a) and (f) hold at every moment: the lines received since
// `linesSeen` (which it moves on) are ours, and no press went to the client behind an unanswered
// message. (g), (b) and (c) hold only once the boxes have settled (`settled`): the client's keyboard focus
// is where the user left it, each entry box holds the user's draft, every key they typed included, with
// their caret, and none holds our line.
inline std::string BrokenInvariant(const Desktop& desktop, const ChatClient& client, std::size_t& linesSeen,
                                   bool settled) {
    for (; linesSeen < client.Received().size(); ++linesSeen) {
        const ReceivedLine& line = client.Received()[linesSeen];
        if (!OurLine(Windows1252ToUtf8(line.bytes)))
            return "(a) room " + std::to_string(line.room) + " received the user's text \"" + line.bytes + "\"";
    }
    if (desktop.PressesBehindUnanswered() > 0) return "(f) a press went to the client behind an unanswered message";
    if (!settled) return "";
    // A press takes the focus to Send; the user's next keys, and a Space that sends their draft, would go there.
    // A client whose focus window has gone has none to give back; nor one that moved it itself, closing
    // the window that had it (a room closed while a press of ours was in it).
    const WindowHandle focus = desktop.FocusOf(client.Frame());
    if (client.UserFocus() != kNoWindow && !desktop.FocusFellBack(client.Frame()) && focus != client.UserFocus())
        return "(g) the client's focus is on window " + std::to_string(focus) +
               ", the user left it on " + std::to_string(client.UserFocus());
    for (int room = 0; room < client.Rooms(); ++room) {
        const WindowHandle box = client.EntryBoxOf(room);
        if (box == kNoWindow) continue;
        const std::string text = desktop.TextBytes(box), where = " in room " + std::to_string(room);
        const Desktop::Selection caret = desktop.SelectionOf(box), wanted = client.UserSelection(room);
        if (text.find("^v\xF7\xA4") != std::string::npos) return "(c) our line was left" + where + ": " + text;
        if (text != client.UserDraft(room))
            return "(b) \"" + text + "\"" + where + " where the user's draft is \"" + client.UserDraft(room) + "\"";
        if (!(caret == wanted))
            return "(b) the caret" + where + " is " + std::to_string(caret.start) + "-" + std::to_string(caret.end) +
                   ", the user left it at " + std::to_string(wanted.start) + "-" + std::to_string(wanted.end);
    }
    return "";
}

}  // namespace vorivevo::sim
