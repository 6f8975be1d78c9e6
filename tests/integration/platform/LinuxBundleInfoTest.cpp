#include "platform/linux/LinuxBundleInfo.h"

#include <gtest/gtest.h>

#include <fstream>

#include "integration/platform/TempHome.h"

namespace pellora {
namespace {

class LinuxBundleInfoTest : public ::testing::Test {
protected:
    std::filesystem::path makeBundle(const std::optional<std::string>& infoPlist) {
        const auto bundle = dir_.path() / "Pellora.app";
        std::filesystem::create_directories(bundle / "Contents/MacOS");
        std::filesystem::create_directories(bundle / "Contents/Resources");
        std::ofstream(bundle / "Contents/MacOS/Pellora") << "";
        if (infoPlist) std::ofstream(bundle / "Contents/Info.plist") << *infoPlist;
        return bundle;
    }
    testing::TempDir dir_;
};

TEST_F(LinuxBundleInfoTest, ReadsStringsOnlyFromAWellFormedInfoPlist) {
    const auto bundle = makeBundle(R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>CFBundleIdentifier</key><string>com.pellora.shell</string>
<key>CFBundleShortVersionString</key><string>1.2 "beta" \ x</string>
<key>PelloraProductVersion</key><integer>7</integer>
<key>Empty</key><string></string>
</dict></plist>)");
    LinuxBundleInfo info(bundle / "Contents/MacOS/Pellora");
    EXPECT_EQ(info.bundlePath(), bundle);
    EXPECT_EQ(info.executablePath(), bundle / "Contents/MacOS/Pellora");
    EXPECT_EQ(info.infoString("CFBundleIdentifier"), "com.pellora.shell");
    EXPECT_EQ(info.infoString("CFBundleShortVersionString"), "1.2 \"beta\" \\ x");
    EXPECT_EQ(info.infoString("PelloraProductVersion"), std::nullopt);  // not a string
    EXPECT_EQ(info.infoString("Empty"), "");
    EXPECT_EQ(info.infoString("Missing"), std::nullopt);
}

TEST_F(LinuxBundleInfoTest, MissingOrMalformedInfoPlistGivesAbsentValues) {
    const std::vector<std::optional<std::string>> cases = {
        std::nullopt, "", "garbage", "<plist><dict><key>CFBundleIdentifier</key>",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><string>top-level string</string></plist>"};
    for (const auto& content : cases) {
        testing::TempDir dir;
        const auto bundle = makeBundle(content);
        LinuxBundleInfo info(bundle / "Contents/MacOS/Pellora");
        EXPECT_EQ(info.infoString("CFBundleIdentifier"), std::nullopt) << content.value_or("<none>");
        std::filesystem::remove_all(bundle);
    }
}

TEST_F(LinuxBundleInfoTest, ResourcePathNeedsAnExistingFileInsideResources) {
    const auto bundle = makeBundle(std::nullopt);
    std::ofstream(bundle / "Contents/Resources/splash.html") << "<p>";
    std::ofstream(bundle / "Contents/secret.json") << "{}";
    std::filesystem::create_directories(bundle / "Contents/Resources/folder.json");
    LinuxBundleInfo info(bundle / "Contents/MacOS/Pellora");
    EXPECT_EQ(info.resourcesPath(), bundle / "Contents/Resources");
    EXPECT_EQ(info.resourcePath("splash", "html"), bundle / "Contents/Resources/splash.html");
    EXPECT_EQ(info.resourcePath("connection-recovery", "json"), std::nullopt);
    EXPECT_EQ(info.resourcePath("../secret", "json"), std::nullopt);
    EXPECT_EQ(info.resourcePath("folder", "json"), std::nullopt);
}

TEST(LinuxBundleInfoCurrentTest, FindsTheRunningExecutable) {
    LinuxBundleInfo info;
    EXPECT_TRUE(std::filesystem::equivalent(info.executablePath(), "/proc/self/exe"));
}

}  // namespace
}  // namespace pellora
