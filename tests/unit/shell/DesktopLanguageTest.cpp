#include <gtest/gtest.h>

#include "base/NotificationCenter.h"
#include "fakes/FakeUserDefaults.h"
#include "shell/DesktopLanguage.h"

using namespace pellora;

TEST(DesktopLanguage, NormalizeLanguage) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"en_US", "en"},        {"EN-gb", "en"},      {"en", "en"},           {"zh-Hans-CN", "zh"},
        {"zh", "zh"},           {"zh_CN", "zh"},      {"zh_TW", "zh-HK"},     {"zh-Hant", "zh-HK"},
        {"zh-HK", "zh-HK"},     {"ZH_hk", "zh-HK"},   {"zh-Hant-TW", "zh-HK"}, {"zh--tw", "zh-HK"},
        {"pt-BR", "pt"},        {"ja_JP", "ja"},      {"ko", "ko"},           {"de-DE", "de"},
        {"fr_CA", "fr"},        {"es-419", "es"},     {"-_-de", "de"},        {"it", std::nullopt},
        {"", std::nullopt},     {"--__", std::nullopt}, {"english", std::nullopt},
        {"zhs", std::nullopt},  {"e", std::nullopt},
        {std::string(33, 'x').insert(0, "en-"), std::nullopt},  // 36 characters
        {std::string(32, 'x').insert(0, "en-"), "en"},          // 35 characters
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(normalizeLanguage(input), expected) << input;
    }
}

class DesktopLocaleTest : public ::testing::Test {
protected:
    DesktopLocaleTest()
        : scope(defaults),
          observation(NotificationCenter::defaultCenter().observe(
              "PelloraConnectionLanguageDidChange", [this] { ++notifications; })) {}

    FakeUserDefaults defaults;
    StandardUserDefaultsScope scope;
    int notifications = 0;
    NotificationCenter::Observation observation;
};

TEST_F(DesktopLocaleTest, DesktopLanguageIsTheStoredPreferenceNormalisedElseEnglish) {
    EXPECT_EQ(desktopLanguage(), "en");
    const std::pair<const char*, const char*> cases[] = {
        {"zh_TW", "zh-HK"}, {"zh", "zh"}, {"it", "en"}, {"pt-BR", "pt"}, {"", "en"}};
    for (const auto& [stored, expected] : cases) {
        defaults.setString("pellora.desktop.locale", stored);
        EXPECT_EQ(desktopLanguage(), expected) << stored;
    }
    defaults.setBool("pellora.desktop.locale", true);
    EXPECT_EQ(desktopLanguage(), "en");
}

TEST_F(DesktopLocaleTest, SetDesktopLocaleWritesAndNotifiesOnlyOnChange) {
    EXPECT_TRUE(setDesktopLocale("de-DE", defaults));
    EXPECT_EQ(defaults.stringForKey("pellora.desktop.locale"), "de");
    EXPECT_EQ(notifications, 1);

    EXPECT_TRUE(setDesktopLocale("de", defaults));
    EXPECT_TRUE(setDesktopLocale("DE_de", defaults));
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(defaults.writeCount, 1);

    EXPECT_FALSE(setDesktopLocale("it", defaults));
    EXPECT_FALSE(setDesktopLocale("en-" + std::string(33, 'x'), defaults));
    EXPECT_EQ(defaults.stringForKey("pellora.desktop.locale"), "de");
    EXPECT_EQ(notifications, 1);
}

TEST_F(DesktopLocaleTest, AnUnnormalisedStoredValueIsReplacedWithANotification) {
    defaults.setString("pellora.desktop.locale", "en_US");
    EXPECT_TRUE(setDesktopLocale("en", defaults));
    EXPECT_EQ(defaults.stringForKey("pellora.desktop.locale"), "en");
    EXPECT_EQ(notifications, 1);
}

TEST(DesktopLanguage, TextRecordChoice) {
    const std::pair<const char*, const char*> cases[] = {
        {"zh-TW", "zh-HK"}, {"zh-Hant", "zh-HK"}, {"zh-HK", "zh-HK"}, {"zh", "zh"},
        {"zh-hant", "zh"},  {"pt-BR", "pt"},      {"de", "de"},       {"it", "en"},
        {"", "en"},         {"e", "en"}};
    for (const auto& [code, expected] : cases) {
        EXPECT_EQ(kDesktopLanguages[textRecordIndex(code)], expected) << code;
    }
}
