// The cost of one post on the simulated desktop, with the chat room as the first MDI child and as the
// 101st (the last one the room search examines). Usage: bench_post_cost [POSTS]
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "chat_client.h"
#include "desktop.h"
#include "post_cost.h"
#include "sim_host.h"
#include "client_automation.h"

namespace {

bool Measure(int roomPosition, int posts) {
    using namespace vorivevo;
    sim::Desktop desktop;
    desktop.SetTrafficRecording(false);
    sim::ChatClientOptions clientOptions;
    clientOptions.mdiChildren = roomPosition;
    clientOptions.roomPosition = roomPosition;
    sim::ChatClient client(desktop, clientOptions);
    sim::SimHostOptions hostOptions;
    hostOptions.logDeliveries = false;
    // The clock stands still here (messages cost no virtual time), which the host would otherwise
    // take for a loop that never waits.
    hostOptions.maxIdlePumps = LONG_MAX;
    sim::SimHost host(desktop, hostOptions);
    bench::CountingWindowSystem counter(desktop);
    ClientAutomation automation(counter, host);
    return bench::ReportPostCost("sim", roomPosition, automation, counter, posts,
                                 [&client] { return static_cast<long>(client.Received().size()); });
}

}  // namespace

int main(int argc, char** argv) {
    const int posts = argc > 1 ? std::atoi(argv[1]) : 2000;
    if (posts < 1) {
        std::fprintf(stderr, "usage: bench_post_cost [POSTS]\n");
        return 2;
    }
    const bool ok = Measure(1, posts) && Measure(101, posts);
    return ok ? 0 : 1;
}
