#include <gtest/gtest.h>

#include "fakes/FakeUserDefaults.h"
#include "shell/LocalizedText.h"
#include "windows/StartupPresentation.h"

using namespace pellora;

using Mode = StartupPresentation::Mode;

namespace {
StartupPresentation presentation(Mode mode, StartupPhase phase) {
    StartupPresentation value;
    value.mode = mode;
    value.phase = phase;
    value.since = 1700000000.25;
    return value;
}
}  // namespace

TEST(StartupPresentation, SnapshotJsonHasItsKeysInOrder) {
    auto snapshot = makeSnapshot(presentation(Mode::firstInstall, StartupPhase::unpacking), "en");
    EXPECT_EQ(snapshot.encoded(),
              R"({"heading":"Setting up Pellora","step":"Unpacking installation files…",)"
              R"("explanation":"Preparing built-in components for first use. Future launches will be faster.",)"
              R"("warning":"","elapsed":"Current step: {seconds}s elapsed","since":1700000000.25})");
}

TEST(StartupPresentation, HeadingStepAndExplanationByMode) {
    struct Case {
        Mode mode;
        StartupPhase phase;
        const char* heading;
        const char* step;
        const char* explanation;
    } cases[] = {
        {Mode::firstInstall, StartupPhase::preparing, "Setting up Pellora", "Preparing installation files…",
         "Preparing built-in components for first use. Future launches will be faster."},
        {Mode::upgrade, StartupPhase::restoring, "Finishing the Pellora update", "Restoring the previous version…",
         "Your workspaces, chats and settings will be preserved."},
        {Mode::normal, StartupPhase::starting, "Starting Pellora", "Starting local services…", ""},
        {Mode::remote, StartupPhase::opening, "Connecting to Pellora", "Lab Engine", ""},
    };
    for (const auto& c : cases) {
        auto value = presentation(c.mode, c.phase);
        value.remoteName = "Lab Engine";
        auto snapshot = makeSnapshot(value, "en");
        EXPECT_EQ(snapshot.heading, c.heading);
        EXPECT_EQ(snapshot.step, c.step);
        EXPECT_EQ(snapshot.explanation, c.explanation);
    }
    for (auto phase : kStartupPhases) {
        auto snapshot = makeSnapshot(presentation(Mode::normal, phase), "en");
        EXPECT_EQ(snapshot.step,
                  localizedText(TextTable::startup, 6 + static_cast<std::size_t>(phase), "en"));
    }
}

TEST(StartupPresentation, UpdateFailedWarningWinsOverTheComponentWarning) {
    auto value = presentation(Mode::upgrade, StartupPhase::installing);
    EXPECT_EQ(makeSnapshot(value, "en").warning, "");
    value.componentWarning = true;
    EXPECT_EQ(makeSnapshot(value, "en").warning,
              "Some components could not be prepared. Retry in System Settings after startup.");
    value.updateFailed = true;
    EXPECT_EQ(makeSnapshot(value, "en").warning,
              "The update did not finish. Trying to start the available installation.");
}

TEST(StartupPresentation, LanguageChoosesTheTextRecord) {
    auto value = presentation(Mode::normal, StartupPhase::starting);
    value.updateFailed = true;
    const std::pair<const char*, const char*> cases[] = {
        {"zh-TW", "zh-HK"}, {"zh-Hans", "zh"}, {"pt-BR", "pt"}, {"it", "en"}, {"fr", "fr"}};
    for (const auto& [code, record] : cases) {
        auto snapshot = makeSnapshot(value, code);
        EXPECT_EQ(snapshot.heading, localizedText(TextTable::startup, 2, record)) << code;
        EXPECT_EQ(snapshot.warning, localizedText(TextMessage::updateFailed, record)) << code;
        EXPECT_EQ(snapshot.elapsed, localizedText(TextTable::startup, 16, record)) << code;
    }
    EXPECT_NE(makeSnapshot(value, "zh-TW").heading, makeSnapshot(value, "zh").heading);
}

TEST(StartupPresentation, SnapshotThatCannotBeEncodedIsNotProduced) {
    auto value = presentation(Mode::remote, StartupPhase::starting);
    value.remoteName = "bad \xff name";
    EXPECT_EQ(makeSnapshot(value, "en").encoded(), std::nullopt);
}

TEST(StartupPresentation, PhaseRawValues) {
    const char* names[] = {"preparing", "unpacking",    "backup",   "installing", "components",
                           "initializing", "starting", "opening", "restoring"};
    for (std::size_t i = 0; i < kStartupPhases.size(); ++i) {
        EXPECT_EQ(rawValue(kStartupPhases[i]), names[i]);
        EXPECT_EQ(startupPhaseFromRawValue(names[i]), kStartupPhases[i]);
    }
    EXPECT_EQ(startupPhaseFromRawValue("Starting"), std::nullopt);
    EXPECT_EQ(startupPhaseFromRawValue(""), std::nullopt);
}

TEST(StartupPresentation, UpdateFailedNoInstallationTextFollowsTheDesktopLanguage) {
    FakeUserDefaults defaults;
    StandardUserDefaultsScope scope(defaults);
    EXPECT_EQ(updateFailedNoInstallationText(),
              "The update failed and no usable installation was found. Please reinstall Pellora.");
    defaults.setString("pellora.desktop.locale", "ko");
    EXPECT_EQ(updateFailedNoInstallationText(),
              localizedText(TextMessage::updateFailedNoInstallation, "ko"));
}
