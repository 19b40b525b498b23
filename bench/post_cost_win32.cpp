// The cost of one post through user32, against the practice client running in the same Wine server.
// Usage: post_cost_win32.exe ROOM_POSITION POSTS LOG
//   ROOM_POSITION  where the client was told to put its room (--room-position), for the report
//   LOG            the client's log (a Windows path), to count the lines the room took
#include "win32_api.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "client_automation.h"
#include "post_cost.h"
#include "win32_event_pump.h"
#include "win32_window_system.h"

namespace {

using namespace vorivevo;

// Lines the room received that this program posted: the log's records "<time>\tbench post N".
long BenchLinesReceived(const char* logPath) {
    std::ifstream log(logPath, std::ios::binary);
    long count = 0;
    for (std::string record; std::getline(log, record);) {
        if (record.find("\tbench post ") != std::string::npos) ++count;
    }
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || std::atoi(argv[1]) < 1 || std::atoi(argv[2]) < 1) {
        std::fprintf(stderr, "usage: post_cost_win32.exe ROOM_POSITION POSTS LOG\n");
        return 2;
    }
    const int roomPosition = std::atoi(argv[1]);
    const int posts = std::atoi(argv[2]);
    const char* logPath = argv[3];
    Win32WindowSystem windows;
    bench::CountingWindowSystem counter(windows);
    // This console program has no window of its own, so the pump finds nothing, but it costs what the
    // real pump's PeekMessage costs.
    Win32EventPump events;
    ClientAutomation automation(counter, events);
    const bool ok = bench::ReportPostCost("wine", roomPosition, automation, counter, posts,
                                          [logPath] { return BenchLinesReceived(logPath); });
    return ok ? 0 : 1;
}
