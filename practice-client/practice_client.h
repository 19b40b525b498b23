// The practice client's behaviour: runs commands, answers the send button and the dialogs, and logs it all.
#pragma once

#include <windows.h>

#include <string>

#include "chat_frame.h"
#include "client_events.h"
#include "control_commands.h"
#include "control_file.h"
#include "dialogs.h"
#include "event_log.h"
#include "typist.h"

namespace vorivevo::practice {

class PracticeClient final : public ClientEvents {
public:
    PracticeClient(HINSTANCE instance, const Options& options, EventLog& log);

    // Builds the windows, runs the start-up commands, reports "#ready" and pumps messages until
    // quit. Returns the process exit code.
    int Run();

    void OnSendPressed() override;
    void OnIconPressed(const std::string& where, int icon) override;
    void OnDialogIconPressed(DialogKind kind, int id, int icon) override;
    void OnCloseRequested() override;
    void OnControlTick() override;
    void OnEntryCharacter(WPARAM character) override { typist_.OnEntryCharacter(character); }

private:
    void Execute(const Command& command);
    // Handles every message, sent or posted, for this long, as a warning box shown inside a handler would.
    void RunMessageLoopFor(double seconds);
    void Quit();

    const Options& options_;
    EventLog& log_;
    ChatFrame frame_;
    DialogStack dialogs_;
    ControlFile control_;
    Typist typist_;
    bool refuse_ = false;
    bool closeOnPress_ = false;
    double slowSendSeconds_ = 0;
    double sendLoopSeconds_ = 0;
    bool quitting_ = false;
};

}  // namespace vorivevo::practice
