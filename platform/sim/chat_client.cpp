// Building the client's window tree and playing its send button.
#include "chat_client.h"

#include <stdexcept>
#include <utility>

#include "windows1252.h"

namespace vorivevo::sim {

namespace {

// Our own name for the MDI children's class; nothing looks it up.
constexpr char kMdiChildClass[] = "SimMdiChild";
constexpr int kRoomLayoutChildren = 10;
constexpr int kEntryBoxIndex = 7;
constexpr int kSendButtonIndex = 9;

}  // namespace

ChatClient::ChatClient(Desktop& desktop, ChatClientOptions options) : desktop_(desktop), options_(std::move(options)) {
    if (options_.mdiChildren < 0 || options_.roomPosition < 0 || options_.roomPosition > options_.mdiChildren)
        throw std::logic_error("ChatClient: the room's position must lie among the MDI children");
    frame_ = desktop_.CreateWindow(kNoWindow, options_.frameClass, "Online Client");
    // Something above the MDI area, so that finding it is a walk and not just the first child.
    desktop_.CreateWindow(frame_, options_.staticClass, "Tool bar");
    mdiClient_ = desktop_.CreateWindow(frame_, options_.mdiClientClass);
    desktop_.CreateWindow(frame_, options_.staticClass, "Status");
    // Each new MDI child is activated, so comes out on top: create them from the bottom up.
    for (int position = options_.mdiChildren; position >= 1; --position) {
        if (position == options_.roomPosition) {
            CreateRoom();
        } else {
            CreateDecoy(position);
        }
    }
}

ChatClient::~ChatClient() { desktop_.DestroyWindow(frame_); }

void ChatClient::CreateRoom() {
    room_ = desktop_.CreateWindow(mdiClient_, kMdiChildClass, "Chat Room", Desktop::Placement::Top);
    const std::string* layout[kRoomLayoutChildren] = {
        &options_.richTextClass, &options_.listBoxClass, &options_.staticClass, &options_.iconClass,
        &options_.iconClass,     &options_.iconClass,    &options_.iconClass,   &options_.richTextClass,
        &options_.iconClass,     &options_.iconClass,
    };
    int created = 0;
    for (int index = 0; index < kRoomLayoutChildren && created < options_.roomChildren; ++index) {
        if (index == 1 && !options_.roomHasListBox) continue;
        const WindowHandle child = desktop_.CreateWindow(room_, *layout[index]);
        ++created;
        if (index == kEntryBoxIndex) entryBox_ = child;
        if (index == kSendButtonIndex) sendButton_ = child;
    }
    if (sendButton_ != kNoWindow) {
        desktop_.SetHandler(sendButton_, [this](const MessageContext& message) -> std::optional<LResult> {
            if (message.message == WM_LBUTTONDOWN) {
                buttonDown_ = true;
            } else if (message.message == WM_LBUTTONUP && buttonDown_) {
                buttonDown_ = false;
                OnSendButtonUp();
            }
            return LResult{0};
        });
    }
}

void ChatClient::CreateDecoy(int position) {
    const WindowHandle window = desktop_.CreateWindow(mdiClient_, kMdiChildClass,
                                                      "Window " + std::to_string(position), Desktop::Placement::Top);
    if (decoys_++ % 2 == 0) {
        // A conversation window: rich text, but no list of people.
        desktop_.CreateWindow(window, options_.staticClass);
        desktop_.CreateWindow(window, options_.richTextClass);
        desktop_.CreateWindow(window, options_.iconClass);
        desktop_.CreateWindow(window, options_.richTextClass);
        desktop_.CreateWindow(window, options_.iconClass);
    } else {
        // A list of people or places, with no rich text.
        desktop_.CreateWindow(window, options_.listBoxClass);
        desktop_.CreateWindow(window, options_.staticClass);
        desktop_.CreateWindow(window, options_.iconClass);
    }
}

WindowHandle ChatClient::OpenWindow() {
    const int position = static_cast<int>(MdiChildren().size()) + 1;
    CreateDecoy(position);
    return desktop_.Children(mdiClient_).front();
}

void ChatClient::SetSendBehaviour(SendBehaviour behaviour, int pressesNeeded) {
    options_.send = behaviour;
    options_.pressesNeeded = pressesNeeded;
    pressesOnLine_ = 0;
}

void ChatClient::OnSendButtonUp() {
    ++presses_;
    const WindowHandle entry = EntryBox();
    const std::string text = desktop_.TextBytes(entry);
    if (text.empty()) return;
    switch (options_.send) {
        case SendBehaviour::Normal:
            break;
        case SendBehaviour::NeedsPresses:
            if (++pressesOnLine_ < options_.pressesNeeded) return;
            break;
        case SendBehaviour::NeverEmpties:
            return;
    }
    pressesOnLine_ = 0;
    received_.push_back(ReceivedLine{desktop_.Clock().Now(), text});
    desktop_.SetTextBytes(entry, std::string());
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
