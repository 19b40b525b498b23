// A whole simulated run for tests: the desktop, the client, its dialogs, the host and the announcer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "announcer.h"
#include "chat_client.h"
#include "desktop.h"
#include "dialogs.h"
#include "sim_host.h"
#include "transcript.h"

namespace vorivevo::sim {

struct WorldOptions {
    bool clientRunning = true;
    ChatClientOptions client;
    SimHostOptions host;
    // Virtual seconds each window message takes, so that posts take time.
    double sendMessageCost = 0.0;
};

struct RunOutcome {
    bool returned = false;    // Announcer::Run returned: Exit, a close request or an error
    int exitCode = 0;         // its result, when it returned
    std::string endedBy;      // why the run was cut short, when it was (HorizonReached)
    double endTime = 0.0;     // virtual seconds
    std::vector<TranscriptLine> transcript;
};

// Tests set the stage through the members (script the user's events on `host`, open dialogs, type a
// draft, schedule changes on desktop.Clock()), then Run. The desktop is built first and goes last.
class World {
public:
    explicit World(const WorldOptions& options = {});
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Runs the announcer until it returns or the run reaches its horizon. Once per World.
    RunOutcome Run();

    ChatClient& Client();  // throws std::logic_error when the client is not running
    bool ClientRunning() const { return client_ != nullptr; }
    std::vector<TranscriptLine> Transcript() const;

    Desktop desktop;
    Dialogs dialogs;
    SimHost host;
    Announcer announcer;

private:
    std::unique_ptr<ChatClient> client_;
    bool ran_ = false;
};

}  // namespace vorivevo::sim
