#include <gtest/gtest.h>

#include <sys/wait.h>

#include <csignal>

#include "platform/linux/LinuxProcessLauncher.h"
#include "platform/linux/LinuxProcessTable.h"
#include "ProcessTestSupport.h"
#include "RealTime.h"
#include "update/UpdateProcessTree.h"

using namespace pellora;
using namespace pellora::integration;

namespace {

// The real table, except that its listing also names ids the test chose (for example
// one whose process has just been reaped).
class ListingWithExtras final : public ProcessTable {
public:
    LinuxProcessTable real;
    std::vector<std::int32_t> extras;
    std::uint32_t currentUserId() const override { return real.currentUserId(); }
    std::int32_t currentProcessId() const override { return real.currentProcessId(); }
    int countProcesses(std::uint32_t uid) override { return real.countProcesses(uid); }
    std::optional<std::vector<std::int32_t>> listProcesses(std::uint32_t uid, std::size_t capacity) override {
        auto ids = real.listProcesses(uid, capacity);
        if (ids) ids->insert(ids->end(), extras.begin(), extras.end());
        return ids;
    }
    std::optional<ProcessInfo> info(std::int32_t pid) override { return real.info(pid); }
    std::optional<std::string> executablePath(std::int32_t pid) override { return real.executablePath(pid); }
    bool executableAccessDenied(std::int32_t pid) override { return real.executableAccessDenied(pid); }
    int sendSignal(std::int32_t pid, int signal) override { return real.sendSignal(pid, signal); }
};

class ProcessTreeTest : public ::testing::Test {
protected:
    VirtualEventLoop loop;
    MainLoopScope scope{loop};
    TempDir temp;
    std::shared_ptr<LinuxProcessLauncher> launcher = std::make_shared<LinuxProcessLauncher>();
    std::shared_ptr<ListingWithExtras> table = std::make_shared<ListingWithExtras>();
    UpdateProcessTree tree{table, launcher};
    std::vector<std::unique_ptr<ChildProcess>> children;

    void TearDown() override {
        for (auto& child : children) {
            child->sendSignal(SIGKILL);
            child->waitUntilExit();
        }
    }

    // Copies a system program into `dir` so processes run from inside it.
    std::filesystem::path install(const std::string& dir, const char* program) {
        auto target = temp.path() / dir / std::filesystem::path(program).filename();
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(std::filesystem::canonical(program), target);
        return target;
    }
    ChildProcess& start(const std::filesystem::path& executable, std::vector<std::string> arguments) {
        LaunchSpec spec;
        spec.executable = executable.string();
        spec.arguments = std::move(arguments);
        children.push_back(launcher->launch(spec));
        return *children.back();
    }
    Identity identityOf(const ChildProcess& child) {
        auto identity = tree.identity(child.pid());
        EXPECT_TRUE(identity.has_value());
        return identity.value_or(Identity{});
    }
};

TEST_F(ProcessTreeTest, SnapshotSeesChildrenWithParentsAndResolvedPaths) {
    auto sleeper = install("app/bin", "/bin/sleep");
    auto& child = start(sleeper, {"30"});
    auto entries = tree.snapshot();
    auto found = std::find_if(entries.begin(), entries.end(),
                              [&](const auto& entry) { return entry.identity.pid == child.pid(); });
    ASSERT_NE(found, entries.end());
    EXPECT_EQ(found->parent, ::getpid());
    EXPECT_EQ(found->executable, std::filesystem::canonical(sleeper).string());
    EXPECT_EQ(found->identity, identityOf(child));
    for (const auto& entry : entries) EXPECT_NE(entry.identity.pid, ::getpid());
}

TEST_F(ProcessTreeTest, ProcessThatExitedBeforeInspectionIsSkipped) {
    LaunchSpec spec;
    spec.executable = "/bin/true";
    auto gone = launcher->launch(spec);
    const auto pid = gone->pid();
    gone->waitUntilExit();
    table->extras = {pid};
    EXPECT_NO_THROW({
        auto entries = tree.snapshot();
        for (const auto& entry : entries) EXPECT_NE(entry.identity.pid, pid);
    });
}

TEST_F(ProcessTreeTest, SiblingWithALongerNameIsNotCaptured) {
    auto& inside = start(install("app", "/bin/sleep"), {"30"});
    auto& sibling = start(install("app-2", "/bin/sleep"), {"30"});
    auto found = tree.processes(temp.path() / "app", {});
    EXPECT_EQ(found, (UpdateProcessTree::IdentitySet{identityOf(inside)}));
    EXPECT_FALSE(found.contains(identityOf(sibling)));
}

TEST_F(ProcessTreeTest, StaleIdentityIsNeverSignalled) {
    auto& child = start("/bin/sleep", {"30"});
    Identity stale = identityOf(child);
    stale.microseconds += 1;  // same id, another start time: a reused id
    tree.signal({stale}, SIGKILL);
    EXPECT_TRUE(isRunning(child.pid()));
    tree.signal({identityOf(child)}, SIGKILL);
    EXPECT_EQ(child.waitUntilExit(), SIGKILL);
}

TEST_F(ProcessTreeTest, TerminateEscalatesForAProcessIgnoringSigterm) {
    auto shell = install("engine", "/bin/sh");
    auto& stubborn = start(shell, {"-c", "trap '' TERM; while :; do sleep 0.1; done"});
    ::usleep(100000);
    auto out = runInRealTime(loop, completes(tree.terminate(temp.path() / "engine", {}, 1.0, 5.0)));
    EXPECT_TRUE(out.finished);
    EXPECT_EQ(out.error, "");
    EXPECT_GE(out.took.count(), 1.0);
    EXPECT_EQ(stubborn.waitUntilExit(), SIGKILL);
}

TEST_F(ProcessTreeTest, TerminateOfAProcessThatExitsAtOnceIsQuick) {
    auto& polite = start(install("engine", "/bin/sleep"), {"30"});
    auto out = runInRealTime(loop, completes(tree.terminate(temp.path() / "engine", {}, 6.0, 12.0)));
    EXPECT_EQ(out.error, "");
    EXPECT_LT(out.took.count(), 2.0);
    EXPECT_EQ(polite.waitUntilExit(), SIGTERM);
}

TEST(LinuxProcessTableTest, MalformedProcRecordsAreRejected) {
    const std::string good =
        "42 (a) b)) S 7 1 1 0 -1 4194560 1 0 0 0 0 0 0 0 20 0 1 0 12345 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1";
    auto fields = LinuxProcessTable::parseStat(good);
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->state, 'S');
    EXPECT_EQ(fields->parent, 7);
    EXPECT_EQ(fields->startTicks, 12345u);
    for (const char* bad : {"", "42 (a", "42 (a) S 7", "42 (a) SS 7 1 1 0 -1 4 1 0 0 0 0 0 0 0 20 0 1 0 5",
                            "42 (a) S x 1 1 0 -1 4 1 0 0 0 0 0 0 0 20 0 1 0 5",
                            "42 (a) S 7 1 1 0 -1 4 1 0 0 0 0 0 0 0 20 0 1 0 -5"}) {
        EXPECT_FALSE(LinuxProcessTable::parseStat(bad)) << bad;
    }
}

}  // namespace
