#include "base/Error.h"

#include <exception>

namespace pellora {

std::string describeError(const std::exception& error) {
    if (auto* typed = dynamic_cast<const Error*>(&error)) return typed->localizedDescription();
    return error.what();
}

std::string describeCurrentException() {
    try {
        throw;
    } catch (const std::exception& error) {
        return describeError(error);
    } catch (...) {
        return "Unknown error";
    }
}

}  // namespace pellora
