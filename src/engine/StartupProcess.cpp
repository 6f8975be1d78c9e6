#include "engine/StartupProcess.h"

#include <thread>

#include "base/EventLoop.h"
#include "engine/DiagnosticTail.h"
#include "engine/ProgressLineReader.h"

namespace pellora {

namespace {

// Reads one pipe to its end, appending every chunk to the tail (and to `lines` if given).
void drain(ChildProcess& child, ChildProcess::Stream stream, DiagnosticTail& tail,
           ProgressLineReader* lines) {
    for (std::string chunk; !(chunk = child.readAvailable(stream)).empty();) {
        tail.append(chunk);
        if (lines) lines->feed(chunk);
    }
    if (lines) lines->finish();
}

}  // namespace

StartupProcess::StartupProcess(std::shared_ptr<ProcessLauncher> launcher) : launcher_(std::move(launcher)) {}

Task<StartupProcess::Output> StartupProcess::run(std::string executable, std::vector<std::string> arguments,
                                                 Environment environment,
                                                 std::function<void(std::string)> onLine) const {
    LaunchSpec spec;
    spec.executable = std::move(executable);
    spec.arguments = std::move(arguments);
    spec.environment = std::move(environment);
    spec.standardOutput = StdioTarget::pipe();
    spec.standardError = StdioTarget::pipe();
    EventLoop* loop = &EventLoop::main();
    // Lines are posted before the run's own completion, so they all arrive before it.
    auto deliver = [loop, onLine = std::move(onLine)](const std::string& line) {
        loop->postFromAnyThread([onLine, line] {
            if (onLine) onLine(line);
        });
    };
    auto launcher = launcher_;
    auto blockingRun = [launcher, spec = std::move(spec), deliver]() {
        auto child = launcher->launch(spec);
        DiagnosticTail tail;
        ProgressLineReader lines(deliver);
        std::thread outputReader(drain, std::ref(*child), ChildProcess::Stream::standardOutput,
                                 std::ref(tail), &lines);
        std::thread errorReader(drain, std::ref(*child), ChildProcess::Stream::standardError,
                                std::ref(tail), nullptr);
        Output output;
        output.status = child->waitUntilExit();
        outputReader.join();
        errorReader.join();
        output.diagnostics = tail.text();
        return output;
    };
    auto awaiter = runOnWorker(std::move(blockingRun));
    auto output = co_await awaiter;
    co_return output;
}

}  // namespace pellora
