#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/Uuid.h"
#include "windows/RecoveryTexts.h"

using namespace pellora;

namespace {

class RecoveryTextsTest : public ::testing::Test {
protected:
    std::filesystem::path write(const std::string& content) {
        std::ofstream(file_) << content;
        return file_;
    }
    ~RecoveryTextsTest() override { std::filesystem::remove(file_); }
    std::filesystem::path file_ =
        std::filesystem::temp_directory_path() / ("connection-recovery-" + makeUuidString() + ".json");
};

}  // namespace

TEST_F(RecoveryTextsTest, LanguageThenEnglishThenBuiltInThenNothing) {
    RecoveryTexts texts(write(R"({"de": {"title": "Keine Verbindung"},
                                  "en": {"title": "No connection", "incompat": "Update needed"}})"));
    EXPECT_EQ(texts.lookup("title", "de"), "Keine Verbindung");
    EXPECT_EQ(texts.lookup("incompat", "de"), "Update needed");  // missing in German: English entry
    EXPECT_EQ(texts.lookup("retry", "de"), "Retry");              // missing everywhere: built-in
    EXPECT_EQ(texts.lookup("title", "ja"), "No connection");       // language absent from the file
    EXPECT_EQ(texts.lookup("secureConnection", "de"), std::nullopt);
}

TEST_F(RecoveryTextsTest, MissingOrUndecodableFilesCountAsEmpty) {
    const char* broken[] = {
        "",
        "not json",
        R"(["en"])",
        R"({"en": "flat"})",
        R"({"en": {"title": 7}})",           // one bad value spoils the file
        R"({"en": {"title": "ok"}, "de": 3})",
    };
    for (const char* content : broken) {
        RecoveryTexts texts(write(content));
        EXPECT_EQ(texts.lookup("title", "en"), "Temporarily unable to connect to Pellora") << content;
        EXPECT_EQ(texts.lookup("incompat", "en"), std::nullopt) << content;
    }
    RecoveryTexts missing(std::filesystem::path("/nonexistent/connection-recovery.json"));
    EXPECT_EQ(missing.lookup("local", "en"), "Unable to connect to Pellora on this computer. Please retry.");
    RecoveryTexts absent(std::nullopt);
    EXPECT_EQ(absent.lookup("remote", "fr"), "Unable to connect to the current Pellora. Please retry.");
}

TEST_F(RecoveryTextsTest, TheBundledResourceHasEveryKeyInEveryLanguage) {
    RecoveryTexts texts(std::filesystem::path(PELLORA_SOURCE_DIR) / "resources/connection-recovery.json");
    for (const char* language : {"en", "zh", "zh-HK", "ja", "ko", "de", "fr", "es", "pt"}) {
        for (const char* key : {"title", "local", "remote", "incompat", "secureConnection", "retry", "retrying"}) {
            auto text = texts.lookup(key, language);
            ASSERT_TRUE(text.has_value()) << language << " " << key;
            EXPECT_FALSE(text->empty()) << language << " " << key;
        }
    }
}
