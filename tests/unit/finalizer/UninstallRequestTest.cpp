#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "uninstall/request/UninstallRequest.h"
#include "unit/finalizer/TemporaryBundle.h"

using namespace pellora;
using namespace pellora::testing;

namespace {

std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        EXPECT_EQ(error.domain(), "Pellora.Uninstall");
        EXPECT_EQ(error.code(), 1);
        return error.localizedDescription();
    }
    return "no failure";
}

class UninstallRequestValidation : public ::testing::Test {
protected:
    TemporaryDirectory temp;
    std::filesystem::path bundle = makeBundle(temp.path());
    UninstallRequest request = requestFor(bundle, 4242);
};

}  // namespace

TEST(UninstallRequestCoding, EncodesKeysInOrderAndOmitsAnAbsentLocale) {
    UninstallRequest request{"/Applications/Pellora.app", 812, -3, 18446744073709551615ull, true, {}};
    EXPECT_EQ(request.encoded(),
              R"({"appPath":"/Applications/Pellora.app","parentPID":812,"device":-3,)"
              R"("inode":18446744073709551615,"deleteData":true})");
    request.locale = "ja";
    EXPECT_TRUE(request.encoded().ends_with(R"("deleteData":true,"locale":"ja"})"));
    EXPECT_EQ(UninstallRequest::decode(request.encoded()), request);
}

TEST(UninstallRequestCoding, DecodesNullLocaleAsAbsentAndIgnoresUnknownKeys) {
    const auto request = UninstallRequest::decode(
        R"({"extra":[1],"appPath":"/A/Pellora.app","parentPID":2,"device":0,"inode":0,)"
        R"("deleteData":false,"locale":null})");
    EXPECT_EQ(request.appPath, "/A/Pellora.app");
    EXPECT_FALSE(request.locale.has_value());
}

TEST(UninstallRequestCoding, RefusesEverythingButACompleteWellTypedRequest) {
    const std::string tail = R"("device":1,"inode":2,"deleteData":false)";
    const std::vector<std::string> inputs{
        "",
        "   ",
        R"({"appPath":"/A/Pellora.app","parentPID":5,)",
        "[]",
        R"("string")",
        "{}",
        R"({"parentPID":5,)" + tail + "}",
        R"({"appPath":7,"parentPID":5,)" + tail + "}",
        R"({"appPath":"/A/Pellora.app",)" + tail + "}",
        R"({"appPath":"/A/Pellora.app","parentPID":"5",)" + tail + "}",
        R"({"appPath":"/A/Pellora.app","parentPID":5.5,)" + tail + "}",
        R"({"appPath":"/A/Pellora.app","parentPID":2147483648,)" + tail + "}",
        R"({"appPath":"/A/Pellora.app","parentPID":5,"device":-2147483649,"inode":2,"deleteData":false})",
        R"({"appPath":"/A/Pellora.app","parentPID":5,"device":1,"inode":-1,"deleteData":false})",
        R"({"appPath":"/A/Pellora.app","parentPID":5,"device":1,"inode":18446744073709551616,"deleteData":false})",
        R"({"appPath":"/A/Pellora.app","parentPID":5,"device":1,"inode":2,"deleteData":1})",
        R"({"appPath":"/A/Pellora.app","parentPID":5,"device":1,"inode":2})",
        R"({"appPath":"/A/Pellora.app","parentPID":5,)" + tail + R"(,"locale":3})",
        "{\"appPath\":\"/A/\xff.app\",\"parentPID\":5," + tail + "}",
        std::string(100000, '['),
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.substr(0, 80));
        EXPECT_EQ(failureOf([&] { UninstallRequest::decode(input); }), "Invalid uninstall request.");
    }
}

TEST(UninstallRequestLocale, OnlyExactSupportedCodesArePresented) {
    const std::vector<std::pair<std::optional<std::string>, std::string>> cases{
        {"de", "de"},      {"zh-HK", "zh-HK"}, {"pt", "pt"}, {"pt-BR", "en"},
        {"zh-TW", "en"},   {"DE", "en"},       {"", "en"},   {std::nullopt, "en"},
    };
    for (const auto& [locale, expected] : cases) {
        UninstallRequest request;
        request.locale = locale;
        EXPECT_EQ(request.presentationLocale(), expected) << locale.value_or("(absent)");
    }
}

TEST(UninstallRequestPath, StandardizesLexically) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"/Applications/Pellora.app", "/Applications/Pellora.app"},
        {"/Applications//Pellora.app", "/Applications/Pellora.app"},
        {"/Applications/./Pellora.app/", "/Applications/Pellora.app"},
        {"/Users/x/../Applications/Pellora.app", "/Users/Applications/Pellora.app"},
        {"/../Pellora.app", "/Pellora.app"},
        {"/", "/"},
        {"a/../../b", "../b"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(UninstallRequest::standardizedPath(input), expected) << input;
    }
}

