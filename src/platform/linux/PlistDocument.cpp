#include "platform/linux/PlistDocument.h"

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace pellora {

namespace {
// A preferences or Info.plist file beyond this size is not ours; refuse to parse it.
constexpr std::uintmax_t kMaxPlistBytes = 64u * 1024u * 1024u;
}

PlistDocument::PlistDocument() : root_(plist_new_dict()) {}

PlistDocument::~PlistDocument() {
    if (root_) plist_free(root_);
}

PlistDocument::PlistDocument(PlistDocument&& other) noexcept : root_(other.root_) {
    other.root_ = nullptr;
}

PlistDocument& PlistDocument::operator=(PlistDocument&& other) noexcept {
    if (this != &other) {
        if (root_) plist_free(root_);
        root_ = other.root_;
        other.root_ = nullptr;
    }
    return *this;
}

std::optional<PlistDocument> PlistDocument::readDictionary(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size == 0 || size > kMaxPlistBytes) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) return std::nullopt;
    if (bytes.empty()) return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    if (!root) return std::nullopt;
    if (plist_get_node_type(root) != PLIST_DICT) {
        plist_free(root);
        return std::nullopt;
    }
    return PlistDocument(root);
}

bool PlistDocument::writeAtomically(const std::filesystem::path& path) const {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root_, &xml, &length);
    if (!xml) return false;
    const std::string contents(xml, length);
    plist_to_xml_free(xml);

    auto temporary = path;
    temporary += ".tmp." + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        out.flush();
        if (!out.good()) {
            std::filesystem::remove(temporary, error);
            return false;
        }
    }
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

plist_t PlistDocument::item(const std::string& key) const {
    return root_ ? plist_dict_get_item(root_, key.c_str()) : nullptr;
}

void PlistDocument::setItem(const std::string& key, plist_t value) {
    plist_dict_set_item(root_, key.c_str(), value);
}

void PlistDocument::removeItem(const std::string& key) {
    if (plist_dict_get_item(root_, key.c_str())) plist_dict_remove_item(root_, key.c_str());
}

void PlistDocument::clear() {
    if (root_) plist_free(root_);
    root_ = plist_new_dict();
}

}  // namespace pellora
