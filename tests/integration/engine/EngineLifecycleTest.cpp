#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>

#include <csignal>

#include "base/Log.h"
#include "engine/EngineManager.h"
#include "platform/linux/CurlHttpClient.h"
#include "platform/linux/LinuxProcessLauncher.h"
#include "platform/linux/LinuxProcessTable.h"
#include "platform/linux/ThreadWorkQueue.h"
#include "ProcessTestSupport.h"
#include "RealTime.h"

using namespace pellora;
using namespace pellora::integration;

namespace {

int freeLoopbackPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// A small Engine: its tool starts a server and a scheduler from runtime/node and stops
// them by their recorded ids; marker files make the tool's stop fail or the server
// ignore SIGTERM.
constexpr const char* kTool = R"(#!/bin/sh
DIR=$(cd "$(dirname "$0")/.." && pwd)
PORT=$(sed -n 's/^PORT=//p' "$DIR/.env")
case "$1" in
start)
  "$DIR/runtime/node" "$DIR/server.js" "$PORT" </dev/null >/dev/null 2>&1 &
  echo $! > "$DIR/server.pid"
  "$DIR/runtime/node" "$DIR/scheduler.js" </dev/null >/dev/null 2>&1 &
  echo $! > "$DIR/scheduler.pid"
  ;;
stop)
  if [ -f "$DIR/stop-fails" ]; then echo "stop refused" >&2; exit 1; fi
  kill $(cat "$DIR/server.pid" "$DIR/scheduler.pid") 2>/dev/null
  ;;
*) echo "unknown command $1" >&2; exit 2 ;;
esac
)";

constexpr const char* kServer = R"(
const fs = require('fs');
if (fs.existsSync(__dirname + '/ignore-term')) process.on('SIGTERM', () => {});
require('http').createServer((request, response) => {
  response.writeHead(request.url === '/api/pellora/system/liveness' ? 200 : 404);
  response.end('ok');
}).listen(Number(process.argv[2]), '127.0.0.1');
)";

constexpr const char* kScheduler = "setInterval(() => {}, 1000);\n";

class EngineLifecycleTest : public ::testing::Test {
protected:
    VirtualEventLoop loop;
    MainLoopScope scope{loop};
    LogCapture log;
    TempDir temp;
    std::filesystem::path installDir = temp.path() / "eng (1)+x";
    int port = freeLoopbackPort();

    void SetUp() override {
        temp.write("eng (1)+x/bin/pellora", kTool, true);
        temp.write("eng (1)+x/server.js", kServer);
        temp.write("eng (1)+x/scheduler.js", kScheduler);
        temp.write("eng (1)+x/.env", "PORT=" + std::to_string(port) + "\n");
        std::filesystem::create_directories(installDir / "runtime");
        std::error_code error;
        // A hard link keeps the executable's path inside the installation.
        std::filesystem::create_hard_link("/usr/bin/node", installDir / "runtime" / "node", error);
        if (error) std::filesystem::copy_file("/usr/bin/node", installDir / "runtime" / "node");
    }
    void TearDown() override {
        for (const char* name : {"server.pid", "scheduler.pid"}) {
            if (pid_t pid = readPid(installDir / name, std::chrono::milliseconds(1))) {
                ::kill(pid, SIGKILL);
                waitUntilGone(pid);
            }
        }
    }

    std::shared_ptr<EngineManager> makeManager() {
        EngineManager::Ports ports;
        ports.processTable = std::make_shared<LinuxProcessTable>();
        ports.launcher = std::make_shared<LinuxProcessLauncher>();
        ports.http = std::make_shared<CurlHttpClient>();
        ports.utilityQueue = std::make_shared<ThreadWorkQueue>();
        ports.locator = InstallLocator::production();
        ports.locator.environment = [this] {
            return std::map<std::string, std::string>{{"PELLORA_DIR", installDir.string()},
                                                      {"PATH", "/usr/bin:/bin"}, {"HOME", temp.path().string()}};
        };
        ports.locator.homeDirectory = [this] { return temp.path(); };
        ports.temporaryDirectory = temp.path();
        return std::make_shared<EngineManager>(std::move(ports));
    }

