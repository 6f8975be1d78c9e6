// Runs the built finalizer program the way the application starts it: a copy in a private
// work directory next to "request.json", in a temporary home, against a real bundle
// directory. No display is set, so the alert cannot block; it must fail fast.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "uninstall/request/UninstallRequest.h"
#include "unit/finalizer/TemporaryBundle.h"

using namespace pellora;
using namespace pellora::testing;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// The account the programs under test run as. The desktop runs the finalizer as an ordinary
// user, who sees only their own processes; root would see every process on the machine,
// including ones nobody may inspect (which rightly makes the finalizer keep the bundle).
std::optional<uid_t> desktopUser() {
    return ::geteuid() == 0 ? std::optional<uid_t>(65534) : std::nullopt;
}

pid_t spawn(const std::string& path, const std::vector<std::string>& arguments,
            const std::vector<std::string>& environment, const fs::path& errorLog = "/dev/null",
            std::optional<uid_t> user = std::nullopt) {
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& variable : environment) envp.push_back(const_cast<char*>(variable.c_str()));
    envp.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open("/dev/null", O_WRONLY);
        const int err = ::open(errorLog.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) {
            ::_exit(126);
        }
        if (user && (::setgroups(0, nullptr) != 0 || ::setgid(*user) != 0 || ::setuid(*user) != 0)) {
            ::_exit(126);
        }
        ::execve(path.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    EXPECT_GT(pid, 0) << path;
    return pid;
}

// The exit status, or -1 when the process had to be killed after `timeout`.
int waitForExit(pid_t pid, std::chrono::milliseconds timeout = 30s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(20ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The id of a process that has already exited and been reaped: an application that quit.
pid_t goneProcessId() {
    const pid_t pid = spawn("/bin/true", {}, {});
    waitForExit(pid);
    return pid;
}

class FinalizerRunTest : public ::testing::Test {
protected:
    TemporaryDirectory temp;
    fs::path home = temp.path() / "home";
    fs::path workDir = temp.path() / "pellora-uninstall-E621E1F8-C36C-495A-93FC-0C247A3E6E5F";
    fs::path bundle = makeBundle(temp.path() / "Applications");
    fs::path trashed = home / ".local/share/Trash/files/Pellora.app";
    UninstallRequest request = requestFor(bundle, goneProcessId());
    UninstallRequest::Identity bundleIdentity = UninstallRequest::identity(bundle);

    void SetUp() override {
        fs::create_directories(home);
        fs::create_directory(workDir);
        fs::permissions(workDir, fs::perms::owner_all);
        fs::copy_file(fs::path(PELLORA_BUNDLE_DIR) / "Contents/Helpers/pellora-uninstall-finalizer",
                      workDir / "finalizer");
    }

    // The finalizer's standard error is the null device in use; anything written there in a
    // test (a sanitizer report, a library warning) is a fault.
    void TearDown() override { EXPECT_EQ(readFile(temp.path() / "finalizer.stderr"), ""); }

    std::vector<std::string> environment() const {
        std::vector<std::string> variables{"HOME=" + home.string(),
                                           "XDG_DATA_HOME=" + (home / ".local/share").string(),
                                           "PATH=/usr/bin:/bin"};
        for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
            if (const char* value = std::getenv(name)) variables.push_back(std::string(name) + "=" + value);
        }
        return variables;
    }

    // Gives the whole scratch tree to the desktop user, as if it had made it.
    void handOverTree() const {
        const auto user = desktopUser();
        if (!user) return;
        ASSERT_EQ(::lchown(temp.path().c_str(), *user, *user), 0);
        for (const auto& entry : fs::recursive_directory_iterator(temp.path())) {
            ASSERT_EQ(::lchown(entry.path().c_str(), *user, *user), 0) << entry.path();
        }
    }

    pid_t start() {
        handOverTree();
        return spawn((workDir / "finalizer").string(), {}, environment(), temp.path() / "finalizer.stderr",
                     desktopUser());
    }

    int run(const std::string& requestText) {
        writeFile(workDir / "request.json", requestText);
        return waitForExit(start());
    }
    int run() { return run(request.encoded()); }

    std::string log() const { return readFile(home / "Library/Logs/Pellora/uninstall.log"); }

    void expectBundleInPlace() const {
        EXPECT_EQ(UninstallRequest::identity(bundle), bundleIdentity);
        EXPECT_FALSE(fs::exists(trashed));
    }
};

}  // namespace

class FinalizerSuccessTest : public FinalizerRunTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FinalizerSuccessTest, MovesTheBundleToTheTrashAndRemovesTheDesktopState) {
    const bool deleteData = GetParam();
    const std::vector<std::string> statePaths{
        "Library/Application Support/com.pellora.shell/state.json",
        "Library/Caches/com.pellora.shell/cache.db",
        "Library/Preferences/com.pellora.shell.plist",
        "Library/Saved Application State/com.pellora.shell.savedState/window",
        "Library/Application Support/Pellora/Browser/profile",
        "Library/WebKit/com.pellora.shell/db",
        "Library/HTTPStorages/com.pellora.shell/storage",
        "Library/Cookies/com.pellora.shell.binarycookies",
    };
    for (const auto& path : statePaths) writeFile(home / path, "state");
    writeFile(home / "Library/Preferences/com.example.other.plist", "other");
    request.deleteData = deleteData;

    ASSERT_EQ(run(), 0);

