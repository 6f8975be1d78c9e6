// An owned libplist node with file I/O: reading a property list (XML or binary) from a
// file that may be missing or corrupt, and writing one atomically (temporary file +
// rename). Value type, any thread; each instance owns its node.
#pragma once

#include <plist/plist.h>

#include <filesystem>
#include <optional>
#include <string>

namespace pellora {

class PlistDocument {
public:
    // An empty dictionary.
    PlistDocument();
    ~PlistDocument();
    PlistDocument(PlistDocument&& other) noexcept;
    PlistDocument& operator=(PlistDocument&& other) noexcept;
    PlistDocument(const PlistDocument&) = delete;
    PlistDocument& operator=(const PlistDocument&) = delete;

    // The dictionary stored in `path`; absent when the file is missing, unreadable, not a
    // property list or not a dictionary at its root.
    static std::optional<PlistDocument> readDictionary(const std::filesystem::path& path);

    // Writes the document as an XML property list through a temporary file in the same
    // directory, renamed over `path`; creates missing parent directories. False on failure.
    bool writeAtomically(const std::filesystem::path& path) const;

    // The root dictionary's value for `key`, or null.
    plist_t item(const std::string& key) const;
    // Takes ownership of `value`.
    void setItem(const std::string& key, plist_t value);
    void removeItem(const std::string& key);
    void clear();

private:
    explicit PlistDocument(plist_t root) : root_(root) {}
    plist_t root_;
};

}  // namespace pellora
