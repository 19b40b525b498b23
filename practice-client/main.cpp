// Entry point of practice-client.exe: reads the command line, opens the log and runs the client.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "control_commands.h"
#include "event_log.h"
#include "log_format.h"
#include "practice_client.h"
#include "text_codec.h"

using namespace vorivevo::practice;

namespace {

// The command line as UTF-8, read in UTF-16 so that no argument depends on the ANSI code page.
std::vector<std::string> Arguments() {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return args;
    for (int i = 1; i < count; ++i) args.push_back(WideToUtf8(wide[i]));
    LocalFree(wide);
    return args;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    ParsedOptions parsed = ParseCommandLine(Arguments());
    EventLog log(parsed.options.logPath);
    if (!parsed.error.empty()) {
        log.Event("error " + EscapeForLog(parsed.error));
        return 2;
    }
    if (log.Failed()) return 3;
    PracticeClient client(instance, parsed.options, log);
    return client.Run();
}
