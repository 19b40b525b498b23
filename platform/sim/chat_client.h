// A simulated online client: its main window, MDI area and chat room, built on the simulated desktop.
#pragma once

#include <string>
#include <vector>

#include "desktop.h"
#include "transcript.h"

namespace vorivevo::sim {

enum class SendBehaviour {
    Normal,        // a press sends the entry box's text, if any, and empties the box
    NeedsPresses,  // a line goes only at its pressesNeeded-th press; the presses before it do nothing
    NeverEmpties,  // the client refuses every line: presses are counted, the box keeps its text
};

// The layout of the client's windows. The room's children, from the top (GW_CHILD first):
// [0] rich text (the transcript view), [1] list box, [2] static, [3] icon (the room's first icon),
// [4] icon, [5] icon, [6] icon, [7] rich text (the entry box), [8] icon, [9] icon (the send button).
struct ChatClientOptions {
    int mdiChildren = 1;     // MDI children in all, the room included
    int roomPosition = 1;    // the room's place among them from the top of the z-order, 1 first; 0: no room
    bool roomHasListBox = true;  // false leaves child [1] out, so what follows moves up by one
    int roomChildren = 10;   // the room keeps only this many of its children, from the top
    SendBehaviour send = SendBehaviour::Normal;
    int pressesNeeded = 1;   // for SendBehaviour::NeedsPresses
    // Class names as the client registers them; a test may give them in other letter cases.
    std::string frameClass = "AOL Frame25";
    std::string mdiClientClass = "MDIClient";
    std::string richTextClass = "RICHCNTL";
    std::string listBoxClass = "_AOL_Listbox";
    std::string staticClass = "_AOL_Static";
    std::string iconClass = "_AOL_Icon";
};

// A line as the room received it: the virtual time and the exact Windows-1252 bytes.
struct ReceivedLine {
    double time;
    std::string bytes;
};

// Creates its windows on construction and destroys them with itself, so the desktop must outlive it.
// The other MDI children are plausible decoys: some have a rich-text child without a list box, others
// a list box without rich text, so only a window with both is taken for the room.
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
    // 0 for the ones the layout leaves out or that have been closed.
    WindowHandle Room() const { return Alive(room_); }
    WindowHandle EntryBox() const { return Alive(entryBox_); }
    WindowHandle SendButton() const { return Alive(sendButton_); }

    // The entry box's text: the bytes it holds, or in UTF-8; TypeDraft types as the user would.
    std::string EntryBytes() const { return desktop_.TextBytes(EntryBox()); }
    std::string EntryText() const { return desktop_.Text(EntryBox()); }
    void TypeDraft(const std::string& utf8) { desktop_.SetText(EntryBox(), utf8); }

    const std::vector<ReceivedLine>& Received() const { return received_; }
    std::vector<TranscriptLine> Transcript() const;
    // Completed presses (a button-down, then a button-up) of the send button, whatever they did.
    long Presses() const { return presses_; }
    void SetSendBehaviour(SendBehaviour behaviour, int pressesNeeded = 1);

    // The client going on while we run: another MDI window opens on top of the room, the room is
    // brought back to the top, the room is closed, the whole client quits.
    WindowHandle OpenWindow();
    void ActivateRoom() { desktop_.BringToTop(Room()); }
    void CloseRoom() { desktop_.DestroyWindow(Room()); }
    void Quit() { desktop_.DestroyWindow(frame_); }

private:
    WindowHandle Alive(WindowHandle window) const { return desktop_.IsWindow(window) ? window : kNoWindow; }
    void CreateRoom();
    void CreateDecoy(int index);
    void OnSendButtonUp();

    Desktop& desktop_;
    ChatClientOptions options_;
    WindowHandle frame_ = kNoWindow;
    WindowHandle mdiClient_ = kNoWindow;
    WindowHandle room_ = kNoWindow;
    WindowHandle entryBox_ = kNoWindow;
    WindowHandle sendButton_ = kNoWindow;
    int decoys_ = 0;
    bool buttonDown_ = false;
    long presses_ = 0;
    int pressesOnLine_ = 0;
    std::vector<ReceivedLine> received_;
};

}  // namespace vorivevo::sim
