#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Error.h"
#include "finalizer/UninstallFinalization.h"

using namespace pellora;

namespace {

// A scripted world in virtual time: each pause moves the clock by 0.1 seconds. The parent
// and the bundle's children are alive until the given times; every call is recorded.
class FinalizationWorld {
public:
    double parentExitsAt = 0;
    double childExitsAt = 0;
    std::function<void(int call)> onValidate = [](int) {};
    std::function<void()> onChildren = [] {};
    std::function<void()> onRecycle = [] {};
    std::function<void()> onCleanup = [] {};

    std::vector<std::string> calls;
    std::optional<double> recycledAt;
    int ticks = 0;

    double now() const { return ticks / 10.0; }

    UninstallFinalization::Operations operations() {
        return {
            .validate = [this] { calls.push_back("validate"); onValidate(validations++); },
            .parentAlive = [this] { return now() < parentExitsAt; },
            .childrenAlive =
                [this] {
                    ++childrenQueries;
                    onChildren();
                    return now() < childExitsAt;
                },
            .now = [this] { return now(); },
            .pause = [this] { ++ticks; },
            .recycle =
                [this] {
                    calls.push_back("recycle");
                    onRecycle();
                    recycledAt = now();
                },
            .cleanup = [this] { calls.push_back("cleanup"); onCleanup(); },
        };
    }

    int childrenQueries = 0;

private:
    int validations = 0;
};

std::string failureOf(FinalizationWorld& world) {
    try {
        UninstallFinalization::finish(world.operations());
    } catch (const std::exception& error) {
        return describeError(error);
    }
    return "finished";
}

}  // namespace

TEST(UninstallFinalization, MovesAboutOneSecondAfterTheLastChildIsGone) {
    FinalizationWorld world;
    world.parentExitsAt = 0.5;
    world.childExitsAt = 3.5;  // lingers 3 seconds after the parent

    UninstallFinalization::finish(world.operations());

    ASSERT_TRUE(world.recycledAt.has_value());
    EXPECT_NEAR(*world.recycledAt, 4.5, 0.15);
    EXPECT_EQ(world.calls, (std::vector<std::string>{"validate", "validate", "recycle", "cleanup"}));
}

TEST(UninstallFinalization, ChildrenAreOnlyAskedForOnceTheParentIsGone) {
    FinalizationWorld world;
    world.parentExitsAt = 2.0;
    int queriesWhileParentAlive = 0;
    world.onChildren = [&] { queriesWhileParentAlive += world.now() < 2.0 ? 1 : 0; };

    UninstallFinalization::finish(world.operations());

    EXPECT_EQ(queriesWhileParentAlive, 0);
    EXPECT_GT(world.childrenQueries, 0);
    EXPECT_NEAR(*world.recycledAt, 3.0, 0.15);
}

TEST(UninstallFinalization, ABusyObservationRestartsTheQuietPeriod) {
    FinalizationWorld world;
    // Quiet from the start, then a child shows up briefly at 0.8 s.
    world.onChildren = [&] { world.childExitsAt = world.now() >= 0.8 && world.now() < 0.9 ? 1.0 : 0; };

    UninstallFinalization::finish(world.operations());

    EXPECT_NEAR(*world.recycledAt, 1.9, 0.15);
}

TEST(UninstallFinalization, GivesUpAfterFortyFiveSecondsWithoutMoving) {
    FinalizationWorld world;
    world.childExitsAt = 1e9;

    EXPECT_EQ(failureOf(world),
              "Pellora processes did not exit. The App was not moved. Quit Pellora and move it to "
              "the Trash manually.");
    EXPECT_NEAR(world.now(), 45.0, 0.15);
    EXPECT_EQ(world.calls, std::vector<std::string>{"validate"});
}

TEST(UninstallFinalization, EachFailureEndsFinishWhereItHappens) {
    struct Case {
        const char* name;
        std::function<void(FinalizationWorld&)> arrange;
        std::vector<std::string> calls;
    };
    const auto fail = [] { throw Error("Test", 1, "boom"); };
    const std::vector<Case> cases{
        {"bundle invalid at the start", [&](auto& w) { w.onValidate = [&](int) { fail(); }; },
         {"validate"}},
        {"bundle replaced during the wait",
         [&](auto& w) { w.onValidate = [&](int call) { if (call == 1) fail(); }; },
         {"validate", "validate"}},
        {"child listing fails", [&](auto& w) { w.onChildren = fail; }, {"validate"}},
        {"recycle fails", [&](auto& w) { w.onRecycle = fail; }, {"validate", "validate", "recycle"}},
        {"cleanup fails", [&](auto& w) { w.onCleanup = fail; },
         {"validate", "validate", "recycle", "cleanup"}},
    };
    for (const auto& testCase : cases) {
        FinalizationWorld world;
        testCase.arrange(world);
        EXPECT_EQ(failureOf(world), "boom") << testCase.name;
        EXPECT_EQ(world.calls, testCase.calls) << testCase.name;
    }
}

TEST(UninstallFinalization, DesktopPathsGrowWithDeleteData) {
    const std::vector<std::string> always{
        "Library/Application Support/com.pellora.shell",
        "Library/Caches/com.pellora.shell",
        "Library/Preferences/com.pellora.shell.plist",
        "Library/Saved Application State/com.pellora.shell.savedState",
    };
    auto all = always;
    all.insert(all.end(), {"Library/Application Support/Pellora", "Library/WebKit/com.pellora.shell",
                           "Library/HTTPStorages/com.pellora.shell",
                           "Library/Cookies/com.pellora.shell.binarycookies"});
    EXPECT_EQ(UninstallFinalization::desktopPaths(false), always);
    EXPECT_EQ(UninstallFinalization::desktopPaths(true), all);
}
