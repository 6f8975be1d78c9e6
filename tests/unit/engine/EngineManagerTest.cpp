#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <unistd.h>

#include "base/Log.h"
#include "base/Uuid.h"
#include "engine/EngineError.h"
#include "engine/EngineManager.h"
#include "EngineTestSupport.h"
#include "fakes/FakeHttpClient.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/FakeProcessTable.h"
#include "fakes/FakeWorkQueue.h"
#include "platform/ToolPaths.h"

using namespace pellora;
using namespace pellora::testing;
using namespace std::chrono_literals;

namespace {

using Script = FakeProcessLauncher::Script;
using Signals = std::vector<std::pair<std::int32_t, int>>;

// An installation on disk (for the tool and .env) whose processes live in a fake table:
// pgrep answers from the table's command lines, lsof from `listeners`.
class EngineManagerTest : public ::testing::Test {
protected:
    VirtualEventLoop loop;
    MainLoopScope scope{loop};
    LogCapture log;
    std::filesystem::path home = std::filesystem::temp_directory_path() / ("engine-test-" + makeUuidString());
    std::filesystem::path installDir = home / "pell(o)+ra";
    std::map<std::string, std::string> environment;
    std::shared_ptr<FakeProcessTable> table = std::make_shared<FakeProcessTable>();
    std::shared_ptr<FakeProcessLauncher> launcher = std::make_shared<FakeProcessLauncher>();
    std::shared_ptr<FakeHttpClient> http = std::make_shared<FakeHttpClient>();
    std::shared_ptr<FakeWorkQueue> queue = std::make_shared<FakeWorkQueue>();
    std::vector<std::int32_t> listeners;
    std::function<Script(const std::vector<std::string>&)> tool = [](const auto&) { return Script{}; };
    std::vector<std::vector<std::string>> toolRuns;
    std::shared_ptr<EngineManager> manager;

    void SetUp() override {
        std::filesystem::create_directories(installDir / "bin");
        std::ofstream(installDir / "bin" / "pellora") << "#!/bin/sh\n";
        std::ofstream(installDir / ".env") << "HOST=x\nPORT=9811\n";
        environment = {{"PELLORA_DIR", installDir.string()}, {"PATH", "/usr/bin:/bin"}, {"LANG", "C"}};
        launcher->respond = [this](const LaunchSpec& spec) { return answer(spec); };
        manager = makeManager();
    }
    void TearDown() override { std::filesystem::remove_all(home); }

    std::shared_ptr<EngineManager> makeManager() {
        EngineManager::Ports ports;
        ports.processTable = table;
        ports.launcher = launcher;
        ports.http = http;
        ports.utilityQueue = queue;
        ports.locator = InstallLocator::production();
        ports.locator.environment = [this] { return environment; };
        ports.locator.homeDirectory = [this] { return home; };
        ports.temporaryDirectory = home;
        return std::make_shared<EngineManager>(std::move(ports));
    }

    Script answer(const LaunchSpec& spec) {
        Script script;
        if (spec.executable == toolpaths::kPgrep) {
            const std::string& pattern = spec.arguments.at(1);
            const std::string name = pattern.ends_with("server\\.js") ? "server.js" : "scheduler.js";
            EXPECT_EQ(pattern, ProcessDiscovery::escapePattern(installDir.string()) + "/runtime/node .*" +
                                   (name == "server.js" ? "server\\.js" : "scheduler\\.js"));
            for (const auto& [pid, process] : table->processes) {
                if (process.executable->ends_with(name)) script.standardOutput += std::to_string(pid) + "\n";
            }
            script.status = script.standardOutput.empty() ? 1 : 0;
        } else if (spec.executable == toolpaths::kLsof) {
            EXPECT_EQ(spec.arguments, (std::vector<std::string>{"-nP", "-iTCP:9811", "-sTCP:LISTEN", "-t"}));
            for (auto pid : listeners) {
                if (table->processes.contains(pid)) script.standardOutput += std::to_string(pid) + "\n";
            }
        } else if (spec.executable == (installDir / "bin" / "pellora").string()) {
            toolRuns.push_back(spec.arguments);
            script = tool(spec.arguments);
        }
        return script;
    }

