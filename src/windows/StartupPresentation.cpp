#include "windows/StartupPresentation.h"

#include "shell/LocalizedText.h"

namespace pellora {

namespace {

constexpr std::array<std::string_view, kStartupPhases.size()> kPhaseRawValues = {
    "preparing",    "unpacking", "backup",  "installing", "components",
    "initializing", "starting",  "opening", "restoring"};

// Indices into the startup texts.
constexpr std::size_t kFirstInstallExplanation = 4;
constexpr std::size_t kUpgradeExplanation = 5;
constexpr std::size_t kFirstPhaseText = 6;
constexpr std::size_t kComponentWarning = 15;
constexpr std::size_t kElapsedTemplate = 16;

}  // namespace

std::string_view rawValue(StartupPhase phase) {
    return kPhaseRawValues[static_cast<std::size_t>(phase)];
}

std::optional<StartupPhase> startupPhaseFromRawValue(std::string_view raw) {
    for (std::size_t i = 0; i < kPhaseRawValues.size(); ++i) {
        if (kPhaseRawValues[i] == raw) return kStartupPhases[i];
    }
    return std::nullopt;
}

Json StartupPresentation::Snapshot::toJson() const {
    Json json = Json::object();
    json["heading"] = heading;
    json["step"] = step;
    json["explanation"] = explanation;
    json["warning"] = warning;
    json["elapsed"] = elapsed;
    json["since"] = since;
    return json;
}

std::optional<std::string> StartupPresentation::Snapshot::encoded() const {
    try {
        return toJson().dump();
    } catch (const Json::exception&) {
        return std::nullopt;
    }
}

StartupPresentation::Snapshot makeSnapshot(const StartupPresentation& presentation,
                                           std::string_view language) {
    using Mode = StartupPresentation::Mode;
    auto text = [&](std::size_t index) {
        return localizedText(TextTable::startup, index, language);
    };
    StartupPresentation::Snapshot snapshot;
    snapshot.heading = text(static_cast<std::size_t>(presentation.mode));
    if (presentation.mode == Mode::remote) {
        snapshot.step = presentation.remoteName;
    } else {
        snapshot.step = text(kFirstPhaseText + static_cast<std::size_t>(presentation.phase));
        if (presentation.mode == Mode::firstInstall) snapshot.explanation = text(kFirstInstallExplanation);
        if (presentation.mode == Mode::upgrade) snapshot.explanation = text(kUpgradeExplanation);
    }
    if (presentation.updateFailed) {
        snapshot.warning = localizedText(TextMessage::updateFailed, language);
    } else if (presentation.componentWarning) {
        snapshot.warning = text(kComponentWarning);
    }
    snapshot.elapsed = text(kElapsedTemplate);
    snapshot.since = presentation.since;
    return snapshot;
}

std::string updateFailedNoInstallationText() {
    return localizedText(TextMessage::updateFailedNoInstallation);
}

}  // namespace pellora
