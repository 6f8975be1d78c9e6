#include "engine/EngineManager.h"

#include <algorithm>
#include <charconv>
#include <csignal>
#include <fstream>
#include <iterator>
#include <sstream>

#include "base/EventLoop.h"
#include "base/Log.h"
#include "engine/EngineError.h"

namespace pellora {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(200);
constexpr double kStopToolWait = 6;
constexpr double kTermWait = 3;
constexpr double kKillWait = 2;
constexpr const char* kEscalateToTier2 =
    "[shell] Tier 1 didn't stop the engine \u2014 escalating to Tier 2 (Sorrel SIGTERM by PID).";
constexpr const char* kEscalateToTier3 =
    "[shell] Tier 2 didn't stop the engine \u2014 escalating to Tier 3 (Sorrel SIGKILL).";

Duration seconds(double value) {
    return std::chrono::duration_cast<Duration>(std::chrono::duration<double>(value));
}

std::string_view trimmed(std::string_view text) {
    constexpr const char* kBlanks = " \t\r\n\v\f";
    auto start = text.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) return {};
    return text.substr(start, text.find_last_not_of(kBlanks) - start + 1);
}

ProcessDiscovery::PIDs concatenated(ProcessDiscovery::PIDs first, const ProcessDiscovery::PIDs& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// (Built outside the coroutines: gcc 12 miscompiles initializer lists inside them.)
std::vector<std::string> singleArgument(const char* argument) { return {argument}; }

// Cancelling the waiting task must not end the readiness wait early: only its deadline
// does, so this pause is a plain timer rather than a cancellable sleep.
Task<void> pauseIgnoringCancellation(Duration delay) {
    auto timer = std::make_shared<Timer>();
    auto awaiter = awaitCallback<bool>([timer, delay](std::function<void(bool)> resolve) {
        *timer = EventLoop::main().startTimer(delay, false, [resolve] { resolve(true); });
    });
    co_await awaiter;
}

}  // namespace

EngineManager::EngineManager(Ports ports)
    : ports_(std::move(ports)),
      processTree_(std::make_shared<UpdateProcessTree>(ports_.processTable, ports_.launcher)),
      discovery_(ports_.launcher, ports_.processTable),
      lifecycle_(ports_.launcher, processTree_, ports_.temporaryDirectory) {}

// --- Installation and tool ------------------------------------------------------------

std::optional<std::filesystem::path> EngineManager::installDir() {
    if (!_installDirProbed) {
        _cachedInstallDir = ports_.locator.resolve();
        _installDirProbed = true;
    }
    return _cachedInstallDir;
}

void EngineManager::setInstallDir(const std::filesystem::path& url) {
    _cachedInstallDir = standardizedPath(url);
    _installDirProbed = true;
    _enginePortProbed = false;
    _cachedEnginePort = kDefaultPort;
}

bool EngineManager::hasInstallation() { return installDir().has_value(); }

std::optional<std::filesystem::path> EngineManager::cliURL() {
    auto dir = installDir();
    if (!dir) return std::nullopt;
    return *dir / "bin" / "pellora";
}

