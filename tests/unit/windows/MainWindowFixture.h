// A MainWindow over fake ports in virtual time, with an owner that records recovery
// requests and a page bridge that records external links.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/VirtualEventLoop.h"
#include "fakes/FakeApplication.h"
#include "fakes/FakeBundleInfo.h"
#include "fakes/FakeUserDefaults.h"
#include "fakes/FakeWebView.h"
#include "engine/EngineManager.h"
#include "windows/MainWindow.h"

namespace pellora::testing {

class RecordingOwner final : public MainWindowOwner {
public:
    std::shared_ptr<MainWindow> currentWindow() override { return current.lock(); }
    void setLastActiveWindow(const std::shared_ptr<MainWindow>& window) override { lastActive = window; }
    Task<void> recoverWindow(std::shared_ptr<MainWindow>) override {
        recoverTimes.push_back(std::chrono::duration_cast<std::chrono::seconds>(EventLoop::main().uptime()).count());
        co_return;
    }
    void showConnectionsPanel(const std::shared_ptr<MainWindow>& window) override { panelFor = window; }
    void windowDidClose(const std::shared_ptr<MainWindow>& window) override { closed.push_back(window); }

    std::weak_ptr<MainWindow> current;
    std::weak_ptr<MainWindow> lastActive;
    std::weak_ptr<MainWindow> panelFor;
    std::vector<long long> recoverTimes;
    std::vector<std::shared_ptr<MainWindow>> closed;
};

class RecordingPageBridge final : public PageBridge {
public:
    void invalidate() override { valid = false; }
    void openExternal(const std::string& url) override { opened.push_back(url); }
    bool valid = true;
    std::vector<std::string> opened;
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest();
    ~MainWindowTest() override;

    std::shared_ptr<MainWindow> makeWindow(bool compact = false);
    // A window whose first Engine load is running behind the connecting view.
    std::shared_ptr<MainWindow> windowLoadingEngine(const std::string& url = kEngine);
    // Answers the oldest pending marker check.
    void answerMarker(Json value);
    FakeWebView& webView(const MainWindow& window);
    FakeNativeWindow& nativeWindow(const MainWindow& window);
    std::vector<std::string> recoveryTexts(const MainWindow& window);

    static constexpr const char* kEngine = "http://localhost:9700";

    VirtualEventLoop loop;
    MainLoopScope loopScope{loop};
    FakeUserDefaults defaults;
    FakeApplication application;
    FakeWebViewFactory webViews;
    FakeBundleInfo bundle;
    RecoveryTexts texts{std::nullopt};
    WindowBridges bridges;
    std::shared_ptr<RecordingOwner> owner = std::make_shared<RecordingOwner>();
    std::shared_ptr<RecordingPageBridge> pageBridge;
    std::shared_ptr<EngineManager> manager;
};

}  // namespace pellora::testing
