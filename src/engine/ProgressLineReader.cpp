#include "engine/ProgressLineReader.h"

#include <array>

#include "engine/Utf8Lossy.h"

namespace pellora {

namespace {

constexpr std::array<std::string_view, 10> kPayloads = {
    "preparing", "unpacking", "backup", "installing", "components", "initializing",
    "starting", "opening", "restoring", "componentWarning"};

}  // namespace

bool ProgressLineReader::isProgressLine(std::string_view line) {
    if (!line.starts_with(kPrefix)) return false;
    const std::string_view payload = line.substr(kPrefix.size());
    for (auto valid : kPayloads) {
        if (payload == valid) return true;
    }
    return false;
}

void ProgressLineReader::handleLine(std::string_view bytes) {
    std::string line = decodeUtf8Lossy(bytes);
    if (isProgressLine(line)) onProgressLine_(line);
}

void ProgressLineReader::feed(std::string_view chunk) {
    if (skippingLongLine_) {
        // The rest of a line already dropped for its length is no line of its own.
        auto end = chunk.find('\n');
        if (end == std::string_view::npos) return;
        chunk.remove_prefix(end + 1);
        skippingLongLine_ = false;
    }
    pending_.append(chunk);
    std::size_t start = 0;
    for (std::size_t end; (end = pending_.find('\n', start)) != std::string::npos; start = end + 1) {
        handleLine(std::string_view(pending_).substr(start, end - start));
    }
    pending_.erase(0, start);
    // A line this long is no progress line: drop it rather than grow without bound.
    if (pending_.size() > kMaxPendingBytes) {
        pending_.clear();
        skippingLongLine_ = true;
    }
}

void ProgressLineReader::finish() {
    if (!pending_.empty()) handleLine(pending_);
    pending_.clear();
    skippingLongLine_ = false;
}

}  // namespace pellora
