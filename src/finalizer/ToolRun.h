// Running a system tool to completion from the finalizer: by absolute path with an argument
// list (never through a shell), standard input and error on the null device, standard
// output collected or discarded. Blocks the finalizer's only thread until the tool exits.
#pragma once

#include <string>
#include <vector>

namespace pellora {

struct ToolRun {
    int status = 0;      // the exit code, or 128 + the signal that ended the tool
    std::string output;  // standard output, when collected

    // Throws std::system_error when the tool cannot be started.
    static ToolRun run(const std::string& executable, const std::vector<std::string>& arguments,
                       bool collectOutput);
};

}  // namespace pellora
