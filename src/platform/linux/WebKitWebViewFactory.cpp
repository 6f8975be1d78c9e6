#include "platform/linux/WebKitWebViewFactory.h"

#include <cstdlib>

#include "platform/linux/WebKitWebViewPort.h"

namespace pellora {

WebKitWebViewFactory::Directories WebKitWebViewFactory::standardDirectories(const std::filesystem::path& bundlePath) {
    const char* home = std::getenv("HOME");
    const std::filesystem::path library = std::filesystem::path(home && *home ? home : ".") / "Library";
    return Directories{bundlePath / "Contents" / "Frameworks" / "WebExtensions",
                       library / "Application Support" / "Pellora" / "WebKit",
                       library / "Caches" / "Pellora" / "WebKit"};
}

WebKitWebViewFactory::WebKitWebViewFactory(Directories directories) : directories_(std::move(directories)) {
    WebKitWebsiteDataManager* dataManager = webkit_website_data_manager_new(
        "base-data-directory", directories_.websiteData.c_str(), "base-cache-directory",
        directories_.cache.c_str(), nullptr);
    context_ = webkit_web_context_new_with_website_data_manager(dataManager);
    g_object_unref(dataManager);
    g_signal_connect(context_, "initialize-web-extensions", G_CALLBACK(initializeWebExtensions), this);
}

WebKitWebViewFactory::~WebKitWebViewFactory() {
    g_signal_handlers_disconnect_by_data(context_, this);
    g_object_unref(context_);
}

void WebKitWebViewFactory::initializeWebExtensions(WebKitWebContext* context, WebKitWebViewFactory* self) {
    webkit_web_context_set_web_extensions_directory(context, self->directories_.extensions.c_str());
}

std::shared_ptr<WebView> WebKitWebViewFactory::makeWebView(const WebViewConfiguration& configuration) {
    return std::make_shared<WebKitWebViewPort>(context_, configuration);
}

}  // namespace pellora
