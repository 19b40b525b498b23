// A simulated online client: its main window, MDI area and chat rooms, built on the simulated desktop.
#pragma once

#include <string>
#include <vector>

#include "client_window_tree.h"
#include "desktop.h"
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

// A line as a room received it: the virtual time, the exact Windows-1252 bytes and which room (0 the
// one the client was made with, then in the order OpenRoom made them).
struct ReceivedLine {
    double time;
    std::string bytes;
    int room = 0;
};

// Creates its windows on construction and destroys them with itself, so the desktop must outlive it.
// All its windows share one thread.
//
// The user's side of each entry box: the draft the user counts as theirs and their caret in it. Every key
// the user types is meant for that draft, at that caret, wherever it lands in the box (in our line or the
// emptied box while a post holds it, at the start of a box whose text was just set): the box must hold
// that draft and caret once a post is over.
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

    // The user: a draft (bytes) with its selection, put there at once, the box given the keyboard focus
    // as the user's click would; keys typed, which replace the selection and reach the client's focus
    // window through its thread, so they wait while it is busy. The user clicks into the box first only
    // when they last left the focus in another one; keys that reach any other window are lost to the box.
    void SetDraft(int room, const std::string& bytes, std::size_t selectionStart, std::size_t selectionEnd);
    void Type(int room, const std::string& bytes);
    // The window the user last gave the keyboard focus to, 0 once it is gone: where it must be once a post
    // is over.
    WindowHandle UserFocus() const { return Alive(userFocus_); }
    // Keys that reached a Send button while the client was still on our press of it, or had not answered
    // us since (the button takes the focus on its button-down, and only once the client answers can the
    // focus go back): lost, and left out of the user's draft, since no message of ours can keep them.
    long KeysLostToPress() const { return keysLostToPress_; }
    const std::string& UserDraft(int room) const { return rooms_.at(static_cast<std::size_t>(room)).userDraft; }
    Desktop::Selection UserSelection(int room) const { return rooms_.at(static_cast<std::size_t>(room)).userSelection; }

    // Every line any room received, oldest first.
    const std::vector<ReceivedLine>& Received() const { return received_; }
    std::vector<TranscriptLine> Transcript() const;
    // Completed presses (a button-down, then a button-up) of a send button, whatever they did.
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
    // While an entry box holds exactly what a post wrote there, unless that is the user's draft, every
    // other read (WM_GETTEXTLENGTH, then WM_GETTEXT) finds it empty, as if the client blanked it for a
    // moment. (Blanking the user's own text, or a key of theirs, would defeat any reader, ours included.)
    void SetFlicker(bool flicker) { flicker_ = flicker; }
    // The client's thread stops answering for this long.
    void Hang(double seconds) { desktop_.TakeTime(frame_, seconds); }

    // The client going on while we run: another MDI window opens on top of the rooms, another room
    // opens on top (and is the active one; returns its index), a room is brought back to the top, a
    // room is closed, the whole client quits.
    WindowHandle OpenWindow();
    int OpenRoom();
    void ActivateRoom(int room = 0) { desktop_.BringToTop(RoomAt(room)); }
    void CloseRoom(int room = 0) { desktop_.DestroyWindow(RoomAt(room)); }
    void Quit() { desktop_.DestroyWindow(frame_); }

private:
    struct RoomWindows {
        WindowHandle room = kNoWindow;
        WindowHandle entry = kNoWindow;
        WindowHandle send = kNoWindow;
        bool buttonDown = false;
        // A press of the button: its handler runs from the button-up until it is done; the client's count
        // of answers (Desktop::AnswersFrom) when it was last done with a button-down or a handler.
        bool pressRunning = false;
        long answersAtPressDone = -1;
        int pressesOnLine = 0;
        std::string userDraft;
        Desktop::Selection userSelection;
        std::string written;        // what the last WM_SETTEXT from outside put in the box
        bool blankRead = false;     // flickering: the read under way finds the box empty
    };

    WindowHandle Alive(WindowHandle window) const { return desktop_.IsWindow(window) ? window : kNoWindow; }
    const std::string& ClassFor(client_model::Control control) const;
    int CreateRoom(const std::string& title);
    void CreateOtherWindow(int position);
    void OnSendClicked(int room);
    void SendFrom(int room);
    std::optional<LResult> OnEntryMessage(int room, const MessageContext& message);

    Desktop& desktop_;
    ChatClientOptions options_;
    WindowHandle frame_ = kNoWindow;
    WindowHandle mdiClient_ = kNoWindow;
    std::vector<RoomWindows> rooms_;
    int otherWindows_ = 0;
    long presses_ = 0;
    WindowHandle userFocus_ = kNoWindow;
    long keysLostToPress_ = 0;
    double sendSeconds_ = 0.0;
    bool sendRunsLoop_ = false;
    bool keepsText_ = false;
    bool keepsTextSaysTaken_ = false;
    bool flicker_ = false;
    long lengthReads_ = 0;
    std::vector<ReceivedLine> received_;
};

}  // namespace vorivevo::sim