TEST_F(UninstallRequestValidation, AcceptsTheBundleThatAsked) {
    EXPECT_NO_THROW(request.validate());
    EXPECT_EQ(UninstallRequest::identity(bundle), (UninstallRequest::Identity{request.device, request.inode}));
}

TEST_F(UninstallRequestValidation, RefusesStructuralFaults) {
    const auto base = bundle.string();
    const auto parent = bundle.parent_path().string();
    std::filesystem::create_directories(temp.path() / "sub");
    const std::vector<std::pair<std::string, std::function<void(UninstallRequest&)>>> cases{
        {"parent id 1", [](UninstallRequest& r) { r.parentPID = 1; }},
        {"parent id 0", [](UninstallRequest& r) { r.parentPID = 0; }},
        {"parent id negative", [](UninstallRequest& r) { r.parentPID = -7; }},
        {"other name", [&](UninstallRequest& r) { r.appPath = parent + "/Other.app"; }},
        {"bare name", [](UninstallRequest& r) { r.appPath = "/Pellora.app.bak"; }},
        {"relative", [](UninstallRequest& r) { r.appPath = "Pellora.app"; }},
        {"dot dot", [&](UninstallRequest& r) { r.appPath = parent + "/sub/../Pellora.app"; }},
        {"dot", [&](UninstallRequest& r) { r.appPath = parent + "/./Pellora.app"; }},
        {"double slash", [&](UninstallRequest& r) { r.appPath = parent + "//Pellora.app"; }},
        {"nul inside", [&](UninstallRequest& r) { r.appPath = base + std::string(1, '\0') + "/Pellora.app"; }},
        {"missing bundle", [&](UninstallRequest& r) { r.appPath = parent + "/sub/Pellora.app"; }},
    };
    for (const auto& [name, change] : cases) {
        UninstallRequest changed = request;
        change(changed);
        EXPECT_EQ(failureOf([&] { changed.validate(); }), "Invalid uninstall request.") << name;
    }
}

TEST_F(UninstallRequestValidation, RefusesBundlesThatAreNotThisApplicationsDirectory) {
    const auto& message = UninstallRequest::kInvalidRequest;
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path& at)> make;
        std::string_view expected;
    };
    const std::vector<Case> cases{
        {"a plain file", [](const auto& at) { writeFile(at, "not a bundle"); }, message},
        {"another program's bundle",
         [](const auto& at) { makeBundle(at.parent_path(), "com.example.other"); }, message},
        {"no Info.plist", [](const auto& at) { std::filesystem::create_directories(at / "Contents"); }, message},
        {"a corrupt Info.plist", [](const auto& at) { writeFile(at / "Contents/Info.plist", "<plist><dict>"); },
         message},
        {"a symbolic link to the real bundle",
         [&](const auto& at) { std::filesystem::create_directory_symlink(bundle, at); },
         UninstallRequest::kMissingOrLink},
    };
    for (const auto& testCase : cases) {
        TemporaryDirectory other;
        const auto at = other.path() / "Pellora.app";
        testCase.make(at);
        UninstallRequest changed = request;
        changed.appPath = at.string();
        EXPECT_EQ(failureOf([&] { changed.validate(); }), testCase.expected) << testCase.name;
    }
}

TEST_F(UninstallRequestValidation, ReportsAReplacedBundle) {
    std::filesystem::rename(bundle, temp.path() / "Old.app");
    makeBundle(temp.path());
    EXPECT_EQ(failureOf([&] { request.validate(); }), "Pellora.app was replaced. It has not been moved.");

    UninstallRequest otherDevice = requestFor(bundle, 4242);
    otherDevice.device += 1;
    EXPECT_EQ(failureOf([&] { otherDevice.validate(); }), "Pellora.app was replaced. It has not been moved.");
}

TEST(UninstallRequestIdentity, RefusesMissingPathsFilesAndLinks) {
    TemporaryDirectory temp;
    const auto directory = temp.path() / "dir";
    std::filesystem::create_directory(directory);
    writeFile(temp.path() / "file", "x");
    std::filesystem::create_directory_symlink(directory, temp.path() / "link");
    for (const auto* name : {"missing", "file", "link"}) {
        EXPECT_EQ(failureOf([&] { UninstallRequest::identity(temp.path() / name); }),
                  "The application folder is missing or is a symbolic link.")
            << name;
    }
    struct stat status {};
    ASSERT_EQ(::lstat(directory.c_str(), &status), 0);
    EXPECT_EQ(UninstallRequest::identity(directory).inode, status.st_ino);
}
