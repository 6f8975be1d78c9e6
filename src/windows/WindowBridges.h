// The script bridges an Engine window installs into its page and the decisions it hands
// to them. Each member is filled by the subsystem that provides it; while one is empty the
// window goes without that bridge (no script, no handler) and takes the plain path the
// comment names. Main thread only; shared by every window, owned by the shell.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/WebView.h"

namespace pellora {

class EngineManager;

// A page bridge attached to one web view; invalidated when the web view goes.
class PageBridge {
public:
    virtual ~PageBridge() = default;
    virtual void invalidate() = 0;
    // The page asked to open `url` outside the window (a refused link or new window).
    virtual void openExternal(const std::string& url) = 0;
};

// The browser bridge attached to one web view.
class BrowserBridge {
public:
    virtual ~BrowserBridge() = default;
    virtual void setAllowedOrigin(const std::string& origin) = 0;
    virtual void resetDocumentState() = 0;
    virtual void setAllSurfacesVisible(bool visible) = 0;
    virtual void invalidate() = 0;
    // The view hosting the native browser surfaces, above the web view.
    virtual std::shared_ptr<View> hostView() const = 0;
};

struct PageBridgeRequest {
    std::weak_ptr<EngineManager> engineManager;
    std::string engineURL;
    bool local = true;
};

struct BrowserBridgeRequest {
    std::string browserWindowID;
    std::string engineURL;
    std::optional<std::string> connectionID;
};

struct WindowBridges {
    // The desktop bridge user script for a window (injected at document start, main frame
    // only). Empty: no script.
    std::function<UserScript(const PageBridgeRequest&)> pageBridgeScript;
    // Registers the page bridge's "pelloraShell" handler on `webView`. Empty: no page bridge,
    // and refused links are dropped.
    std::function<std::shared_ptr<PageBridge>(WebView& webView, const PageBridgeRequest&)> makePageBridge;
    // The browser bridge user script for a browser window id. Empty: no script.
    std::function<UserScript(const std::string& browserWindowID)> browserBridgeScript;
    // Registers the "pelloraBrowser" handler and the native browser host. Empty: the
    // window shows no native browser.
    std::function<std::shared_ptr<BrowserBridge>(WebView& webView, const BrowserBridgeRequest&)>
        makeBrowserBridge;
    // Whether `url` is an Engine download URL (new-window requests for it load in place).
    // Empty: no URL is.
    std::function<bool(const std::string& url, const std::string& engineURL)> isEngineDownloadURL;
    // The download decision for responses the navigation rules let through. Empty: allow.
    std::function<NavigationResponsePolicy(const NavigationResponse&)> decideDownload;
};

}  // namespace pellora
