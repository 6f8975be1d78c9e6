// Starts child processes by absolute path with an argument list and an environment, with
// their standard streams tied to the null device, a file or a pipe. Safe on any thread;
// owned by main() (or a test) and shared by the runners of child processes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellora {

using Environment = std::map<std::string, std::string>;

// Where one standard stream of the child goes.
struct StdioTarget {
    enum class Kind { null, file, pipe };
    Kind kind = Kind::null;
    std::string path;  // kind == file: opened for appending

    static StdioTarget nullDevice() { return {}; }
    static StdioTarget file(std::string path) { return {Kind::file, std::move(path)}; }
    static StdioTarget pipe() { return {Kind::pipe, {}}; }
};

struct LaunchSpec {
    std::string executable;  // absolute path
    std::vector<std::string> arguments;
    std::optional<Environment> environment;  // absent: inherit the application's
    StdioTarget standardOutput;
    StdioTarget standardError;  // standard input is always the null device
};

// A launched child. Destroying it never kills the child; one that was not waited for is
// still reaped when it exits.
class ChildProcess {
public:
    enum class Stream { standardOutput, standardError };
    virtual ~ChildProcess() = default;

    virtual std::int32_t pid() const = 0;
    // Non-blocking: the termination status once the child exited (its exit code, or the
    // number of the signal that ended it), absent while it runs.
    virtual std::optional<std::int32_t> terminationStatus() = 0;
    // Blocks until the child exited; returns its termination status.
    virtual std::int32_t waitUntilExit() = 0;
    // Signals the child unless it has already been waited for (its id may be reused then).
    virtual void sendSignal(int signal) = 0;
    // Blocks until some data of a piped stream is available; empty at end of file. Each
    // stream may be read by its own thread.
    virtual std::string readAvailable(Stream stream) = 0;
};

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Throws pellora::Error when the child cannot be started (missing or unusable file).
    virtual std::unique_ptr<ChildProcess> launch(const LaunchSpec& spec) = 0;
};

}  // namespace pellora