    void addEngine(std::int32_t server = 100, std::int32_t scheduler = 101) {
        table->add(server, 1, installDir.string() + "/runtime/node server.js");
        table->add(scheduler, 1, installDir.string() + "/runtime/node scheduler.js");
    }

    Signals signals() const { return table->signalsOtherThanProbes(); }
};

TEST_F(EngineManagerTest, PortAndUrlsComeFromTheInstallation) {
    EXPECT_EQ(manager->enginePort(), 9811);
    EXPECT_EQ(manager->engineBaseURL(), "http://localhost:9811");
    EXPECT_EQ(manager->livenessURL(), "http://localhost:9811/api/pellora/system/liveness");
    EXPECT_EQ(manager->cliURL(), installDir / "bin" / "pellora");

    // Cached: a changed file is not read again until setInstallDir.
    std::ofstream(installDir / ".env") << "PORT=9900\n";
    EXPECT_EQ(manager->enginePort(), 9811);
    auto other = home / "other";
    std::filesystem::create_directories(other);
    std::ofstream(other / ".env") << "PORT=9123\n";
    manager->setInstallDir(other / "sub" / "..");
    EXPECT_EQ(manager->installDir(), other);
    EXPECT_TRUE(manager->_installDirProbed);
    EXPECT_FALSE(manager->_enginePortProbed);
    EXPECT_EQ(manager->enginePort(), 9123);
}

TEST_F(EngineManagerTest, AbsentInstallationIsCachedAndUsesTheDefaultPort) {
    environment.clear();
    manager = makeManager();
    EXPECT_FALSE(manager->hasInstallation());
    EXPECT_TRUE(manager->_installDirProbed);
    EXPECT_EQ(manager->cliURL(), std::nullopt);
    EXPECT_EQ(manager->engineBaseURL(), "http://localhost:9700");
    // Not retried even though an installation now appears in the home directory.
    std::filesystem::create_directories(home / "pellora" / "bin");
    std::ofstream(home / "pellora" / "bin" / "pellora") << "";
    EXPECT_FALSE(manager->hasInstallation());
}

TEST_F(EngineManagerTest, PortLines) {
    struct Case {
        const char* text;
        std::optional<int> port;
    };
    const Case cases[] = {
        {"PORT=0\nPORT=70000\n", std::nullopt},
        {"PORT =9000\nPORT=  9001  \n", 9001},
        {"  PORT=+9002\r\n", 9002},
        {"PORT=abc\nPORT=12x\nPORT=\nPORT=-5\nPORT=65535\n", 65535},
        {"# PORT=1\nXPORT=2\n\n\n", std::nullopt},
        {"PORT=99999999999999999999\nPORT=1", 1},
        {"\xff\xfe garbage \x01\nPORT=8080", 8080},
    };
    for (const auto& c : cases) EXPECT_EQ(EngineManager::portFromEnvText(c.text), c.port) << c.text;
}

TEST_F(EngineManagerTest, ToolSearchPathAndTimeLimits) {
    const std::pair<std::optional<std::string>, std::string> paths[] = {
        {std::nullopt, "/opt/homebrew/bin:/usr/local/bin:"},
        {"/usr/bin", "/opt/homebrew/bin:/usr/local/bin:/usr/bin"},
        {"/opt/homebrew/bin:/usr/bin", "/usr/local/bin:/opt/homebrew/bin:/usr/bin"},
        {"/usr/local/bin", "/opt/homebrew/bin:/usr/local/bin"},
        {"/usr/local/bin:/opt/homebrew/bin", "/usr/local/bin:/opt/homebrew/bin"},
        {"/usr/local/bin/:/x", "/opt/homebrew/bin:/usr/local/bin:/usr/local/bin/:/x"},
    };
    for (const auto& [inherited, expected] : paths) {
        EXPECT_EQ(EngineManager::toolSearchPath(inherited), expected) << inherited.value_or("<none>");
    }
    EXPECT_EQ(EngineManager::cliTimeLimit({"stop"}), 20);
    EXPECT_EQ(EngineManager::cliTimeLimit({"start", "x"}), 30);
    EXPECT_EQ(EngineManager::cliTimeLimit({"admin", "stop"}), 600);
    EXPECT_EQ(EngineManager::cliTimeLimit({}), 600);
}

TEST_F(EngineManagerTest, RunCliPassesEnvironmentAndReturnsOutput) {
    tool = [](const auto&) { return Script{0, "started\n", "note\n"}; };
    auto out = drive(loop, manager->runCLI({"start", "--quiet"}));
    ASSERT_TRUE(out.value) << out.error;
    EXPECT_EQ(out.value->stdout, "started\n");
    EXPECT_EQ(out.value->stderr, "note\n");
    const auto spec = launcher->launchesOf((installDir / "bin" / "pellora").string()).at(0);
    EXPECT_EQ(spec.arguments, (std::vector<std::string>{"start", "--quiet"}));
    auto env = *spec.environment;
    EXPECT_EQ(env["PATH"], "/opt/homebrew/bin:/usr/local/bin:/usr/bin:/bin");
    EXPECT_EQ(env["LANG"], "C");
    EXPECT_EQ(env["PELLORA_DIR"], installDir.string());
    // The work directory is gone afterwards.
    for (const auto& item : std::filesystem::directory_iterator(home)) {
        EXPECT_TRUE(item.path() == installDir) << item.path();
    }
}

TEST_F(EngineManagerTest, RunCliErrors) {
    tool = [](const auto&) { return Script{1, "word", ""}; };
    EXPECT_EQ(drive(loop, manager->runCLI({"admin"})).error, "CLI exited with code 1. word");
    tool = [](const auto&) { return Script{3, "out", "err text"}; };
    EXPECT_EQ(drive(loop, manager->runCLI({"admin"})).error, "CLI exited with code 3. err text");

    tool = [](const auto&) {
        Script hang;
        hang.runsUntilKilled = true;
        return hang;
    };
    auto timedOut = drive(loop, manager->runCLI({"stop"}));
    EXPECT_EQ(timedOut.error, "Command timed out: stop.");
    EXPECT_EQ(timedOut.took, 20s);

    std::filesystem::remove(installDir / "bin" / "pellora");
    EXPECT_EQ(drive(loop, manager->runCLI({"start"})).error,
              "Pellora CLI not found at " + (installDir / "bin" / "pellora").string() +
                  ". Pellora may not be installed.");

    environment.clear();
    manager = makeManager();
    EXPECT_EQ(drive(loop, manager->runCLI({"start"})).error, "No Pellora installation detected. Run Setup first.");
}

TEST_F(EngineManagerTest, StartRunsTheToolWhenNothingRuns) {
    auto out = drive(loop, manager->start());
    EXPECT_EQ(out.value, true) << out.error;
    EXPECT_EQ(toolRuns, (std::vector<std::vector<std::string>>{{"start"}}));
    EXPECT_FALSE(manager->startInFlight);
}

TEST_F(EngineManagerTest, StartAdoptsARunningEngine) {
    addEngine(100, 101);
    table->add(102, 1, "/usr/bin/other");
    listeners = {102, 100};
    EXPECT_EQ(drive(loop, manager->start()).value, false);
    EXPECT_TRUE(toolRuns.empty());
    EXPECT_TRUE(log.contains("[shell] Adopted engine (engine already alive on startup): server=[100, 102], scheduler=[101]"));
    EXPECT_FALSE(manager->startInFlight);
}

TEST_F(EngineManagerTest, StartGuards) {
    // Concurrent: the second returns false at once while the first runs the tool.
    tool = [](const auto&) {
        Script slow;
        slow.runsUntilKilled = true;
        return slow;
    };
    spawn([](std::shared_ptr<EngineManager> m) -> Task<void> {
        try {
            co_await m->start();
        } catch (...) {
        }
    }(manager));
    loop.runUntilIdle();
    EXPECT_TRUE(manager->startInFlight);
    EXPECT_EQ(drive(loop, manager->start(), 1s).value, false);
    EXPECT_EQ(toolRuns.size(), 1u);
    loop.advance(31s);
    EXPECT_FALSE(manager->startInFlight) << "restored after the tool's time-out";

    // After stop, without the shell clearing the flag: refused, no tool run.
    tool = [](const auto&) { return Script{}; };
    drive(loop, completes(manager->stop()));
    toolRuns.clear();
    EXPECT_EQ(drive(loop, manager->start()).value, false);
    EXPECT_TRUE(toolRuns.empty());
}

TEST_F(EngineManagerTest, StartFailureRestoresTheFlagAndRaises) {
    tool = [](const auto&) { return Script{2, "", "boom"}; };
    auto out = drive(loop, manager->start());
    EXPECT_EQ(out.error, "CLI exited with code 2. boom");
    EXPECT_FALSE(manager->startInFlight);
}

TEST_F(EngineManagerTest, StopWithNothingRunningRunsTheToolOnly) {
    auto out = drive(loop, completes(manager->stop()));
    EXPECT_TRUE(out.finished);
    EXPECT_EQ(toolRuns, (std::vector<std::vector<std::string>>{{"stop"}}));
    EXPECT_TRUE(signals().empty());
    EXPECT_EQ(out.took, 0s);
    EXPECT_TRUE(manager->lifecycleStopRequested);
}

TEST_F(EngineManagerTest, StopByToolEndsOnceTheServerIsGone) {
    addEngine();
    tool = [this](const auto&) {
        table->processes.clear();
        return Script{};
    };
    auto out = drive(loop, completes(manager->stop()));
    EXPECT_TRUE(out.finished);
    EXPECT_TRUE(signals().empty());
    EXPECT_FALSE(log.contains(
        "[shell] Tier 1 didn't stop the engine \u2014 escalating to Tier 2 (Sorrel SIGTERM by PID)."));
}

TEST_F(EngineManagerTest, FailingToolEscalatesToSigtermAtOnceThenSigkill) {
    addEngine(100, 101);
    table->fatalSignals = {SIGKILL};  // SIGTERM is ignored
    tool = [](const auto&) { return Script{1, "", "nope"}; };
    auto out = drive(loop, completes(manager->stop()));
    EXPECT_TRUE(out.finished);
    EXPECT_EQ(signals(), (Signals{{100, SIGTERM}, {101, SIGTERM}, {100, SIGKILL}, {101, SIGKILL}}));
    // No wait after the failing tool; 3 s of SIGTERM wait, then a quick SIGKILL check.
    EXPECT_GE(out.took, 3s);
    EXPECT_LT(out.took, 3s + 500ms);
    const std::vector<std::string> expected = {
        "[shell] Tier 1 (CLI stop) failed: CLI exited with code 1. nope",
        "[shell] Tier 1 didn't stop the engine \u2014 escalating to Tier 2 (Sorrel SIGTERM by PID).",
        "[shell] SIGTERM \u2192 PID 100",
        "[shell] SIGTERM \u2192 PID 101",
        "[shell] Tier 2 didn't stop the engine \u2014 escalating to Tier 3 (Sorrel SIGKILL).",
        "[shell] SIGKILL \u2192 PID 100",
        "[shell] SIGKILL \u2192 PID 101",
    };
    EXPECT_EQ(log.lines(), expected);
}

TEST_F(EngineManagerTest, ToolThatLeavesTheEngineRunningWaitsSixSecondsThenSigterm) {
    addEngine(100, 101);
    table->fatalSignals = {SIGTERM};
    auto out = drive(loop, completes(manager->stop()));
    EXPECT_EQ(signals(), (Signals{{100, SIGTERM}, {101, SIGTERM}}));
    EXPECT_GE(out.took, 6s);
    EXPECT_LT(out.took, 6s + 500ms);
    EXPECT_TRUE(log.contains("[shell] Tier 1 didn't stop the engine \u2014 escalating to Tier 2 (Sorrel SIGTERM by PID)."));
    EXPECT_FALSE(log.contains("[shell] Tier 2 didn't stop the engine \u2014 escalating to Tier 3 (Sorrel SIGKILL)."));
}

TEST_F(EngineManagerTest, StopWithMissingDiscoveryToolsEndsInTier2) {
    addEngine();
    launcher->respond = [this](const LaunchSpec& spec) {
        if (spec.executable == toolpaths::kPgrep || spec.executable == toolpaths::kLsof) {
            Script missing;
            missing.launchError = Error("NSCocoaErrorDomain", 4, "The file doesn\u2019t exist.");
            return missing;
        }
        return answer(spec);
    };
    tool = [](const auto&) { return Script{1, "", "nope"}; };
    EXPECT_TRUE(drive(loop, completes(manager->stop())).finished);
    EXPECT_TRUE(signals().empty());
    EXPECT_TRUE(log.contains(std::string("[shell] ProcessDiscovery: failed to run ") + toolpaths::kPgrep +
                             ": The file doesn\u2019t exist."));
}

TEST_F(EngineManagerTest, ForceKillEverything) {
    addEngine(100, 101);
    drive(loop, completes(manager->forceKillEverything()));
    EXPECT_EQ(signals(), (Signals{{100, SIGKILL}, {101, SIGKILL}}));
    EXPECT_TRUE(log.contains("[shell] forceKillEverything: server=[100], scheduler=[101]"));
    EXPECT_TRUE(toolRuns.empty());
}

TEST_F(EngineManagerTest, WaitUntilReadyPollsUntilBelow500) {
    const Duration started = loop.uptime();
    http->respond = [&](const HttpRequest& request) {
        EXPECT_EQ(request.url, "http://localhost:9811/api/pellora/system/liveness");
        EXPECT_EQ(request.requestTimeout, 1);
        return loop.uptime() - started < 10s ? FakeHttpClient::status(503) : FakeHttpClient::status(404);
    };
    auto ready = drive(loop, manager->waitUntilReady(30));
    EXPECT_EQ(ready.value, true);
    EXPECT_GE(ready.took, 10s);
    EXPECT_LT(ready.took, 10s + 250ms);

    http->respond = nullptr;  // nothing listening
    auto never = drive(loop, manager->waitUntilReady(5));
    EXPECT_EQ(never.value, false);
    EXPECT_GE(never.took, 5s);
    EXPECT_LT(never.took, 5s + 250ms);
}

TEST_F(EngineManagerTest, CancelledReadinessWaitStillEndsAtTheDeadline) {
    bool result = true;
    bool finished = false;
    auto handle = spawn([](std::shared_ptr<EngineManager> m, bool& out, bool& done) -> Task<void> {
        out = co_await m->waitUntilReady(2);
        done = true;
    }(manager, result, finished));
    loop.runUntilIdle();
    handle.cancel();
    for (int i = 0; i < 150 && !finished; ++i) {
        loop.advance(10ms);
        loop.runUntilIdle();
    }
    EXPECT_FALSE(finished) << "ended before the deadline";
    for (int i = 0; i < 100 && !finished; ++i) {
        loop.advance(10ms);
        loop.runUntilIdle();
    }
    EXPECT_TRUE(finished);
    EXPECT_FALSE(result);
}

TEST_F(EngineManagerTest, LocalProcessIdentitiesAreThoseOfTheInstallation) {
    table->add(300, 1, (installDir / "runtime" / "node").string(), 5, 6);
    table->add(301, 300, "/usr/bin/child", 7, 8);
    table->add(302, 1, (home / "pellora2" / "x").string());
    auto out = drive(loop, manager->localProcessIdentities());
    ASSERT_TRUE(out.value) << out.error;
    EXPECT_EQ(*out.value, (std::vector<Identity>{{300, 5, 6}, {301, 7, 8}}));

    environment.clear();
    manager = makeManager();
    EXPECT_EQ(drive(loop, manager->localProcessIdentities()).value, std::vector<Identity>{});
}

}  // namespace
