#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <unistd.h>

#include "base/Task.h"
#include "base/VirtualEventLoop.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/FakeProcessTable.h"
#include "platform/ToolPaths.h"
#include "update/UpdateProcessTree.h"

using namespace pellora;
using namespace std::chrono_literals;

namespace {

class UpdateProcessTreeTest : public ::testing::Test {
protected:
    VirtualEventLoop loop;
    MainLoopScope scope{loop};
    std::shared_ptr<FakeProcessTable> table = std::make_shared<FakeProcessTable>();
    std::shared_ptr<FakeProcessLauncher> launcher = std::make_shared<FakeProcessLauncher>();
    UpdateProcessTree tree{table, launcher};

    std::string snapshotError() {
        try {
            tree.snapshot();
        } catch (const Error& error) {
            EXPECT_EQ(error.domain(), "Pellora.Update");
            EXPECT_EQ(error.code(), 1);
            return error.localizedDescription();
        }
        return "no error";
    }

    Identity identityOf(std::int32_t pid) { return *tree.identity(pid); }

    // Runs terminate to its end in virtual time; returns its error text ("" on success).
    std::string runTerminate(UpdateProcessTree::IdentitySet seeds, Duration budget = 30s) {
        std::string outcome = "running";
        spawn([](UpdateProcessTree& tree, UpdateProcessTree::IdentitySet seeds, std::string& out) -> Task<void> {
            try {
                co_await tree.terminate(std::filesystem::path("/opt/engine"), seeds, 6, 12);
                out = "";
            } catch (const Error& error) {
                out = error.localizedDescription();
            }
        }(tree, std::move(seeds), outcome));
        for (Duration spent{0}; outcome == "running" && spent < budget; spent += 10ms) {
            loop.runUntilIdle();
            if (outcome == "running") loop.advance(10ms);
        }
        return outcome;
    }
};

TEST_F(UpdateProcessTreeTest, SnapshotListingFailuresRaiseTheirTexts) {
    table->add(10, 1, "/opt/t/a");
    table->countOverride = 0;
    EXPECT_EQ(snapshotError(), "Cannot inspect local processes.");

    table->countOverride = 1;  // room for 1025 ids
    table->listOverride = std::vector<std::int32_t>(1025, 10);
    EXPECT_EQ(snapshotError(), "Cannot obtain a complete process list.");

    table->listOverride.reset();
    table->listFails = true;
    EXPECT_EQ(snapshotError(), "Cannot obtain a complete process list.");
}

TEST_F(UpdateProcessTreeTest, SnapshotSkipsVanishedForeignZombieAndOwnProcesses) {
    table->ownPid = 5;
    table->add(5, 1, "/opt/t/self");
    table->add(10, 1, "/opt/t/kept");
    table->add(11, 1, "/opt/t/zombie").info.zombie = true;
    table->add(12, 1, "/opt/t/foreign").info.uid = 0;
    table->add(13, 1, "/opt/t/kworker").info.kernelThread = true;
    table->add(15, 1, "/opt/t/init").executable.reset();
    table->accessDenied = {15};  // another security context: not ours, no ps run
    // Listed, then gone before inspection: info fails and the probe says "no such process".
    table->listOverride = std::vector<std::int32_t>{5, 10, 11, 12, 13, 14, 15, 0, -3};

    auto entries = tree.snapshot();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].identity, (Identity{10, 1000, 0}));
    EXPECT_EQ(entries[0].parent, 1);
    EXPECT_EQ(entries[0].executable, "/opt/t/kept");
    EXPECT_TRUE(launcher->launches.empty());
}

TEST_F(UpdateProcessTreeTest, UnreadableLiveProcessAbortsTheSnapshot) {
    table->add(10, 1, "/opt/t/a");
    table->scriptedInfo[10] = {std::nullopt};  // record unreadable, but the probe finds it
    EXPECT_EQ(snapshotError(), "Cannot inspect process 10.");
}

