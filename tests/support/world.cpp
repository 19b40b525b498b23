// Wiring a simulated run together and running it to its end.
#include "world.h"

#include <stdexcept>

#include "horizon_reached.h"

namespace vorivevo::sim {

World::World(const WorldOptions& options)
    : dialogs(desktop), host(desktop, options.host), announcer(desktop, host, host) {
    if (options.clientRunning) client_ = std::make_unique<ChatClient>(desktop, options.client);
    desktop.SetSendMessageCost(options.sendMessageCost);
    host.AttachSink(&announcer);
}

World::~World() { host.AttachSink(nullptr); }

ChatClient& World::Client() {
    if (!client_) throw std::logic_error("World: the client is not running");
    return *client_;
}

std::vector<TranscriptLine> World::Transcript() const {
    return client_ ? client_->Transcript() : std::vector<TranscriptLine>{};
}

RunOutcome World::Run() {
    if (ran_) throw std::logic_error("World: Run is for once only");
    ran_ = true;
    RunOutcome outcome;
    try {
        outcome.exitCode = announcer.Run();
        outcome.returned = true;
    } catch (const HorizonReached& end) {
        outcome.endedBy = end.reason;
    }
    outcome.endTime = desktop.Clock().Now();
    outcome.transcript = Transcript();
    return outcome;
}

}  // namespace vorivevo::sim
