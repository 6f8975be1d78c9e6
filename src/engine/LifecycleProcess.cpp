#include "engine/LifecycleProcess.h"

#include <csignal>
#include <fstream>
#include <system_error>

#include "base/EventLoop.h"
#include "base/Uuid.h"
#include "engine/Utf8Lossy.h"
#include "update/UpdateError.h"

namespace pellora {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(100);

// The work directory of one run: removed (with whatever is in it) when the run ends.
class WorkDirectory {
public:
    explicit WorkDirectory(const std::filesystem::path& parent) : path_(parent / makeUuidString()) {
        std::filesystem::create_directories(path_);
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
    }
    WorkDirectory(const WorkDirectory&) = delete;
    WorkDirectory& operator=(const WorkDirectory&) = delete;
    ~WorkDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::filesystem::path file(const char* name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void createEmptyFile(const std::filesystem::path& path) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) throw std::system_error(errno, std::generic_category(), "Cannot create " + path.string());
}

// The last kTailBytes of a file, decoded.
std::string readTail(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::system_error(errno, std::generic_category(), "Cannot read " + path.string());
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    const std::streamoff start =
        std::max<std::streamoff>(0, size - static_cast<std::streamoff>(LifecycleProcess::kTailBytes));
    file.seekg(start);
    std::string bytes(static_cast<std::size_t>(size - start), '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (file.bad()) throw std::system_error(EIO, std::generic_category(), "Cannot read " + path.string());
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return decodeUtf8Lossy(bytes);
}

}  // namespace

LifecycleProcess::LifecycleProcess(std::shared_ptr<ProcessLauncher> launcher,
                                   std::shared_ptr<UpdateProcessTree> processTree,
                                   std::filesystem::path temporaryDirectory)
    : launcher_(std::move(launcher)),
      processTree_(std::move(processTree)),
      temporaryDirectory_(std::move(temporaryDirectory)) {}

std::string LifecycleProcess::timeoutMessage(const std::filesystem::path& executable,
                                             const std::vector<std::string>& arguments) {
    const std::string name = arguments.empty() ? executable.filename().string() : arguments.front();
    return "Command timed out: " + name + ".";
}

Task<LifecycleProcess::Output> LifecycleProcess::run(std::filesystem::path executable,
                                                     std::vector<std::string> arguments,
                                                     Environment environment, double timeout) const {
    WorkDirectory work(temporaryDirectory_);
    const auto stdoutPath = work.file("stdout");
    const auto stderrPath = work.file("stderr");
    createEmptyFile(stdoutPath);
    createEmptyFile(stderrPath);

    LaunchSpec spec;
    spec.executable = executable.string();
    spec.arguments = arguments;
    spec.environment = std::move(environment);
    spec.standardOutput = StdioTarget::file(stdoutPath.string());
    spec.standardError = StdioTarget::file(stderrPath.string());
    auto child = launcher_->launch(spec);

    UpdateProcessTree::IdentitySet tracked;
    if (auto identity = processTree_->identity(child->pid())) tracked.insert(*identity);
    auto& loop = EventLoop::main();
    const auto deadline =
        loop.uptime() + std::chrono::duration_cast<Duration>(std::chrono::duration<double>(timeout));

    std::optional<std::int32_t> status;
    while (!(status = child->terminationStatus())) {
        // Follow grandchildren even after their parent exited: each snapshot extends the set.
        try {
            auto found = UpdateProcessTree::tree(processTree_->snapshot(), std::nullopt, tracked);
            tracked.insert(found.begin(), found.end());
        } catch (const std::exception&) {
            // A failing snapshot only skips this pass.
        }
        if (loop.uptime() >= deadline) {
            try {
                processTree_->signal(tracked, SIGKILL);
            } catch (const std::exception&) {
            }
            if (!child->terminationStatus()) child->sendSignal(SIGKILL);
            throw updateError(timeoutMessage(executable, arguments));
        }
        co_await sleepFor(kPollInterval);  // a cancellation leaves the child running
    }
    Output output;
    output.status = *status;
    output.stdout = readTail(stdoutPath);
    output.stderr = readTail(stderrPath);
    co_return output;
}

}  // namespace pellora