TEST_F(UpdateProcessTreeTest, MissingExecutableFallsBackToThePsTable) {
    table->add(10, 1, "/opt/t/a").executable.reset();
    table->add(11, 1, "/opt/t/b").executable.reset();
    launcher->scripts[toolpaths::kPs] = {0, "   10 /usr/libexec/helper\n   11 helper\nnot-a-line\n", ""};

    // 11's table entry is not a path, and the process is still there.
    EXPECT_EQ(snapshotError(), "Cannot verify executable ownership for process 11.");
    ASSERT_EQ(launcher->launches.size(), 1u) << "one ps run per snapshot";
    EXPECT_EQ(launcher->launches[0].arguments, (std::vector<std::string>{"-ax", "-o", "pid=,comm="}));

    table->processes.erase(11);
    table->listOverride = std::vector<std::int32_t>{10, 11};
    auto entries = tree.snapshot();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].executable, "/usr/libexec/helper");
}

TEST_F(UpdateProcessTreeTest, FailingPsRaisesInspectionFailed) {
    table->add(10, 1, "/opt/t/a").executable.reset();
    launcher->scripts[toolpaths::kPs] = {1, "", ""};
    EXPECT_EQ(snapshotError(), "Process inspection failed.");
    FakeProcessLauncher::Script missing;
    missing.launchError = Error("NSCocoaErrorDomain", 4, "missing");
    launcher->scripts[toolpaths::kPs] = missing;
    EXPECT_EQ(snapshotError(), "Process inspection failed.");
}

TEST_F(UpdateProcessTreeTest, HangingPsIsKilledAfterTwoSeconds) {
    table->add(10, 1, "/opt/t/a").executable.reset();
    FakeProcessLauncher::Script hanging;
    hanging.runsUntilKilled = true;
    hanging.pid = 77;
    launcher->scripts[toolpaths::kPs] = hanging;
    EXPECT_EQ(snapshotError(), "Process inspection timed out.");
    EXPECT_EQ(launcher->childSignals, (std::vector<std::pair<std::int32_t, int>>{{77, SIGKILL}}));
}

TEST_F(UpdateProcessTreeTest, ReusedIdBetweenReadsIsSkipped) {
    table->add(10, 1, "/opt/t/a", 2000);
    ProcessInfo before = table->processes[10].info;
    before.startSeconds = 1999;
    table->scriptedInfo[10] = {before};  // first read: the old process; re-read: the new one
    EXPECT_TRUE(tree.snapshot().empty());
}

TEST_F(UpdateProcessTreeTest, PathTableParsing) {
    auto parsed = UpdateProcessTree::parsePathTable("  1 /sbin/init\n2\tkthreadd with blanks\nx /bin/no\n3\n"
                                                    "99999999999 /too/big\n  \n-4 /neg\n");
    EXPECT_EQ(parsed, (std::map<std::int32_t, std::string>{
                          {1, "/sbin/init"}, {2, "kthreadd with blanks"}, {-4, "/neg"}}));
}

TEST_F(UpdateProcessTreeTest, TreeFollowsSeedsPrefixesAndDescendants) {
    using Entry = UpdateProcessTree::Entry;
    std::vector<Entry> entries = {
        {{20, 1, 0}, 1, "/opt/app/bin/server"},
        {{21, 1, 0}, 20, "/usr/bin/node"},         // child of an installation process
        {{22, 1, 0}, 21, "/usr/bin/sleep"},        // grandchild
        {{30, 1, 0}, 1, "/opt/app-2/bin/server"},  // sibling whose name extends the prefix
        {{40, 1, 0}, 1, "/usr/bin/seeded"},
        {{41, 1, 0}, 40, "/usr/bin/child"},
        {{50, 1, 0}, 1, "/usr/bin/unrelated"},
    };
    auto found = UpdateProcessTree::tree(entries, std::filesystem::path("/opt/app"), {{40, 1, 0}});
    EXPECT_EQ(found, (UpdateProcessTree::IdentitySet{{20, 1, 0}, {21, 1, 0}, {22, 1, 0}, {40, 1, 0}, {41, 1, 0}}));

    // Without a root only seeds count; a seed whose start time differs is another process.
    found = UpdateProcessTree::tree(entries, std::nullopt, {{40, 2, 0}, {50, 1, 0}});
    EXPECT_EQ(found, (UpdateProcessTree::IdentitySet{{50, 1, 0}}));
}

