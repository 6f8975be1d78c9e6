#include "engine/ProcessDiscovery.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "base/Error.h"
#include "base/Log.h"
#include "engine/Utf8Lossy.h"
#include "platform/ToolPaths.h"

namespace pellora {

namespace {

constexpr std::string_view kMetacharacters = "[]\\.*^$+?(){}|/";

std::string_view trimmed(std::string_view text) {
    constexpr const char* kBlanks = " \t\r\v\f\n";
    auto start = text.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) return {};
    auto end = text.find_last_not_of(kBlanks);
    return text.substr(start, end - start + 1);
}

}  // namespace

ProcessDiscovery::ProcessDiscovery(std::shared_ptr<ProcessLauncher> launcher,
                                   std::shared_ptr<ProcessTable> table)
    : launcher_(std::move(launcher)), table_(std::move(table)) {}

std::string ProcessDiscovery::escapePattern(const std::string& path) {
    std::string escaped;
    escaped.reserve(path.size() * 2);
    for (char c : path) {
        if (kMetacharacters.find(c) != std::string_view::npos) escaped.push_back('\\');
        escaped.push_back(c);
    }
    return escaped;
}

ProcessDiscovery::PIDs ProcessDiscovery::parsePIDs(const std::string& output, std::int32_t ownPid) {
    PIDs ids;
    std::string_view rest(output);
    while (!rest.empty()) {
        auto end = rest.find('\n');
        std::string_view line = trimmed(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (!line.empty() && line.front() == '+') line.remove_prefix(1);
        std::int32_t pid = 0;
        auto [stop, ec] = std::from_chars(line.data(), line.data() + line.size(), pid);
        if (line.empty() || ec != std::errc() || stop != line.data() + line.size()) continue;
        if (pid < 1 || pid == ownPid) continue;
        if (std::find(ids.begin(), ids.end(), pid) == ids.end()) ids.push_back(pid);
    }
    return ids;
}

std::string ProcessDiscovery::formatPIDs(const PIDs& ids) {
    std::string text = "[";
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i > 0) text += ", ";
        text += std::to_string(ids[i]);
    }
    return text + "]";
}

ProcessDiscovery::PIDs ProcessDiscovery::runDiscovery(const std::string& executable,
                                                      const std::vector<std::string>& arguments) const {
    LaunchSpec spec;
    spec.executable = executable;
    spec.arguments = arguments;
    spec.standardOutput = StdioTarget::pipe();
    spec.standardError = StdioTarget::nullDevice();  // read only to be discarded
    std::string output;
    try {
        auto child = launcher_->launch(spec);
        for (std::string chunk; !(chunk = child->readAvailable(ChildProcess::Stream::standardOutput)).empty();) {
            output += chunk;
        }
        child->waitUntilExit();  // pgrep exits 1 when nothing matches: the status is not looked at
    } catch (const std::exception& error) {
        logLine("[shell] ProcessDiscovery: failed to run " + executable + ": " + describeError(error));
        return {};
    }
    return parsePIDs(decodeUtf8Lossy(output), table_->currentProcessId());
}

ProcessDiscovery::PIDs ProcessDiscovery::pgrep(const std::filesystem::path& installDir,
                                               const std::string& script) const {
    return runDiscovery(toolpaths::kPgrep,
                        {"-f", escapePattern(installDir.string()) + "/runtime/node .*" + script});
}

ProcessDiscovery::PIDs ProcessDiscovery::serverPIDs(const std::filesystem::path& installDir, int port) const {
    PIDs ids = pgrep(installDir, "server\\.js");
    PIDs listening = runDiscovery(toolpaths::kLsof,
                                  {"-nP", "-iTCP:" + std::to_string(port), "-sTCP:LISTEN", "-t"});
    for (std::int32_t pid : listening) {
        if (std::find(ids.begin(), ids.end(), pid) == ids.end()) ids.push_back(pid);
    }
    return ids;
}

ProcessDiscovery::PIDs ProcessDiscovery::schedulerPIDs(const std::filesystem::path& installDir) const {
    return pgrep(installDir, "scheduler\\.js");
}

void ProcessDiscovery::signalPIDs(const PIDs& ids, int signal, const std::string& name) const {
    for (std::int32_t pid : ids) {
        int error = table_->sendSignal(pid, signal);
        const std::string subject = "[shell] " + name + " \u2192 PID " + std::to_string(pid);
        if (error == 0) {
            logLine(subject);
        } else if (error != ESRCH) {
            logLine(subject + " failed: " + std::strerror(error));
        }
    }
}

}  // namespace pellora
