// Translation of WebKitGTK / GIO load and script errors into the URL-loading and WebKit
// error domains and codes the window code tests (−999 cancelled, WebKitErrorDomain 102
// interrupted by a policy change, −1001 timed out, −1004 cannot connect, −1200…−1206
// secure connection failures). Pure functions; any thread.
#pragma once

#include <gio/gio.h>

#include "platform/WebView.h"

namespace pellora {

inline constexpr const char* kScriptErrorDomain = "WKErrorDomain";
inline constexpr int kScriptExceptionCode = 4;       // an exception was thrown
inline constexpr int kScriptUnsupportedResultCode = 5;  // the result has no JSON form

WebError webErrorFromLoadError(const GError* error);
WebError webErrorFromTlsErrors(GTlsCertificateFlags errors, const char* uri);
WebError scriptError(const GError* error);

}  // namespace pellora
