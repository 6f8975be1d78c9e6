#include "platform/WebView.h"

namespace pellora {

std::optional<std::string> NavigationResponse::header(const std::string& lowerCaseName) const {
    auto it = headers.find(lowerCaseName);
    if (it == headers.end()) return std::nullopt;
    return it->second;
}

}  // namespace pellora
