// What must hold of the user's draft whatever happens to a post: one checker, for the randomized schedules
// and for the table of single faults. It says what the user may lose and nothing more:
// (a) The room receives only our lines (as the box holds them: with its own spelling of tags, cut short).
//     A line of ours may take with it the user's insertion keys that reached the box after our last whole
//     read of it before the press that sent it: no message can close that race. A key that was there by
//     that read and went out is a fault. A line the user sends with Enter on their own text is theirs; one
//     they send with Enter on our line (the client busy, say) is ours with their keys, less what their
//     own Backspace and Delete keys took out of it, which no message of ours can stop.
// (f) No press goes to the client behind a message of ours it has not answered.
// Once the boxes have settled:
// (g) The client's keyboard focus is where the user left it.
// (c) None of our text (our mark-up, any part of our line) stays in any window of the client.
// (b) Each entry box holds the draft the user means, with their caret (IntendedDraft): every key they
//     typed, in order, at their caret, but for keys that went out under (a), keys that reached Send (or an
//     icon a post took for it) while our press held the focus (ChatClient::KeysLostToPress), insertion keys a box of limited
//     length refused while our text filled it (ChatClient::KeysRefusedBesideOurs), and keys typed into
//     our text in a box that changed it; editing keys that reached the box while it held our text or our selection count
//     or not (but count, as every reader sees them, where it showed nothing but keys they typed in our
//     stead, or a piece of them, with a caret among them). An Enter on their own text under a selection
//     of ours sends it, and the draft stays all the same: a Backspace over that selection leaves the box
//     just as empty, and no message of ours can see whether the room got the text, so a post keeps the
//     draft rather than lose it (the user finds what they sent still in the box). So too when caret keys
//     took our selection away and keys and an Enter followed, with no read of ours between: the post
//     finds an empty box, or keys, where it left its selection over the draft, as keys typed over that
//     selection would leave it, and gives back the draft it took, without what the Enter sent. A key
//     over the user's selection that went out with our line (a) leaves the selection as it was.
// (e), that every command is taken within its bound and nothing stays owed for ever, is the schedule's
// to check: the boxes are looked at once the program has gone too.
#pragma once

#include <limits>
#include <string>
#include <vector>

#include "chat_client.h"
#include "desktop.h"
#include "expected_lines.h"
#include "windows1252.h"

