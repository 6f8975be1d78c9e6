#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/Error.h"
#include "finalizer/FinalizerProgram.h"
#include "finalizer/UninstallLog.h"
#include "unit/finalizer/TemporaryBundle.h"

using namespace pellora;
using namespace pellora::testing;

namespace {

constexpr std::time_t kDecember9 = 1796834820;  // 2026-12-09 16:47:00 UTC

// A work directory with a request for a real bundle, and a system of fakes in virtual
// time: the application is already gone and nothing runs from the bundle.
class FinalizerProgramTest : public ::testing::Test {
protected:
    TemporaryDirectory temp;
    std::filesystem::path home = temp.path() / "home";
    std::filesystem::path workDir = temp.path() / "pellora-uninstall-1";
    std::filesystem::path bundle = makeBundle(temp.path() / "Applications");
    UninstallRequest request = requestFor(bundle, 4242);

    int ticks = 0;
    bool detached = false;
    std::vector<std::filesystem::path> trashed;
    std::optional<std::string> trashFailure;
    std::vector<UninstallAlert::Text> alerts;

    FinalizerProgram::System system() {
        return {
            .home = home,
            .detach = [this] { detached = true; },
            .processAlive = [](pid_t) { return false; },
            .appProcesses = [](const std::string&) { return std::vector<pid_t>{}; },
            .moveToTrash =
                [this](const std::filesystem::path& path) {
                    if (trashFailure) throw Error("Test", 1, *trashFailure);
                    trashed.push_back(path);
                },
            .now = [this] { return ticks / 10.0; },
            .pause = [this] { ++ticks; },
            .wallClock = [] { return kDecember9; },
            .showAlert = [this](const UninstallAlert::Text& text) { alerts.push_back(text); },
        };
    }

    int run() {
        writeFile(workDir / "request.json", request.encoded());
        return FinalizerProgram(system()).run(workDir / "finalizer");
    }

    std::filesystem::path logPath() const { return UninstallLog::pathInHome(home); }
};

}  // namespace

TEST_F(FinalizerProgramTest, SucceedsQuietlyAndRemovesItsWorkDirectory) {
    writeFile(home / "Library/Caches/com.pellora.shell/blob", "x");

    EXPECT_EQ(run(), 0);

    EXPECT_TRUE(detached);
    EXPECT_EQ(trashed, std::vector<std::filesystem::path>{bundle});
    EXPECT_FALSE(std::filesystem::exists(home / "Library/Caches/com.pellora.shell"));
    EXPECT_FALSE(std::filesystem::exists(workDir));
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(readFile(logPath()), "2026-12-09 16:47:00 +0000 Completed; user data preserved.\n");
}

TEST_F(FinalizerProgramTest, ARefusedRequestLeavesNoReadyFileAndShowsNoAlert) {
    request.parentPID = 1;

    EXPECT_EQ(run(), 1);

    EXPECT_FALSE(std::filesystem::exists(workDir / "ready"));
    EXPECT_EQ(readFile(workDir / "error"), "Invalid uninstall request.");
    EXPECT_TRUE(alerts.empty());
    EXPECT_TRUE(trashed.empty());
    EXPECT_EQ(readFile(logPath()), "2026-12-09 16:47:00 +0000 Failed: Invalid uninstall request.; "
                                   "diagnostics: " + workDir.string() + "\n");
}

TEST_F(FinalizerProgramTest, AFailureAfterTheHandOverIsAlertedInThePresentationLanguage) {
    const std::vector<std::pair<std::optional<std::string>, std::string>> cases{
        {std::nullopt, "en"}, {"pt-BR", "en"}, {"de", "de"}, {"zh-HK", "zh-HK"}, {"ja", "ja"},
    };
    trashFailure = "The Trash is unavailable.";
    for (const auto& [locale, presented] : cases) {
        SCOPED_TRACE(locale.value_or("(absent)"));
        alerts.clear();
        std::filesystem::remove_all(workDir);
        request.locale = locale;

        EXPECT_EQ(run(), 1);

        EXPECT_EQ(readFile(workDir / "ready"), "ready");
        EXPECT_EQ(readFile(workDir / "error"), "The Trash is unavailable.");
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0], UninstallAlert::text(presented, logPath()));
    }
    const auto english = UninstallAlert::text("en", logPath());
    EXPECT_EQ(english.title, "Pellora uninstall needs attention");
    EXPECT_EQ(english.message,
              "Some cleanup could not finish. If Pellora remains in Applications, quit it and move "
              "it to the Trash. Details:\n" + logPath().string());
    EXPECT_NE(UninstallAlert::text("zh", logPath()).title, UninstallAlert::text("zh-HK", logPath()).title);
}

TEST(UninstallLog, AppendsDatedLinesCreatingTheDirectories) {
    TemporaryDirectory temp;
    std::time_t clock = 0;
    const UninstallLog log(UninstallLog::pathInHome(temp.path()), [&] { return clock; });

    log.append("first");
    clock = kDecember9;
    log.append("second");

    EXPECT_EQ(readFile(temp.path() / "Library/Logs/Pellora/uninstall.log"),
              "1970-01-01 00:00:00 +0000 first\n2026-12-09 16:47:00 +0000 second\n");
}
