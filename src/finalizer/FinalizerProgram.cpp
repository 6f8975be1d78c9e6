#include "finalizer/FinalizerProgram.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "base/Error.h"
#include "finalizer/DesktopState.h"
#include "finalizer/Trash.h"
#include "finalizer/UninstallFinalization.h"
#include "finalizer/UninstallLog.h"
#include "finalizer/UninstallProcessSnapshot.h"
#include "uninstall/request/UninstallRequest.h"

namespace pellora {

namespace {

// A request is a few hundred bytes; a huge file is not one.
constexpr std::size_t kMaxRequestBytes = 64 * 1024;

UninstallRequest readRequest(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text(kMaxRequestBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad() || !in.is_open() || in.gcount() > static_cast<std::streamsize>(kMaxRequestBytes)) {
        throw UninstallRequest::failure(UninstallRequest::kInvalidRequest);
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    return UninstallRequest::decode(text);
}

// Writes through a temporary file renamed into place, so a reader never sees part of it.
void writeAtomically(const std::filesystem::path& path, std::string_view contents) {
    std::string temporary = path.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) throw std::system_error(errno, std::generic_category(), path.string());
    const bool written = ::write(fd, contents.data(), contents.size()) ==
                         static_cast<ssize_t>(contents.size());
    const int writeError = errno;
    ::close(fd);
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = written ? errno : writeError;
        ::unlink(temporary.c_str());
        throw std::system_error(error, std::generic_category(), path.string());
    }
}

std::filesystem::path homeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = ::getpwuid(::getuid())) return entry->pw_dir;
    return "/";
}

}  // namespace

FinalizerProgram::System FinalizerProgram::System::live() {
    return {
        .home = homeDirectory(),
        .detach = [] { ::setsid(); },
        .processAlive = [](pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; },
        .appProcesses = [](const std::string& appPath) {
            return UninstallProcessSnapshot::appProcesses(appPath);
        },
        .moveToTrash = pellora::moveToTrash,
        .now = UninstallFinalization::systemUptime,
        .pause = UninstallFinalization::pauseBriefly,
        .wallClock = [] { return std::time(nullptr); },
        .showAlert = UninstallAlert::show,
    };
}

FinalizerProgram::FinalizerProgram(System system) : system_(std::move(system)) {}

int FinalizerProgram::run(const std::filesystem::path& programPath) {
    const auto workDir = std::filesystem::absolute(programPath).lexically_normal().parent_path();
    const UninstallLog log(UninstallLog::pathInHome(system_.home), system_.wallClock);
    std::string language = "en";
    system_.detach();

    std::string failure;
    try {
        const auto request = readRequest(workDir / "request.json");
        language = request.presentationLocale();
        request.validate();
        writeAtomically(workDir / "ready", "ready");
        UninstallFinalization::finish({
            .validate = [&] { request.validate(); },
            .parentAlive = [&] { return system_.processAlive(request.parentPID); },
            .childrenAlive = [&] { return !system_.appProcesses(request.appPath).empty(); },
            .now = system_.now,
            .pause = system_.pause,
            .recycle = [&] { system_.moveToTrash(request.appPath); },
            .cleanup = [&] { removeDesktopState(system_.home, request.deleteData); },
        });
        log.append(std::string("Completed; user data ") +
                   (request.deleteData ? "purged by Engine contract" : "preserved") + ".");
        std::error_code ignored;
        std::filesystem::remove_all(workDir, ignored);
        return 0;
    } catch (...) {
        failure = describeCurrentException();
    }

    log.append("Failed: " + failure + "; diagnostics: " + workDir.string());
    std::ofstream(workDir / "error", std::ios::binary | std::ios::trunc) << failure;
    // After the hand-over the application has quit: nobody else will report this.
    std::error_code ignored;
    if (std::filesystem::exists(workDir / "ready", ignored)) {
        system_.showAlert(UninstallAlert::text(language, log.path()));
    }
    return 1;
}

}  // namespace pellora
