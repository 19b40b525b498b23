// Opening, pressing and closing the simulated dialogs.
#include "dialogs.h"

namespace vorivevo::sim {

std::vector<std::string> DialogChildClasses() {
    std::vector<std::string> classes;
    for (const client_model::ChildWindow& child : client_model::kDialogChildren)
        classes.push_back(client_model::ClassOf(child.control));
    return classes;
}

Dialogs::~Dialogs() {
    for (const auto& entry : dialogs_) desktop_.DestroyWindow(entry.first);
}

const char* Dialogs::ClassOf(DialogKind kind) {
    return kind == DialogKind::Palette ? client_model::kPaletteClass : client_model::kModalClass;
}

WindowHandle Dialogs::Open(DialogKind kind, DialogOptions options) {
    const std::string className = options.className.empty() ? ClassOf(kind) : options.className;
    const WindowHandle dialog = desktop_.CreateWindow(kNoWindow, className, options.title);
    for (std::size_t index = 0; index < options.childClasses.size(); ++index) {
        const WindowHandle child = desktop_.CreateWindow(dialog, options.childClasses[index]);
        const int place = static_cast<int>(index);
        desktop_.SetHandler(child, [this, dialog, child, place](const MessageContext& message) {
            if (message.message != WM_LBUTTONDOWN && message.message != WM_LBUTTONUP) return std::optional<LResult>();
            OnButton(dialog, child, place, message.message);
            return std::optional<LResult>(0);
        });
    }
    dialogs_.emplace(dialog, Dialog{kind, std::move(options)});
    return dialog;
}

void Dialogs::Close(WindowHandle dialog) {
    desktop_.DestroyWindow(dialog);
    dialogs_.erase(dialog);
}

std::vector<WindowHandle> Dialogs::OpenOf(DialogKind kind) const {
    std::vector<WindowHandle> open;
    for (const WindowHandle window : desktop_.Children(kNoWindow)) {
        const auto found = dialogs_.find(window);
        if (found != dialogs_.end() && found->second.kind == kind) open.push_back(window);
    }
    return open;
}

void Dialogs::OnButton(WindowHandle dialog, WindowHandle child, int index, Message message) {
    const auto found = dialogs_.find(dialog);
    if (found == dialogs_.end()) return;
    Dialog& state = found->second;
    if (message == WM_LBUTTONDOWN) {
        state.pressed = child;
        return;
    }
    // A button-up counts only over the child that took the button-down, as a real button's click does.
    if (state.pressed != child) return;
    state.pressed = kNoWindow;
    presses_.push_back(DialogPress{desktop_.Clock().Now(), dialog, state.kind, index});
    if (index == state.options.dismissChild && state.options.closeOnDismiss) Close(dialog);
}

}  // namespace vorivevo::sim