    // Starts the Engine and waits until it answers; returns its two ids.
    std::pair<pid_t, pid_t> startEngine(EngineManager& manager) {
        auto started = runInRealTime(loop, manager.start());
        EXPECT_EQ(started.value, true) << started.error;
        auto ready = runInRealTime(loop, manager.waitUntilReady(15));
        EXPECT_EQ(ready.value, true);
        return {readPid(installDir / "server.pid"), readPid(installDir / "scheduler.pid")};
    }
};

TEST_F(EngineLifecycleTest, StartAdoptDiscoverAndStopByTool) {
    auto manager = makeManager();
    EXPECT_EQ(manager->enginePort(), port);
    auto [server, scheduler] = startEngine(*manager);
    ASSERT_GT(server, 0);
    EXPECT_EQ(runInRealTime(loop, manager->isEngineAlive()).value, true);

    // pgrep by command line (the path has "(" and "+") and lsof by port.
    EXPECT_EQ(manager->discovery().serverPIDs(installDir, port), (ProcessDiscovery::PIDs{server}));
    EXPECT_EQ(manager->discovery().schedulerPIDs(installDir), (ProcessDiscovery::PIDs{scheduler}));
    auto identities = runInRealTime(loop, manager->localProcessIdentities());
    ASSERT_TRUE(identities.value) << identities.error;
    EXPECT_EQ(identities.value->size(), 2u);

    auto second = makeManager();
    EXPECT_EQ(runInRealTime(loop, second->start()).value, false);
    EXPECT_TRUE(log.contains("[shell] Adopted engine (engine already alive on startup): server=[" +
                             std::to_string(server) + "], scheduler=[" + std::to_string(scheduler) + "]"));

    auto stopped = runInRealTime(loop, completes(manager->stop()));
    EXPECT_TRUE(stopped.finished);
    EXPECT_TRUE(waitUntilGone(server));
    EXPECT_TRUE(waitUntilGone(scheduler));
    EXPECT_FALSE(log.contains("[shell] SIGTERM \u2192 PID " + std::to_string(server)));
    EXPECT_EQ(runInRealTime(loop, manager->waitUntilStopped(1)).value, true);
}

TEST_F(EngineLifecycleTest, FailingToolStopIsFollowedBySigterm) {
    auto manager = makeManager();
    auto [server, scheduler] = startEngine(*manager);
    temp.write("eng (1)+x/stop-fails", "");
    runInRealTime(loop, completes(manager->stop()));
    EXPECT_TRUE(log.contains("[shell] Tier 1 (CLI stop) failed: CLI exited with code 1. stop refused\n"));
    EXPECT_TRUE(log.contains("[shell] SIGTERM \u2192 PID " + std::to_string(server)));
    EXPECT_TRUE(log.contains("[shell] SIGTERM \u2192 PID " + std::to_string(scheduler)));
    EXPECT_FALSE(log.contains("[shell] Tier 2 didn't stop the engine \u2014 escalating to Tier 3 (Sorrel SIGKILL)."));
    EXPECT_TRUE(waitUntilGone(server));
    EXPECT_TRUE(waitUntilGone(scheduler));
}

TEST_F(EngineLifecycleTest, ServerIgnoringSigtermIsKilled) {
    temp.write("eng (1)+x/ignore-term", "");
    auto manager = makeManager();
    auto [server, scheduler] = startEngine(*manager);
    temp.write("eng (1)+x/stop-fails", "");
    auto stopped = runInRealTime(loop, completes(manager->stop()));
    EXPECT_GE(stopped.took.count(), 3.0);
    EXPECT_TRUE(log.contains("[shell] Tier 2 didn't stop the engine \u2014 escalating to Tier 3 (Sorrel SIGKILL)."));
    EXPECT_TRUE(log.contains("[shell] SIGKILL \u2192 PID " + std::to_string(server)));
    EXPECT_TRUE(waitUntilGone(server));
    EXPECT_TRUE(waitUntilGone(scheduler));
}

TEST_F(EngineLifecycleTest, NothingListeningIsNotReady) {
    auto manager = makeManager();
    auto ready = runInRealTime(loop, manager->waitUntilReady(1.5));
    EXPECT_EQ(ready.value, false);
    EXPECT_GE(ready.took.count(), 1.5);
}

}  // namespace
