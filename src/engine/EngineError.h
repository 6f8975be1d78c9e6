// Failures of the Engine's command-line tool: the tool is missing, it failed, or there is
// no installation at all. The description is what callers show or log. Value type; any
// thread.
#pragma once

#include <cstdint>
#include <string>

#include "base/Error.h"

namespace pellora {

class EngineError final : public Error {
public:
    enum class Case { cliNotFound, cliFailed, noInstallationFound };

    static EngineError cliNotFound(const std::string& path);
    // `output` is the tool's standard error, or its standard output when that is empty.
    static EngineError cliFailed(std::int32_t status, const std::string& output);
    static EngineError noInstallationFound();

    Case kind() const { return kind_; }
    const std::string& path() const { return path_; }
    std::int32_t status() const { return status_; }
    const std::string& output() const { return output_; }

private:
    EngineError(Case kind, std::string description);
    Case kind_;
    std::string path_;
    std::int32_t status_ = 0;
    std::string output_;
};

}  // namespace pellora
