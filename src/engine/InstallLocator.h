// The five probes through which the local Engine installation is found (environment, file
// existence, link destinations, property lists, home directory) and the resolution rule
// over them. The probes are replaceable so the rule runs against a fake file system.
// Main thread; owned by the Engine manager.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace pellora {

struct InstallLocator {
    using Path = std::filesystem::path;
    using Dictionary = std::map<std::string, std::string>;  // the string values only

    std::function<std::map<std::string, std::string>()> environment;
    std::function<bool(const Path&)> fileExists;
    // The destination of the symbolic link at a path; absent when it cannot be read.
    std::function<std::optional<Path>(const Path&)> linkDestination;
    // The property list at a path as a string-keyed dictionary; absent when the file is
    // missing, unreadable or not a dictionary.
    std::function<std::optional<Dictionary>(const Path&)> propertyList;
    std::function<Path()> homeDirectory;

    // Probes of this process: its environment, the file system, libplist.
    static InstallLocator production();

    // The installation directory, from "PELLORA_DIR", the launch agent's working
    // directory, the terminal command's link, or ~/pellora; absent when none qualifies.
    std::optional<Path> resolve() const;
};

// `path` made absolute-looking and free of "." and ".." components.
std::filesystem::path standardizedPath(const std::filesystem::path& path);

}  // namespace pellora
