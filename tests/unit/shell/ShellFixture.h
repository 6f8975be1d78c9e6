// A ShellController over fake ports in virtual time: fake application, alerts and web
// views, connections in fake user defaults, and an EngineManager over a real (temporary)
// installation directory whose processes, tool runs and liveness answers the test decides.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/Log.h"
#include "base/Uuid.h"
#include "base/VirtualEventLoop.h"
#include "connections/EngineConnectionStore.h"
#include "engine/EngineManager.h"
#include "fakes/FakeApplication.h"
#include "fakes/FakeBundleInfo.h"
#include "fakes/FakeHttpClient.h"
#include "fakes/FakeProcessLauncher.h"
#include "fakes/FakeProcessTable.h"
#include "fakes/FakeUserDefaults.h"
#include "fakes/FakeWebView.h"
#include "platform/ToolPaths.h"
#include "shell/ShellController.h"

namespace pellora::testing {

// Runs work inline unless the test holds it; held work waits until release(), so a test
// can act while an Engine liveness check is still pending.
class GatedWorkQueue final : public WorkQueue {
public:
    void dispatch(std::function<void()> work, std::function<void()> completion) override {
        if (!hold) {
            work();
            completion();
            return;
        }
        pending.emplace_back(std::move(work), std::move(completion));
    }
    void release() {
        hold = false;
        while (!pending.empty()) {
            auto [work, completion] = std::move(pending.front());
            pending.pop_front();
            work();
            completion();
        }
    }

    bool hold = false;
    std::deque<std::pair<std::function<void()>, std::function<void()>>> pending;
};

// The local Engine as the manager sees it: an installation on disk listening on 9811; its
// server runs when `alive`, its tool's "start" answers `startScript` (and brings the server
// up when it exits 0), and its liveness URL answers while `ready`.
class FakeLocalEngine {
public:
    FakeLocalEngine() {
        std::filesystem::create_directories(installDir / "bin");
        std::ofstream(installDir / "bin" / "pellora") << "#!/bin/sh\n";
        std::ofstream(installDir / ".env") << "PORT=9811\n";
        launcher->respond = [this](const LaunchSpec& spec) { return answer(spec); };
        http->respond = [this](const HttpRequest&) {
            return ready ? FakeHttpClient::status(200) : FakeHttpClient::failure(-1004, "Could not connect");
        };
        EngineManager::Ports ports;
        ports.processTable = std::make_shared<FakeProcessTable>();
        ports.launcher = launcher;
        ports.http = http;
        ports.utilityQueue = queue;
        ports.locator = InstallLocator::production();
        ports.locator.environment = [this] {
            return std::map<std::string, std::string>{{"PELLORA_DIR", installDir.string()}, {"PATH", "/usr/bin"}};
        };
        ports.locator.homeDirectory = [this] { return home; };
        ports.temporaryDirectory = home;
        manager = std::make_shared<EngineManager>(std::move(ports));
    }
    ~FakeLocalEngine() { std::filesystem::remove_all(home); }

    static constexpr const char* kURL = "http://localhost:9811";

    bool alive = false;
    bool ready = false;
    FakeProcessLauncher::Script startScript;
    std::vector<std::vector<std::string>> toolRuns;

    std::filesystem::path home = std::filesystem::temp_directory_path() / ("shell-test-" + makeUuidString());
    std::filesystem::path installDir = home / "pellora";
    std::shared_ptr<FakeProcessLauncher> launcher = std::make_shared<FakeProcessLauncher>();
    std::shared_ptr<FakeHttpClient> http = std::make_shared<FakeHttpClient>();
    std::shared_ptr<GatedWorkQueue> queue = std::make_shared<GatedWorkQueue>();
    std::shared_ptr<EngineManager> manager;

private:
    FakeProcessLauncher::Script answer(const LaunchSpec& spec) {
        FakeProcessLauncher::Script script;
        if (spec.executable == toolpaths::kPgrep) {
            if (alive && spec.arguments.at(1).ends_with("server\\.js")) script.standardOutput = "100\n";
            script.status = script.standardOutput.empty() ? 1 : 0;
        } else if (spec.executable == (installDir / "bin" / "pellora").string()) {
            toolRuns.push_back(spec.arguments);
            script = startScript;
            if (script.status == 0 && !script.launchError) alive = true;
        }
        return script;
    }
};

class ShellTest : public ::testing::Test {
protected:
    ShellTest() { UserDefaults::setStandard(&defaults); }
    ~ShellTest() override {
        controller.reset();
        UserDefaults::setStandard(nullptr);
    }

    std::shared_ptr<ShellController> makeController() {
        ShellEnvironment environment{application, alerts,
                                     MainWindowEnvironment{application, webViews, bundle, texts, bridges},
                                     handshake};
        auto made = std::make_shared<ShellController>(environment, connections, engine.manager);
        made->statusObserver = [this](ShellStatus status) { statuses.push_back(status); };
        return made;
    }

    // Saves a remote connection; it becomes the default when `makeDefault`.
    EngineConnection addConnection(const std::string& name, bool makeDefault = false) {
        EngineConnection connection{makeUuidString(), name, "https://" + name + ".example", std::nullopt};
        connection = connections.upsert(connection);
        if (makeDefault) connections.state().defaultID = connection.id;
        return connection;
    }

    // Runs the loop, moving virtual time in 10 ms steps, until `done` holds or `budget` passed.
    bool settle(const std::function<bool()>& done, Duration budget = std::chrono::seconds(120)) {
        for (Duration spent{0};; spent += std::chrono::milliseconds(10)) {
            loop.runUntilIdle();
            if (done()) return true;
            if (spent >= budget) return false;
            loop.advance(std::chrono::milliseconds(10));
        }
    }
    // Runs `task` on the loop until it ends; false when it did not end within `budget`.
    bool runToEnd(Task<void> task, Duration budget = std::chrono::seconds(120)) {
        auto done = std::make_shared<bool>(false);
        spawn([](Task<void> inner, std::shared_ptr<bool> flag) -> Task<void> {
            co_await std::move(inner);
            *flag = true;
        }(std::move(task), done));
        return settle([&] { return *done; }, budget);
    }

    FakeNativeWindow& native(const MainWindow& window) { return dynamic_cast<FakeNativeWindow&>(*window.window); }
    FakeWebView& web(const MainWindow& window) { return dynamic_cast<FakeWebView&>(*window.webView); }
    // The URL of the last request the window's web view loaded; empty when none.
    std::string lastLoadedURL(const MainWindow& window) {
        if (!window.webView) return {};
        const auto& requests = web(window).loadedRequests;
        return requests.empty() ? std::string() : requests.back().url;
    }
    // Whether the window ever loaded the splash page (file or inline fallback).
    bool showedSplash(const MainWindow& window) {
        return window.webView &&
               (!web(window).loadedFiles.empty() || !web(window).loadedHTML.empty());
    }

    VirtualEventLoop loop;
    MainLoopScope loopScope{loop};
    LogCapture log;
    FakeUserDefaults defaults;
    FakeApplication application;
    FakeAlerts alerts;
    FakeWebViewFactory webViews;
    FakeBundleInfo bundle;
    RecoveryTexts texts{std::nullopt};
    WindowBridges bridges;
    std::function<Task<std::vector<std::string>>(const std::string&)> handshake;
    EngineConnectionStore connections{defaults};
    FakeLocalEngine engine;
    std::vector<ShellStatus> statuses;
    std::shared_ptr<ShellController> controller;
};

}  // namespace pellora::testing
