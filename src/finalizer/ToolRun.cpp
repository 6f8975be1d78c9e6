#include "finalizer/ToolRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

extern char** environ;

namespace pellora {

namespace {

// Closes the descriptor it holds when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

std::string readAll(int fd) {
    std::string output;
    char buffer[4096];
    for (;;) {
        const auto count = ::read(fd, buffer, sizeof buffer);
        if (count > 0) {
            output.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0 || errno != EINTR) {
            return output;
        }
    }
}

int waitForExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return 128;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

ToolRun ToolRun::run(const std::string& executable, const std::vector<std::string>& arguments,
                     bool collectOutput) {
    Descriptor readEnd;
    Descriptor writeEnd;
    if (collectOutput) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), executable);
        readEnd.fd = fds[0];
        writeEnd.fd = fds[1];
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (collectOutput) {
        posix_spawn_file_actions_adddup2(&actions, writeEnd.fd, STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int error = ::posix_spawn(&pid, executable.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::system_error(error, std::generic_category(), executable);

    ToolRun result;
    if (collectOutput) {
        ::close(writeEnd.fd);
        writeEnd.fd = -1;
        result.output = readAll(readEnd.fd);
    }
    result.status = waitForExit(pid);
    return result;
}

}  // namespace pellora
