// Splits an installer's standard output into lines and picks out the progress lines
// ("PELLORA_PROGRESS_V1:" + a startup phase or "componentWarning"). Holds at most 64 KiB
// of an unfinished line; a longer one is dropped up to its line feed. One reader per stream, used by a single
// thread at a time.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace pellora {

class ProgressLineReader {
public:
    static constexpr std::string_view kPrefix = "PELLORA_PROGRESS_V1:";
    static constexpr std::size_t kMaxPendingBytes = 65536;
    using Handler = std::function<void(const std::string& line)>;

    explicit ProgressLineReader(Handler onProgressLine) : onProgressLine_(std::move(onProgressLine)) {}

    // Feeds the next chunk of output; complete progress lines go to the handler.
    void feed(std::string_view chunk);
    // End of output: a last line without a line feed still counts.
    void finish();

    // True for a whole line (without its line feed) that carries a valid progress payload.
    static bool isProgressLine(std::string_view line);

private:
    void handleLine(std::string_view bytes);

    Handler onProgressLine_;
    std::string pending_;
    bool skippingLongLine_ = false;
};

}  // namespace pellora
