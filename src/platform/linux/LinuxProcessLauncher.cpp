#include "platform/linux/LinuxProcessLauncher.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>
#include <utility>

#include "base/Error.h"

extern char** environ;

namespace pellora {

namespace {

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        reset();
        fd_ = std::exchange(other.fd_, -1);
        return *this;
    }
    ~Fd() { reset(); }
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

std::int32_t decodeStatus(int raw) {
    if (WIFEXITED(raw)) return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) return WTERMSIG(raw);
    return raw;
}

Error launchError(const std::string& executable, int error) {
    const auto name = std::filesystem::path(executable).filename().string();
    if (error == ENOENT) {
        return Error("NSCocoaErrorDomain", 4, "The file \u201c" + name + "\u201d doesn\u2019t exist.");
    }
    if (error == EACCES) {
        return Error("NSCocoaErrorDomain", 513,
                     "You don\u2019t have permission to run \u201c" + name + "\u201d.");
    }
    return Error("NSPOSIXErrorDomain", error,
                 "The operation couldn\u2019t be completed. " + std::string(std::strerror(error)));
}

class LinuxChildProcess final : public ChildProcess {
public:
    LinuxChildProcess(pid_t pid, Fd out, Fd err) : pid_(pid) {
        pipes_[0] = std::move(out);
        pipes_[1] = std::move(err);
    }
    ~LinuxChildProcess() override {
        std::lock_guard lock(mutex_);
        if (!status_) std::thread([pid = pid_] {
            int raw = 0;
            while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    }

    std::int32_t pid() const override { return pid_; }

    std::optional<std::int32_t> terminationStatus() override {
        std::lock_guard lock(mutex_);
        if (!status_) {
            int raw = 0;
            pid_t got = ::waitpid(pid_, &raw, WNOHANG);
            if (got == pid_) status_ = decodeStatus(raw);
        }
        return status_;
    }

    std::int32_t waitUntilExit() override {
        // Wait without reaping, so the id stays ours until the lock is held for the reap.
        siginfo_t info{};
        while (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
        }
        if (auto status = terminationStatus()) return *status;
        std::lock_guard lock(mutex_);
        if (!status_) status_ = -1;  // reaped elsewhere: nothing more to learn
        return *status_;
    }

    void sendSignal(int signal) override {
        std::lock_guard lock(mutex_);
        if (!status_) ::kill(pid_, signal);
    }

    std::string readAvailable(Stream stream) override {
        int fd = pipes_[stream == Stream::standardOutput ? 0 : 1].get();
        if (fd < 0) return {};
        char buffer[65536];
        while (true) {
            ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got >= 0) return std::string(buffer, static_cast<std::size_t>(got));
            if (errno != EINTR) return {};
        }
    }

private:
    pid_t pid_;
    std::array<Fd, 2> pipes_;
    std::mutex mutex_;
    std::optional<std::int32_t> status_;
};

// Builds the posix_spawn plan for one stream; `parentEnd` receives the read end of a pipe.
bool planStream(posix_spawn_file_actions_t& actions, int target, const StdioTarget& how,
                Fd& parentEnd, Fd& childEnd) {
    switch (how.kind) {
        case StdioTarget::Kind::null:
            return posix_spawn_file_actions_addopen(&actions, target, "/dev/null", O_WRONLY, 0) == 0;
        case StdioTarget::Kind::file:
            return posix_spawn_file_actions_addopen(&actions, target, how.path.c_str(),
                                                    O_WRONLY | O_APPEND | O_CREAT, 0600) == 0;
        case StdioTarget::Kind::pipe: {
            int ends[2];
            if (::pipe2(ends, O_CLOEXEC) != 0) return false;
            parentEnd = Fd(ends[0]);
            childEnd = Fd(ends[1]);
            return posix_spawn_file_actions_adddup2(&actions, ends[1], target) == 0;
        }
    }
    return false;
}

}  // namespace

std::unique_ptr<ChildProcess> LinuxProcessLauncher::launch(const LaunchSpec& spec) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    struct ActionsGuard {
        posix_spawn_file_actions_t* actions;
        ~ActionsGuard() { posix_spawn_file_actions_destroy(actions); }
    } guard{&actions};

    Fd outRead, outWrite, errRead, errWrite;
    bool planned = posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) == 0 &&
                   planStream(actions, 1, spec.standardOutput, outRead, outWrite) &&
                   planStream(actions, 2, spec.standardError, errRead, errWrite);
    if (!planned) throw launchError(spec.executable, errno ? errno : EIO);

    std::vector<std::string> argvStore;
    argvStore.push_back(spec.executable);
    argvStore.insert(argvStore.end(), spec.arguments.begin(), spec.arguments.end());
    std::vector<char*> argv;
    for (auto& argument : argvStore) argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::vector<std::string> envStore;
    std::vector<char*> envp;
    char** environment = environ;
    if (spec.environment) {
        for (const auto& [key, value] : *spec.environment) envStore.push_back(key + "=" + value);
        for (auto& entry : envStore) envp.push_back(entry.data());
        envp.push_back(nullptr);
        environment = envp.data();
    }

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Children start with default signal handling, whatever this process ignores.
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(&attributes, &all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = 0;
    int result = ::posix_spawn(&pid, spec.executable.c_str(), &actions, &attributes, argv.data(),
                               environment);
    posix_spawnattr_destroy(&attributes);
    if (result != 0) throw launchError(spec.executable, result);
    return std::make_unique<LinuxChildProcess>(pid, std::move(outRead), std::move(errRead));
}

}  // namespace pellora
