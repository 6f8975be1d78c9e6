#include "MainWindowFixture.h"

namespace pellora::testing {

MainWindowTest::MainWindowTest() {
    UserDefaults::setStandard(&defaults);
    manager = std::make_shared<EngineManager>(EngineManager::Ports{});
    bridges.makePageBridge = [this](WebView&, const PageBridgeRequest&) {
        pageBridge = std::make_shared<RecordingPageBridge>();
        return pageBridge;
    };
}

MainWindowTest::~MainWindowTest() { UserDefaults::setStandard(nullptr); }

std::shared_ptr<MainWindow> MainWindowTest::makeWindow(bool compact) {
    auto window = MainWindow::create(MainWindowEnvironment{application, webViews, bundle, texts, bridges}, compact);
    window->owner = owner;
    window->engineManager = manager;
    window->loadConnection(std::nullopt, kEngine, false, false);
    window->showWindow();
    return window;
}

std::shared_ptr<MainWindow> MainWindowTest::windowLoadingEngine(const std::string& url) {
    auto window = makeWindow();
    window->showEnginePage(url);
    return window;
}

void MainWindowTest::answerMarker(Json value) {
    auto view = webViews.last();
    view->answerEvaluation(ScriptResult{std::move(value), std::nullopt});
}

FakeWebView& MainWindowTest::webView(const MainWindow& window) {
    return dynamic_cast<FakeWebView&>(*window.webView);
}

FakeNativeWindow& MainWindowTest::nativeWindow(const MainWindow& window) {
    return dynamic_cast<FakeNativeWindow&>(*window.window);
}

std::vector<std::string> MainWindowTest::recoveryTexts(const MainWindow& window) {
    if (!window.recoveryView) return {};
    return visibleTexts(*window.recoveryView);
}

}  // namespace pellora::testing
