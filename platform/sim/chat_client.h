// A simulated online client: its main window, MDI area and chat rooms, built on the simulated desktop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

#include "client_window_tree.h"
#include "desktop.h"
#include "intended_draft.h"
#include "transcript.h"

namespace vorivevo::sim {

enum class SendBehaviour {
    Normal,        // a press sends the entry box's text, if any, and empties the box
    NeedsPresses,  // a line goes only at its pressesNeeded-th press; the presses before it do nothing
    NeverEmpties,  // the client refuses every line: presses are counted, the box keeps its text
};

// The client's windows are those of the client model (client_window_tree.h); these options leave parts
// out, and may spell the classes otherwise.
struct ChatClientOptions {
    int mdiChildren = 1;     // MDI children in all, the room included
    int roomPosition = 1;    // the room's place among them from the top of the z-order, 1 first; 0: no room
    bool roomHasListBox = true;  // false leaves the list of people out, so what follows moves up by one
    int roomChildren = 10;   // the room keeps only this many of its children, from the top
    // The room's children from the top, by role; empty for the client model's. Rooms of other clients put
    // more or fewer icons and rich-text windows before the entry box or Send, so that the entry box and
    // Send are not where the model has them.
    std::vector<client_model::ChildWindow> roomLayout;
    SendBehaviour send = SendBehaviour::Normal;
    int pressesNeeded = 1;   // for SendBehaviour::NeedsPresses
    // Class names as the client registers them; a test may give them in other letter cases.
    std::string frameClass = client_model::kFrameClass;
    std::string mdiClientClass = client_model::kMdiClientClass;
    std::string richTextClass = client_model::ClassOf(client_model::Control::RichText);
    std::string listBoxClass = client_model::ClassOf(client_model::Control::ListBox);
    std::string staticClass = client_model::ClassOf(client_model::Control::Static);
    std::string iconClass = client_model::ClassOf(client_model::Control::Icon);
};

// How a box changes what WM_SETTEXT and EM_REPLACESEL give it (the user's typing never has what it
// changes): it keeps it as given, drops every mark-up tag, or writes the tags its own way (other letters).
enum class BoxChange { None, DropsTags, RewritesTags };

// A key of the user's that went out with a line, and when it reached the box: the count of keys that had
// reached any box by then (1 for the first).
struct CarriedKey {
    char16_t character;
    long arrival;
};

// A line as a room received it: the virtual time, the exact Windows-1252 bytes and which room (0 the
// one the client was made with, then in the order OpenRoom made them).
struct ReceivedLine {
    double time = 0.0;
    std::string bytes;
    int room = 0;
    // What sent it: the user's Enter on their own text (so the line is theirs), a press of Send from
    // outside, or the user's Enter on a text that was not theirs.
    enum class Sender { UsersOwnText, Press, UsersKeyOnOtherText };
    Sender sender = Sender::Press;
    // Unless the line is the user's own: the user's keys it took with it, and the line without them
    // (UTF-8; kept only when there were keys, since long runs keep every line).
    std::vector<CarriedKey> keys;
    std::string withoutKeys;
    std::string WithoutKeys() const;
    // A press: the keys that had reached any box by our last whole read of this box before it.
    long arrivalsAtLastRead = 0;
    // The user's Backspace and Delete keys on a text not theirs in this box since a text last went in from
    // outside: what they may have taken out of our line before their Enter sent it.
    long editsOnOurText = 0;
};

// Creates its windows on construction and destroys them with itself, so the desktop must outlive it.
// All its windows share one thread.
//
// The user's side of each entry box: the draft the user counts as theirs and their caret in it
// (IntendedDraft). Every key the user types is meant for that draft, at that caret, wherever it lands in
// the box (in our line or the emptied box while a post holds it, at the start of a box whose text was
// just set): the box must hold that draft and caret once a post is over.
class ChatClient {
public:
    ChatClient(Desktop& desktop, ChatClientOptions options = {});
    ~ChatClient();
    ChatClient(const ChatClient&) = delete;
    ChatClient& operator=(const ChatClient&) = delete;

    WindowHandle Frame() const { return frame_; }
    WindowHandle MdiClient() const { return mdiClient_; }
    // Top of the z-order first.
    std::vector<WindowHandle> MdiChildren() const { return desktop_.Children(mdiClient_); }

    // Rooms by index; 0 for the ones the layout leaves out or that have been closed.
    int Rooms() const { return static_cast<int>(rooms_.size()); }
    WindowHandle RoomAt(int room) const;
    WindowHandle EntryBoxOf(int room) const;
    WindowHandle SendButtonOf(int room) const;
    WindowHandle Room() const { return RoomAt(0); }
    WindowHandle EntryBox() const { return EntryBoxOf(0); }
    WindowHandle SendButton() const { return SendButtonOf(0); }

    // The first room's entry box: the bytes it holds, or in UTF-8; TypeDraft puts a draft there as if
    // the user had typed it, the caret at its end.
    std::string EntryBytes() const { return desktop_.TextBytes(EntryBox()); }
    std::string EntryText() const { return desktop_.Text(EntryBox()); }
    void TypeDraft(const std::string& utf8);

