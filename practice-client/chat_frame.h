// The client's main window: the "AOL Frame25" frame, its MDI client, the chat room and the other MDI windows.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

#include "client_events.h"
#include "control_commands.h"
#include "room_transcript.h"
#include "window_layout.h"

namespace vorivevo::practice {

class ChatFrame {
public:
    ChatFrame(HINSTANCE instance, const Options& options, ClientEvents& events);
    ChatFrame(const ChatFrame&) = delete;
    ChatFrame& operator=(const ChatFrame&) = delete;

    // Registers the window classes, builds the whole tree and shows the frame. False on failure.
    bool Create();

    HWND Frame() const { return frame_; }
    HWND MdiClient() const { return mdiClient_; }
    bool HasRoom() const { return entry_ != nullptr; }

    // The entry box's text in ANSI bytes; empty when there is no room.
    std::string EntryText() const;
    void SetEntryText(const std::string& ansiText);
    // While on, the entry box answers WM_SETTEXT from anyone but the client itself with FALSE and keeps
    // its text, as a client busy composing might.
    void SetKeepText(bool on) { keepText_ = on; }
    // The entry box's caret and selection (character positions).
    void SelectInEntry(int start, int end);
    std::pair<DWORD, DWORD> EntrySelection() const;
    // Where this thread's keyboard focus is: "entry", "send" (the room's Send icon), "none", or the class of
    // another window.
    std::string FocusName() const;
    // The keyboard focus to the entry box, and the client made the foreground program, as the user's click
    // into the box would.
    void FocusEntry();
    void AppendToTranscript(const std::string& ansiText);

private:
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK RoomProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK OtherWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT MdiChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool isRoom);
    static LRESULT CALLBACK EntryProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    bool RegisterWindowClasses();
    HWND CreateMdiChild(bool isRoom, int position);
    void LayoutFrame();
    void OnChildCommand(HWND mdiChild, bool isRoom, WPARAM wParam);
    Children OtherWindowChildren(HWND window) const;

    HINSTANCE instance_;
    const Options& options_;
    ClientEvents& events_;
    HWND frame_ = nullptr;
    HWND statusLine_ = nullptr;
    HWND mdiClient_ = nullptr;
    HWND room_ = nullptr;
    RoomTranscript transcript_;
    HWND entry_ = nullptr;
    HWND send_ = nullptr;
    WNDPROC entryProc_ = nullptr;
    bool keepText_ = false;
    bool ownChange_ = false;
    std::map<HWND, int> otherPositions_;  // each other MDI window's place from the top when it was made
    std::map<HWND, Children> otherChildren_;
    int otherWindowsMade_ = 0;
};

}  // namespace vorivevo::practice
