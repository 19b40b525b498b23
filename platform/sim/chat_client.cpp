// Building the client's window tree and playing its rooms' entry boxes and send buttons.
#include "chat_client.h"

#include <stdexcept>
#include <utility>

#include "windows1252.h"

namespace vorivevo::sim {

namespace {

using client_model::ChildRole;
using client_model::Control;

}  // namespace

ChatClient::ChatClient(Desktop& desktop, ChatClientOptions options) : desktop_(desktop), options_(std::move(options)) {
    if (options_.mdiChildren < 0 || options_.roomPosition < 0 || options_.roomPosition > options_.mdiChildren)
        throw std::logic_error("ChatClient: the room's position must lie among the MDI children");
    frame_ = desktop_.CreateWindow(kNoWindow, options_.frameClass, "Online Client");
    for (const client_model::FrameChild child : client_model::kFrameChildren) {
        if (child == client_model::FrameChild::StatusLine) {
            desktop_.CreateWindow(frame_, options_.staticClass, client_model::kStatusLineText);
        } else {
            mdiClient_ = desktop_.CreateWindow(frame_, options_.mdiClientClass);
        }
    }
    // Each new MDI child is activated, so comes out on top: create them from the bottom up.
    for (int position = options_.mdiChildren; position >= 1; --position) {
        if (position == options_.roomPosition) {
            CreateRoom("Chat Room");
        } else {
            CreateOtherWindow(position);
        }
    }
}

const std::string& ChatClient::ClassFor(Control control) const {
    switch (control) {
        case Control::RichText: return options_.richTextClass;
        case Control::ListBox: return options_.listBoxClass;
        case Control::Static: return options_.staticClass;
        case Control::Icon: break;
    }
    return options_.iconClass;
}

ChatClient::~ChatClient() { desktop_.DestroyWindow(frame_); }

WindowHandle ChatClient::RoomAt(int room) const {
    return room >= 0 && room < Rooms() ? Alive(rooms_[static_cast<std::size_t>(room)].room) : kNoWindow;
}

WindowHandle ChatClient::EntryBoxOf(int room) const {
    return room >= 0 && room < Rooms() ? Alive(rooms_[static_cast<std::size_t>(room)].entry) : kNoWindow;
}

WindowHandle ChatClient::SendButtonOf(int room) const {
    return room >= 0 && room < Rooms() ? Alive(rooms_[static_cast<std::size_t>(room)].send) : kNoWindow;
}

int ChatClient::CreateRoom(const std::string& title) {
    const int index = Rooms();
    RoomWindows windows;
    windows.room =
        desktop_.CreateWindow(mdiClient_, client_model::kRoomClass, title, Desktop::Placement::Top);
    int created = 0;
    for (const client_model::ChildWindow& child : client_model::kRoomChildren) {
        if (created == options_.roomChildren) break;
        if (child.role == ChildRole::People && !options_.roomHasListBox) continue;
        const WindowHandle window = desktop_.CreateWindow(windows.room, ClassFor(child.control), child.text);
        ++created;
        if (child.role == ChildRole::Entry) windows.entry = window;
        if (child.role == ChildRole::Send) windows.send = window;
    }
    rooms_.push_back(windows);
    // The client starts with the keyboard in its first room's entry box.
    if (index == 0 && windows.entry != kNoWindow) {
        desktop_.TakeFocus(windows.entry);
        userFocus_ = windows.entry;
    }
    if (windows.entry != kNoWindow) {
        desktop_.SetHandler(windows.entry,
                            [this, index](const MessageContext& message) { return OnEntryMessage(index, message); });
    }
    if (windows.send != kNoWindow) {
        desktop_.SetHandler(windows.send, [this, index](const MessageContext& message) -> std::optional<LResult> {
            RoomWindows& room = rooms_[static_cast<std::size_t>(index)];
            if (message.message == WM_LBUTTONDOWN) {
                // As a button does: the keyboard focus comes to it.
                desktop_.TakeFocus(message.window);
                room.answersAtPressDone = desktop_.AnswersFrom(message.window);
                room.buttonDown = true;
            } else if (message.message == WM_LBUTTONUP && room.buttonDown) {
                room.buttonDown = false;
                OnSendClicked(index);
            }
            return LResult{0};
        });
    }
    return index;
}

std::optional<LResult> ChatClient::OnEntryMessage(int index, const MessageContext& message) {
    RoomWindows& room = rooms_[static_cast<std::size_t>(index)];
    switch (message.message) {
        case WM_SETTEXT:
        case EM_REPLACESEL:
            if (keepsText_) return LResult{keepsTextSaysTaken_ ? 1 : 0};
            desktop_.DefaultHandling(message);
            room.written = desktop_.TextBytes(message.window);
            return LResult{message.message == WM_SETTEXT ? 1 : 0};
        case WM_GETTEXTLENGTH: {
            const std::string text = desktop_.TextBytes(message.window);
            room.blankRead = flicker_ && text == room.written && text != room.userDraft && lengthReads_++ % 2 == 1;
            return room.blankRead ? std::optional<LResult>(0) : std::nullopt;
        }
        case WM_GETTEXT:
            if (!room.blankRead || message.getTextBuffer == nullptr || message.wParam == 0) return std::nullopt;
            room.blankRead = false;
            (*message.getTextBuffer)[0] = '\0';
            return LResult{0};
        default:
            return std::nullopt;
    }
}

void ChatClient::CreateOtherWindow(int position) {
    const WindowHandle window = desktop_.CreateWindow(mdiClient_, client_model::kOtherWindowClass,
                                                      "Window " + std::to_string(position), Desktop::Placement::Top);
    for (const client_model::ChildWindow& child : client_model::OtherWindowChildren(otherWindows_++))
        desktop_.CreateWindow(window, ClassFor(child.control), child.text);
}

WindowHandle ChatClient::OpenWindow() {
    const int position = static_cast<int>(MdiChildren().size()) + 1;
    CreateOtherWindow(position);
    return desktop_.Children(mdiClient_).front();
}

int ChatClient::OpenRoom() { return CreateRoom("Chat Room " + std::to_string(Rooms() + 1)); }

void ChatClient::TypeDraft(const std::string& utf8) {
    const std::string bytes = Utf8ToWindows1252(utf8);
    if (Rooms() == 0) return;
    SetDraft(0, bytes, bytes.size(), bytes.size());
    // Characters that Windows-1252 lacks stay whole, as in a Unicode box.
    desktop_.SetText(EntryBox(), utf8);
}

void ChatClient::SetDraft(int index, const std::string& bytes, std::size_t selectionStart, std::size_t selectionEnd) {
    RoomWindows& room = rooms_.at(static_cast<std::size_t>(index));
    const WindowHandle entry = Alive(room.entry);
    desktop_.SetTextBytes(entry, bytes);
    desktop_.Select(entry, selectionStart, selectionEnd);
    room.userDraft = bytes;
    room.userSelection = desktop_.SelectionOf(entry);
    desktop_.TakeFocus(entry);
    userFocus_ = entry;
}

void ChatClient::Type(int index, const std::string& bytes) {
    const WindowHandle entry = EntryBoxOf(index);
    desktop_.NoteKeyPressed();
    desktop_.Input(entry, [this, index, entry, bytes] {
        if (!desktop_.IsWindow(entry)) return;
        // The user clicks into the box first when they were typing elsewhere, or when the box no longer
        // shows the keyboard because the client moved it (the window that had it closed).
        if (userFocus_ != entry || desktop_.FocusOf(entry) == kNoWindow || desktop_.FocusFellBack(entry)) {
            desktop_.TakeFocus(entry);
            userFocus_ = entry;
        }
        RoomWindows& room = rooms_[static_cast<std::size_t>(index)];
        const WindowHandle focus = desktop_.FocusOf(entry);
        if (focus != entry) {
            for (const RoomWindows& pressed : rooms_) {
                if (pressed.send != focus) continue;
                if (pressed.pressRunning || desktop_.AnswersFrom(focus) == pressed.answersAtPressDone) {
                    ++keysLostToPress_;
                    return;
                }
            }
            // Lost, though the user meant them for the draft below.
        } else {
            const Desktop::Selection selection = desktop_.SelectionOf(entry);
            std::string text = desktop_.TextBytes(entry);
            text.replace(selection.start, selection.end - selection.start, bytes);
            desktop_.SetTextBytes(entry, text);
            const std::size_t caret = selection.start + bytes.size();
            desktop_.Select(entry, caret, caret);
        }
        // The user means the keys for their draft, where they left their caret, whatever the box showed.
        room.userDraft.replace(room.userSelection.start, room.userSelection.end - room.userSelection.start, bytes);
        const std::size_t userCaret = room.userSelection.start + bytes.size();
        room.userSelection = Desktop::Selection{userCaret, userCaret};
    });
}

void ChatClient::SetSendBehaviour(SendBehaviour behaviour, int pressesNeeded) {
    options_.send = behaviour;
    options_.pressesNeeded = pressesNeeded;
    for (RoomWindows& room : rooms_) room.pressesOnLine = 0;
}

void ChatClient::OnSendClicked(int index) {
    ++presses_;
    rooms_[static_cast<std::size_t>(index)].pressRunning = true;
    const auto sendAndBeDone = [this, index] {
        SendFrom(index);
        RoomWindows& room = rooms_[static_cast<std::size_t>(index)];
        room.pressRunning = false;
        room.answersAtPressDone = desktop_.AnswersFrom(frame_);
    };
    if (sendSeconds_ > 0.0 && sendRunsLoop_) {
        desktop_.RunLoopInHandler(frame_, sendSeconds_, sendAndBeDone);
    } else if (sendSeconds_ > 0.0) {
        desktop_.TakeTime(frame_, sendSeconds_, sendAndBeDone);
    } else {
        sendAndBeDone();
    }
}

void ChatClient::SendFrom(int index) {
    RoomWindows& room = rooms_[static_cast<std::size_t>(index)];
    const WindowHandle entry = Alive(room.entry);
    const std::string text = desktop_.TextBytes(entry);
    if (text.empty()) return;
    switch (options_.send) {
        case SendBehaviour::Normal:
            break;
        case SendBehaviour::NeedsPresses:
            if (++room.pressesOnLine < options_.pressesNeeded) return;
            break;
        case SendBehaviour::NeverEmpties:
            return;
    }
    room.pressesOnLine = 0;
    received_.push_back(ReceivedLine{desktop_.Clock().Now(), text, index});
    desktop_.SetTextBytes(entry, std::string());
    desktop_.Select(entry, 0, 0);
}

std::vector<TranscriptLine> ChatClient::Transcript() const {
    std::vector<TranscriptLine> lines;
    lines.reserve(received_.size());
    for (const ReceivedLine& line : received_) {
        lines.push_back(TranscriptLine{line.time, Windows1252ToUtf8(line.bytes)});
    }
    return lines;
}

}  // namespace vorivevo::sim
