// A temporary directory for a test, removed afterwards; optionally installed as $HOME.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace pellora::testing {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pellora-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

class TempHome {
public:
    TempHome() {
        if (const char* home = std::getenv("HOME")) previous_ = home;
        ::setenv("HOME", dir_.path().c_str(), 1);
    }
    ~TempHome() {
        if (previous_) ::setenv("HOME", previous_->c_str(), 1);
        else ::unsetenv("HOME");
    }
    const std::filesystem::path& path() const { return dir_.path(); }

private:
    TempDir dir_;
    std::optional<std::string> previous_;
};

}  // namespace pellora::testing
