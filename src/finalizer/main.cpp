// pellora-uninstall-finalizer: started by the application, from a copy in its work
// directory, to move the application to the Trash once it has quit.
#include <cstdlib>
#include <filesystem>

#include "finalizer/FinalizerProgram.h"

namespace {

// The work directory is the program's own directory; the kernel knows the program's path
// even when the first argument is missing.
std::filesystem::path programPath(int argc, char** argv) {
    if (argc > 0 && argv[0] && argv[0][0] != '\0') return argv[0];
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error);
}

}  // namespace

int main(int argc, char** argv) {
    return pellora::FinalizerProgram(pellora::FinalizerProgram::System::live())
        .run(programPath(argc, argv));
}
