// The system alert the finalizer shows when an uninstall failed after the application had
// already quit: nobody else is left to tell the person. Texts exist in every supported
// desktop language. Shown through zenity where it is installed; elsewhere the failure stays
// in the log only. Finalizer thread; stateless.
#pragma once

#include <filesystem>
#include <string>

namespace pellora {

class UninstallAlert {
public:
    struct Text {
        std::string title;
        std::string message;
        bool operator==(const Text&) const = default;
    };

    // The title and message in `locale` (one of the supported codes; anything else is
    // English), the message ending with a line feed and the log file's path.
    static Text text(const std::string& locale, const std::filesystem::path& logPath);

    // Shows the alert and waits until it is dismissed. Failing to show it is not an error:
    // the outcome is already in the log.
    static void show(const Text& text);
};

}  // namespace pellora
