#include <gtest/gtest.h>

#include <filesystem>

#include "finalizer/DesktopState.h"
#include "unit/finalizer/TemporaryBundle.h"

using namespace pellora;
using namespace pellora::testing;
namespace fs = std::filesystem;

TEST(DesktopState, RemovesALinkedStateFolderButNotWhatItPointsTo) {
    TemporaryDirectory temp;
    const auto home = temp.path() / "home";
    const auto elsewhere = temp.path() / "documents";
    writeFile(elsewhere / "thesis.txt", "keep me");
    fs::create_directories(home / "Library/Caches");
    fs::create_directory_symlink(elsewhere, home / "Library/Caches/com.pellora.shell");
    writeFile(home / "Library/Preferences/com.pellora.shell.plist", "prefs");

    removeDesktopState(home, true);

    EXPECT_FALSE(fs::exists(fs::symlink_status(home / "Library/Caches/com.pellora.shell")));
    EXPECT_FALSE(fs::exists(home / "Library/Preferences/com.pellora.shell.plist"));
    EXPECT_EQ(readFile(elsewhere / "thesis.txt"), "keep me");
}
