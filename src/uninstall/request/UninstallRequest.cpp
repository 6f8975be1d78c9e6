#include "uninstall/request/UninstallRequest.h"

#include <plist/plist.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>

namespace pellora {

namespace {

constexpr std::string_view kBundleSuffix = "/Pellora.app";
// Info.plist files are a few kilobytes; anything far larger is not a bundle of ours.
constexpr std::uintmax_t kMaxInfoPlistBytes = 1024u * 1024u;

template <typename Integer>
std::optional<Integer> integerField(const Json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end()) return std::nullopt;
    if (it->is_number_unsigned()) {
        const auto value = it->get<std::uint64_t>();
        if (value > static_cast<std::uint64_t>(std::numeric_limits<Integer>::max())) return std::nullopt;
        return static_cast<Integer>(value);
    }
    if (it->is_number_integer()) {
        const auto value = it->get<std::int64_t>();
        if constexpr (std::numeric_limits<Integer>::is_signed) {
            if (value < std::numeric_limits<Integer>::min() ||
                value > std::numeric_limits<Integer>::max()) {
                return std::nullopt;
            }
        } else if (value < 0) {
            return std::nullopt;
        }
        return static_cast<Integer>(value);
    }
    return std::nullopt;
}

std::optional<std::string> bundleIdentifier(const std::filesystem::path& bundle) {
    const auto infoPath = bundle / "Contents" / "Info.plist";
    std::error_code error;
    const auto size = std::filesystem::file_size(infoPath, error);
    if (error || size == 0 || size > kMaxInfoPlistBytes) return std::nullopt;
    std::ifstream in(infoPath, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) return std::nullopt;

    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    const std::unique_ptr<void, decltype(&plist_free)> owner(root, &plist_free);
    if (!root || plist_get_node_type(root) != PLIST_DICT) return std::nullopt;
    plist_t item = plist_dict_get_item(root, "CFBundleIdentifier");
    if (!item || plist_get_node_type(item) != PLIST_STRING) return std::nullopt;
    char* value = nullptr;
    plist_get_string_val(item, &value);
    if (!value) return std::nullopt;
    std::string identifier(value);
    std::free(value);
    return identifier;
}

bool isStructurallyValid(const UninstallRequest& request) {
    const std::string_view path = request.appPath;
    return request.parentPID >= 2 && path.find('\0') == std::string_view::npos &&
           path.ends_with(kBundleSuffix) &&
           path.front() == '/' && UninstallRequest::standardizedPath(path) == path &&
           bundleIdentifier(request.appPath) == UninstallRequest::kBundleIdentifier;
}

}  // namespace

const std::vector<std::string>& UninstallRequest::supportedLocales() {
    static const std::vector<std::string> locales{"en", "zh", "zh-HK", "ja", "ko",
                                                  "de", "fr", "es",    "pt"};
    return locales;
}

Json UninstallRequest::toJson() const {
    Json json = Json::object();
    json["appPath"] = appPath;
    json["parentPID"] = parentPID;
    json["device"] = device;
    json["inode"] = inode;
    json["deleteData"] = deleteData;
    if (locale) json["locale"] = *locale;
    return json;
}

std::string UninstallRequest::encoded() const { return toJson().dump(); }

UninstallRequest UninstallRequest::decode(std::string_view text) {
    const Json json = Json::parse(text.begin(), text.end(), nullptr, false);
    if (!json.is_object()) throw failure(kInvalidRequest);

    const auto appPath = json.find("appPath");
    const auto parentPID = integerField<std::int32_t>(json, "parentPID");
    const auto device = integerField<std::int32_t>(json, "device");
    const auto inode = integerField<std::uint64_t>(json, "inode");
    const auto deleteData = json.find("deleteData");
    const auto locale = json.find("locale");
    if (appPath == json.end() || !appPath->is_string() || !parentPID || !device || !inode ||
        deleteData == json.end() || !deleteData->is_boolean() ||
        (locale != json.end() && !locale->is_string() && !locale->is_null())) {
        throw failure(kInvalidRequest);
    }

    UninstallRequest request;
    request.appPath = appPath->get<std::string>();
    request.parentPID = *parentPID;
    request.device = *device;
    request.inode = *inode;
    request.deleteData = deleteData->get<bool>();
    if (locale != json.end() && locale->is_string()) request.locale = locale->get<std::string>();
    return request;
}

void UninstallRequest::validate() const {
    if (!isStructurallyValid(*this)) throw failure(kInvalidRequest);
    if (identity(appPath) != Identity{device, inode}) throw failure(kReplaced);
}

UninstallRequest::Identity UninstallRequest::identity(const std::filesystem::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        throw failure(kMissingOrLink);
    }
    // The device number travels as a 32-bit signed value; both programs truncate it alike.
    return {static_cast<std::int32_t>(static_cast<std::uint32_t>(status.st_dev)),
            static_cast<std::uint64_t>(status.st_ino)};
}

std::string UninstallRequest::presentationLocale() const {
    const auto& supported = supportedLocales();
    if (locale && std::find(supported.begin(), supported.end(), *locale) != supported.end()) {
        return *locale;
    }
    return "en";
}

Error UninstallRequest::failure(std::string_view message) {
    return Error(std::string(kErrorDomain), 1, std::string(message));
}

std::string UninstallRequest::standardizedPath(std::string_view path) {
    const bool absolute = path.starts_with('/');
    std::vector<std::string_view> components;
    std::size_t position = 0;
    while (position <= path.size()) {
        const auto end = std::min(path.find('/', position), path.size());
        const auto component = path.substr(position, end - position);
        position = end + 1;
        if (component.empty() || component == ".") continue;
        if (component == ".." && !components.empty() && components.back() != "..") {
            components.pop_back();
        } else if (component != ".." || !absolute) {
            components.push_back(component);
        }
    }
    std::string result = absolute ? "/" : "";
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i > 0) result += '/';
        result += components[i];
    }
    return result.empty() ? "." : result;
}

}  // namespace pellora
