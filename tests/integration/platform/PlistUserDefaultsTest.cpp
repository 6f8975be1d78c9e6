#include "platform/linux/PlistUserDefaults.h"

#include <gtest/gtest.h>

#include <fstream>

#include "integration/platform/TempHome.h"

namespace pellora {
namespace {

TEST(PlistUserDefaultsTest, ValuesSurviveAReloadFromDisk) {
    testing::TempHome home;
    const UserDefaults::Data bytes{0x00, 0xff, 0x10, 0x00};
    {
        PlistUserDefaults defaults;
        EXPECT_EQ(defaults.file(),
                  home.path() / "Library/Preferences/com.pellora.shell.plist");
        defaults.setBool("pellora.update.resumeLocalEngine", true);
        defaults.setString("pellora.desktop.locale", "zh-Hans \u00e9");
        defaults.setData("pellora.engineConnections.v1", bytes);
        defaults.setString("gone", "x");
        defaults.removeObject("gone");
        // No synchronize(): every change is already on disk.
    }
    PlistUserDefaults reloaded;
    EXPECT_EQ(reloaded.boolForKey("pellora.update.resumeLocalEngine"), true);
    EXPECT_EQ(reloaded.stringForKey("pellora.desktop.locale"), "zh-Hans \u00e9");
    EXPECT_EQ(reloaded.dataForKey("pellora.engineConnections.v1"), bytes);
    EXPECT_EQ(reloaded.stringForKey("gone"), std::nullopt);
    // A getter of another type answers absent.
    EXPECT_EQ(reloaded.stringForKey("pellora.update.resumeLocalEngine"), std::nullopt);
    EXPECT_EQ(reloaded.boolForKey("pellora.desktop.locale"), std::nullopt);
    EXPECT_EQ(reloaded.dataForKey("pellora.desktop.locale"), std::nullopt);
}

TEST(PlistUserDefaultsTest, UnreadableFilesStartEmptyAndAreReplacedOnWrite) {
    const std::vector<std::string> contents = {
        "",
        "not a property list at all",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key>",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>x</string></array></plist>",
        std::string("bplist00\xff\xff\xff\xff\x00\x01", 14),
    };
    for (const auto& content : contents) {
        testing::TempDir dir;
        const auto file = dir.path() / "prefs.plist";
        std::ofstream(file, std::ios::binary) << content;
        PlistUserDefaults defaults(file);
        EXPECT_EQ(defaults.stringForKey("a"), std::nullopt) << content;
        defaults.setString("a", "b");
        EXPECT_EQ(PlistUserDefaults(file).stringForKey("a"), "b") << content;
    }
}

TEST(PlistUserDefaultsTest, RemovePersistentDomainDeletesFileAndKeys) {
    testing::TempDir dir;
    const auto file = dir.path() / "prefs.plist";
    PlistUserDefaults defaults(file);
    defaults.setBool("k", false);
    ASSERT_TRUE(std::filesystem::exists(file));
    defaults.removePersistentDomain();
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(defaults.boolForKey("k"), std::nullopt);
    EXPECT_EQ(PlistUserDefaults(file).boolForKey("k"), std::nullopt);
}

TEST(PlistUserDefaultsTest, SynchronizeReportsAnUnwritableLocation) {
    testing::TempDir dir;
    const auto blocker = dir.path() / "file";
    std::ofstream(blocker) << "x";
    PlistUserDefaults defaults(blocker / "prefs.plist");  // parent is a regular file
    EXPECT_FALSE(defaults.synchronize());
    defaults.setString("still", "in memory");
    EXPECT_EQ(defaults.stringForKey("still"), "in memory");
}

}  // namespace
}  // namespace pellora
