// WebViewFactory over one shared WebKitWebContext: persistent website data under
// "$HOME/Library/Application Support/Pellora/WebKit" (cache under
// "$HOME/Library/Caches/Pellora/WebKit") unless told otherwise, and the web process
// extension loaded from the bundle's "Contents/Frameworks/WebExtensions". Main thread
// only; owned by main() (it must outlive every web view it made).
#pragma once

#include <webkit2/webkit2.h>

#include <filesystem>

#include "platform/WebView.h"

namespace pellora {

class WebKitWebViewFactory final : public WebViewFactory {
public:
    struct Directories {
        std::filesystem::path extensions;
        std::filesystem::path websiteData;
        std::filesystem::path cache;
    };

    // The standard directories for the bundle at `bundlePath`.
    static Directories standardDirectories(const std::filesystem::path& bundlePath);

    explicit WebKitWebViewFactory(Directories directories);
    ~WebKitWebViewFactory() override;
    WebKitWebViewFactory(const WebKitWebViewFactory&) = delete;
    WebKitWebViewFactory& operator=(const WebKitWebViewFactory&) = delete;

    std::shared_ptr<WebView> makeWebView(const WebViewConfiguration& configuration) override;
    WebKitWebContext* context() const { return context_; }

private:
    static void initializeWebExtensions(WebKitWebContext* context, WebKitWebViewFactory* self);

    Directories directories_;
    WebKitWebContext* context_;
};

}  // namespace pellora