    // The user: a draft (bytes, or UTF-16) with its selection, put there at once, the box given the
    // keyboard focus as the user's click would; keys, which reach the client's focus window through its
    // thread, so they wait while it is busy, and do to the box what ApplyKey says (Enter sends the box's
    // text, as the send button does). Keys typed through the keyboard show in Desktop::LastKeyPressed;
    // those the client makes up in its own thread do not. The user clicks into the box first only when
    // they last left the focus in another one; keys that reach any other window are lost to the box.
    void SetDraft(int room, const std::string& bytes, std::size_t selectionStart, std::size_t selectionEnd);
    void SetDraft16(int room, const std::u16string& text, std::size_t selectionStart, std::size_t selectionEnd);
    void Type(int room, const std::string& bytes);
    void Press(int room, const Key& key, bool throughKeyboard = true);
    // The window the user last gave the keyboard focus to, 0 once it is gone: where it must be once a post
    // is over.
    WindowHandle UserFocus() const { return Alive(userFocus_, userFocusIdentity_); }
    // Keys that reached a Send button, which has the focus only while a press of ours holds it (the
    // button takes the focus on its button-down, and only once the client answers can the focus go back):
    // lost, and left out of the user's draft, since no message of ours can keep them.
    long KeysLostToPress() const { return keysLostToPress_; }
    // Insertion keys that a box of limited length refused while our text filled it: the user saw nothing
    // typed, and no post can give back what never reached a box. Counted, and left out of their draft.
    long KeysRefusedBesideOurs() const { return keysRefusedBesideOurs_; }
    // The draft the user means, in each room; the first candidate as bytes, and its selection.
    const IntendedDraft& Intended(int room) const { return rooms_.at(static_cast<std::size_t>(room)).intended; }
    std::string UserDraft(int room) const;
    Desktop::Selection UserSelection(int room) const { return Intended(room).Candidates().front().selection; }

    // Every line any room received, oldest first.
    const std::vector<ReceivedLine>& Received() const { return received_; }
    std::vector<TranscriptLine> Transcript() const;
    // Completed presses (a button-down, then a button-up) of a send button, whatever they did. (The room's
    // other icons take the focus on a button-down too; a smiley's press puts ":-)" into the box at its
    // caret.)
    long Presses() const { return presses_; }

    // The client's faults, which tests may switch at any moment.
    void SetSendBehaviour(SendBehaviour behaviour, int pressesNeeded = 1);
    // A press that sends keeps the client's thread busy this long (a slow network, a warning shown
    // inside the handler); the line goes and the box empties at the end.
    void SetSendSeconds(double seconds) { sendSeconds_ = seconds; }
    // Meanwhile the Send handler runs a message loop (a warning box): the client's windows answer our
    // messages from inside it, and only at its end does the handler take what the box then holds.
    void SetSendRunsLoop(bool loops) { sendRunsLoop_ = loops; }
    // The entry boxes keep their text when given one (WM_SETTEXT, EM_REPLACESEL: the client is busy
    // composing), and answer 0; or, with `saysTaken`, answer 1 all the same.
    void SetKeepsText(bool keeps, bool saysTaken = false) {
        keepsText_ = keeps;
        keepsTextSaysTaken_ = saysTaken;
    }
    // The entry boxes take what WM_SETTEXT gives them and answer 0 all the same, as if they had kept
    // their own.
    void SetAnswersZeroToText(bool answersZero) { answersZeroToText_ = answersZero; }
    // The boxes change what WM_SETTEXT and EM_REPLACESEL give them, and hold at most `limit` characters
    // (what the user types included).
    void SetBoxChange(BoxChange change, std::size_t limit = std::numeric_limits<std::size_t>::max()) {
        boxChange_ = change;
        boxLimit_ = limit;
    }
    bool BoxesChangeText() const { return boxChange_ != BoxChange::None || boxLimit_ != std::numeric_limits<std::size_t>::max(); }
    // Our line (UTF-8) as a box that changes it so holds it once written there, in UTF-8.
    static std::string AsBoxHolds(const std::string& line, BoxChange change, std::size_t limit);
    // Whether the room's entry box holds one of the drafts the user may mean, with its caret; if so, that
    // is the one from now on.
    bool BoxHoldsIntended(int room);
    // While an entry box holds exactly what a post wrote there, unless that is the user's draft, every
    // other read (WM_GETTEXTLENGTH, then WM_GETTEXT) finds it empty, as if the client blanked it for a
    // moment. (Blanking the user's own text, or a key of theirs, would defeat any reader, ours included.)
    void SetFlicker(bool flicker) { flicker_ = flicker; }
    // The client's thread stops answering for this long.
    void Hang(double seconds) {
        if (Running()) desktop_.TakeTime(frame_, seconds);
    }

