#include "engine/InstallLocator.h"

#include <plist/plist.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

extern char** environ;

namespace pellora {

namespace {

const std::filesystem::path kToolInDir = std::filesystem::path("bin") / "pellora";
constexpr const char* kTerminalCommand = "/usr/local/bin/pellora";

std::map<std::string, std::string> processEnvironment() {
    std::map<std::string, std::string> values;
    for (char** entry = environ; entry && *entry; ++entry) {
        std::string_view text(*entry);
        auto equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        values.emplace(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
    }
    return values;
}

std::optional<InstallLocator::Dictionary> readPropertyList(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    if (!root) return std::nullopt;
    std::optional<InstallLocator::Dictionary> result;
    if (plist_get_node_type(root) == PLIST_DICT) {
        result.emplace();
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(root, &iterator);
        while (iterator) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(root, iterator, &key, &value);
            if (!key) break;
            if (value && plist_get_node_type(value) == PLIST_STRING) {
                char* text = nullptr;
                plist_get_string_val(value, &text);
                if (text) result->emplace(key, text);
                std::free(text);
            }
            std::free(key);
        }
        std::free(iterator);
    }
    plist_free(root);
    return result;
}

std::filesystem::path homeDirectoryOfUser() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/";
}

}  // namespace

std::filesystem::path standardizedPath(const std::filesystem::path& path) {
    auto normal = path.lexically_normal();
    if (normal.has_relative_path() && !normal.has_filename()) normal = normal.parent_path();
    return normal;
}

InstallLocator InstallLocator::production() {
    InstallLocator locator;
    locator.environment = processEnvironment;
    locator.fileExists = [](const Path& path) {
        std::error_code error;
        return std::filesystem::exists(path, error);
    };
    locator.linkDestination = [](const Path& path) -> std::optional<Path> {
        std::error_code error;
        auto target = std::filesystem::read_symlink(path, error);
        if (error) return std::nullopt;
        return target;
    };
    locator.propertyList = readPropertyList;
    locator.homeDirectory = homeDirectoryOfUser;
    return locator;
}

std::optional<InstallLocator::Path> InstallLocator::resolve() const {
    auto hasTool = [this](const Path& dir) { return fileExists(dir / kToolInDir); };

    const auto env = environment();
    if (auto found = env.find("PELLORA_DIR"); found != env.end() && !found->second.empty()) {
        const Path dir = standardizedPath(Path(found->second));
        // An explicit directory is trusted even before the tool is installed in it.
        if (hasTool(dir) || fileExists(Path(found->second))) return dir;
    }

    const Path home = homeDirectory();
    if (auto agent = propertyList(home / "Library/LaunchAgents/com.pellora.plist")) {
        if (auto found = agent->find("WorkingDirectory"); found != agent->end()) {
            const Path dir = standardizedPath(Path(found->second));
            if (hasTool(dir)) return dir;
        }
    }

    if (fileExists(kTerminalCommand)) {
        if (auto target = linkDestination(kTerminalCommand)) {
            Path tool = target->is_absolute() ? *target : Path(kTerminalCommand).parent_path() / *target;
            const Path dir = standardizedPath(standardizedPath(tool).parent_path().parent_path());
            if (hasTool(dir)) return dir;
        }
    }

    const Path fallback = standardizedPath(home / "pellora");
    if (hasTool(fallback)) return fallback;
    return std::nullopt;
}

}  // namespace pellora
