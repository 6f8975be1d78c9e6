#include <gtest/gtest.h>

#include "ShellFixture.h"
#include "shell/AppDelegate.h"

using namespace pellora;
using namespace pellora::testing;

namespace {

class AppDelegateTest : public ShellTest {
protected:
    AppDelegateTest() {
        engine.alive = engine.ready = true;
        application.setDelegate(&delegate);
    }
    ~AppDelegateTest() override { application.setDelegate(nullptr); }

    void launch() {
        delegate.applicationDidFinishLaunching();
        ASSERT_TRUE(settle([this] { return controller && !controller->windows.empty() &&
                                           !controller->startupInFlight && controller->managesLocalEngine; }));
    }

    AppDelegate delegate{application, [this] { return controller = makeController(); }, [this] { ++shutdowns; }};
    int shutdowns = 0;
};

TEST_F(AppDelegateTest, LaunchingCreatesTheControllerAndStartsTheShell) {
    EXPECT_FALSE(delegate.shellController);
    launch();
    EXPECT_EQ(application.activationPolicy, ActivationPolicy::regular);
    EXPECT_EQ(delegate.shellController, controller);
    EXPECT_EQ(lastLoadedURL(*controller->windows.at(0)), FakeLocalEngine::kURL);
}

TEST_F(AppDelegateTest, TerminateDecisions) {
    struct Row {
        const char* name;
        bool launched;
        bool confirmed;
        TerminateReply reply;
    };
    const Row rows[] = {
        {"confirmed before launch", false, true, TerminateReply::terminateNow},
        {"confirmed after launch", true, true, TerminateReply::terminateNow},
        {"no controller", false, false, TerminateReply::terminateCancel},
        {"quit flow asked", true, false, TerminateReply::terminateCancel},
    };
    for (const auto& row : rows) {
        AppDelegate subject{application, [this] { return makeController(); }, nullptr};
        if (row.launched) {
            subject.applicationDidFinishLaunching();
            loop.runUntilIdle();
        }
        subject.terminateConfirmed = row.confirmed;
        EXPECT_EQ(subject.applicationShouldTerminate(), row.reply) << row.name;
        if (row.launched) subject.shellController.reset();
    }
}

TEST_F(AppDelegateTest, TerminateRequestRunsTheQuitFlowWhichConfirmsAndTerminates) {
    launch();
    application.terminate();
    EXPECT_FALSE(application.terminated);  // the request itself is cancelled
    EXPECT_FALSE(delegate.terminateConfirmed);
    loop.runUntilIdle();
    EXPECT_TRUE(delegate.terminateConfirmed);
    EXPECT_TRUE(application.terminated);
    EXPECT_EQ(application.terminateRequests, 2);
}

TEST_F(AppDelegateTest, ReopenShowsTheCurrentWindowOrOpensOneAndAlwaysAnswersYes) {
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));  // before launch: nothing to do
    EXPECT_TRUE(application.windows().empty());

    launch();
    auto first = controller->windows.at(0);
    const int activations = application.activateCount;
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(true));
    EXPECT_EQ(controller->windows, (std::vector{first}));
    EXPECT_EQ(application.activateCount, activations + 1);

    EXPECT_FALSE(delegate.applicationShouldTerminateAfterLastWindowClosed());
    native(*first).close();
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));
    loop.runUntilIdle();
    ASSERT_EQ(controller->windows.size(), 1u);
    EXPECT_NE(controller->windows.at(0), first);
    EXPECT_EQ(application.activateCount, activations + 2);
    EXPECT_EQ(lastLoadedURL(*controller->windows.at(0)), FakeLocalEngine::kURL);
}

TEST_F(AppDelegateTest, WillTerminateClosesEveryWindowAndShutsTheRuntimeDown) {
    launch();
    controller->openWindow(false, false);
    auto other = application.createWindow(WindowOptions{});  // not an Engine window
    other->makeKeyAndOrderFrontRegardless();
    ASSERT_EQ(application.windows().size(), 3u);

    delegate.applicationWillTerminate();
    EXPECT_TRUE(application.windows().empty());
    EXPECT_TRUE(controller->windows.empty());
    EXPECT_EQ(shutdowns, 1);
}

}  // namespace