    // The client going on while we run: another MDI window opens on top of the rooms, another room
    // opens on top (and is the active one; returns its index), a room is brought back to the top, a
    // room is closed, the whole client quits.
    WindowHandle OpenWindow();
    int OpenRoom();
    void ActivateRoom(int room = 0) { desktop_.BringToTop(RoomAt(room)); }
    void CloseRoom(int room = 0) { desktop_.DestroyWindow(RoomAt(room)); }
    // The process ends: every message waiting for it fails at once. Started again, it makes its windows
    // anew, its rooms after the ones it had (which stay gone); on a desktop that reuses handles, they get
    // the old ones.
    void Quit() {
        if (Running()) desktop_.EndProcess(frame_);
    }
    bool Running() const { return Alive(frame_, frameIdentity_) != kNoWindow; }
    void Restart();

private:
    struct RoomWindows {
        WindowHandle room = kNoWindow;
        WindowHandle entry = kNoWindow;
        WindowHandle send = kNoWindow;
        std::uint64_t roomIdentity = 0, entryIdentity = 0, sendIdentity = 0;
        bool buttonDown = false;
        int pressesOnLine = 0;
        IntendedDraft intended;
        std::string written;        // what the last WM_SETTEXT from outside put in the box
        // The box sent what it held, and no text or selection from outside went in since: it holds only
        // keys typed since, which a box that changes what it is given has had nothing of ours to change.
        bool sentSinceWrite = false;
        // The last text from outside is not in the box as it was given: cut, or its tags changed.
        bool changedOurs = false;
        // A caret key took a selection of ours away from the user's own text, and no message of ours has
        // read the box since: what they do there is out of every message's sight. `typedOnOwn`: keys other
        // than caret keys came too; `beforeCaretKeys`: the draft as it was under our selection.
        bool caretKeysOnOurs = false;
        bool typedOnOwn = false;
        IntendedDraft beforeCaretKeys;
        // A caret from outside took the place of one the user had not put there, and no message of ours
        // has read the box since: an Enter on their text then may have come right before it, under ours,
        // and the box is as empty after either.
        bool caretSetOverOurs = false;
        bool blankRead = false;     // flickering: the read under way finds the box empty
        long arrivalsAtLastRead = 0;   // keys that had reached any box at the last whole read of this one
        long arrivalsAtPress = 0;      // the same at the last button-down on Send
        long editsOnOurText = 0;       // see ReceivedLine
        // When a post last asked where the caret is, if only reads of the text came since; a caret key
        // soon after is one no message of ours can see (Landing::OnOwnTextUnseen).
        double caretAskedAt = -1.0;
    };
    // A key character that reached a box, and is not known to have gone out with a line.
    struct Arrival {
        long arrival;
        int room;
    };

    // The window, if it is still the one the client made (its handle may have gone to another since).
    WindowHandle Alive(WindowHandle window, std::uint64_t identity) const {
        return identity != 0 && desktop_.Identity(window) == identity ? window : kNoWindow;
    }
    // What the client holds for the window: the handle and what tells the window from later ones.
    void Hold(WindowHandle& handle, std::uint64_t& identity, WindowHandle window) {
        handle = window;
        identity = desktop_.Identity(window);
    }
    const std::string& ClassFor(client_model::Control control) const;
    void CreateWindows();
    int CreateRoom(const std::string& title);
    void CreateOtherWindow(int position);
    void OnSendClicked(int room);
    // True when the line went. `keysStay`: the user's keys it took stay in the draft they mean all the same.
    bool SendFrom(int room, ReceivedLine::Sender sender, bool keysStay = false);
    std::optional<LResult> OnEntryMessage(int room, const MessageContext& message);
    void OnIconPressed(int room, WindowHandle icon, const MessageContext& message);
    void KeyArrives(int room, WindowHandle entry, std::uint64_t identity, const Key& key);
    // The newest key of `character` not known to have gone out, this room's first; end() when none is.
    std::unordered_multimap<char16_t, Arrival>::iterator NewestKey(char16_t character, int room);
    static std::u16string Changed(const std::u16string& given, BoxChange change);

    Desktop& desktop_;
    ChatClientOptions options_;
    WindowHandle frame_ = kNoWindow;
    std::uint64_t frameIdentity_ = 0;
    WindowHandle mdiClient_ = kNoWindow;
    std::vector<RoomWindows> rooms_;
    int otherWindows_ = 0;
    long presses_ = 0;
    WindowHandle userFocus_ = kNoWindow;
    std::uint64_t userFocusIdentity_ = 0;
    long keysLostToPress_ = 0;
    long keysRefusedBesideOurs_ = 0;
    long arrivals_ = 0;
    // Key characters come round again, so a box may hold two keys of one character: each has its entry.
    std::unordered_multimap<char16_t, Arrival> keysInBoxes_;
    BoxChange boxChange_ = BoxChange::None;
    std::size_t boxLimit_ = std::numeric_limits<std::size_t>::max();
    double sendSeconds_ = 0.0;
    bool sendRunsLoop_ = false;
    bool keepsText_ = false;
    bool keepsTextSaysTaken_ = false;
    bool answersZeroToText_ = false;
    bool flicker_ = false;
    long lengthReads_ = 0;
    std::vector<ReceivedLine> received_;
};

}  // namespace vorivevo::sim
