// The contract cases' stage on the simulated desktop.
#include <memory>

#include "chat_client.h"
#include "contract_desktop.h"
#include "desktop.h"
#include "dialogs.h"
#include "sim_host.h"

namespace vorivevo::contract {
namespace {

class SimContractDesktop final : public ContractDesktop {
public:
    WindowSystem& Windows() override { return desktop_; }
    EventLoop& Events() override { return host_; }
    long Dispatches() override { return host_.PumpCalls(); }

    Family MakeParent(const std::vector<std::string>& childClasses) override {
        Family family{desktop_.CreateWindow(kNoWindow, "_Vorivevo_Parent"), {}};
        for (const auto& className : childClasses)
            family.children.push_back(desktop_.CreateWindow(family.parent, className));
        return family;
    }
    WindowHandle MakeWindow(WindowHandle parent, const std::string& className) override {
        return desktop_.CreateWindow(parent, className);
    }
    WindowHandle MakeTextWindow(const std::string& text) override {
        return desktop_.CreateWindow(kNoWindow, "_Vorivevo_Edit", text);
    }

    void OpenChatClient(const ChatLayout& layout) override {
        sim::ChatClientOptions options;
        options.mdiChildren = layout.mdiChildren;
        options.roomPosition = layout.roomPosition;
        options.roomHasListBox = layout.roomHasListBox;
        options.roomChildren = layout.roomChildren;
        options.send = layout.refusesLines        ? sim::SendBehaviour::NeverEmpties
                       : layout.pressesNeeded > 1 ? sim::SendBehaviour::NeedsPresses
                                                  : sim::SendBehaviour::Normal;
        options.pressesNeeded = layout.pressesNeeded;
        if (layout.otherLetterCase) {
            options.mdiClientClass = "MdiClient";
            options.richTextClass = "RichCntl";
            options.listBoxClass = "_Aol_ListBox";
            options.iconClass = "_aol_icon";
        }
        client_ = std::make_unique<sim::ChatClient>(desktop_, options);
        client_->SetKeepsText(layout.keepsText);
        client_->SetSendSeconds(layout.sendMilliseconds / 1000.0);
        client_->SetSendRunsLoop(layout.sendRunsLoop);
    }
    WindowHandle Room() override { return client_ ? client_->Room() : kNoWindow; }
    WindowHandle EntryBox() override { return client_ ? client_->EntryBox() : kNoWindow; }
    std::string EntryText() override { return client_ ? client_->EntryText() : std::string(); }
    void TypeDraft(const std::string& text) override { client_->TypeDraft(text); }
    void Select(unsigned start, unsigned end) override {
        const std::string whole = client_->EntryText();
        client_->SetDraft(0, client_->EntryBytes(), start, end);
        desktop_.SetText(client_->EntryBox(), whole);  // a text beyond the code page stays whole
    }
    std::pair<unsigned, unsigned> Selection() override {
        const sim::Desktop::Selection selection = desktop_.SelectionOf(client_->EntryBox());
        return {static_cast<unsigned>(selection.start), static_cast<unsigned>(selection.end)};
    }
    void FocusEntryBox() override { desktop_.TakeFocus(client_->EntryBox()); }
    WindowHandle FocusedWindow() override { return client_ ? desktop_.FocusOf(client_->Frame()) : kNoWindow; }
    std::vector<std::string> Received() override {
        std::vector<std::string> lines;
        if (client_)
            for (const auto& line : client_->Received()) lines.push_back(line.bytes);
        return lines;
    }
    long SendPresses() override { return client_ ? client_->Presses() : 0; }

    WindowHandle OpenDialog(DialogKind kind) override {
        sim::DialogOptions options;
        options.closeOnDismiss = false;
        const WindowHandle dialog = dialogs_.Open(
            kind == DialogKind::Palette ? sim::DialogKind::Palette : sim::DialogKind::Modal, options);
        // The client's dialogs are answered on its one thread, as on the real stage.
        if (client_) desktop_.JoinThread(dialog, client_->Frame());
        return dialog;
    }
    std::vector<DialogPress> DialogPresses() override {
        std::vector<DialogPress> presses;
        for (const auto& press : dialogs_.Presses()) presses.push_back({press.dialog, press.child});
        return presses;
    }

private:
    sim::Desktop desktop_;
    sim::SimHost host_{desktop_};
    sim::Dialogs dialogs_{desktop_};
    std::unique_ptr<sim::ChatClient> client_;
};

}  // namespace

std::unique_ptr<ContractDesktop> MakeContractDesktop() { return std::make_unique<SimContractDesktop>(); }

}  // namespace vorivevo::contract
