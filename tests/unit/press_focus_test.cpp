// The client's keyboard focus around our presses: given back only where a press took it, and never
// taken where the client had none.
#include <gtest/gtest.h>

#include <climits>

#include "chat_client.h"
#include "client_automation.h"
#include "desktop.h"
#include "dialogs.h"
#include "expected_lines.h"
#include "sim_host.h"

namespace vorivevo::sim {
namespace {

class PressFocus : public ::testing::Test {
protected:
    PressFocus() {
        SimHostOptions options;
        options.maxIdlePumps = LONG_MAX;  // messages take no virtual time here
        host_ = std::make_unique<SimHost>(desktop_, options);
        automation_ = std::make_unique<ClientAutomation>(desktop_, *host_);
        client_.TypeDraft("my words");
    }
    Desktop desktop_;
    ChatClient client_{desktop_};
    Dialogs dialogs_{desktop_};
    std::unique_ptr<SimHost> host_;
    std::unique_ptr<ClientAutomation> automation_;
};

// An icon that leaves the focus alone (the simulated dialogs' do) gets its press, and the user's focus
// stays in their box: nothing is moved that the press did not move.
TEST_F(PressFocus, PressThatLeavesTheFocusAloneMovesNothing) {
    DialogOptions stays;
    stays.closeOnDismiss = false;
    desktop_.JoinThread(dialogs_.Open(DialogKind::Modal, stays), client_.Frame());
    automation_->DismissModal();
    EXPECT_EQ(dialogs_.Presses().size(), 1u);
    EXPECT_EQ(desktop_.FocusOf(client_.Frame()), client_.EntryBox());
}

// A client with no focus (it is not the active program, say because our window was just clicked) must not
// find Send focused when the user comes back to it by the keyboard: a Space there would send their draft.
// Send pressed by Space takes no focus.
TEST_F(PressFocus, ClientWithoutFocusIsGivenNone) {
    desktop_.LoseFocus(client_.Frame());
    ASSERT_EQ(desktop_.FocusOf(client_.Frame()), kNoWindow);
    EXPECT_EQ(automation_->PostToChat(expected::kLoaded), PostResult::Posted);
    EXPECT_EQ(desktop_.FocusOf(client_.Frame()), kNoWindow);
}

}  // namespace
}  // namespace vorivevo::sim