TEST_F(UpdateProcessTreeTest, ProcessesRefusesTheFilesystemRoot) {
    auto dir = std::filesystem::temp_directory_path() / ("root-link-" + std::to_string(::getpid()));
    std::filesystem::remove(dir);
    std::filesystem::create_directory_symlink("/", dir);
    for (const auto& under : {std::filesystem::path("/"), dir, std::filesystem::path("/tmp/..")}) {
        try {
            tree.processes(under, {});
            ADD_FAILURE() << under << " accepted";
        } catch (const Error& error) {
            EXPECT_STREQ(error.what(), "Cannot use the filesystem root as an Engine installation.");
        }
    }
    std::filesystem::remove(dir);
}

TEST_F(UpdateProcessTreeTest, SignalNeverHitsAReusedOrForeignId) {
    table->add(10, 1, "/opt/t/a", 1000);
    table->add(11, 1, "/opt/t/b", 1000).info.zombie = true;
    table->add(12, 1, "/opt/t/c", 1000);
    table->signalErrors[12] = ESRCH;  // exited just now: silent
    tree.signal({{10, 999, 0}, {11, 1000, 0}, {12, 1000, 0}, {13, 1, 0}}, SIGTERM);
    EXPECT_EQ(table->signalsOtherThanProbes(), (std::vector<std::pair<std::int32_t, int>>{{12, SIGTERM}}));

    table->signalErrors[12] = EPERM;
    try {
        tree.signal({{12, 1000, 0}}, SIGKILL);
        ADD_FAILURE() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Cannot stop process 12: Operation not permitted.");
    }
}

TEST_F(UpdateProcessTreeTest, TerminateWithNothingRunningEndsAfterTwoQuietPasses) {
    const auto started = loop.uptime();
    EXPECT_EQ(runTerminate({}), "");
    EXPECT_EQ(loop.uptime() - started, 100ms);
    EXPECT_TRUE(table->signalsOtherThanProbes().empty());
}

TEST_F(UpdateProcessTreeTest, TerminateEscalatesToKillAfterTheGrace) {
    table->add(10, 1, "/opt/engine/bin/server");
    table->add(11, 10, "/usr/bin/worker");  // a descendant outside the directory
    table->fatalSignals = {SIGKILL};        // SIGTERM is ignored
    const auto started = loop.uptime();
    EXPECT_EQ(runTerminate({}), "");
    auto sent = table->signalsOtherThanProbes();
    ASSERT_EQ(sent.size(), 4u);
    std::multiset<std::pair<std::int32_t, int>> got(sent.begin(), sent.end());
    EXPECT_EQ(got, (std::multiset<std::pair<std::int32_t, int>>{
                       {10, SIGTERM}, {11, SIGTERM}, {10, SIGKILL}, {11, SIGKILL}}));
    // SIGKILL in the first pass at or after 6 s, then two quiet passes.
    EXPECT_GE(loop.uptime() - started, 6s);
    EXPECT_LE(loop.uptime() - started, 6s + 300ms);
}

TEST_F(UpdateProcessTreeTest, TerminateFollowsASeedThatLeftTheDirectory) {
    table->add(10, 1, "/elsewhere/moved");
    table->fatalSignals = {SIGTERM};
    EXPECT_EQ(runTerminate({identityOf(10)}), "");
    EXPECT_EQ(table->signalsOtherThanProbes(), (std::vector<std::pair<std::int32_t, int>>{{10, SIGTERM}}));
}

TEST_F(UpdateProcessTreeTest, TerminateGivesUpAtTheDeadline) {
    table->add(10, 1, "/opt/engine/bin/server");
    table->fatalSignals = {SIGTERM, SIGKILL};
    table->unkillable = {10};
    const auto started = loop.uptime();
    EXPECT_EQ(runTerminate({}), "Local processes did not stop. The update was not installed.");
    EXPECT_GE(loop.uptime() - started, 12s);
    EXPECT_LE(loop.uptime() - started, 12s + 200ms);
}

TEST_F(UpdateProcessTreeTest, IdentitiesCompareOnAllThreeFields) {
    const Identity base{10, 5, 7};
    EXPECT_EQ(base, (Identity{10, 5, 7}));
    EXPECT_NE(base, (Identity{10, 5, 8}));
    EXPECT_NE(base, (Identity{10, 6, 7}));
    EXPECT_NE(base, (Identity{11, 5, 7}));
    EXPECT_LT(base, (Identity{10, 5, 8}));
    UpdateProcessTree::IdentitySet set{base, {10, 5, 8}, base};
    EXPECT_EQ(set.size(), 2u);
}

}  // namespace
