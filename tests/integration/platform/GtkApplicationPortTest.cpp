#include "platform/linux/GtkApplicationPort.h"

#include <gtest/gtest.h>

#include <csignal>

#include "integration/platform/GtkTestEnvironment.h"
#include "platform/linux/GtkAlerts.h"

namespace pellora {
namespace {

using testing::iterateUntil;

class ScriptedDelegate final : public ApplicationDelegate {
public:
    void applicationDidFinishLaunching() override {
        calls.push_back("launched");
        if (onLaunch) onLaunch();
    }
    bool applicationShouldHandleReopen(bool visible) override {
        calls.push_back(visible ? "reopen(visible)" : "reopen(hidden)");
        return true;
    }
    bool applicationShouldTerminateAfterLastWindowClosed() override { return false; }
    TerminateReply applicationShouldTerminate() override {
        calls.push_back("shouldTerminate");
        return cancelsLeft-- > 0 ? TerminateReply::terminateCancel : TerminateReply::terminateNow;
    }
    void applicationWillTerminate() override { calls.push_back("willTerminate"); }

    std::vector<std::string> calls;
    int cancelsLeft = 0;
    std::function<void()> onLaunch;
};

class WindowRecorder final : public NativeWindowDelegate {
public:
    bool windowShouldClose() override { return allowClose; }
    void windowWillClose() override { ++willClose; }
    bool allowClose = true;
    int willClose = 0;
};

class GtkApplicationPortTest : public ::testing::Test {
protected:
    void SetUp() override { PELLORA_REQUIRE_DISPLAY(); }
};

TEST_F(GtkApplicationPortTest, ACancelledTerminateKeepsRunningAndSigtermAsksTheDelegate) {
    GtkApplicationPort application("com.pellora.test.terminate");
    ScriptedDelegate delegate;
    delegate.cancelsLeft = 1;
    delegate.onLaunch = [&] {
        application.terminate();  // cancelled: the loop keeps running
        g_idle_add([](gpointer) -> gboolean { std::raise(SIGTERM); return G_SOURCE_REMOVE; }, nullptr);
    };
    application.setDelegate(&delegate);
    application.run();
    EXPECT_EQ(delegate.calls,
              (std::vector<std::string>{"launched", "shouldTerminate", "shouldTerminate", "willTerminate"}));
}

TEST_F(GtkApplicationPortTest, ClosingWindowsKeepsTheApplicationAndTheWindowsInOrder) {
    GtkApplicationPort application("com.pellora.test.windows");
    ScriptedDelegate delegate;
    application.setDelegate(&delegate);
    auto first = application.createWindow(WindowOptions{{460, 720}, Size{360, 480}, "Pellora", Color::white(0.98)});
    auto second = application.createWindow(WindowOptions{});
    auto recorder = std::make_shared<WindowRecorder>();
    first->setDelegate(recorder);
    first->makeKeyAndOrderFrontRegardless();
    second->makeKeyAndOrderFrontRegardless();
    EXPECT_EQ(application.windows(), (std::vector<std::shared_ptr<NativeWindow>>{first, second}));
    EXPECT_EQ(application.orderedWindows(), (std::vector<std::shared_ptr<NativeWindow>>{second, first}));
    first->makeKeyAndOrderFrontRegardless();
    EXPECT_EQ(application.orderedWindows().front(), first);

    // A refused close keeps the window; an accepted one tells the delegate once.
    recorder->allowClose = false;
    GdkEvent* event = gdk_event_new(GDK_DELETE);
    gtk_widget_event(GTK_WIDGET(GtkNativeWindow::of(*first).gtkWindow()), event);
    EXPECT_TRUE(first->isVisible());
    recorder->allowClose = true;
    gtk_widget_event(GTK_WIDGET(GtkNativeWindow::of(*first).gtkWindow()), event);
    gdk_event_free(event);
    first->close();
    EXPECT_EQ(recorder->willClose, 1);
    EXPECT_FALSE(first->isVisible());
    EXPECT_EQ(application.windows(), (std::vector<std::shared_ptr<NativeWindow>>{second}));

    second->close();  // the last window: the delegate answers "keep running"
    EXPECT_TRUE(application.windows().empty());
    EXPECT_EQ(std::count(delegate.calls.begin(), delegate.calls.end(), "shouldTerminate"), 0);
}

TEST_F(GtkApplicationPortTest, WindowAppearanceAccessoryAndSheets) {
    GtkApplicationPort application("com.pellora.test.appearance");
    auto window = application.createWindow(WindowOptions{});
    window->setTitle("Pellora - This Mac");
    window->setBackgroundColor(Color{0.87, 0.93, 0.99, 1});
    window->setTitlebarAppearsTransparent(true);
    auto accessory = application.views().makeButton("This Mac \u25be", ButtonStyle{});
    window->setTitlebarAccessory(accessory);
    window->makeKeyAndOrderFrontRegardless();
    EXPECT_EQ(window->title(), "Pellora - This Mac");
    EXPECT_EQ(window->backgroundColor(), (Color{0.87, 0.93, 0.99, 1}));
    EXPECT_TRUE(window->titlebarAppearsTransparent());
    GtkWidget* header = gtk_window_get_titlebar(GtkNativeWindow::of(*window).gtkWindow());
    EXPECT_EQ(gtk_widget_get_parent(GtkView::of(*accessory).widget()), header);

    GtkAlerts alerts;
    std::optional<int> chosen;
    EXPECT_FALSE(window->hasAttachedSheet());
    alerts.beginSheet(*window, AlertSpec{"Could not connect", "", {"OK", "Retry"}}, [&](int index) { chosen = index; });
    EXPECT_TRUE(window->hasAttachedSheet());
    GtkWindow* sheet = nullptr;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item; item = item->next) {
        if (gtk_window_get_transient_for(GTK_WINDOW(item->data)) == GtkNativeWindow::of(*window).gtkWindow()) {
            sheet = GTK_WINDOW(item->data);
        }
    }
    g_list_free(toplevels);
    ASSERT_NE(sheet, nullptr);
    gtk_dialog_response(GTK_DIALOG(sheet), 1);
    EXPECT_EQ(chosen, 1);
    EXPECT_FALSE(window->hasAttachedSheet());
    window->close();
}

TEST_F(GtkApplicationPortTest, ASecondLaunchAsksTheRunningInstanceToReopen) {
    GtkApplicationPort running("com.pellora.test.single");
    ScriptedDelegate delegate;
    running.setDelegate(&delegate);
    ASSERT_TRUE(running.claimSingleInstance());
    GtkApplicationPort later("com.pellora.test.single");
    EXPECT_FALSE(later.claimSingleInstance());
    EXPECT_TRUE(later.handOverToRunningInstance());
    ASSERT_TRUE(iterateUntil([&] { return !delegate.calls.empty(); }));
    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"reopen(hidden)"}));
    GtkApplicationPort unrelated("com.pellora.test.other");
    EXPECT_FALSE(unrelated.handOverToRunningInstance());
}

}  // namespace
}  // namespace pellora
