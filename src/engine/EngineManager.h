// The one owner of the local Engine: where its installation is, which port it listens on,
// how its command-line tool is run, and how its processes are started, adopted, checked
// and stopped. Main thread only; created once by the shell controller and kept for the
// life of the process (windows and coordinators hold it weakly).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Task.h"
#include "engine/InstallLocator.h"
#include "engine/LifecycleProcess.h"
#include "engine/ProcessDiscovery.h"
#include "platform/HttpClient.h"
#include "platform/ProcessLauncher.h"
#include "platform/ProcessTable.h"
#include "platform/WorkQueue.h"
#include "update/UpdateProcessTree.h"

namespace pellora {

class EngineManager : public std::enable_shared_from_this<EngineManager> {
public:
    struct Ports {
        std::shared_ptr<ProcessTable> processTable;
        std::shared_ptr<ProcessLauncher> launcher;
        std::shared_ptr<HttpClient> http;
        // Where the tool's process discovery blocks (utility priority).
        std::shared_ptr<WorkQueue> utilityQueue;
        InstallLocator locator;
        std::filesystem::path temporaryDirectory = std::filesystem::temp_directory_path();
    };

    static constexpr int kDefaultPort = 9700;

    explicit EngineManager(Ports ports);

    // A stop was requested; starts are refused until the shell controller clears it.
    bool lifecycleStopRequested = false;
    // A start is running.
    bool startInFlight = false;
    std::optional<std::filesystem::path> _cachedInstallDir;
    bool _installDirProbed = false;
    int _cachedEnginePort = kDefaultPort;
    bool _enginePortProbed = false;

    // --- Installation and tool --------------------------------------------------------
    std::optional<std::filesystem::path> installDir();
    // Adopts a directory (after a migration); the port is read afresh from it.
    void setInstallDir(const std::filesystem::path& url);
    bool hasInstallation();
    std::optional<std::filesystem::path> cliURL();
    int enginePort();
    std::string engineBaseURL();  // "http://localhost:" + port
    std::string livenessURL();    // engineBaseURL() + "/api/pellora/system/liveness"
    // Runs bin/pellora; EngineError for a missing installation, tool or a non-zero exit,
    // and the runner's launch and time-out errors unchanged.
    Task<LifecycleProcess::Output> runCLI(std::vector<std::string> arguments);
    // Every process of this user running from inside the installation, with descendants,
    // ordered by id; empty without an installation.
    Task<std::vector<Identity>> localProcessIdentities();

    // --- Processes ----------------------------------------------------------------------
    // True when the tool's `start` ran; false when skipped or a running Engine was adopted.
    Task<bool> start();
    Task<bool> isEngineAlive();
    // True once the liveness URL answers below 500; false at the deadline.
    Task<bool> waitUntilReady(double timeout);
    // Tool stop, then SIGTERM, then SIGKILL by id; never fails.
    Task<void> stop();
    Task<bool> waitUntilStopped(double timeout);
    // SIGKILL to every discovered server and scheduler process, without waiting.
    Task<void> forceKillEverything();

    // --- Rules, exposed for their callers and tests ------------------------------------
    // The tool's PATH: "/usr/local/bin" and "/opt/homebrew/bin" put in front when missing.
    static std::string toolSearchPath(const std::optional<std::string>& inherited);
    // 20 s for "stop", 30 s for "start", 600 s otherwise.
    static double cliTimeLimit(const std::vector<std::string>& arguments);
    // The first valid "PORT=" line of a .env text; absent when none qualifies.
    static std::optional<int> portFromEnvText(const std::string& text);

    UpdateProcessTree& processTree() { return *processTree_; }
    const ProcessDiscovery& discovery() const { return discovery_; }

private:
    // Discovery for the resolved installation (callers check that there is one).
    Task<ProcessDiscovery::PIDs> serverIds();
    Task<ProcessDiscovery::PIDs> schedulerIds();
    // Server ids followed by scheduler ids.
    Task<ProcessDiscovery::PIDs> engineIds();
    Task<void> signalOnQueue(ProcessDiscovery::PIDs ids, int signal, const char* name);
    Task<void> logAdoption(const char* reason);
    // start() after its guard set startInFlight.
    Task<bool> startPastGuard();
    // Tier 2 then Tier 3 of stop().
    Task<void> stopBySignals();

    Ports ports_;
    std::shared_ptr<UpdateProcessTree> processTree_;
    ProcessDiscovery discovery_;
    LifecycleProcess lifecycle_;
};

}  // namespace pellora
