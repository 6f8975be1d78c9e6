// Decoding and validating an uninstall request from arbitrary bytes: the finalizer reads
// "request.json" from disk and must refuse anything malformed with its one message.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "uninstall/request/UninstallRequest.h"

using pellora::Error;
using pellora::UninstallRequest;

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

bool isOwnFailure(const Error& error) {
    const auto message = error.localizedDescription();
    return error.domain() == UninstallRequest::kErrorDomain && error.code() == 1 &&
           (message == UninstallRequest::kInvalidRequest || message == UninstallRequest::kReplaced ||
            message == UninstallRequest::kMissingOrLink);
}

void checkDecoded(const UninstallRequest& request) {
    require(UninstallRequest::decode(request.encoded()) == request);
    const auto& supported = UninstallRequest::supportedLocales();
    require(std::find(supported.begin(), supported.end(), request.presentationLocale()) != supported.end());
    const auto standardized = UninstallRequest::standardizedPath(request.appPath);
    require(UninstallRequest::standardizedPath(standardized) == standardized);
    try {
        request.validate();
    } catch (const Error& error) {
        require(isOwnFailure(error));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<UninstallRequest> request;
    try {
        request = UninstallRequest::decode(text);
    } catch (const Error& error) {
        require(error.localizedDescription() == UninstallRequest::kInvalidRequest);
        return 0;
    }
    checkDecoded(*request);
    return 0;
}
