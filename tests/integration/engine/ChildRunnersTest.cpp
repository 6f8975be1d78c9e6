#include <gtest/gtest.h>

#include <csignal>

#include "engine/LifecycleProcess.h"
#include "engine/StartupProcess.h"
#include "platform/linux/LinuxProcessLauncher.h"
#include "platform/linux/LinuxProcessTable.h"
#include "ProcessTestSupport.h"
#include "RealTime.h"

using namespace pellora;
using namespace pellora::integration;

namespace {

class ChildRunnersTest : public ::testing::Test {
protected:
    VirtualEventLoop loop;
    MainLoopScope scope{loop};
    TempDir temp;
    std::shared_ptr<LinuxProcessLauncher> launcher = std::make_shared<LinuxProcessLauncher>();
    std::shared_ptr<UpdateProcessTree> tree =
        std::make_shared<UpdateProcessTree>(std::make_shared<LinuxProcessTable>(), launcher);
    LifecycleProcess lifecycle{launcher, tree, temp.path()};
    Environment environment{{"PATH", "/usr/bin:/bin"}};

    Outcome<LifecycleProcess::Output> runShell(const std::string& script, double timeout) {
        return runInRealTime(loop, lifecycle.run("/bin/sh", {"-c", script}, environment, timeout));
    }
    // Only the work directory's parent should remain: every run removes its own directory.
    bool workDirectoriesRemoved() const { return std::filesystem::is_empty(temp.path()); }
};

TEST_F(ChildRunnersTest, ChattyCommandKeepsOnlyTheTails) {
    // 3 MB on each stream, ending with a recognizable marker.
    auto out = runShell("head -c 3000000 /dev/zero | tr '\\0' a; echo -n END-OUT;"
                        "head -c 3000000 /dev/zero | tr '\\0' b >&2; echo -n END-ERR >&2; exit 0",
                        30);
    ASSERT_TRUE(out.value) << out.error;
    EXPECT_EQ(out.value->status, 0);
    ASSERT_EQ(out.value->stdout.size(), LifecycleProcess::kTailBytes);
    ASSERT_EQ(out.value->stderr.size(), LifecycleProcess::kTailBytes);
    EXPECT_TRUE(out.value->stdout.ends_with(std::string(100, 'a') + "END-OUT"));
    EXPECT_TRUE(out.value->stderr.ends_with(std::string(100, 'b') + "END-ERR"));
    EXPECT_TRUE(workDirectoriesRemoved());
}

TEST_F(ChildRunnersTest, EnvironmentIsExactlyTheGivenOneAndStatusIsReported) {
    environment["ONLY_THIS"] = "yes";
    auto out = runShell("env | sort; exit 7", 10);
    ASSERT_TRUE(out.value) << out.error;
    EXPECT_EQ(out.value->status, 7);
    EXPECT_NE(out.value->stdout.find("ONLY_THIS=yes"), std::string::npos);
    EXPECT_EQ(out.value->stdout.find("HOME="), std::string::npos);
}

TEST_F(ChildRunnersTest, TimeLimitKillsChildAndBackgroundGrandchild) {
    const auto pidFile = temp.path() / "grandchild.pid";
    auto out = runInRealTime(loop, lifecycle.run("/bin/sh", {"-c", "sleep 60 & echo $! > " + pidFile.string() +
                                                                        "; echo $$ >> " + pidFile.string() +
                                                                        ".parent; sleep 60"},
                                                 environment, 1.0));
    EXPECT_EQ(out.error, "Command timed out: -c.");
    EXPECT_GE(out.took.count(), 1.0);
    const pid_t grandchild = readPid(pidFile);
    const pid_t child = readPid(pidFile.string() + ".parent");
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(waitUntilGone(grandchild));
    EXPECT_TRUE(waitUntilGone(child));
    std::filesystem::remove(pidFile);
    std::filesystem::remove(pidFile.string() + ".parent");
    EXPECT_TRUE(workDirectoriesRemoved());
}

TEST_F(ChildRunnersTest, TimeoutWithoutArgumentsNamesTheExecutable) {
    auto script = temp.write("tools/hang.sh", "#!/bin/sh\nexec sleep 30\n", true);
    auto out = runInRealTime(loop, lifecycle.run(script, {}, environment, 0.3));
    EXPECT_EQ(out.error, "Command timed out: hang.sh.");
    std::filesystem::remove_all(temp.path() / "tools");
    EXPECT_TRUE(workDirectoriesRemoved());
}

TEST_F(ChildRunnersTest, LaunchFailureIsRaisedAndCleansUp) {
    auto out = runInRealTime(loop, lifecycle.run(temp.path() / "missing-tool", {"start"}, environment, 5));
    EXPECT_EQ(out.error, "The file \u201cmissing-tool\u201d doesn\u2019t exist.");
    EXPECT_TRUE(workDirectoriesRemoved());
}

TEST_F(ChildRunnersTest, InstallerProgressLinesAndDiagnostics) {
    // A line over 64 KiB, a carriage return, a prefix mid-line, an unknown phase, noisy
    // standard error, and a final line without a line feed.
    auto script = temp.write("install.sh",
                             "#!/bin/sh\n"
                             "echo PELLORA_PROGRESS_V1:preparing\n"
                             "head -c 70000 /dev/zero | tr '\\0' x\n"
                             "echo\n"
                             "printf 'PELLORA_PROGRESS_V1:unpacking\\r\\n'\n"
                             "echo 'note PELLORA_PROGRESS_V1:backup'\n"
                             "echo PELLORA_PROGRESS_V1:dancing\n"
                             "head -c 100000 /dev/zero | tr '\\0' e >&2\n"
                             "echo PELLORA_PROGRESS_V1:componentWarning\n"
                             "echo err-tail >&2\n"
                             "printf PELLORA_PROGRESS_V1:restoring\n"
                             "exit 3\n",
                             true);
    StartupProcess installer(launcher);
    std::vector<std::string> lines;
    auto out = runInRealTime(loop, installer.run(script.string(), {}, environment,
                                                 [&](std::string line) { lines.push_back(std::move(line)); }));
    ASSERT_TRUE(out.value) << out.error;
    EXPECT_EQ(out.value->status, 3);
    EXPECT_EQ(lines, (std::vector<std::string>{"PELLORA_PROGRESS_V1:preparing",
                                               "PELLORA_PROGRESS_V1:componentWarning",
                                               "PELLORA_PROGRESS_V1:restoring"}));
    EXPECT_EQ(out.value->diagnostics.size(), 65536u);
    EXPECT_NE(out.value->diagnostics.find("err-tail"), std::string::npos);
    EXPECT_TRUE(out.value->diagnostics.ends_with("PELLORA_PROGRESS_V1:restoring") ||
                out.value->diagnostics.ends_with("err-tail\n"));
}

TEST_F(ChildRunnersTest, InstallerThatCannotLaunchRaises) {
    StartupProcess installer(launcher);
    auto out = runInRealTime(loop, installer.run((temp.path() / "nope.sh").string(), {}, environment, nullptr));
    EXPECT_EQ(out.error, "The file \u201cnope.sh\u201d doesn\u2019t exist.");
}

}  // namespace
