// Origin comparisons and navigation error tests shared by the Engine windows and the
// shell. Pure functions; any thread.
#pragma once

#include <optional>
#include <string>

#include "platform/WebView.h"

namespace pellora {

// Both URLs have a scheme and a host; schemes and hosts equal ignoring case; effective
// ports equal (missing: 80 for http, 443 for https, none for any other scheme).
bool sameOrigin(const std::string& a, const std::string& b);

// "scheme://host:port" lower-cased, a missing port taken as 443 for https and 80 for every
// other scheme; absent without scheme or host.
std::optional<std::string> originKey(const std::string& url);

// A cancelled load or an interrupted frame load: not a reason to show recovery.
bool isIgnorableNavigationError(const WebError& error);

// A failed secure connection (URL-loading codes −1206 … −1200).
bool isSecureConnectionFailure(const WebError& error);

}  // namespace pellora