std::optional<int> EngineManager::portFromEnvText(const std::string& text) {
    std::string_view rest(text);
    while (!rest.empty()) {
        auto end = rest.find('\n');
        std::string_view line = trimmed(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (!line.starts_with("PORT=")) continue;
        std::string_view value = trimmed(line.substr(5));
        if (!value.empty() && value.front() == '+') value.remove_prefix(1);
        long long port = 0;
        auto [stop, ec] = std::from_chars(value.data(), value.data() + value.size(), port);
        if (value.empty() || ec != std::errc() || stop != value.data() + value.size()) continue;
        if (port >= 1 && port <= 65535) return static_cast<int>(port);
    }
    return std::nullopt;
}

int EngineManager::enginePort() {
    auto dir = installDir();
    if (!dir) return kDefaultPort;
    if (!_enginePortProbed) {
        _cachedEnginePort = kDefaultPort;
        std::ifstream file(*dir / ".env", std::ios::binary);
        if (file) {
            std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            _cachedEnginePort = portFromEnvText(text).value_or(kDefaultPort);
        }
        _enginePortProbed = true;
    }
    return _cachedEnginePort;
}

std::string EngineManager::engineBaseURL() { return "http://localhost:" + std::to_string(enginePort()); }

std::string EngineManager::livenessURL() { return engineBaseURL() + "/api/pellora/system/liveness"; }

std::string EngineManager::toolSearchPath(const std::optional<std::string>& inherited) {
    std::vector<std::string> components;
    if (inherited) {
        std::stringstream stream(*inherited);
        for (std::string component; std::getline(stream, component, ':');) components.push_back(component);
    }
    auto inheritedHas = [&](const std::string& dir) {
        return std::find(components.begin(), components.end(), dir) != components.end();
    };
    std::string path = inherited.value_or("");
    for (const char* dir : {"/usr/local/bin", "/opt/homebrew/bin"}) {
        if (!inheritedHas(dir)) path = std::string(dir) + ":" + path;
    }
    return path;
}

double EngineManager::cliTimeLimit(const std::vector<std::string>& arguments) {
    if (!arguments.empty() && arguments.front() == "stop") return 20;
    if (!arguments.empty() && arguments.front() == "start") return 30;
    return 600;
}

Task<LifecycleProcess::Output> EngineManager::runCLI(std::vector<std::string> arguments) {
    auto keepAlive = weak_from_this().lock();
    if (!hasInstallation()) throw EngineError::noInstallationFound();
    const auto tool = *cliURL();
    if (!ports_.locator.fileExists(tool)) throw EngineError::cliNotFound(tool.string());

    Environment environment = ports_.locator.environment();
    std::optional<std::string> inheritedPath;
    if (auto found = environment.find("PATH"); found != environment.end()) inheritedPath = found->second;
    environment["PATH"] = toolSearchPath(inheritedPath);

    const double limit = cliTimeLimit(arguments);
    auto run = lifecycle_.run(tool, std::move(arguments), std::move(environment), limit);
    auto output = co_await std::move(run);
    if (output.status != 0) {
        throw EngineError::cliFailed(output.status, output.stderr.empty() ? output.stdout : output.stderr);
    }
    co_return output;
}

Task<std::vector<Identity>> EngineManager::localProcessIdentities() {
    auto keepAlive = weak_from_this().lock();
    auto dir = installDir();
    if (!dir) co_return std::vector<Identity>{};
    auto tree = processTree_;
    auto awaiter = offload(*ports_.utilityQueue, [tree, dir] { return tree->processes(dir, {}); });
    auto found = co_await awaiter;
    std::vector<Identity> identities(found.begin(), found.end());
    std::sort(identities.begin(), identities.end());
    co_return identities;
}

// --- Processes ------------------------------------------------------------------------

// gcc 12 lets a lambda inside a coroutine capture the caller's argument instead of the
// frame's copy, which is gone once the coroutine suspends: the lambdas below capture
// locals copied from the parameters, never the parameters themselves.
// Awaited operations below keep every object with a destructor in a named local: gcc 12
// destroys some temporaries of a co_await expression twice.

Task<ProcessDiscovery::PIDs> EngineManager::serverIds() {
    const ProcessDiscovery* discovery = &discovery_;
    const std::filesystem::path dir = *installDir();
    const int port = enginePort();
    auto awaiter = offload(*ports_.utilityQueue, [discovery, dir, port] { return discovery->serverPIDs(dir, port); });
    auto ids = co_await awaiter;
    co_return ids;
}

Task<ProcessDiscovery::PIDs> EngineManager::schedulerIds() {
    const ProcessDiscovery* discovery = &discovery_;
    const std::filesystem::path dir = *installDir();
    auto awaiter = offload(*ports_.utilityQueue, [discovery, dir] { return discovery->schedulerPIDs(dir); });
    auto ids = co_await awaiter;
    co_return ids;
}

Task<ProcessDiscovery::PIDs> EngineManager::engineIds() {
    auto servers = co_await serverIds();
    auto schedulers = co_await schedulerIds();
    co_return concatenated(std::move(servers), schedulers);
}

Task<void> EngineManager::signalOnQueue(ProcessDiscovery::PIDs ids, int signal, const char* name) {
    const ProcessDiscovery* discovery = &discovery_;
    auto awaiter = offload(*ports_.utilityQueue, [discovery, ids, signal, name] {
        discovery->signalPIDs(ids, signal, name);
    });
    co_await awaiter;
}

Task<void> EngineManager::logAdoption(const char* reason) {
    auto dir = installDir();
    if (!dir) {
        logLine(std::string("[shell] Cannot adopt engine PIDs (") + reason + "): no install dir");
        co_return;
    }
    auto servers = co_await serverIds();
    auto schedulers = co_await schedulerIds();
    logLine(std::string("[shell] Adopted engine (") + reason + "): server=" + ProcessDiscovery::formatPIDs(servers) +
            ", scheduler=" + ProcessDiscovery::formatPIDs(schedulers));
}

Task<bool> EngineManager::start() {
    auto keepAlive = weak_from_this().lock();
    if (lifecycleStopRequested || startInFlight) co_return false;
    startInFlight = true;
    std::exception_ptr failure;
    bool started = false;
    try {
        started = co_await startPastGuard();
    } catch (...) {
        failure = std::current_exception();
    }
    startInFlight = false;
    if (failure) std::rethrow_exception(failure);
    co_return started;
}

Task<bool> EngineManager::startPastGuard() {
    const bool alive = co_await isEngineAlive();
    if (alive) {
        co_await logAdoption("engine already alive on startup");
        co_return false;
    }
    // A stop requested while the liveness check ran wins over this start.
    if (lifecycleStopRequested) co_return false;
    auto run = runCLI(singleArgument("start"));
    co_await std::move(run);
    co_return true;
}

Task<bool> EngineManager::isEngineAlive() {
    auto keepAlive = weak_from_this().lock();
    auto dir = installDir();
    if (!dir) co_return false;
    auto servers = co_await serverIds();
    co_return !servers.empty();
}

Task<bool> EngineManager::waitUntilReady(double timeout) {
    auto keepAlive = weak_from_this().lock();
    auto& loop = EventLoop::main();
    const auto deadline = loop.uptime() + seconds(timeout);
    HttpRequest request;
    request.url = livenessURL();
    request.requestTimeout = 1;
    auto http = ports_.http;
    while (loop.uptime() < deadline) {
        auto exchange = fetch(*http, request);
        auto result = co_await std::move(exchange);
        if (result.response && result.response->statusCode <= 499) co_return true;
        co_await pauseIgnoringCancellation(kPollInterval);
    }
    co_return false;
}

Task<bool> EngineManager::waitUntilStopped(double timeout) {
    auto keepAlive = weak_from_this().lock();
    auto& loop = EventLoop::main();
    const auto deadline = loop.uptime() + seconds(timeout);
    while (loop.uptime() < deadline) {
        auto dir = installDir();
        if (!dir) co_return true;
        auto servers = co_await serverIds();
        if (servers.empty()) co_return true;
        co_await sleepFor(kPollInterval);
    }
    const bool alive = co_await isEngineAlive();
    co_return !alive;
}

Task<void> EngineManager::stop() {
    auto keepAlive = weak_from_this().lock();
    lifecycleStopRequested = true;
    const bool wasAlive = co_await isEngineAlive();

    bool toolFailed = false;
    try {
        auto run = runCLI(singleArgument("stop"));
        co_await std::move(run);
    } catch (const std::exception& error) {
        logLine("[shell] Tier 1 (CLI stop) failed: " + describeError(error));
        toolFailed = true;
    }
    if (!wasAlive) co_return;
    if (!toolFailed) {
        const bool stopped = co_await waitUntilStopped(kStopToolWait);
        if (stopped) co_return;
    }
    logLine(kEscalateToTier2);
    co_await stopBySignals();
}

Task<void> EngineManager::stopBySignals() {
    auto dir = installDir();
    if (!dir) {
        logLine("[shell] Tier 2/3 skipped: no install dir resolved.");
        co_return;
    }
    auto ids = co_await engineIds();
    if (ids.empty()) co_return;
    auto terminating = signalOnQueue(ids, SIGTERM, "SIGTERM");
    co_await std::move(terminating);
    const bool stopped = co_await waitUntilStopped(kTermWait);
    if (stopped) co_return;

    logLine(kEscalateToTier3);
    ids = co_await engineIds();
    auto killing = signalOnQueue(ids, SIGKILL, "SIGKILL");
    co_await std::move(killing);
    co_await waitUntilStopped(kKillWait);
}

Task<void> EngineManager::forceKillEverything() {
    auto keepAlive = weak_from_this().lock();
    auto dir = installDir();
    if (!dir) co_return;
    auto servers = co_await serverIds();
    auto schedulers = co_await schedulerIds();
    if (servers.empty() && schedulers.empty()) co_return;
    logLine("[shell] forceKillEverything: server=" + ProcessDiscovery::formatPIDs(servers) +
            ", scheduler=" + ProcessDiscovery::formatPIDs(schedulers));
    auto killing = signalOnQueue(concatenated(servers, schedulers), SIGKILL, "SIGKILL");
    co_await std::move(killing);
}

}  // namespace pellora
