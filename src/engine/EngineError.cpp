#include "engine/EngineError.h"

namespace pellora {

EngineError::EngineError(Case kind, std::string description)
    : Error("Pellora.EngineError", static_cast<int>(kind), std::move(description)), kind_(kind) {}

EngineError EngineError::cliNotFound(const std::string& path) {
    EngineError error(Case::cliNotFound,
                      "Pellora CLI not found at " + path + ". Pellora may not be installed.");
    error.path_ = path;
    return error;
}

EngineError EngineError::cliFailed(std::int32_t status, const std::string& output) {
    EngineError error(Case::cliFailed,
                      "CLI exited with code " + std::to_string(status) + ". " + output);
    error.status_ = status;
    error.output_ = output;
    return error;
}

EngineError EngineError::noInstallationFound() {
    return EngineError(Case::noInstallationFound,
                       "No Pellora installation detected. Run Setup first.");
}

}  // namespace pellora
