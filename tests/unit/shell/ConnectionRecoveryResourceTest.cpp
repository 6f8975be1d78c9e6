#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "base/Json.h"
#include "shell/DesktopLanguage.h"

using namespace pellora;

// The recovery view reads this file by desktop language; a missing language or key would
// silently fall back to English or to "Could not connect".
TEST(ConnectionRecoveryResource, EveryLanguageHasEveryKeyAndEnglishIsExact) {
    std::ifstream file(std::string(PELLORA_SOURCE_DIR) + "/resources/connection-recovery.json");
    ASSERT_TRUE(file);
    Json json = Json::parse(std::string(std::istreambuf_iterator<char>(file), {}));
    const char* keys[] = {"title", "local", "remote", "incompat", "secureConnection", "retry", "retrying"};
    EXPECT_EQ(json.size(), kDesktopLanguageCount);
    for (auto language : kDesktopLanguages) {
        const Json& texts = json.at(std::string(language));
        EXPECT_EQ(texts.size(), std::size(keys)) << language;
        for (const char* key : keys) {
            ASSERT_TRUE(texts.contains(key)) << language << " " << key;
            EXPECT_FALSE(texts[key].get<std::string>().empty()) << language << " " << key;
        }
    }
    const Json& english = json["en"];
    EXPECT_EQ(english["title"], "Temporarily unable to connect to Pellora");
    EXPECT_EQ(english["local"], "Unable to connect to Pellora on this computer. Please retry.");
    EXPECT_EQ(english["remote"], "Unable to connect to the current Pellora. Please retry.");
    EXPECT_EQ(english["retry"], "Retry");
    EXPECT_EQ(english["retrying"], "Reconnecting");
}
