#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <unistd.h>

#include "engine/InstallLocator.h"

using namespace pellora;

namespace {

// A fake file system: files, links and property lists by path.
struct FakeFiles {
    std::map<std::string, std::string> environment;
    std::set<std::string> files;
    std::map<std::string, std::string> links;
    std::map<std::string, InstallLocator::Dictionary> plists;

    InstallLocator locator() const {
        InstallLocator probes;
        probes.environment = [this] { return environment; };
        probes.fileExists = [this](const std::filesystem::path& path) { return files.contains(path.string()); };
        probes.linkDestination = [this](const std::filesystem::path& path) -> std::optional<std::filesystem::path> {
            auto found = links.find(path.string());
            if (found == links.end()) return std::nullopt;
            return std::filesystem::path(found->second);
        };
        probes.propertyList = [this](const std::filesystem::path& path) -> std::optional<InstallLocator::Dictionary> {
            auto found = plists.find(path.string());
            if (found == plists.end()) return std::nullopt;
            return found->second;
        };
        probes.homeDirectory = [] { return std::filesystem::path("/home/u"); };
        return probes;
    }
};

const char* kAgent = "/home/u/Library/LaunchAgents/com.pellora.plist";

TEST(InstallLocatorTest, SourcesInOrder) {
    struct Case {
        const char* name;
        FakeFiles files;
        std::optional<std::string> expected;
    };
    std::vector<Case> cases = {
        {"env dir with tool, standardized",
         {{{"PELLORA_DIR", "/srv/./x/../eng/"}}, {"/srv/eng/bin/pellora"}, {}, {}}, "/srv/eng"},
        {"env dir without tool is trusted when it exists",
         {{{"PELLORA_DIR", "/srv/empty"}}, {"/srv/empty", "/home/u/pellora/bin/pellora"}, {}, {}}, "/srv/empty"},
        {"missing env dir falls through to the launch agent",
         {{{"PELLORA_DIR", "/gone"}}, {"/agent/dir/bin/pellora"}, {}, {{kAgent, {{"WorkingDirectory", "/agent/dir"}}}}},
         "/agent/dir"},
        {"empty env value is ignored",
         {{{"PELLORA_DIR", ""}}, {"/home/u/pellora/bin/pellora"}, {}, {}}, "/home/u/pellora"},
        {"agent dir without tool falls through to the terminal link",
         {{}, {"/usr/local/bin/pellora", "/opt/p/bin/pellora"}, {{"/usr/local/bin/pellora", "/opt/p/bin/pellora"}},
          {{kAgent, {{"WorkingDirectory", "/agent/none"}}}}},
         "/opt/p"},
        {"agent without WorkingDirectory is skipped",
         {{}, {"/home/u/pellora/bin/pellora"}, {}, {{kAgent, {{"Label", "x"}}}}}, "/home/u/pellora"},
        {"relative link is read next to the command",
         {{}, {"/usr/local/bin/pellora", "/usr/local/lib/p/bin/pellora"},
          {{"/usr/local/bin/pellora", "../lib/p/bin/pellora"}}, {}},
         "/usr/local/lib/p"},
        {"unreadable link falls through to the home default",
         {{}, {"/usr/local/bin/pellora", "/home/u/pellora/bin/pellora"}, {}, {}}, "/home/u/pellora"},
        {"nothing found", {{}, {"/usr/local/bin/pellora"}, {}, {}}, std::nullopt},
    };
    for (const auto& c : cases) {
        auto found = c.files.locator().resolve();
        std::optional<std::string> got;
        if (found) got = found->string();
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST(InstallLocatorTest, ProductionPropertyListReadsOnlyDictionaries) {
    auto dir = std::filesystem::temp_directory_path() / ("plist-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto write = [&](const char* name, const char* text) {
        std::ofstream(dir / name) << text;
        return dir / name;
    };
    auto probes = InstallLocator::production();
    auto dict = probes.propertyList(write("dict.plist",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>WorkingDirectory</key><string>/w</string>"
        "<key>Port</key><integer>3</integer></dict></plist>"));
    ASSERT_TRUE(dict.has_value());
    EXPECT_EQ(*dict, (InstallLocator::Dictionary{{"WorkingDirectory", "/w"}}));
    EXPECT_FALSE(probes.propertyList(write("array.plist",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>x</string></array></plist>")));
    EXPECT_FALSE(probes.propertyList(write("garbage.plist", "\x01\x02 not a plist")));
    EXPECT_FALSE(probes.propertyList(dir / "missing.plist"));
    std::filesystem::remove_all(dir);
}

}  // namespace
