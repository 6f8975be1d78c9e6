#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/Error.h"
#include "finalizer/UninstallProcessSnapshot.h"

using namespace pellora;

namespace {

constexpr const char* kApp = "/Applications/Pellora.app";

// A process table the test writes: each process has an executable (or none), a state,
// and the ps row the fallback would see.
class FakeProcessSource final : public UninstallProcessSource {
public:
    struct Process {
        std::optional<std::string> executable;
        bool zombie = false;
        bool kernelThread = false;
        int probesAlive = 1000;  // signal-0 probes that still find the process
    };

    pid_t self = 99;
    std::vector<pid_t> order;
    std::map<pid_t, Process> processes;
    int count = -2;  // -2: the number of listed processes
    std::optional<int> listed;
    int psStatus = 0;
    std::string psOutput;
    int psRuns = 0;

    void add(pid_t pid, Process process) {
        order.push_back(pid);
        processes[pid] = std::move(process);
    }

    pid_t currentProcessId() const override { return self; }
    int countUserProcesses() override { return count == -2 ? static_cast<int>(order.size()) : count; }
    int listUserProcesses(std::span<pid_t> buffer) override {
        const std::size_t n = std::min(order.size(), buffer.size());
        std::copy_n(order.begin(), n, buffer.begin());
        return listed.value_or(static_cast<int>(n));
    }
    std::optional<std::string> executablePath(pid_t pid) override { return processes.at(pid).executable; }
    bool isZombie(pid_t pid) override { return processes.at(pid).zombie; }
    bool isKernelThread(pid_t pid) override { return processes.at(pid).kernelThread; }
    bool exists(pid_t pid) override { return processes.at(pid).probesAlive-- > 0; }
    ToolRun runPs() override {
        ++psRuns;
        return {psStatus, psOutput};
    }
};

std::string failureOf(FakeProcessSource& source) {
    try {
        UninstallProcessSnapshot::appProcesses(kApp, source);
    } catch (const std::exception& error) {
        return describeError(error);
    }
    return "listed";
}

}  // namespace

TEST(UninstallProcessSnapshot, FindsProcessesRunningFromInsideTheBundle) {
    FakeProcessSource source;
    source.add(10, {"/Applications/Pellora.app/Contents/MacOS/Pellora"});
    source.add(11, {"/usr/bin/bash"});
    source.add(12, {"/Applications/Pellora.app2/Contents/MacOS/Other"});
    source.add(13, {"/Applications/Pellora.app"});
    source.add(14, {"/Applications/Pellora.app/Contents/Helpers/tool (deleted)"});
    source.add(99, {"/Applications/Pellora.app/Contents/Helpers/finalizer"});  // itself
    source.add(0, {"/Applications/Pellora.app/Contents/MacOS/Pellora"});

    EXPECT_EQ(UninstallProcessSnapshot::appProcesses(kApp, source), (std::vector<pid_t>{10, 14}));
    EXPECT_EQ(source.psRuns, 0);
}

TEST(UninstallProcessSnapshot, SkipsProcessesWithoutAnImageAndAsksPsOnceForTheRest) {
    FakeProcessSource source;
    source.add(20, {.executable = std::nullopt, .zombie = true});
    source.add(21, {.executable = std::nullopt, .kernelThread = true});
    source.add(22, {.executable = std::nullopt, .probesAlive = 0});
    source.add(23, {.executable = std::nullopt});
    source.add(24, {.executable = std::nullopt});
    source.add(25, {.executable = std::nullopt});
    source.psOutput =
        "   23 /Applications/Pellora.app/Contents/MacOS/Pellora Helper\n"
        "24\t/usr/libexec/agent\n"
        "garbage\n"
        "   25  /Applications/Pellora.app/Contents/MacOS/Pellora  \n";

    EXPECT_EQ(UninstallProcessSnapshot::appProcesses(kApp, source), (std::vector<pid_t>{23, 25}));
    EXPECT_EQ(source.psRuns, 1);
}

TEST(UninstallProcessSnapshot, RefusesWhenAProcessCannotBeInspected) {
    struct Case {
        const char* name;
        std::function<void(FakeProcessSource&)> arrange;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"no processes counted", [](auto& s) { s.count = 0; }, "Could not inspect running processes."},
        {"count fails", [](auto& s) { s.count = -1; }, "Could not inspect running processes."},
        {"listing fails", [](auto& s) { s.listed = 0; }, "Process list is unavailable or changed too quickly."},
        {"listing fills the buffer", [](auto& s) { s.listed = static_cast<int>(s.order.size()) + 1024; },
         "Process list is unavailable or changed too quickly."},
        {"ps fails", [](auto& s) { s.add(30, {std::nullopt}); s.psStatus = 1; }, "Process inspection failed."},
        {"ps has no row", [](auto& s) { s.add(31, {std::nullopt}); },
         "Could not inspect process 31. App retained for safety."},
        {"ps shows a name, not a path", [](auto& s) { s.add(32, {std::nullopt}); s.psOutput = "32 Pellora\n"; },
         "Could not inspect process 32. App retained for safety."},
    };
    for (const auto& testCase : cases) {
        FakeProcessSource source;
        source.add(5, {"/usr/bin/bash"});
        testCase.arrange(source);
        EXPECT_EQ(failureOf(source), testCase.expected) << testCase.name;
    }
}

TEST(UninstallProcessSnapshot, AProcessThatVanishesDuringTheFallbackIsSkipped) {
    FakeProcessSource source;
    // Alive when first probed, gone by the time its ps row turned out to be missing.
    source.add(40, {.executable = std::nullopt, .probesAlive = 1});
    source.psOutput = "1 /sbin/init\n";

    EXPECT_TRUE(UninstallProcessSnapshot::appProcesses(kApp, source).empty());
    EXPECT_EQ(source.psRuns, 1);
}
