// What the startup screen is told while the local Engine is installed, upgraded, started
// or a remote Engine is reached: the startup mode, the current phase and when it began,
// warnings and the remote name. The shell controller holds the current presentation and
// turns it into a Snapshot (the JSON document handed to "window.setStartup") for every
// window. Immutable values, rebuilt on every change; main thread.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "base/Json.h"

namespace pellora {

enum class StartupPhase {
    preparing,
    unpacking,
    backup,
    installing,
    components,
    initializing,
    starting,
    opening,
    restoring,
};

inline constexpr std::array<StartupPhase, 9> kStartupPhases = {
    StartupPhase::preparing,  StartupPhase::unpacking,    StartupPhase::backup,
    StartupPhase::installing, StartupPhase::components,   StartupPhase::initializing,
    StartupPhase::starting,   StartupPhase::opening,      StartupPhase::restoring};

// The raw value is the case name ("preparing", ...).
std::string_view rawValue(StartupPhase phase);
// Absent for any string that is not a phase's raw value.
std::optional<StartupPhase> startupPhaseFromRawValue(std::string_view raw);

struct StartupPresentation {
    enum class Mode { firstInstall, upgrade, normal, remote };

    // The document the splash page receives; encoded with its keys in declaration order.
    struct Snapshot {
        std::string heading;
        std::string step;
        std::string explanation;
        std::string warning;
        std::string elapsed;  // template with "{seconds}"
        double since = 0;

        bool operator==(const Snapshot&) const = default;
        Json toJson() const;
        // The compact JSON text; absent when it cannot be encoded (invalid UTF-8 in a
        // remote name, for example), in which case the page keeps its previous state.
        std::optional<std::string> encoded() const;
    };

    Mode mode = Mode::normal;
    StartupPhase phase = StartupPhase::starting;
    double since = 0;  // seconds since 1970 when the current phase began
    bool componentWarning = false;
    bool updateFailed = false;
    std::string remoteName;

    bool operator==(const StartupPresentation&) const = default;
};

// The snapshot in the text record that `language` selects (zh-TW → "zh-HK", pt-BR → "pt",
// unsupported → English).
StartupPresentation::Snapshot makeSnapshot(const StartupPresentation& presentation,
                                           std::string_view language);

// Shown when an update failed and nothing can be started; in the desktop language.
std::string updateFailedNoInstallationText();

}  // namespace pellora
