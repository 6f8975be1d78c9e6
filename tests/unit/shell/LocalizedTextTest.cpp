#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "fakes/FakeUserDefaults.h"
#include "shell/DesktopLanguage.h"
#include "shell/LocalizedText.h"

using namespace pellora;

namespace {

const std::pair<TextTable, std::size_t> kTables[] = {
    {TextTable::shell, 33},           {TextTable::menu, 25},
    {TextTable::terminal, 6},         {TextTable::connection, 21},
    {TextTable::connectionPanel, 11}, {TextTable::connectionSecurity, 2},
    {TextTable::connectionEditor, 5}, {TextTable::startup, 17},
    {TextTable::update, 7},           {TextTable::lifecycleError, 2},
    {TextTable::lifecycleFailure, 4}};

const TextMessage kMessages[] = {TextMessage::compactWindowTitle, TextMessage::updateFailed,
                                 TextMessage::updateFailedNoInstallation,
                                 TextMessage::updateIncomplete};

// Placeholders and line breaks a translation must carry over unchanged.
std::multiset<std::string> markers(const std::string& text) {
    static const std::regex pattern(R"(%path%|%count%|\{seconds\}|\n|%[a-z]+%|\{[a-z]+\})");
    std::multiset<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
        found.insert(it->str());
    }
    return found;
}

void expectTranslationOf(const std::string& english, const std::string& text, const std::string& where) {
    EXPECT_FALSE(text.empty()) << where;
    EXPECT_EQ(markers(text), markers(english)) << where << ": " << text;
}

}  // namespace

TEST(LocalizedText, EveryTableIsCompleteInEveryLanguageWithItsPlaceholders) {
    for (const auto& [table, size] : kTables) {
        ASSERT_EQ(textTableSize(table), size);
        for (std::size_t index = 0; index < size; ++index) {
            const std::string english = localizedText(table, index, "en");
            for (auto language : kDesktopLanguages) {
                expectTranslationOf(english, localizedText(table, index, language),
                                    "table " + std::to_string(static_cast<int>(table)) + " entry " +
                                        std::to_string(index) + " " + std::string(language));
            }
        }
        EXPECT_THROW(localizedText(table, size, "en"), std::out_of_range);
    }
    for (auto message : kMessages) {
        const std::string english = localizedText(message, "en");
        for (auto language : kDesktopLanguages) {
            expectTranslationOf(english, localizedText(message, language),
                                "message " + std::to_string(static_cast<int>(message)) + " " +
                                    std::string(language));
        }
    }
}

TEST(LocalizedText, TranslationsDifferFromEnglishWhereTheyShould) {
    // Catches a language record that was pasted from English by mistake.
    for (auto language : kDesktopLanguages) {
        if (language == "en") continue;
        EXPECT_NE(localizedText(TextTable::shell, 1, language), localizedText(TextTable::shell, 1, "en"));
        EXPECT_NE(localizedText(TextTable::connection, 10, language),
                  localizedText(TextTable::connection, 10, "en"));
        EXPECT_NE(localizedText(TextTable::startup, 4, language), localizedText(TextTable::startup, 4, "en"));
        EXPECT_NE(localizedText(TextTable::update, 1, language), localizedText(TextTable::update, 1, "en"));
    }
}

TEST(LocalizedText, EnglishEntriesOthersDependOn) {
    const std::tuple<TextTable, std::size_t, const char*> cases[] = {
        {TextTable::shell, 5, "OK"},
        {TextTable::shell, 29, "Running sessions: %count%"},
        {TextTable::shell, 32, "Pellora — shutting down…"},
        {TextTable::menu, 19, "Starting…"},
        {TextTable::menu, 22, "Not responding"},
        {TextTable::menu, 24, "Reload Page"},
        {TextTable::terminal, 5, "The pellora command is enabled. Open a new Terminal window to use it."},
        {TextTable::connection, 0, "Engine connections"},
        {TextTable::connection, 1, "This Mac"},
        {TextTable::connection, 15, "Could not connect"},
        {TextTable::connection, 20, "Local Engine is not running"},
        {TextTable::connectionPanel, 10, "Teal"},
        {TextTable::connectionSecurity, 1, "HTTP · Insecure"},
        {TextTable::connectionEditor, 4,
         "You can rename the current connection. Switch to another Engine before changing its address."},
        {TextTable::startup, 16, "Current step: {seconds}s elapsed"},
        {TextTable::update, 6,
         "Pellora is busy starting, switching connections, or shutting down. Please try again shortly."},
        {TextTable::lifecycleError, 1,
         "The uninstaller could not safely verify Pellora. The App has not been moved. Please try again."},
        {TextTable::lifecycleFailure, 3, "The uninstaller could not start. Pellora.app has not been moved."},
    };
    for (const auto& [table, index, text] : cases) {
        EXPECT_EQ(localizedText(table, index, "en"), text);
    }
    EXPECT_EQ(localizedText(TextMessage::compactWindowTitle, "en"), "Compact Window");
}

TEST(LocalizedText, LookupFollowsTheStoredDesktopLanguage) {
    FakeUserDefaults defaults;
    StandardUserDefaultsScope scope(defaults);
    EXPECT_EQ(localizedText(TextTable::shell, 11), "Cancel");
    EXPECT_EQ(localizedText(TextMessage::compactWindowTitle), "Compact Window");
    const std::pair<const char*, const char*> cases[] = {
        {"zh_TW", "zh-HK"}, {"zh", "zh"}, {"it", "en"}, {"ja-JP", "ja"}};
    for (const auto& [stored, language] : cases) {
        defaults.setString("pellora.desktop.locale", stored);
        EXPECT_EQ(localizedText(TextTable::menu, 8), localizedText(TextTable::menu, 8, language)) << stored;
        EXPECT_EQ(localizedText(TextMessage::updateIncomplete),
                  localizedText(TextMessage::updateIncomplete, language));
    }
    EXPECT_NE(localizedText(TextTable::menu, 8, "zh-HK"), localizedText(TextTable::menu, 8, "zh"));
}
