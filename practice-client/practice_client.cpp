// What the practice client does on each command, press and tick.
#include "practice_client.h"

#include <cstdio>

#include "log_format.h"
#include "text_codec.h"

namespace vorivevo::practice {

namespace {

std::string DialogName(DialogKind kind) {
    return kind == DialogKind::Palette ? "palette" : "modal";
}

std::string FormatSeconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

// A left click posted to the window at a point of the screen, as a program that clicks for the user posts
// it: the window's own thread gets it, with no activation and no move of the keyboard focus by the system.
// The class of the window clicked, or "none".
std::string PostClick(int x, int y) {
    POINT at{x, y};
    const HWND window = WindowFromPoint(at);
    if (!window) return "none";
    ScreenToClient(window, &at);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

}  // namespace

PracticeClient::PracticeClient(HINSTANCE instance, const Options& options, EventLog& log)
    : options_(options),
      log_(log),
      frame_(instance, options, *this),
      dialogs_(instance, *this),
      control_(options.controlPath),
      typist_(instance, frame_, log_),
      closeOnPress_(options.closeOnPress) {}

int PracticeClient::Run() {
    if (!dialogs_.RegisterWindowClasses() || !frame_.Create() || !typist_.Create()) {
        log_.Event("error could not create the windows");
        return 1;
    }
    dialogs_.SetOwner(frame_.Frame());
    for (const Command& command : options_.startup) Execute(command);
    log_.Event("ready rooms=" + std::to_string(options_.rooms) + " room-position=" +
               std::to_string(options_.roomPosition));

    MSG message;
    while (!quitting_ && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (TranslateMDISysAccel(frame_.MdiClient(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

void PracticeClient::RunMessageLoopFor(double seconds) {
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000 + 0.5);
    for (ULONGLONG now = GetTickCount64(); now < until && !quitting_; now = GetTickCount64()) {
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(until - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (!quitting_ && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // For the outer loop, which ends the program.
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            if (TranslateMDISysAccel(frame_.MdiClient(), &message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void PracticeClient::OnSendPressed() {
    // A slow network: nothing on this thread is answered meanwhile, the box keeps its text.
    if (slowSendSeconds_ > 0) Sleep(static_cast<DWORD>(slowSendSeconds_ * 1000 + 0.5));
    // A warning box: everything is answered meanwhile, from inside this handler, which then takes what the
    // box holds by then.
    if (sendLoopSeconds_ > 0) {
        log_.Event("send-loop begins");
        RunMessageLoopFor(sendLoopSeconds_);
        log_.Event("send-loop ends");
    }
    std::string text = frame_.EntryText();
    if (refuse_) {
        log_.Event("press send refused");
        return;
    }
    if (text.empty()) {
        log_.Event("press send empty");
        return;
    }
    log_.Event("press send");
    log_.Received(text);
    frame_.AppendToTranscript(text);
    frame_.SetEntryText("");
}

void PracticeClient::OnIconPressed(const std::string& where, int icon) {
    log_.Event("press " + where + " icon " + std::to_string(icon));
}

void PracticeClient::OnDialogIconPressed(DialogKind kind, int id, int icon) {
    log_.Event("press " + DialogName(kind) + " " + std::to_string(id) + " icon " + std::to_string(icon));
    if (closeOnPress_ && dialogs_.Close(kind, id) != 0) {
        log_.Event("close " + DialogName(kind) + " " + std::to_string(id));
    }
}

void PracticeClient::OnCloseRequested() {
    Quit();
}

void PracticeClient::OnControlTick() {
    for (const std::string& line : control_.NewLines()) {
        if (quitting_) return;
        ParsedLine parsed = ParseControlLine(line);
        if (!parsed.error.empty()) log_.Event("error " + EscapeForLog(parsed.error));
        if (parsed.command) Execute(*parsed.command);
    }
}

void PracticeClient::Execute(const Command& command) {
    switch (command.kind) {
        case Command::Kind::OpenDialog: {
            int id = dialogs_.Open(command.dialog, command.id);
            if (id != 0) {
                log_.Event("open " + DialogName(command.dialog) + " " + std::to_string(id));
            } else {
                log_.Event("error " + DialogName(command.dialog) + " " + std::to_string(command.id) + " is open already");
            }
            break;
        }
        case Command::Kind::CloseDialog: {
            int id = dialogs_.Close(command.dialog, command.id);
            if (id != 0) {
                log_.Event("close " + DialogName(command.dialog) + " " + std::to_string(id));
            } else {
                log_.Event("error no " + DialogName(command.dialog) + " to close");
            }
            break;
        }
        case Command::Kind::Draft: {
            std::string draft = DecodeEscapes(ToAnsi(command.text));
            frame_.SetEntryText(draft);
            log_.Event((frame_.HasRoom() ? "draft " : "error no room for draft ") + EscapeForLog(draft));
            break;
        }
        case Command::Kind::Hang:
            log_.Event("hang " + FormatSeconds(command.seconds));
            Sleep(static_cast<DWORD>(command.seconds * 1000 + 0.5));
            log_.Event("awake");
            break;
        case Command::Kind::Refuse:
            refuse_ = command.on;
            log_.Event(refuse_ ? "refuse on" : "refuse off");
            break;
        case Command::Kind::CloseOnPress:
            closeOnPress_ = command.on;
            log_.Event(closeOnPress_ ? "close-on-press on" : "close-on-press off");
            break;
        case Command::Kind::ShowEntry:
            log_.Event("entry " + EscapeForLog(frame_.EntryText()));
            break;
        case Command::Kind::KeepText:
            frame_.SetKeepText(command.on);
            log_.Event(command.on ? "keep-text on" : "keep-text off");
            break;
        case Command::Kind::SlowSend:
            slowSendSeconds_ = command.seconds;
            log_.Event("slow-send " + FormatSeconds(command.seconds));
            break;
        case Command::Kind::SendLoop:
            sendLoopSeconds_ = command.seconds;
            log_.Event("send-loop " + FormatSeconds(command.seconds));
            break;
        case Command::Kind::Select:
            frame_.SelectInEntry(command.start, command.end);
            log_.Event("select " + std::to_string(command.start) + " " + std::to_string(command.end));
            break;
        case Command::Kind::ShowCaret: {
            const auto [start, end] = frame_.EntrySelection();
            log_.Event("caret " + std::to_string(start) + " " + std::to_string(end));
            break;
        }
        case Command::Kind::FocusEntry:
            frame_.FocusEntry();
            log_.Event("focus-entry");
            break;
        case Command::Kind::ShowFocus:
            log_.Event("focus " + frame_.FocusName());
            break;
        case Command::Kind::TypeKeyboard:
        case Command::Kind::TypeThread: {
            const bool keyboard = command.kind == Command::Kind::TypeKeyboard;
            typist_.Type(keyboard ? Typist::Path::Keyboard : Typist::Path::Thread, command.count, command.rate);
            log_.Event(std::string(keyboard ? "type-keyboard " : "type-thread ") + std::to_string(command.count) +
                       " " + FormatSeconds(command.rate));
            break;
        }
        case Command::Kind::PostClick:
            log_.Event("post-click " + std::to_string(command.x) + " " + std::to_string(command.y) + " " +
                       EscapeForLog(PostClick(command.x, command.y)));
            break;
        case Command::Kind::Quit:
            Quit();
            break;
    }
}

void PracticeClient::Quit() {
    if (quitting_) return;
    quitting_ = true;
    log_.Event("quit");
    PostQuitMessage(0);
}

}  // namespace vorivevo::practice
