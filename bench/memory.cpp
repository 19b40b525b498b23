// Memory under a long stream of commands, on the simulated desktop: the heap that the window's logic
// holds, and the event pump's deepest nesting, sampled while 100,000 Start, Stop and drag commands
// arrive during waits and posts. Usage: bench_memory [COMMANDS]
//
// The heap is counted by replacing the global operator new and delete. The simulation keeps records
// that grow with every line and every label value (the room's transcript, the counter's history, the list
// of drags); they are the test bed's, not the logic's, so each sample leaves them out. What remains is
// the logic's working memory (the announcer's pending events, the strings of the post in progress) plus the
// simulated desktop's fixed windows.
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "world.h"

namespace {

long long liveBytes = 0;

}  // namespace

void* operator new(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) throw std::bad_alloc();
    liveBytes += static_cast<long long>(malloc_usable_size(block));
    return block;
}

void operator delete(void* block) noexcept {
    if (block == nullptr) return;
    liveBytes -= static_cast<long long>(malloc_usable_size(block));
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

namespace {

using namespace vorivevo;
using namespace vorivevo::sim;

// Heap bytes held by a string outside the object itself (none while it fits the small-string buffer).
long long HeapOf(const std::string& text) {
    return text.capacity() > 15 ? static_cast<long long>(malloc_usable_size(const_cast<char*>(text.data()))) : 0;
}

template <class T>
long long HeapOf(const std::vector<T>& items) {
    return items.capacity() > 0 ? static_cast<long long>(malloc_usable_size(const_cast<T*>(items.data()))) : 0;
}

long long SimulationRecords(World& world) {
    long long bytes = HeapOf(world.host.IdleCounterHistory()) + HeapOf(world.host.Drags());
    for (const auto& entry : world.host.IdleCounterHistory()) bytes += HeapOf(entry.second);
    bytes += HeapOf(world.host.PostReports());
    for (const auto& entry : world.host.PostReports()) bytes += HeapOf(entry.second);
    const auto& received = world.Client().Received();
    bytes += HeapOf(received);
    for (const ReceivedLine& line : received) bytes += HeapOf(line.bytes) + HeapOf(line.withoutKeys) + HeapOf(line.keys);
    return bytes;
}

long MaxRssKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct Sample {
    long commandsDue;
    long long logicBytes;
    int pumpDepth;
};

}  // namespace

int main(int argc, char** argv) {
    const long commands = argc > 1 ? std::atol(argv[1]) : 100000;
    constexpr long kWarmUp = 1000;
    constexpr long kSampleEvery = 1000;
    if (commands < 2 * kWarmUp) {
        std::fprintf(stderr, "usage: bench_memory [COMMANDS], at least %ld\n", 2 * kWarmUp);
        return 2;
    }

    WorldOptions options;
    options.host.horizon = 1e12;
    options.host.logDeliveries = false;
    // The room second of three MDI windows, so that every post's room search dispatches events too.
    options.client.mdiChildren = 3;
    options.client.roomPosition = 2;
    // Virtual seconds per window message: a post then lasts about 25 ms, long enough to be interrupted.
    options.sendMessageCost = 0.002;
    World world(options);
    world.desktop.SetTrafficRecording(false);
    // The default budget guards unit tests against runaway loops; this run makes far more calls.
    world.desktop.SetCallBudget(4'000'000'000L);

    // When each command arrives: often within a post, often within the half-second wait, now and then
    // after a whole minute's wait so that idle lines and the counter come in too. Fixed seed: every run
    // gives the same stream.
    std::mt19937 random(20240601);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const WindowEvent kinds[] = {WindowEvent::StartClicked, WindowEvent::StopClicked};
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(commands));
    double t = 2.0;
    for (long i = 0; i < commands; ++i) {
        const double pick = unit(random);
        t += pick < 0.45 ? 0.001 + 0.03 * unit(random) : pick < 0.95 ? 0.03 + 0.6 * unit(random)
                                                                       : 60.0 + 2.0 * unit(random);
        times.push_back(t);
        if (i % 50 == 49) {
            world.host.ScriptDrag(t, 0.05);
        } else {
            world.host.Script(t, kinds[i % 2]);
        }
    }
    world.host.Script(t + 5.0, WindowEvent::ExitClicked);

    // Samples are taken at the time of every kSampleEvery-th command, as the clock passes it, which may
    // be in the middle of a post. Each sample schedules the next, so the clock's own queue stays the
    // same size.
    std::vector<Sample> samples;
    samples.reserve(static_cast<std::size_t>(commands / kSampleEvery + 1));
    long next = kSampleEvery;
    std::function<void()> sample = [&] {
        samples.push_back(Sample{next, liveBytes - SimulationRecords(world), world.announcer.MaxPumpDepth()});
        next += kSampleEvery;
        if (next <= commands) world.desktop.Clock().At(times[static_cast<std::size_t>(next - 1)], sample);
    };
    world.desktop.Clock().At(times[static_cast<std::size_t>(next - 1)], sample);

    const long rssBefore = MaxRssKib();
    const RunOutcome outcome = world.Run();
    const long rssAfter = MaxRssKib();

    if (!outcome.returned || samples.size() < 2) {
        std::printf("memory error=the run did not end by Exit (%s)\n", outcome.endedBy.c_str());
        return 1;
    }
    const Sample& warm = *std::find_if(samples.begin(), samples.end(),
                                       [&](const Sample& s) { return s.commandsDue >= kWarmUp; });
    long long most = warm.logicBytes;
    int deepest = warm.pumpDepth;
    for (const Sample& s : samples) {
        if (s.commandsDue < warm.commandsDue) continue;
        most = std::max(most, s.logicBytes);
        deepest = std::max(deepest, s.pumpDepth);
    }
    std::printf(
        "memory commands=%ld lines=%zu virtual_s=%.0f samples=%zu warm_bytes=%lld max_bytes=%lld "
        "growth_bytes=%lld records_bytes=%lld depth_warm=%d depth_max=%d depth_end=%d maxrss_kib_before=%ld maxrss_kib_after=%ld\n",
        commands, world.Client().Received().size(), outcome.endTime, samples.size(), warm.logicBytes, most,
        most - warm.logicBytes, SimulationRecords(world), warm.pumpDepth, deepest, world.announcer.MaxPumpDepth(),
        rssBefore, rssAfter);
    return 0;
}