namespace vorivevo::sim {

// Whether `text` is `held`, or the start of it, with at most `taken` of its characters taken out.
inline bool PartOf(const std::u16string& text, const std::u16string& held, long taken) {
    std::size_t at = 0;
    for (const char16_t c : held) {
        if (at == text.size()) return true;
        if (c == text[at]) ++at;
        else if (--taken < 0) return false;
    }
    return at == text.size();
}

// Our line as the room may receive it: whole or cut short, as a box that changes it holds it. `advert`:
// the advertisement line when the user gave us another name or home page. `taken`: characters of it the
// user's own Backspace and Delete keys took out before their Enter sent it.
inline bool OurLine(const std::string& text, const std::string& advert = expected::kAdvert, long taken = 0) {
    using namespace expected;
    std::vector<std::string> lines = {advert, kLoaded, kOff, kUnloaded};
    // A run lasts a few minutes at most, so the counter stays small.
    for (int minutes = 0; minutes < 10; ++minutes) lines.push_back(Idle(std::to_string(minutes)));
    for (const std::string& line : lines) {
        for (const BoxChange change : {BoxChange::None, BoxChange::DropsTags, BoxChange::RewritesTags}) {
            const std::string held = ChatClient::AsBoxHolds(line, change, std::numeric_limits<std::size_t>::max());
            if (!text.empty() && PartOf(Utf8ToUtf16(text), Utf8ToUtf16(held), taken)) return true;
        }
    }
    return false;
}

// Characters of our lines' mark-up that no draft and no key of the user's has.
inline bool HoldsOurMarkUp(const std::u16string& text) {
    return text.find_first_of(u"<>^\u00F7\u00A4") != std::u16string::npos;
}

inline std::string Quoted(const std::u16string& text, Desktop::Selection selection) {
    return "\"" + Utf16ToUtf8(text) + "\" (caret " + std::to_string(selection.start) + "-" +
           std::to_string(selection.end) + ")";
}

// The first window of the client, from `window` down, that holds our mark-up; 0 when none does.
inline WindowHandle WindowWithOurMarkUp(const Desktop& desktop, WindowHandle window) {
    if (HoldsOurMarkUp(desktop.Text16(window))) return window;
    for (const WindowHandle child : desktop.Children(window))
        if (const WindowHandle found = WindowWithOurMarkUp(desktop, child)) return found;
    return kNoWindow;
}

// The first broken invariant, or "". (a) and (f) hold at every moment: the lines received since
// `linesSeen` (which it moves on) are looked at, and `keysSent` counts the keys they took with them.
// (g), (c) and (b) are looked at only once the boxes have settled (`settled`).
inline std::string BrokenInvariant(const Desktop& desktop, ChatClient& client, std::size_t& linesSeen, bool settled,
                                   long* keysSent = nullptr, const std::string& advert = expected::kAdvert) {
    for (; linesSeen < client.Received().size(); ++linesSeen) {
        const ReceivedLine& line = client.Received()[linesSeen];
        const std::string room = "room " + std::to_string(line.room);
        if (line.sender == ReceivedLine::Sender::UsersOwnText) continue;
        // The user's Enter on a text of theirs that a post moved about (a caret we moved, say) sends nothing
        // of ours: (b) is what it broke.
        const bool ours = HoldsOurMarkUp(Windows1252ToUtf16(line.bytes));
        if (line.sender == ReceivedLine::Sender::UsersKeyOnOtherText && !ours) continue;
        const bool usersEnter = line.sender == ReceivedLine::Sender::UsersKeyOnOtherText;
        if (!OurLine(line.WithoutKeys(), advert, usersEnter ? line.editsOnOurText : 0))
            return "(a) " + room + " received \"" + Windows1252ToUtf8(line.bytes) + "\", not our line" +
                   (line.sender == ReceivedLine::Sender::Press ? "" : " (the user's Enter on our text mixed with theirs)");
        if (keysSent != nullptr) *keysSent += static_cast<long>(line.keys.size());
        if (line.sender != ReceivedLine::Sender::Press) continue;
        for (const CarriedKey& key : line.keys) {
            if (key.arrival > line.arrivalsAtLastRead) continue;
            return "(a) the user's key \"" + Utf16ToUtf8(std::u16string(1, key.character)) + "\" (key " +
                   std::to_string(key.arrival) + ") went out with our line to " + room +
                   " though it was in the box by our last read before the press (after key " +
                   std::to_string(line.arrivalsAtLastRead) + ")";
        }
    }
    if (desktop.PressesBehindUnanswered() > 0) return "(f) a press went to the client behind an unanswered message";
    if (!settled || !client.Running()) return "";
    // A press takes the focus to Send; the user's next keys, and a Space that sends their draft, would go there.
    // A client whose focus window has gone has none to give back; nor one that moved it itself, closing
    // the window that had it (a room closed while a press of ours was in it).
    const WindowHandle focus = desktop.FocusOf(client.Frame());
    if (client.UserFocus() != kNoWindow && !desktop.FocusFellBack(client.Frame()) && focus != client.UserFocus())
        return "(g) the client's focus is on window " + std::to_string(focus) +
               ", the user left it on " + std::to_string(client.UserFocus());
    if (const WindowHandle marked = WindowWithOurMarkUp(desktop, client.Frame()))
        return "(c) our text was left in window " + std::to_string(marked) + " (" + desktop.ClassName(marked) +
               "): \"" + desktop.Text(marked) + "\"";
    for (int room = 0; room < client.Rooms(); ++room) {
        const WindowHandle box = client.EntryBoxOf(room);
        if (box == kNoWindow || client.BoxHoldsIntended(room)) continue;
        const std::vector<DraftState>& meant = client.Intended(room).Candidates();
        std::string wanted = Quoted(meant.front().text, meant.front().selection);
        if (meant.size() > 1) wanted += " or " + std::to_string(meant.size() - 1) + " other(s)";
        return "(b) room " + std::to_string(room) + "'s box holds " +
               Quoted(desktop.Text16(box), desktop.SelectionOf(box)) + " where the user's draft is " + wanted;
    }
    return "";
}

}  // namespace vorivevo::sim
