// How much one snapshot of the user's processes costs against what a user of the shell
// tools would run instead (`ps -ax -o pid=,ppid=,comm=`), with at least 300 processes
// present; and how much CPU the time-limited child runner spends per second while it
// waits on a sleeping child. Prints both ratios at the end.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "base/Task.h"
#include "base/VirtualEventLoop.h"
#include "engine/LifecycleProcess.h"
#include "platform/linux/LinuxProcessLauncher.h"
#include "platform/linux/LinuxProcessTable.h"
#include "update/UpdateProcessTree.h"

using namespace pellora;

namespace {

auto launcher = std::make_shared<LinuxProcessLauncher>();
auto table = std::make_shared<LinuxProcessTable>();

// Sleeping children that bring the machine to at least `wanted` processes.
class Crowd {
public:
    explicit Crowd(int wanted) {
        int present = table->countProcesses(table->currentUserId());
        for (int i = present; i < wanted; ++i) {
            LaunchSpec spec;
            spec.executable = "/bin/sleep";
            spec.arguments = {"600"};
            children_.push_back(launcher->launch(spec));
        }
    }
    ~Crowd() {
        for (auto& child : children_) child->sendSignal(SIGKILL);
        for (auto& child : children_) child->waitUntilExit();
    }

private:
    std::vector<std::unique_ptr<ChildProcess>> children_;
};

double gSnapshotSeconds = 0;
double gPsSeconds = 0;

void BM_Snapshot(benchmark::State& state) {
    UpdateProcessTree tree(table, launcher);
    std::size_t entries = 0;
    const auto started = std::chrono::steady_clock::now();
    for (auto _ : state) entries = tree.snapshot().size();
    gSnapshotSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() /
                       static_cast<double>(state.iterations());
    state.counters["entries"] = static_cast<double>(entries);
}

void BM_PsBaseline(benchmark::State& state) {
    const auto started = std::chrono::steady_clock::now();
    for (auto _ : state) {
        LaunchSpec spec;
        spec.executable = "/bin/ps";
        spec.arguments = {"-ax", "-o", "pid=,ppid=,comm="};
        spec.standardOutput = StdioTarget::pipe();
        auto child = launcher->launch(spec);
        std::string output;
        for (std::string chunk; !(chunk = child->readAvailable(ChildProcess::Stream::standardOutput)).empty();) {
            output += chunk;
        }
        child->waitUntilExit();
        benchmark::DoNotOptimize(output);
    }
    gPsSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count() /
                 static_cast<double>(state.iterations());
}

double processCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& value) { return value.tv_sec + value.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Runs `sleep 3` through the runner on a loop whose clock follows the real clock, and
// reports this process's CPU time per second of waiting.
double lifecycleCpuPerSecond() {
    VirtualEventLoop loop;
    MainLoopScope scope(loop);
    auto tree = std::make_shared<UpdateProcessTree>(table, launcher);
    LifecycleProcess runner(launcher, tree);
    bool finished = false;
    spawn([](LifecycleProcess& run, bool& done) -> Task<void> {
        auto task = run.run("/bin/sleep", {"3"}, Environment{{"PATH", "/usr/bin:/bin"}}, 30);
        co_await std::move(task);
        done = true;
    }(runner, finished));
    const double cpuStart = processCpuSeconds();
    const auto started = std::chrono::steady_clock::now();
    const Duration virtualStart = loop.uptime();
    while (!finished) {
        // Sleep until the next poll is due, as the application's loop would.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        auto real = std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now() - started);
        loop.advance(real - (loop.uptime() - virtualStart));
        loop.runUntilIdle();
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return (processCpuSeconds() - cpuStart) / wall;
}

}  // namespace

BENCHMARK(BM_Snapshot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PsBaseline)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    double cpuPerSecond = 0;
    {
        Crowd crowd(320);
        benchmark::RunSpecifiedBenchmarks();
        cpuPerSecond = lifecycleCpuPerSecond();
    }
    benchmark::Shutdown();
    if (gPsSeconds > 0) {
        std::printf("snapshot / ps run: %.3f (%.3f ms vs %.3f ms; target at most 0.333)\n",
                    gSnapshotSeconds / gPsSeconds, gSnapshotSeconds * 1e3, gPsSeconds * 1e3);
    }
    std::printf("LifecycleProcess waiting on a sleeping child: %.1f ms CPU per second (%.2f%% of one core)\n",
                cpuPerSecond * 1e3, cpuPerSecond * 100);
    return 0;
}
