// The newest 64 KiB of everything an installer printed, on both streams in arrival order.
// Shared by the two pipe readers of one StartupProcess run, which append under `lock`.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace pellora {

class DiagnosticTail {
public:
    static constexpr std::size_t kLimit = 65536;

    std::mutex lock;
    std::string data;  // raw bytes, at most kLimit

    // Appends `chunk` and keeps only the newest kLimit bytes. Any thread.
    void append(std::string_view chunk);
    // The tail decoded as UTF-8 with replacement. Any thread.
    std::string text();
};

}  // namespace pellora
