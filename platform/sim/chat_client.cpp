// Building the client's window tree and playing its rooms' entry boxes and send buttons.
#include "chat_client.h"

#include <algorithm>
#include <ostream>
#include <stdexcept>
#include <utility>

#include "windows1252.h"

namespace vorivevo::sim {

namespace {

using client_model::ChildRole;
using client_model::Control;

// Space on a button's key-down pushes it and its key-up clicks it, as the mouse's press does.
bool IsSpace(const MessageContext& message, Message key) { return message.message == key && message.wParam == VK_SPACE; }

}  // namespace

ChatClient::ChatClient(Desktop& desktop, ChatClientOptions options) : desktop_(desktop), options_(std::move(options)) {
    if (options_.mdiChildren < 0 || options_.roomPosition < 0 || options_.roomPosition > options_.mdiChildren)
        throw std::logic_error("ChatClient: the room's position must lie among the MDI children");
    CreateWindows();
}

void ChatClient::Restart() {
    if (Running()) return;
    otherWindows_ = 0;
    CreateWindows();
}

void ChatClient::CreateWindows() {
    const int firstRoom = Rooms();
    Hold(frame_, frameIdentity_, desktop_.CreateWindow(kNoWindow, options_.frameClass, "Online Client"));
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
    // The client starts with the keyboard in its first room's entry box.
    if (firstRoom < Rooms() && EntryBoxOf(firstRoom) != kNoWindow) {
        desktop_.TakeFocus(EntryBoxOf(firstRoom));
        Hold(userFocus_, userFocusIdentity_, EntryBoxOf(firstRoom));
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

ChatClient::~ChatClient() {
    if (Running()) desktop_.DestroyWindow(frame_);
}

WindowHandle ChatClient::RoomAt(int room) const {
    return room >= 0 && room < Rooms() ? Alive(rooms_[static_cast<std::size_t>(room)].room, rooms_[static_cast<std::size_t>(room)].roomIdentity) : kNoWindow;
}

WindowHandle ChatClient::EntryBoxOf(int room) const {
    return room >= 0 && room < Rooms() ? Alive(rooms_[static_cast<std::size_t>(room)].entry, rooms_[static_cast<std::size_t>(room)].entryIdentity) : kNoWindow;
}

WindowHandle ChatClient::SendButtonOf(int room) const {
    return room >= 0 && room < Rooms() ? Alive(rooms_[static_cast<std::size_t>(room)].send, rooms_[static_cast<std::size_t>(room)].sendIdentity) : kNoWindow;
}

int ChatClient::CreateRoom(const std::string& title) {
    const int index = Rooms();
    RoomWindows windows;
    Hold(windows.room, windows.roomIdentity,
         desktop_.CreateWindow(mdiClient_, client_model::kRoomClass, title, Desktop::Placement::Top));
    std::vector<client_model::ChildWindow> layout = options_.roomLayout;
    if (layout.empty()) layout.assign(client_model::kRoomChildren.begin(), client_model::kRoomChildren.end());
    std::vector<WindowHandle> icons;
    int created = 0;
    for (const client_model::ChildWindow& child : layout) {
        if (created == options_.roomChildren) break;
        if (child.role == ChildRole::People && !options_.roomHasListBox) continue;
        const WindowHandle window = desktop_.CreateWindow(windows.room, ClassFor(child.control), child.text);
        ++created;
        if (child.role == ChildRole::Entry) Hold(windows.entry, windows.entryIdentity, window);
        if (child.role == ChildRole::Send) Hold(windows.send, windows.sendIdentity, window);
        if (child.role == ChildRole::Decoration) icons.push_back(window);
    }
    rooms_.push_back(windows);
    if (windows.entry != kNoWindow) {
        desktop_.SetHandler(windows.entry,
                            [this, index](const MessageContext& message) { return OnEntryMessage(index, message); });
    }
    if (windows.send != kNoWindow) {
        desktop_.SetHandler(windows.send, [this, index](const MessageContext& message) -> std::optional<LResult> {
            RoomWindows& room = rooms_[static_cast<std::size_t>(index)];
            if (message.message == WM_LBUTTONDOWN || IsSpace(message, WM_KEYDOWN)) {
                // As a button does: the keyboard focus comes to it with the mouse's press, and stays where it
                // is with Space's.
                if (message.message == WM_LBUTTONDOWN) desktop_.TakeFocus(message.window);
                room.arrivalsAtPress = room.arrivalsAtLastRead;
                room.buttonDown = true;
            } else if ((message.message == WM_LBUTTONUP || IsSpace(message, WM_KEYUP)) && room.buttonDown) {
                room.buttonDown = false;
                OnSendClicked(index);
            }
            return LResult{0};
        });
    }
    for (const WindowHandle icon : icons) {
        desktop_.SetHandler(icon, [this, index, icon](const MessageContext& message) -> std::optional<LResult> {
            OnIconPressed(index, icon, message);
            return LResult{0};
        });
    }
    return index;
}

void ChatClient::OnIconPressed(int index, WindowHandle icon, const MessageContext& message) {
    if (message.message == WM_LBUTTONDOWN) {
        desktop_.TakeFocus(icon);
    } else if (message.message == WM_LBUTTONUP || IsSpace(message, WM_KEYUP)) {
        const WindowHandle entry = EntryBoxOf(index);
        if (desktop_.Text(icon) != "Smile" || entry == kNoWindow) return;
        std::u16string text = desktop_.Text16(entry);
        Desktop::Selection selection = desktop_.SelectionOf(entry);
        const Key smiley{Key::Kind::Insert, u":-)"};
        ApplyKey(text, selection, smiley, boxLimit_);
        desktop_.SetText16(entry, text);
        desktop_.Select(entry, selection.start, selection.end);
        // What the client puts into the box in answer to a press cannot be told from keys its own thread
        // puts there: the user may find it in their draft or not, but nowhere else.
        rooms_[static_cast<std::size_t>(index)].intended.Apply(smiley, Landing::OnOurChangedText, boxLimit_);
    }
}

std::u16string ChatClient::Changed(const std::u16string& given, BoxChange change) {
    if (change == BoxChange::None) return given;
    std::u16string kept;
    std::size_t at = 0;
    for (std::size_t open; (open = given.find(u'<', at)) != std::u16string::npos;) {
        const std::size_t close = given.find(u'>', open);
        if (close == std::u16string::npos) break;
        kept += given.substr(at, open - at);
        if (change == BoxChange::RewritesTags) {
            // Its own spelling: capitals, and no blank inside the tag's opening.
            for (std::size_t i = open; i <= close; ++i) {
                const char16_t c = given[i];
                if (c == u' ' && i == open + 1) continue;
                kept += (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
            }
        }
        at = close + 1;
    }
    return kept + given.substr(at);
}

std::string ChatClient::AsBoxHolds(const std::string& line, BoxChange change, std::size_t limit) {
    return Utf16ToUtf8(Changed(Windows1252ToUtf16(Utf8ToWindows1252(line)), change).substr(0, limit));
}

bool ChatClient::BoxHoldsIntended(int index) {
    const WindowHandle entry = EntryBoxOf(index);
    IntendedDraft& intended = rooms_.at(static_cast<std::size_t>(index)).intended;
    const std::u16string text = desktop_.Text16(entry);
    const Desktop::Selection selection = desktop_.SelectionOf(entry);
    if (!intended.Holds(text, selection)) return false;
    intended.Narrow(text, selection);
    return true;
}

std::optional<LResult> ChatClient::OnEntryMessage(int index, const MessageContext& message) {
    RoomWindows& room = rooms_[static_cast<std::size_t>(index)];
    if (message.message != WM_GETTEXTLENGTH && message.message != WM_GETTEXT)
        room.caretAskedAt = message.message == EM_GETSEL ? desktop_.Clock().Now() : -1.0;
    if (message.message == EM_GETSEL) room.caretKeysOnOurs = false;
    if (message.message != WM_GETTEXTLENGTH && message.message != WM_GETTEXT) {
        const WindowHandle box = message.window;
        room.caretSetOverOurs = message.message == EM_SETSEL && message.wParam == static_cast<WParam>(message.lParam) &&
                                !room.intended.Holds(desktop_.Text16(box), desktop_.SelectionOf(box));
    }
    if (message.message == EM_SETSEL || message.message == WM_SETTEXT || message.message == EM_REPLACESEL) {
        room.sentSinceWrite = false;
        room.caretKeysOnOurs = false;
    }
    if (message.message == WM_SETTEXT || message.message == EM_REPLACESEL) {
        room.intended.EndRuns(desktop_.Text16(message.window));
        room.editsOnOurText = 0;
    }
    switch (message.message) {
        case WM_SETTEXT: {
            if (keepsText_) return LResult{keepsTextSaysTaken_ ? 1 : 0};
            if (message.setText == nullptr) return std::nullopt;
            const std::u16string given = Windows1252ToUtf16(*message.setText);
            desktop_.SetText16(message.window, Changed(given, boxChange_).substr(0, boxLimit_));
            room.changedOurs = desktop_.Text16(message.window) != given;
            desktop_.Select(message.window, 0, 0);
            room.written = desktop_.TextBytes(message.window);
            return LResult{answersZeroToText_ ? 0 : 1};
        }
        case EM_REPLACESEL: {
            if (keepsText_ || message.setText == nullptr) return LResult{0};
            std::u16string text = desktop_.Text16(message.window);
            Desktop::Selection selection = desktop_.SelectionOf(message.window);
            const std::u16string given = Windows1252ToUtf16(*message.setText);
            const Key put{Key::Kind::Insert, Changed(given, boxChange_)};
            const std::size_t kept = text.size() - (selection.end - selection.start);
            ApplyKey(text, selection, put, boxLimit_);
            room.changedOurs = put.text != given || text.size() != kept + given.size();
            desktop_.SetText16(message.window, text);
            desktop_.Select(message.window, selection.start, selection.end);
            room.written = desktop_.TextBytes(message.window);
            return LResult{0};
        }
        case WM_GETTEXTLENGTH: {
            const std::string text = desktop_.TextBytes(message.window);
            room.blankRead = flicker_ && text == room.written && !room.intended.HoldsText(desktop_.Text16(message.window)) &&
                             lengthReads_++ % 2 == 1;
            return room.blankRead ? std::optional<LResult>(0) : std::nullopt;
        }
        case WM_GETTEXT: {
            if (room.blankRead && message.getTextBuffer != nullptr && message.wParam != 0) {
                room.blankRead = false;
                (*message.getTextBuffer)[0] = '\0';
                return LResult{0};
            }
            const LResult copied = desktop_.DefaultHandling(message);
            if (static_cast<std::size_t>(copied) == desktop_.Text16(message.window).size()) {
                room.arrivalsAtLastRead = arrivals_;
                room.caretKeysOnOurs = false;
                room.caretSetOverOurs = false;
            }
            return copied;
        }
        case WM_LBUTTONDOWN:
            // A click at the box's top left corner: the keyboard comes to it, the caret to the start.
            desktop_.TakeFocus(message.window);
            desktop_.Select(message.window, 0, 0);
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
    if (Rooms() == 0) return;
    const std::u16string text = Utf8ToUtf16(utf8);
    // Characters that Windows-1252 lacks stay whole, as in a Unicode box.
    SetDraft16(0, text, text.size(), text.size());
}

std::string ChatClient::UserDraft(int room) const { return Utf16ToWindows1252(Intended(room).Candidates().front().text); }

void ChatClient::SetDraft(int index, const std::string& bytes, std::size_t selectionStart, std::size_t selectionEnd) {
    SetDraft16(index, Windows1252ToUtf16(bytes), selectionStart, selectionEnd);
}

void ChatClient::SetDraft16(int index, const std::u16string& text, std::size_t selectionStart, std::size_t selectionEnd) {
    RoomWindows& room = rooms_.at(static_cast<std::size_t>(index));
    const WindowHandle entry = Alive(room.entry, room.entryIdentity);
    desktop_.SetText16(entry, text);
    desktop_.Select(entry, selectionStart, selectionEnd);
    room.intended.Set(text, desktop_.SelectionOf(entry));
    desktop_.TakeFocus(entry);
    Hold(userFocus_, userFocusIdentity_, entry);
}

void ChatClient::Type(int index, const std::string& bytes) { Press(index, Key{Key::Kind::Insert, Windows1252ToUtf16(bytes)}); }

void ChatClient::Press(int index, const Key& key, bool throughKeyboard) {
    const WindowHandle entry = EntryBoxOf(index);
    if (throughKeyboard) desktop_.NoteKeyPressed();
    if (entry == kNoWindow) return;
    desktop_.Input(entry, [this, index, entry, identity = desktop_.Identity(entry), key] {
        KeyArrives(index, entry, identity, key);
    });
}

void ChatClient::KeyArrives(int index, WindowHandle entry, std::uint64_t identity, const Key& key) {
    if (Alive(entry, identity) == kNoWindow) return;
    // The user clicks into the box first when they were typing elsewhere, or when the box no longer
    // shows the keyboard because the client moved it (the window that had it closed).
    if (UserFocus() != entry || desktop_.FocusOf(entry) == kNoWindow || desktop_.FocusFellBack(entry)) {
        desktop_.TakeFocus(entry);
        Hold(userFocus_, userFocusIdentity_, entry);
    }
    RoomWindows& room = rooms_[static_cast<std::size_t>(index)];
    const WindowHandle focus = desktop_.FocusOf(entry);
    if (focus != entry) {
        // Only a press takes the focus to Send (the user types, and clicks only into boxes); a press that
        // leaves it there for good breaks (g). So too for an icon that a post took for Send in a room laid
        // out otherwise: the key goes to it as it would to Send, where no message of ours can see it.
        const bool onIcon = focus != kNoWindow && desktop_.ClassName(focus) == options_.iconClass;
        for (const RoomWindows& pressed : rooms_) {
            if (!onIcon && (focus == kNoWindow || Alive(pressed.send, pressed.sendIdentity) != focus)) continue;
            ++keysLostToPress_;
            return;
        }
        // Lost, though the user meant it for the draft below.
        if (std::ostream* trace = desktop_.Trace())
            *trace << desktop_.Clock().Now() << " key (" << static_cast<int>(key.kind) << " \"" << Utf16ToUtf8(key.text)
                   << "\") lost to window " << focus << '\n';
        room.intended.Apply(key, Landing::OnOwnText, boxLimit_);
        return;
    }
    std::u16string text = desktop_.Text16(entry);
    Desktop::Selection selection = desktop_.SelectionOf(entry);
    // Whether the box shows the user their own text and caret (only the text counts for Enter): then the
    // key acts on their draft as they see it. Otherwise it lands in our text or our selection.
    const bool onOwnText =
        key.kind == Key::Kind::Enter ? room.intended.HoldsText(text) : room.intended.Holds(text, selection);
    // An insert that a full box refuses, selection and all, while our text fills it.
    std::u16string tried = text;
    Desktop::Selection triedSelection = selection;
    ApplyKey(tried, triedSelection, key, boxLimit_);
    const bool refused = !onOwnText && key.Inserts() && tried == text && triedSelection == selection;
    ++arrivals_;
    if (!refused)
        for (const char16_t c : key.text) keysInBoxes_.emplace(c, Arrival{arrivals_, index});
    if (std::ostream* trace = desktop_.Trace()) {
        *trace << desktop_.Clock().Now() << " key " << arrivals_ << " room " << index << " (" << static_cast<int>(key.kind) << " \""
               << Utf16ToUtf8(key.text) << "\") on \"" << Utf16ToUtf8(text) << "\" " << selection.start << '-'
               << selection.end << (onOwnText ? " own" : " not own") << ", " << room.intended.Candidates().size()
               << " meant, first \"" << Utf16ToUtf8(room.intended.Candidates().front().text) << "\"\n";
    }
    // Their own text under a selection of ours: an Enter leaves the box as a Backspace or a Delete over the
    // selection would, empty, and whether the room got the text is out of every message's sight. A post
    // keeps the draft then, as it must for the Backspace, and the user finds what they sent still there.
    // So too for keys of theirs in a box all under a selection of ours (the user never selects): they stay.
    // And for an Enter after caret keys that took our selection away: no message sees those keys either.
    const bool allSelected = selection.start == 0 && selection.end == text.size() && !text.empty();
    const bool underOurs = key.kind == Key::Kind::Enter && (!room.intended.Holds(text, selection) || room.caretKeysOnOurs) &&
                           (onOwnText || allSelected);
    // An Enter on their text right after a caret of ours took the place of one they had not put there may
    // have come right before that caret, under ours: the box is empty after either, and nothing tells. The
    // draft kept will do then as well as the text sent. (Only the first key after that caret.)
    const bool maybeUnderOurs = key.kind == Key::Kind::Enter && room.caretSetOverOurs && onOwnText && !underOurs;
    room.caretSetOverOurs = false;
    // Keys typed after such caret keys, then an Enter, all unread: a post must take the empty box it finds
    // for keys over its selection, and gives back the draft as it took it; the keys typed since went out
    // with the Enter. (The user finds the text they sent in the box again, in front of what they type.)
    if (key.kind == Key::Kind::Enter && onOwnText && room.caretKeysOnOurs && room.typedOnOwn) {
        if (!SendFrom(index, ReceivedLine::Sender::UsersOwnText)) return;
        room.intended = room.beforeCaretKeys;
        room.caretKeysOnOurs = false;
        return;
    }
    if (onOwnText) room.intended.Narrow(text, key.kind == Key::Kind::Enter ? std::nullopt : std::optional(selection));
    if (key.kind == Key::Kind::Enter) {
        const IntendedDraft kept = room.intended;
        const bool sent = SendFrom(index, onOwnText ? ReceivedLine::Sender::UsersOwnText
                                                    : ReceivedLine::Sender::UsersKeyOnOtherText, underOurs || maybeUnderOurs);
        if (sent && onOwnText && !underOurs) room.intended.Set(u"", Desktop::Selection{});
        if (sent && maybeUnderOurs) room.intended.Admit(kept);
        return;
    }
    const IntendedDraft::Shown shown{text, selection};
    if (!onOwnText && (key.kind == Key::Kind::Backspace || key.kind == Key::Kind::Delete)) ++room.editsOnOurText;
    if (refused) {
        ++keysRefusedBesideOurs_;
        return;
    }
    text = std::move(tried);
    selection = triedSelection;
    desktop_.SetText16(entry, text);
    desktop_.Select(entry, selection.start, selection.end);
    // In our text the user meant the key for their draft all the same.
    const bool caretKey = key.kind == Key::Kind::Left || key.kind == Key::Kind::Right || key.kind == Key::Kind::Home ||
                          key.kind == Key::Kind::End;
    // Far longer than the few messages between a post's question for the caret and its selection take.
    constexpr double kCaretQuestionToSelection = 0.01;
    const bool unseen = room.caretAskedAt >= 0.0 && desktop_.Clock().Now() - room.caretAskedAt <= kCaretQuestionToSelection;
    const Landing own = caretKey && unseen ? Landing::OnOwnTextUnseen : Landing::OnOwnText;
    const Landing ours = room.changedOurs && !room.sentSinceWrite         ? Landing::OnOurChangedText
                         : caretKey && room.intended.HoldsText(shown.text) ? Landing::CaretKeyOnOwnUnderOurs
                                                                           : Landing::OnOurText;
    if (caretKey && !onOwnText && ours == Landing::CaretKeyOnOwnUnderOurs && !room.caretKeysOnOurs) {
        room.caretKeysOnOurs = true;
        room.typedOnOwn = false;
        room.beforeCaretKeys = room.intended;
    } else if (room.caretKeysOnOurs && !caretKey) {
        room.typedOnOwn = true;
    }
    room.intended.Apply(key, onOwnText ? own : ours, boxLimit_, &shown, arrivals_);
}

void ChatClient::SetSendBehaviour(SendBehaviour behaviour, int pressesNeeded) {
    options_.send = behaviour;
    options_.pressesNeeded = pressesNeeded;
    for (RoomWindows& room : rooms_) room.pressesOnLine = 0;
}

void ChatClient::OnSendClicked(int index) {
    ++presses_;
    const auto sendAndBeDone = [this, index] { SendFrom(index, ReceivedLine::Sender::Press); };
    if (sendSeconds_ > 0.0 && sendRunsLoop_) {
        desktop_.RunLoopInHandler(frame_, sendSeconds_, sendAndBeDone);
    } else if (sendSeconds_ > 0.0) {
        desktop_.TakeTime(frame_, sendSeconds_, sendAndBeDone);
    } else {
        sendAndBeDone();
    }
}

bool ChatClient::SendFrom(int index, ReceivedLine::Sender sender, bool keysStay) {
    RoomWindows& room = rooms_[static_cast<std::size_t>(index)];
    const WindowHandle entry = Alive(room.entry, room.entryIdentity);
    const std::u16string text = desktop_.Text16(entry);
    if (text.empty()) return false;
    switch (options_.send) {
        case SendBehaviour::Normal:
            break;
        case SendBehaviour::NeedsPresses:
            if (++room.pressesOnLine < options_.pressesNeeded) return false;
            break;
        case SendBehaviour::NeverEmpties:
            return false;
    }
    room.pressesOnLine = 0;
    ReceivedLine line;
    line.time = desktop_.Clock().Now();
    line.bytes = Utf16ToWindows1252(text);
    line.room = index;
    line.sender = sender;
    line.arrivalsAtLastRead = room.arrivalsAtPress;
    line.editsOnOurText = room.editsOnOurText;
    std::u16string withoutKeys;
    for (const char16_t c : text) {
        const auto key = NewestKey(c, index);
        if (key == keysInBoxes_.end()) {
            withoutKeys += c;
            continue;
        }
        if (sender != ReceivedLine::Sender::UsersOwnText) line.keys.push_back(CarriedKey{c, key->second.arrival});
        if (keysStay) continue;
        if (sender != ReceivedLine::Sender::UsersOwnText)
            rooms_[static_cast<std::size_t>(key->second.room)].intended.Remove(c, key->second.arrival);
        keysInBoxes_.erase(key);
    }
    if (!line.keys.empty()) line.withoutKeys = Utf16ToUtf8(withoutKeys);
    if (sender != ReceivedLine::Sender::UsersOwnText) room.intended.OurTextGone();
    received_.push_back(std::move(line));
    desktop_.SetText16(entry, std::u16string());
    desktop_.Select(entry, 0, 0);
    room.sentSinceWrite = true;
    return true;
}

std::unordered_multimap<char16_t, ChatClient::Arrival>::iterator ChatClient::NewestKey(char16_t character, int room) {
    auto newest = keysInBoxes_.end();
    const auto [first, last] = keysInBoxes_.equal_range(character);
    for (auto key = first; key != last; ++key) {
        const bool ours = key->second.room == room;
        if (newest == keysInBoxes_.end() || (ours && newest->second.room != room) ||
            (ours == (newest->second.room == room) && key->second.arrival > newest->second.arrival))
            newest = key;
    }
    return newest;
}

std::string ReceivedLine::WithoutKeys() const { return keys.empty() ? Windows1252ToUtf8(bytes) : withoutKeys; }

std::vector<TranscriptLine> ChatClient::Transcript() const {
    std::vector<TranscriptLine> lines;
    lines.reserve(received_.size());
    for (const ReceivedLine& line : received_) {
        lines.push_back(TranscriptLine{line.time, Windows1252ToUtf8(line.bytes)});
    }
    return lines;
}

}  // namespace vorivevo::sim