    EXPECT_FALSE(fs::exists(bundle));
    EXPECT_TRUE(fs::exists(trashed / "Contents/Info.plist"));
    EXPECT_TRUE(fs::exists(home / ".local/share/Trash/info/Pellora.app.trashinfo"));
    EXPECT_FALSE(fs::exists(workDir));
    for (std::size_t i = 0; i < statePaths.size(); ++i) {
        EXPECT_EQ(fs::exists(home / statePaths[i]), i >= 4 && !deleteData) << statePaths[i];
    }
    EXPECT_EQ(fs::exists(home / "Library/Application Support/Pellora"), !deleteData);
    EXPECT_TRUE(fs::exists(home / "Library/Preferences/com.example.other.plist"));
    const std::string outcome = deleteData ? "purged by Engine contract" : "preserved";
    EXPECT_TRUE(std::regex_match(log(), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d \+0000 )"
                                                   "Completed; user data " + outcome + "\\.\n")))
        << log();
}

INSTANTIATE_TEST_SUITE_P(DeleteData, FinalizerSuccessTest, ::testing::Bool());

TEST_F(FinalizerRunTest, WaitsUntilAProcessRunningFromTheBundleHasExited) {
    const auto executable = bundle / "Contents/MacOS/Pellora";
    fs::create_directories(executable.parent_path());
    fs::copy_file("/bin/sleep", executable);
    handOverTree();
    const pid_t lingering = spawn(executable.string(), {"1.5"}, {}, "/dev/null", desktopUser());
    const auto started = std::chrono::steady_clock::now();

    ASSERT_EQ(run(), 0);

    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_GE(elapsed.count(), 2.3);  // 1.5 s of the process, then a quiet second
    EXPECT_TRUE(fs::exists(trashed / "Contents/MacOS/Pellora"));
    EXPECT_EQ(waitForExit(lingering), 0);
}

TEST_F(FinalizerRunTest, RefusesBadRequestsBeforeTheHandOverWithoutMovingAnything) {
    const auto parent = bundle.parent_path().string();
    const auto variant = [&](auto change) {
        UninstallRequest changed = request;
        change(changed);
        return changed.encoded();
    };
    // Other candidates for appPath, each named Pellora.app.
    const auto fileBundle = temp.path() / "file" / "Pellora.app";
    writeFile(fileBundle, "a file");
    const auto linkBundle = temp.path() / "link" / "Pellora.app";
    fs::create_directories(linkBundle.parent_path());
    fs::create_directory_symlink(bundle, linkBundle);
    const auto otherBundle = makeBundle(temp.path() / "other", "com.example.editor");

    struct Case {
        const char* name;
        std::optional<std::string> requestText;  // absent: no request.json at all
        std::string expected;
    };
    const std::string invalid = "Invalid uninstall request.";
    const std::vector<Case> cases{
        {"missing request", std::nullopt, invalid},
        {"empty request", "", invalid},
        {"truncated request", request.encoded().substr(0, 40), invalid},
        {"hostile request", std::string(200000, '['), invalid},
        {"oversized request", request.encoded() + std::string(70000, ' '), invalid},
        {"parent id below 2", variant([](auto& r) { r.parentPID = 1; }), invalid},
        {"path with ..", variant([&](auto& r) { r.appPath = parent + "/../Applications/Pellora.app"; }), invalid},
        {"bundle is a file", variant([&](auto& r) { r.appPath = fileBundle.string(); }), invalid},
        {"another program's bundle", variant([&](auto& r) { r.appPath = otherBundle.string(); }), invalid},
        {"symbolic link to the bundle", variant([&](auto& r) { r.appPath = linkBundle.string(); }),
         "The application folder is missing or is a symbolic link."},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        fs::remove(workDir / "request.json");
        fs::remove(home / "Library/Logs/Pellora/uninstall.log");
        int status = -1;
        if (testCase.requestText) {
            status = run(*testCase.requestText);
        } else {
            status = waitForExit(start());
        }

        EXPECT_EQ(status, 1);
        EXPECT_FALSE(fs::exists(workDir / "ready"));
        EXPECT_EQ(readFile(workDir / "error"), testCase.expected);
        EXPECT_TRUE(log().ends_with(" Failed: " + testCase.expected + "; diagnostics: " +
                                    workDir.string() + "\n"))
            << log();
        expectBundleInPlace();
        EXPECT_TRUE(fs::is_directory(otherBundle));
    }
}

TEST_F(FinalizerRunTest, ABundleReplacedAfterTheHandOverIsNotMoved) {
    // A regional locale outside the supported list: the alert falls back to English. With
    // no display the alert cannot be shown, and the run must still end promptly.
    request.locale = "pt-BR";
    const pid_t application = spawn("/bin/sleep", {"30"}, {});
    request.parentPID = application;
    writeFile(workDir / "request.json", request.encoded());
    const pid_t finalizer = start();

    bool ready = false;
    for (int check = 0; check < 100 && !ready; ++check) {
        ready = fs::exists(workDir / "ready");
        if (!ready) std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(ready);
    EXPECT_EQ(readFile(workDir / "ready"), "ready");
    fs::rename(bundle, temp.path() / "Applications/Pellora-original.app");
    makeBundle(bundle.parent_path());
    ::kill(application, SIGTERM);
    waitForExit(application);

    EXPECT_EQ(waitForExit(finalizer, 20s), 1);

    EXPECT_EQ(readFile(workDir / "error"), "Pellora.app was replaced. It has not been moved.");
    EXPECT_TRUE(fs::exists(bundle / "Contents/Info.plist"));
    EXPECT_TRUE(fs::exists(temp.path() / "Applications/Pellora-original.app/Contents/Info.plist"));
    EXPECT_FALSE(fs::exists(trashed));
    EXPECT_TRUE(log().ends_with(" Failed: Pellora.app was replaced. It has not been moved.; diagnostics: " +
                                workDir.string() + "\n"))
        << log();
}
